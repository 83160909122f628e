// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A large photo's map at an eighth of its size, fast. At that scale each pixel is an 8 × 8
// block's mean, which its first (DC) coefficient gives alone: the rest of a block's compressed
// coefficients is only stepped over, several codes at a time, and the compressed data is shared
// between the processor's cores. A core that begins in the middle of the data does not know
// where the blocks begin there, but Huffman codes find their footing again within a few blocks:
// once the core before it reaches a block where it began one too, their readings agree from
// there on, and the two halves join. A core that never agrees with the next one decodes on
// alone, so the picture is always the one a reading from the start gives.

#include <QByteArray>
#include <QImage>

#include <optional>

// The picture in the whole JPEG file `file`, as stored (not turned by its orientation tag),
// (width + 7) / 8 × (height + 7) / 8, each pixel its block's mean as libjpeg gives it at that
// scale, the colours of chroma shared between blocks taken as they are (not smoothed). Nothing
// for a JPEG it does not take (progressive, arithmetic coded, 12-bit, CMYK or RGB, several scans)
// or any fault in the data, for Qt's reader to decode and judge. `parts`: how many stretches of
// the data are decoded side by side (0: one for each core, for data large enough to gain);
// `joined`, when given, tells how many of them the picture was joined from.
std::optional<QImage> DecodeJpegEighth(const QByteArray& file, int parts = 0, int* joined = nullptr);
