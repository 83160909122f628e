#pragma once
// A map's picture as the plain 32-bit RGB pixels that the colour census and the simulation read
// (core knows no image): whatever format the file gave, converted once.

#include "core/MapColours.h"
#include "picture/TBitmap.h"

#include <QImage>

class MapPixels {
public:
    explicit MapPixels(const TBitmap& map);
    // Valid while this object lives.
    PixelView View() const;

private:
    QImage rgb;
};
