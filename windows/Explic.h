#pragma once
// The explanations window: the method in a few lines, and the way to the chart.

#include <QWidget>

class TForm3 : public QWidget {
    Q_OBJECT
public:
    TForm3();
};

extern TForm3* Form3;
