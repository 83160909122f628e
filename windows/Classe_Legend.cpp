// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The class window's legend: the teacher names the land use of each of the map's colours, whose
// true shares the pixels give exactly; the legend is written beside the map, where the map window
// finds it for the sessions it hands out, and becomes the class's reference.

#include "windows/Classe.h"

#include "core/SurveyTally.h"
#include "picture/MapPixels.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QTableWidget>

void TClasse::ShowLegend()
{
    const QSignalBlocker quiet(TableLegende);
    TableLegende->setRowCount(int(census.size()));
    int64_t whole = 0;
    for (const MapColour& colour : census)
        whole += colour.Pixels;
    for (std::size_t row = 0; row < census.size(); ++row) {
        const MapColour& colour = census[row];
        auto* swatch = new QTableWidgetItem(ColourText(colour.Rgb));
        swatch->setData(Qt::DecorationRole, QColor::fromRgb(colour.Rgb));
        auto* share = new QTableWidgetItem(PercentText(colour.Pixels, whole));
        share->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        for (QTableWidgetItem* shown : {swatch, share})
            shown->setFlags(shown->flags() & ~Qt::ItemIsEditable);
        const auto named = legend.find(colour.Rgb);
        TableLegende->setItem(int(row), 0, swatch);
        TableLegende->setItem(int(row), 1, share);
        TableLegende->setItem(int(row), 2, new QTableWidgetItem(named != legend.end() ? named->second : QString()));
    }
    LabelLegende->setText(
        !censusProblem.isEmpty() || !mapPicture
            ? censusProblem
            : QStringLiteral("Nommez l'usage du sol de chaque couleur : sa part vraie est alors exacte, et chaque point "
                             "classé se vérifie à la couleur de son pixel (référence « La légende de la carte »). La "
                             "légende est enregistrée à côté de la carte, dans « %1 » : la fenêtre de la carte la joint "
                             "aux séances que vous distribuez, pour que chaque élève vérifie ses points.")
                  .arg(QFileInfo(LegendFileFor(mapPicture->File())).fileName()));
}

void TClasse::TableLegendeChanged(int row, int column)
{
    if (column != 2 || row < 0 || row >= int(census.size()) || !mapPicture)
        return;
    // Kept as the students' land uses are, so that both compare alike.
    const QString use = KeptLandUseName(TableLegende->item(row, 2)->text().simplified()).trimmed();
    const uint32_t colour = census[std::size_t(row)].Rgb;
    if (use.isEmpty())
        legend.erase(colour);
    else
        legend[colour] = use;
    {
        // Only the name edited is put as kept: the other rows may hold edits still to come.
        const QSignalBlocker quiet(TableLegende);
        TableLegende->item(row, 2)->setText(use);
    }
    ShowReferences();
    // Shown first: a folder that refuses the file leaves the legend named for this window.
    SaveLegendBeside(mapPicture->File(), legend);
}
