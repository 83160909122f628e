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

// Runs in speckled pictures are a few pixels long: whole words, the last one overlapping the
// one before, cost far less than a byte loop or a general copy for each.
inline void FillShort(uchar* to, uchar value, qint64 n)
{
    if (n >= 8) {
        const quint64 word = 0x0101010101010101ull * value;
        for (qint64 i = 0; i + 8 < n; i += 8)
            std::memcpy(to + i, &word, 8);
        std::memcpy(to + n - 8, &word, 8);
    } else if (n >= 4) {
        const quint32 word = 0x01010101u * value;
        std::memcpy(to, &word, 4);
        std::memcpy(to + n - 4, &word, 4);
    } else {
        for (qint64 i = 0; i < n; ++i)
            to[i] = value;
    }
}

inline void CopyShort(uchar* to, const uchar* from, qint64 n)
{
    quint64 word;
    if (n >= 8) {
        for (qint64 i = 0; i + 8 < n; i += 8) {
            std::memcpy(&word, from + i, 8);
            std::memcpy(to + i, &word, 8);
        }
        std::memcpy(&word, from + n - 8, 8);
        std::memcpy(to + n - 8, &word, 8);
    } else if (n >= 4) {
        quint32 head, tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + n - 4, 4);
        std::memcpy(to, &head, 4);
        std::memcpy(to + n - 4, &tail, 4);
    } else {
        for (qint64 i = 0; i < n; ++i)
            to[i] = from[i];
    }
}

}  // namespace

void DecodeRle(const uchar* data, qint64 size, int bitsPerPixel, uchar* pixels, qint64 bytesPerLine,
               int width, int height)
{
    const uchar* p = data;
    const uchar* const end = data + size;
    // x and y only grow; 64 bits keep them exact however long the data.
    qint64 x = 0;
    qint64 y = 0;  // from the bottom row
    const bool eightBits = bitsPerPixel == 8;
    while (end - p >= 2 && y < height) {
        const uchar count = p[0];
        const uchar value = p[1];
        p += 2;
        uchar* row = pixels + (height - 1 - y) * bytesPerLine;
        if (count > 0) {
            const qint64 n = std::clamp<qint64>(width - x, 0, count);
            if (eightBits && n > 0)
                FillShort(row + x, value, n);
            for (qint64 i = 0; !eightBits && i < n; ++i)
                row[x + i] = Nibble(value, i);
            x += count;
            continue;
        }
        if (value == EndOfLine) {
            x = 0;
            ++y;
        } else if (value == EndOfBitmap) {
            return;
        } else if (value == Delta) {
            if (end - p < 2)
                return;
            x += p[0];
            y += p[1];
            p += 2;
        } else {
            // Absolute run of `value` pixels, its bytes padded to a 16-bit boundary.
            const qint64 stored = eightBits ? value : (value + 1) / 2;
            const qint64 present = std::min<qint64>(stored, end - p);
            const qint64 pixelsPresent = eightBits ? present : std::min<qint64>(value, present * 2);
            const qint64 n = std::clamp<qint64>(width - x, 0, pixelsPresent);
            if (eightBits && n > 0)
                CopyShort(row + x, p, n);
            for (qint64 i = 0; !eightBits && i < n; ++i)
                row[x + i] = Nibble(p[i / 2], i);
            x += value;
            p += std::min<qint64>(stored + (stored & 1), end - p);
        }
    }
}
