// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A map's picture as the plain 32-bit RGB pixels that the colour census and the simulation read
// (core knows no image): whatever format the file gave, converted once.

#include "core/MapColours.h"
#include "picture/TBitmap.h"

#include <QImage>

// The names that the legend beside `mapFile` gives its colours (core/MapColours: LegendFileFor),
// none when it has no legend. Throws, with the French message, for a legend that cannot be read
// or is not one.
ColourNames ReadLegendBeside(const QString& mapFile);
// The legend written beside `mapFile`, as a spreadsheet opens it, whole or not at all
// (SaveWholeFile): EFCreateError with the reason otherwise.
void SaveLegendBeside(const QString& mapFile, const ColourNames& legend);

class MapPixels {
public:
    explicit MapPixels(const TBitmap& map);
    // The map as the map window draws it at `drawnAt` (whole rows and columns dropped or
    // repeated): the pixels under a survey's points, which lie in the map as drawn.
    MapPixels(const TBitmap& map, QSize drawnAt);
    // Valid while this object lives.
    PixelView View() const;

private:
    QImage rgb;
};
