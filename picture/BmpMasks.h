#pragma once
// Colour masks of 16- and 32-bit pixels: any contiguous run of bits per channel, scaled so that
// a channel at full scale gives 255.

#include <QtGlobal>
#include <QRgb>

class ChannelMask {
public:
    ChannelMask() = default;
    explicit ChannelMask(quint32 mask);
    bool Contiguous() const { return contiguous; }
    uchar Level(quint32 pixel) const
    {
        if (maximum == 0)
            return 0;
        const quint32 value = (pixel >> shift) & maximum;
        return uchar((quint64(value) * 255 + maximum / 2) / maximum);
    }

private:
    int shift = 0;
    quint32 maximum = 0;
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
