// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// How large a map is on the ground: what one pixel of the map as drawn covers, from the map's
// georeferencing or from a length the user measured on it; the map's area, and a land use's area
// with its interval, the map's area times the share and its limits.

#include "core/Interval.h"

#include <QSize>
#include <QString>
#include <optional>

struct MapScale {
    enum class Source { Measured, Georeferenced };
    Source From = Source::Measured;
    // The ground one pixel of the map as drawn covers: its side across, in metres, and its area,
    // in square metres. A georeferenced picture's pixels may be oblong or turned: the area is then
    // the georeferencing's own, not the side squared. Worked out in extended precision, kept as
    // a session file keeps them.
    double PixelMetres = 0;
    double PixelArea = 0;

    bool operator==(const MapScale&) const = default;
};

// What a hand-made scale may be: from a millimetre to 100 km a pixel, beyond which the distance
// typed or the clicks are surely a slip.
inline constexpr long double SmallestPixelMetres = 0.001L;
inline constexpr long double LargestPixelMetres = 100000;

// Whether a scale is one a map can have: both figures finite and above 0, a pixel at most
// 10000 km across. What a session file or a journal holds is checked against it.
bool IsSoundScale(const MapScale& scale);

// "Échelle…": `pixels` of the map as drawn, between two clicks or across the whole map, are
// `metres` on the ground. EConvertError, in French, for a length or a distance not above 0 or not
// finite, and for a scale outside what a map can be.
MapScale MeasuredScale(long double pixels, long double metres);

// A picture whose pixels cover `pictureArea` square metres each, `pictureMetres` across, drawn at
// `drawn` from its `picture` size: each drawn pixel covers as many picture pixels as the sizes
// say.
MapScale GeoreferencedScale(long double pictureArea, long double pictureMetres, QSize picture, QSize drawn);

// The whole map's area, in square metres.
long double MapArea(const MapScale& scale, QSize drawn);

// "1 px = 2,5 m — carte : 3,00 km²": the side of a pixel of the map as drawn, and the map's area.
QString ScaleText(const MapScale& scale, QSize drawn);

// The unit a map's areas are written in: hectares, or square kilometres for a map of 10 km² and
// more, so that a table's areas share one unit; always with two decimals.
struct AreaUnit {
    long double SquareMetres;
    QString Symbol;
};
AreaUnit AreaUnitFor(long double mapArea);
// "12,35 ha": rounded to the nearest hundredth of the unit.
QString AreaText(long double squareMetres, const AreaUnit& unit);
// A land use's area from its share of a map of `mapArea` m², and its interval as the share's
// limits scaled: "12,34 ha à 45,68 ha", the lower limit rounded down and the upper one up, as the
// share's limits are; empty when the share has no interval.
QString AreaIntervalText(const std::optional<ShareLimits>& limits, long double mapArea, const AreaUnit& unit);
