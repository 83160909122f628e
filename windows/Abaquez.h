#pragma once
// windows/ holds the six windows, one module each, and nothing else. They use every layer
// but app/.
//
// The chart window: the fluctuation chart and how to read it.

#include "picture/ShownPicture.h"
#include "ui/TCanvas.h"

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

class TAbaque : public QWidget {
    Q_OBJECT
public:
    TAbaque();

    QPushButton* ButtFermer;
    QPlainTextEdit* Memo1;
    TCanvas Canvas{this};

    void FormPaint();
    void ButtFermerClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The chart as last read: a failing chart file is reported once, until the file changes or
    // the window is shown anew.
    TShownPicture shownChart;
};

extern TAbaque* Abaque;
