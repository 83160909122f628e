#pragma once
// windows/ holds the five windows, one module each, and nothing else. They use every layer
// but app/.
//
// The chart window: the fluctuation chart and how to read it.

#include "ui/TCanvas.h"
#include "windows/FileStamp.h"

#include <QWidget>
#include <optional>

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
    // What the chart file looked like when it last failed to read: while it stays so, a paint
    // draws no chart and reports nothing, since an error box closing over the window repaints it.
    std::optional<TFileStamp> failedFile;
};

extern TAbaque* Abaque;
