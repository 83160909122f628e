// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Decoding of run-length-encoded pixel data (8 or 4 bits a pixel) into an 8-bit indexed image.

#include <QtGlobal>

// `pixels` is the image's memory, already at pixel value 0; rows are written bottom-up as the
// encoding stores them. Runs that would reach outside the image are cut at its edge, and the
// decoding stops at the end of the bitmap, at the top row or at the end of the data.
void DecodeRle(const uchar* data, qint64 size, int bitsPerPixel, uchar* pixels, qint64 bytesPerLine,
               int width, int height);
