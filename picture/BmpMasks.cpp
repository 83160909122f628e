// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/BmpMasks.h"

#include <bit>

ChannelMask::ChannelMask(quint32 mask)
{
    if (mask == 0)
        return;
    shift = std::countr_zero(mask);
    maximum = mask >> shift;
    contiguous = (maximum & (maximum + 1)) == 0;
    const int bits = std::bit_width(maximum);
    if (bits > 8) {
        using Wide = unsigned __int128;
        reciprocal = (Wide(1) << 96) / (2 * quint64(maximum)) + 1;
        return;
    }
    const int copies = (8 + bits - 1) / bits;
    for (int copy = 0; copy < copies; ++copy)
        repeat |= 1u << (copy * bits);
    drop = copies * bits - 8;
}

MaskConverter::MaskConverter(const ColourMasks& masks)
    : red(masks.red), green(masks.green), blue(masks.blue)
{
}

bool MaskConverter::Valid() const
{
    return red.Contiguous() && green.Contiguous() && blue.Contiguous();
}
