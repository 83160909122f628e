#pragma once
// The colours of a map whose land uses are flat colours, and the true share of each: what a
// perfect survey of every pixel would find, against which the simulation sets its estimates.

#include <QString>
#include <cstdint>
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

// More than this many colours is a photo or a scan, not a map of flat colours.
constexpr int MaxMapColours = 64;

// The map's distinct colours, largest first (ties by colour value), each with its pixel count
// and its true share. Throws EInvalidGraphic for more than MaxMapColours colours, and for a map
// without pixels.
std::vector<MapColour> ColourCensus(const PixelView& map);

// "808080": the colour as the command line and the lists write it, six upper-case hex digits.
QString ColourText(uint32_t rgb);
// "808080", "#808080" or "80a0ff" to 0xRRGGBB; EConvertError for anything else.
uint32_t ParseColour(const QString& text);
