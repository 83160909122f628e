// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "windows/ScaleDialog.h"

#include "core/Errors.h"
#include "core/Numbers.h"
#include "ui/Dispatch.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

QComboBox* UnitBox(const QString& name)
{
    auto* units = new QComboBox;
    units->addItem(QStringLiteral("m"), 1.0);
    units->addItem(QStringLiteral("km"), 1000.0);
    units->setAccessibleName(name);
    units->setToolTip(QStringLiteral("L'unité de la distance tapée : mètres ou kilomètres"));
    return units;
}

QLineEdit* DistanceBox(const QString& name, const QString& tip)
{
    auto* box = new QLineEdit;
    box->setAccessibleName(name);
    box->setToolTip(tip);
    return box;
}

long double Metres(const QLineEdit* box, const QComboBox* units)
{
    return ParseDecimal(box->text()) * units->currentData().toDouble();
}

}  // namespace

TScaleDialog::TScaleDialog(std::optional<double> measured, int drawnWidth, const std::optional<MapScale>& current,
                           QWidget* parent)
    : QDialog(parent), measured(measured), drawnWidth(drawnWidth)
{
    setWindowTitle(QStringLiteral("Échelle de la carte"));
    RadioBarre = new QRadioButton(QStringLiteral("Mesurer la &barre d'échelle de la carte"));
    RadioBarre->setToolTip(QStringLiteral("Cliquer les deux bouts de la barre d'échelle dessinée sur la carte, puis "
                                          "taper la distance qu'elle représente"));
    ButtCliquer = new QPushButton(QStringLiteral("&Cliquer ses deux bouts…"));
    ButtCliquer->setToolTip(QStringLiteral("La fenêtre se ferme : cliquez sur la carte un bout de la barre, puis "
                                           "l'autre (Échap pour renoncer)"));
    LabelMesure = new QLabel(measured ? QStringLiteral("Longueur cliquée : %1 pixels").arg(FixedText(*measured, 1))
                                      : QStringLiteral("Pas encore cliquée"));
    EdDistance = DistanceBox(QStringLiteral("Distance de la barre"),
                             QStringLiteral("La distance que la barre représente sur le terrain, par exemple 500"));
    ComboUniteDistance = UnitBox(QStringLiteral("Unité de la distance de la barre"));
    RadioLargeur = new QRadioButton(QStringLiteral("Taper la &largeur réelle de la carte"));
    RadioLargeur->setToolTip(QStringLiteral("La distance sur le terrain du bord gauche au bord droit de la carte"));
    EdLargeur = DistanceBox(QStringLiteral("Largeur réelle de la carte"),
                            QStringLiteral("La largeur de la carte sur le terrain, par exemple 1,5 (km)"));
    ComboUniteLargeur = UnitBox(QStringLiteral("Unité de la largeur"));
    RadioAucune = new QRadioButton(QStringLiteral("&Aucune échelle"));
    RadioAucune->setToolTip(QStringLiteral("Les résultats donnent les parts sans les aires"));
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    Buttons->button(QDialogButtonBox::Ok)->setToolTip(QStringLiteral("Garder cette échelle pour la carte"));
    Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuler"));
    Buttons->button(QDialogButtonBox::Cancel)->setToolTip(QStringLiteral("Garder l'échelle d'avant"));

    auto* grid = new QGridLayout(this);
    grid->setColumnMinimumWidth(0, 16);
    grid->addWidget(RadioBarre, 0, 0, 1, 4);
    grid->addWidget(ButtCliquer, 1, 1);
    grid->addWidget(LabelMesure, 1, 2, 1, 2);
    auto* distance = new QLabel(QStringLiteral("&Distance :"));
    distance->setBuddy(EdDistance);
    grid->addWidget(distance, 2, 1);
    grid->addWidget(EdDistance, 2, 2);
    grid->addWidget(ComboUniteDistance, 2, 3);
    grid->addWidget(RadioLargeur, 3, 0, 1, 4);
    auto* width = new QLabel(QStringLiteral("La&rgeur :"));
    width->setBuddy(EdLargeur);
    grid->addWidget(width, 4, 1);
    grid->addWidget(EdLargeur, 4, 2);
    grid->addWidget(ComboUniteLargeur, 4, 3);
    grid->addWidget(RadioAucune, 5, 0, 1, 4);
    grid->addWidget(Buttons, 6, 0, 1, 4);

    // Just clicked, or no scale yet: the bar; a scale given otherwise before, by the width.
    (measured || !current ? RadioBarre : RadioLargeur)->setChecked(true);
    if (current && !measured)
        EdLargeur->setText(FixedText(current->PixelMetres * drawnWidth, 2));
    for (QRadioButton* radio : {RadioBarre, RadioLargeur, RadioAucune})
        connect(radio, &QRadioButton::toggled, this, &TScaleDialog::ChoiceChanged);
    connect(ButtCliquer, &QPushButton::clicked, this, [this] { done(MeasureOnMap); });
    connect(Buttons, &QDialogButtonBox::accepted, this, Guarded(this, &TScaleDialog::ButtOkClick));
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ChoiceChanged();
    (measured ? EdDistance : RadioBarre->isChecked() ? static_cast<QWidget*>(ButtCliquer) : EdLargeur)->setFocus();
}

std::optional<MapScale> TScaleDialog::Scale() const
{
    if (RadioAucune->isChecked())
        return std::nullopt;
    if (RadioLargeur->isChecked())
        return MeasuredScale(drawnWidth, Metres(EdLargeur, ComboUniteLargeur));
    if (!measured)
        throw EConvertError(QStringLiteral("Cliquez d'abord les deux bouts de la barre d'échelle sur la carte."));
    return MeasuredScale(*measured, Metres(EdDistance, ComboUniteDistance));
}

void TScaleDialog::ButtOkClick()
{
    Scale();
    accept();
}

void TScaleDialog::ChoiceChanged()
{
    for (QWidget* control : std::initializer_list<QWidget*>{ButtCliquer, EdDistance, ComboUniteDistance})
        control->setEnabled(RadioBarre->isChecked());
    EdLargeur->setEnabled(RadioLargeur->isChecked());
    ComboUniteLargeur->setEnabled(RadioLargeur->isChecked());
}
