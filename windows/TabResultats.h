#pragma once
// The results window: land uses, counts and frequencies.

#include <QWidget>

class QLabel;
class TCloseButton;
class TTextGrid;

class TTabRes : public QWidget {
    Q_OBJECT
public:
    TTabRes();

    QLabel* Label1;
    TTextGrid* GridResults;
    TCloseButton* BitBtn1;

    // Fills the table from the survey tally each time the window goes from hidden to shown.
    void FormShow();
};

extern TTabRes* TabRes;
