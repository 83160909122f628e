#pragma once
// The chart window: the fluctuation chart and how to read it.

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

class TAbaque : public QWidget {
    Q_OBJECT
public:
    TAbaque();

    QPushButton* ButtFermer;
    QPlainTextEdit* Memo1;

    void ButtFermerClick();
};

extern TAbaque* Abaque;
