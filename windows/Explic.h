// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The explanations window: the method in a few lines, and the way to the chart and to the
// simulation.

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
    QPushButton* ButtSimuler;

    void ButtfermerClick();
    void ButtVoirAbaqueClick();
    void ButtSimulerClick();

signals:
    // "Simuler": the simulation on the map named in the main window, the demo map when none is.
    void SimulationWanted();
};

extern TForm3* Form3;
