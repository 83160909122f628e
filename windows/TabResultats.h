#pragma once
// The results window: land uses, counts and frequencies.

#include <QWidget>

class TTabRes : public QWidget {
    Q_OBJECT
public:
    TTabRes();
};

extern TTabRes* TabRes;
