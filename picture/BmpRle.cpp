// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/BmpRle.h"

#include <algorithm>
#include <cstring>

namespace {

// Escapes that follow a zero count.
enum : uchar { EndOfLine = 0, EndOfBitmap = 1, Delta = 2 };

// The value of pixel i of a run: 8-bit runs repeat one index; 4-bit runs alternate the two
// indices of the byte, high nibble first.
inline uchar Nibble(uchar pair, qint64 i)
{
    return (i & 1) ? (pair & 0x0F) : (pair >> 4);
}

// Runs of 8-bit pixels in speckled pictures are a few pixels long, and branching on each run's
// length costs more than the copy. Such a run is written as 16 bytes whatever its length, when
// the row has room: the bytes written ahead are overwritten by the next run, or cleared before
// any other step, so that they never outlive the run.
constexpr qint64 WrittenAhead = 16;

template <int BitsPerPixel>
void Decode(const uchar* data, qint64 size, uchar* pixels, qint64 bytesPerLine, int width, int height)
{
    const uchar* p = data;
    const uchar* const end = data + size;
    // x and y only grow; 64 bits keep them exact however long the data.
    qint64 x = 0;
    qint64 y = 0;  // from the bottom row
    uchar* row = pixels + (height - 1) * bytesPerLine;
    qint64 aheadEnd = 0;  // row bytes from x up to here were written ahead of the runs
    auto clearAhead = [&] {
        if (aheadEnd > x)
            std::memset(row + x, 0, size_t(aheadEnd - x));
        aheadEnd = 0;
    };
    auto moveTo = [&](qint64 newX, qint64 newY) {
        clearAhead();
        x = newX;
        if (newY != y && newY < height)
            row = pixels + (height - 1 - newY) * bytesPerLine;
        y = newY;
    };
    while (end - p >= 2 && y < height) {
        const uchar count = p[0];
        const uchar value = p[1];
        p += 2;
        const bool roomAhead = x + WrittenAhead <= bytesPerLine;
        if (count > 0) {
            if (BitsPerPixel == 8 && roomAhead && count <= WrittenAhead && x + count <= width) {
                const quint64 word = 0x0101010101010101ull * value;
                std::memcpy(row + x, &word, 8);
                std::memcpy(row + x + 8, &word, 8);
                aheadEnd = std::max(aheadEnd, x + WrittenAhead);
                x += count;
                continue;
            }
            clearAhead();
            const qint64 n = std::clamp<qint64>(width - x, 0, count);
            for (qint64 i = 0; i < n; ++i)
                row[x + i] = BitsPerPixel == 8 ? value : Nibble(value, i);
            x += count;
            continue;
        }
        if (value == EndOfLine) {
            moveTo(0, y + 1);
        } else if (value == EndOfBitmap) {
            break;
        } else if (value == Delta) {
            if (end - p < 2)
                break;
            moveTo(x + p[0], y + p[1]);
            p += 2;
        } else {
            // Absolute run of `value` pixels, its bytes padded to a 16-bit boundary.
            const qint64 stored = BitsPerPixel == 8 ? value : (value + 1) / 2;
            const qint64 padded = stored + (stored & 1);
            if (BitsPerPixel == 8 && roomAhead && value <= WrittenAhead && x + value <= width &&
                end - p >= WrittenAhead) {
                std::memcpy(row + x, p, WrittenAhead);
                aheadEnd = std::max(aheadEnd, x + WrittenAhead);
                x += value;
                p += padded;
                continue;
            }
            clearAhead();
            const qint64 present = std::min<qint64>(stored, end - p);
            const qint64 pixelsPresent = BitsPerPixel == 8 ? present : std::min<qint64>(value, present * 2);
            const qint64 n = std::clamp<qint64>(width - x, 0, pixelsPresent);
            if (BitsPerPixel == 8 && n > 0)
                std::memcpy(row + x, p, size_t(n));
            for (qint64 i = 0; BitsPerPixel == 4 && i < n; ++i)
                row[x + i] = Nibble(p[i / 2], i);
            x += value;
            p += std::min<qint64>(padded, end - p);
        }
    }
    if (y < height)
        clearAhead();
}

}  // namespace

void DecodeRle(const uchar* data, qint64 size, int bitsPerPixel, uchar* pixels, qint64 bytesPerLine,
               int width, int height)
{
    if (bitsPerPixel == 8)
        Decode<8>(data, size, pixels, bytesPerLine, width, height);
    else
        Decode<4>(data, size, pixels, bytesPerLine, width, height);
}
