#pragma once
// The chart window: the fluctuation chart and how to read it.

#include <QWidget>

class TAbaque : public QWidget {
    Q_OBJECT
public:
    TAbaque();
};

extern TAbaque* Abaque;
