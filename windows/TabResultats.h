// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The results window: land uses, counts and frequencies.

#include <QWidget>

class QLabel;
class QPushButton;
class TCloseButton;
class TTextGrid;

class TTabRes : public QWidget {
    Q_OBJECT
public:
    TTabRes();

    QLabel* Label1;
    TTextGrid* GridResults;
    QLabel* LabelPlan;
    QPushButton* BtnExporter;
    TCloseButton* BitBtn1;

    // Fills the table from the survey tally each time the window goes from hidden to shown.
    void FormShow();
    // While shown, the table follows the survey: counts made on the map show at once.
    void FollowSurvey();
    // Writes the survey's results, as they stand now, to a CSV file the user names.
    void BtnExporterClick();

private:
    // The grid's and the window's widths without a scale; a scale adds the area's column.
    int plainGridWidth = 0;
    int plainClientWidth = 0;
};

extern TTabRes* TabRes;
