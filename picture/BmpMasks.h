// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Colour masks of 16- and 32-bit pixels: any contiguous run of bits per channel, widened to
// 8 bits by one rule for every layout.

#include <QtGlobal>
#include <QRgb>

// A channel of n bits up to 8 becomes the first 8 bits of its own bits repeated: 5 bits abcde
// give abcdeabc, 6 bits abcdef give abcdefab, 8 bits stay as they are. This is the rule by which
// Qt widens the standard 5-5-5 and 5-6-5 pixels, which are read straight into images of those
// formats; every other layout follows it, so that a channel value gives the same level wherever
// its mask sits. A wider channel (10 or 11 bits, up to 32) gives the nearest level,
// round(v × 255 / max), which its top 8 bits would miss by up to one. Zero stays 0 and full
// scale gives 255.
class ChannelMask {
public:
    ChannelMask() = default;
    explicit ChannelMask(quint32 mask);
    bool Contiguous() const { return contiguous; }
    uchar Level(quint32 pixel) const
    {
        const quint32 value = (pixel >> shift) & maximum;
        if (reciprocal == 0)
            return uchar(value * repeat >> drop);
        // floor((510 v + max) / (2 max)), the division done as a product by the reciprocal of
        // 2 max scaled by 2^96: exact for every numerator below 2^96 / (2 max), and these are
        // below 2^42.
        const quint64 numerator = 510 * quint64(value) + maximum;
        return uchar((numerator * reciprocal) >> 96);
    }

private:
    int shift = 0;
    quint32 maximum = 0;
    quint32 repeat = 0;  // one 1 bit per copy of the channel: the product lays the copies side by side
    int drop = 0;        // bits of the copies past the first 8
    unsigned __int128 reciprocal = 0;  // channels wider than 8 bits: 2^96 / (2 max), rounded up
    bool contiguous = true;
};

struct ColourMasks {
    quint32 red = 0, green = 0, blue = 0;
    bool operator==(const ColourMasks&) const = default;
};

class MaskConverter {
public:
    explicit MaskConverter(const ColourMasks& masks);
    bool Valid() const;
    QRgb Colour(quint32 pixel) const { return qRgb(red.Level(pixel), green.Level(pixel), blue.Level(pixel)); }

private:
    ChannelMask red, green, blue;
};
