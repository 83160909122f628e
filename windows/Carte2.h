#pragma once
// The map window: the map, the random sample points and the probing of land uses.

#include <QWidget>

class TForm2 : public QWidget {
    Q_OBJECT
public:
    TForm2();
};

extern TForm2* Form2;
