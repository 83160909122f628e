#pragma once
// The explanations window: the method in a few lines, and the way to the chart.

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TForm3 : public QWidget {
    Q_OBJECT
public:
    TForm3();

    QLabel* Label1;
    QPlainTextEdit* Memo1;
    QPushButton* Buttfermer;
    QPushButton* ButtVoirAbaque;

    void ButtfermerClick();
    void ButtVoirAbaqueClick();
};

extern TForm3* Form3;
