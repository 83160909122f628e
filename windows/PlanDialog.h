// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// "Plan d'échantillonnage": how "Go" lays the points on the map — at random, on a grid, block by
// block, or by segments — with the numbers the last two need. Opened from the map window's first
// panel; what it chooses holds from the next "Go".

#include "core/SampleDesign.h"

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QRadioButton;
class QSpinBox;

class TPlanDialog : public QDialog {
    Q_OBJECT
public:
    TPlanDialog(const SampleDesign& design, QWidget* parent);

    // The design as the dialog shows it: the numbers of the designs not chosen are kept as they
    // were, for the next time they are.
    SampleDesign Design() const;

    QRadioButton* RadioAleatoire;
    QRadioButton* RadioSystematique;
    QRadioButton* RadioStrates;
    QSpinBox* SpinBlocs;
    QRadioButton* RadioGrappes;
    QSpinBox* SpinGrappes;
    QSpinBox* SpinCote;
    QSpinBox* SpinEspacement;
    QLabel* LabelExplication;
    QDialogButtonBox* Buttons;

private:
    // The chosen design's numbers can be typed, the others wait; the note says what it does.
    void ChoiceChanged();
};
