// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/MapPixels.h"

#include "core/ClassCsv.h"
#include "core/ResultsCsv.h"
#include "picture/SavedFile.h"

#include <QFileInfo>

ColourNames ReadLegendBeside(const QString& mapFile)
{
    const QString legend = LegendFileFor(mapFile);
    if (!QFileInfo::exists(legend))
        return {};
    return ParseLegend(ReadSmallFile(legend, MaxLegendBytes), legend);
}

void SaveLegendBeside(const QString& mapFile, const ColourNames& legend)
{
    SaveWholeFile(LegendFileFor(mapFile), SpreadsheetBytes(LegendCsv(legend)));
}

// A picture already in RGB32 is shared, not copied; any other (indexed, 16 or 24 bits, one bit)
// becomes RGB32, its colours unchanged. The reader has already laid transparency on white.
MapPixels::MapPixels(const TBitmap& map) : rgb(map.Image().convertToFormat(QImage::Format_RGB32)) {}

MapPixels::MapPixels(const TBitmap& map, QSize drawnAt)
    : rgb(map.Image().scaled(drawnAt, Qt::IgnoreAspectRatio, Qt::FastTransformation).convertToFormat(QImage::Format_RGB32))
{
}

PixelView MapPixels::View() const
{
    if (rgb.isNull())
        return {};
    return {reinterpret_cast<const uint32_t*>(rgb.constBits()), rgb.width(), rgb.height(),
            rgb.bytesPerLine() / 4};
}
