// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// "Échelle de la carte": what a pixel of the map covers on the ground, set by hand for a map whose
// files do not say where it lies: a length measured between two clicks on the map's scale bar,
// or the map's real width. Opened from the map window's "Échelle…"; the clicks are made on the
// map itself, the dialog closed meanwhile.

#include "core/MapScale.h"

#include <QDialog>
#include <optional>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TScaleDialog : public QDialog {
    Q_OBJECT
public:
    // What exec() gives when the user asks to click the scale bar's two ends on the map.
    static constexpr int MeasureOnMap = 2;

    // `measured`: the pixels between the two ends just clicked, if any; `drawnWidth`: the map's
    // width as drawn; `current`: the survey's scale, whose way is offered first.
    TScaleDialog(std::optional<double> measured, int drawnWidth, const std::optional<MapScale>& current, QWidget* parent);

    // The scale as typed; nothing for "Aucune échelle". EConvertError, in French, for a distance
    // that is no number or no distance a map can have, or a bar not yet clicked.
    std::optional<MapScale> Scale() const;

    QRadioButton* RadioBarre;
    QPushButton* ButtCliquer;
    QLabel* LabelMesure;
    QLineEdit* EdDistance;
    QComboBox* ComboUniteDistance;
    QRadioButton* RadioLargeur;
    QLineEdit* EdLargeur;
    QComboBox* ComboUniteLargeur;
    QRadioButton* RadioAucune;
    QDialogButtonBox* Buttons;

    // "OK": the scale checked first; a wrong one is said and the dialog stays.
    void ButtOkClick();

private:
    void ChoiceChanged();

    std::optional<double> measured;
    int drawnWidth;
};
