// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The colours of a map whose land uses are flat colours, and the true share of each: what a
// perfect survey of every pixel would find, against which the simulation sets its estimates.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <map>
#include <vector>

// A map's pixels as 32-bit RGB values (0xAARRGGBB, the alpha byte ignored), row after row:
// `Stride` pixels from the start of one row to the start of the next. The picture layer gives
// them from its image; core only reads them.
struct PixelView {
    const uint32_t* Pixels = nullptr;
    int32_t Width = 0;
    int32_t Height = 0;
    int64_t Stride = 0;

    uint32_t Rgb(int32_t x, int32_t y) const { return Pixels[y * Stride + x] & 0xFFFFFFu; }
};

struct MapColour {
    uint32_t Rgb;    // 0xRRGGBB
    int64_t Pixels;  // how many of the map's pixels have it
    long double Share;  // Pixels over the map's pixels
};

// The true share of a land use: its pixels over the map's, a ratio of whole numbers.
struct PixelShare {
    int64_t Chosen;
    int64_t Total;  // at least 1, and at least Chosen

    long double Value() const { return (long double)Chosen / Total; }
};

// More than this many colours is a photo or a scan, not a map of flat colours.
constexpr int MaxMapColours = 64;

// The map's distinct colours, largest first (ties by colour value), each with its pixel count
// and its true share. Throws EInvalidGraphic for more than MaxMapColours colours, and for a map
// without pixels.
std::vector<MapColour> ColourCensus(const PixelView& map);

// The true share of the chosen colours (0xRRGGBB, a higher byte ignored; a colour given twice
// counts once, one the census lacks none): their pixels over all the census's, the map's. Summed
// in whole numbers, so that the share shown has all its digits, not a sum of rounded shares.
PixelShare ChosenShare(const std::vector<MapColour>& census, const std::vector<uint32_t>& chosen);

// Whether two views show the same picture, pixel for pixel (the alpha byte ignored).
bool SamePixels(const PixelView& one, const PixelView& other);

// "808080": the colour as the command line and the lists write it, six upper-case hex digits.
QString ColourText(uint32_t rgb);
// "808080", "#808080" or "80a0ff" to 0xRRGGBB, in ASCII digits only; EConvertError for anything
// else.
uint32_t ParseColour(const QString& text);

// "15,57 %": part over whole in percent, with the regional decimal separator, rounded to two
// decimals in whole numbers; within 0.01 % of 0 or of 100 with as many decimals as give two
// significant digits of the distance to that end, so that no colour of the map reads as 0 %.
QString PercentText(int64_t part, int64_t whole);

// The land-use names that a map's legend gives its colours (0xRRGGBB).
using ColourNames = std::map<uint32_t, QString>;

// A map's legend lies beside it, named after it: "plan-legende.csv" for "plan.png".
QString LegendFileFor(const QString& mapFile);
// A legend is a small CSV file, as a spreadsheet writes it: UTF-8 (a byte-order mark allowed),
// one colour a line, "RRGGBB;name" (fields may be quoted), an optional first line "Couleur;…",
// blank lines ignored. Throws EConvertError naming the file and the line for a line without a
// colour or a name, or a colour named twice; EReadError for a file larger than MaxLegendBytes.
constexpr qint64 MaxLegendBytes = 65536;
ColourNames ParseLegend(const QByteArray& bytes, const QString& legendFile);

// The land use the chosen colours make, as the legend names it: "bâti", or "trafic + eau" when
// they have several names, a colour without a name standing for itself ("trafic + 123456").
// Empty when the legend names none of them.
QString LandUseOf(const std::vector<uint32_t>& colours, const ColourNames& names);
// "bâti (BE6E50, 965546)", or only the colours when the legend names none of them.
QString ChosenColoursText(const std::vector<uint32_t>& colours, const ColourNames& names);
