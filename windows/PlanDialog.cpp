// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "windows/PlanDialog.h"

#include "core/SampleGenerator.h"

#include <QDialogButtonBox>
#include <array>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace {

QSpinBox* NumberBox(int least, int most, int value, const QString& name, const QString& tip)
{
    auto* box = new QSpinBox;
    box->setRange(least, most);
    box->setValue(value);
    box->setAccessibleName(name);
    box->setToolTip(tip);
    return box;
}

// A number box with its label before it, on one line of the grid under its design.
void AddNumberRow(QGridLayout* grid, int row, const QString& label, QSpinBox* box)
{
    auto* caption = new QLabel(label);
    caption->setBuddy(box);
    grid->addWidget(caption, row, 1);
    grid->addWidget(box, row, 2);
}

}  // namespace

TPlanDialog::TPlanDialog(const SampleDesign& design, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Plan d'échantillonnage"));
    RadioAleatoire = new QRadioButton(QStringLiteral("&Aléatoire simple"));
    RadioAleatoire->setToolTip(QStringLiteral("N points tirés au hasard : chaque pixel a la même chance"));
    RadioSystematique = new QRadioButton(QStringLiteral("&Systématique"));
    RadioSystematique->setToolTip(QStringLiteral("Une grille carrée d'environ N points, à partir d'un coin tiré au hasard"));
    RadioStrates = new QRadioButton(QStringLiteral("S&tratifié par blocs"));
    RadioStrates->setToolTip(QStringLiteral("La carte coupée en blocs d'aires presque égales, N partagé entre eux "
                                            "selon leur aire, tiré au hasard dans chacun"));
    SpinBlocs = NumberBox(2, MaxSampleSize / 2, design.Blocks, QStringLiteral("Nombre de blocs"),
                          QStringLiteral("Le nombre de blocs ; il faut au moins 2 points par bloc"));
    RadioGrappes = new QRadioButton(QStringLiteral("En &grappes"));
    RadioGrappes->setToolTip(QStringLiteral("Des grappes de points en carré, placées au hasard ; "
                                            "la taille de l'échantillon vient des grappes"));
    SpinGrappes = NumberBox(1, MaxSampleSize, design.Clusters, QStringLiteral("Nombre de grappes"),
                            QStringLiteral("Le nombre de grappes tirées ; il en faut 2 au moins pour un intervalle"));
    SpinCote = NumberBox(1, 100, design.ClusterSide, QStringLiteral("Points par côté d'une grappe"),
                         QStringLiteral("Une grappe est un carré de ce nombre de points de côté"));
    SpinEspacement = NumberBox(1, 700, design.ClusterSpacing, QStringLiteral("Espacement des points d'une grappe"),
                               QStringLiteral("L'écart, en pixels de la carte, entre deux points voisins d'une grappe"));
    LabelExplication = new QLabel;
    LabelExplication->setWordWrap(true);
    LabelExplication->setMinimumWidth(320);
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    Buttons->button(QDialogButtonBox::Ok)->setToolTip(QStringLiteral("Garder ce plan pour le prochain « Go »"));
    Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuler"));
    Buttons->button(QDialogButtonBox::Cancel)->setToolTip(QStringLiteral("Garder le plan d'avant"));

    auto* grid = new QGridLayout(this);
    grid->setColumnMinimumWidth(0, 16);
    grid->addWidget(RadioAleatoire, 0, 0, 1, 3);
    grid->addWidget(RadioSystematique, 1, 0, 1, 3);
    grid->addWidget(RadioStrates, 2, 0, 1, 3);
    AddNumberRow(grid, 3, QStringLiteral("&Blocs :"), SpinBlocs);
    grid->addWidget(RadioGrappes, 4, 0, 1, 3);
    AddNumberRow(grid, 5, QStringLiteral("G&rappes :"), SpinGrappes);
    AddNumberRow(grid, 6, QStringLiteral("&Points par côté :"), SpinCote);
    AddNumberRow(grid, 7, QStringLiteral("&Espacement (pixels) :"), SpinEspacement);
    grid->addWidget(LabelExplication, 8, 0, 1, 3);
    grid->addWidget(Buttons, 9, 0, 1, 3);

    const std::array radios{RadioAleatoire, RadioSystematique, RadioStrates, RadioGrappes};
    radios[size_t(design.Kind)]->setChecked(true);
    for (QRadioButton* radio : radios)
        connect(radio, &QRadioButton::toggled, this, &TPlanDialog::ChoiceChanged);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ChoiceChanged();
}

SampleDesign TPlanDialog::Design() const
{
    SampleDesign design;
    design.Kind = RadioSystematique->isChecked() ? DesignKind::Systematic
                  : RadioStrates->isChecked()    ? DesignKind::Stratified
                  : RadioGrappes->isChecked()    ? DesignKind::Clustered
                                                 : DesignKind::SimpleRandom;
    design.Blocks = SpinBlocs->value();
    design.Clusters = SpinGrappes->value();
    design.ClusterSide = SpinCote->value();
    design.ClusterSpacing = SpinEspacement->value();
    return design;
}

void TPlanDialog::ChoiceChanged()
{
    const DesignKind kind = Design().Kind;
    SpinBlocs->setEnabled(kind == DesignKind::Stratified);
    for (QSpinBox* box : {SpinGrappes, SpinCote, SpinEspacement})
        box->setEnabled(kind == DesignKind::Clustered);
    switch (kind) {
    case DesignKind::SimpleRandom:
        LabelExplication->setText(QStringLiteral("Les N points sont tirés au hasard, indépendamment : la fréquence "
                                                 "et son intervalle exact sont ceux du cours."));
        break;
    case DesignKind::Systematic:
        LabelExplication->setText(QStringLiteral("Les points forment une grille carrée dont le coin est tiré au "
                                                 "hasard : leur nombre est proche de N. L'intervalle donné est celui "
                                                 "d'un échantillon aléatoire simple, en général prudent."));
        break;
    case DesignKind::Stratified:
        LabelExplication->setText(QStringLiteral("Chaque bloc reçoit sa part de N selon son aire ; l'estimation "
                                                 "pondère chaque bloc par son aire, et son intervalle en tient compte."));
        break;
    case DesignKind::Clustered:
        LabelExplication->setText(QStringLiteral("Chaque grappe est placée au hasard, ses points hors de la carte "
                                                 "retirés : la taille de l'échantillon vient des grappes, pas de N. "
                                                 "Des points voisins se ressemblent : l'intervalle est plus large."));
        break;
    }
}
