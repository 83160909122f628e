// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Reading a BMP stream in one pass, front to back, into a QImage in the format nearest the
// file. The picture class wraps this; the fuzz target calls it with a smaller memory limit.

#include <QByteArray>
#include <QImage>
#include <QIODevice>

#include <limits>

// The bitmap header in its 40-byte form (a core header is widened to it), as the file gave it.
struct BmpInfoHeader {
    quint32 size = 0;  // as in the file: 12 for the core form
    qint32 width = 0;
    qint32 height = 0;  // negative: rows stored top-down
    quint16 planes = 0;
    quint16 bitsPerPixel = 0;
    quint32 compression = 0;
    quint32 imageSize = 0;
    qint32 xPixelsPerMetre = 0;
    qint32 yPixelsPerMetre = 0;
    quint32 coloursUsed = 0;
    quint32 coloursImportant = 0;
    QByteArray extraFields;  // what a 52-, 56-, 108- or 124-byte header carries after byte 40
};

struct BmpPicture {
    QImage image;  // null for an empty stream
    BmpInfoHeader header;
    // Run-length-encoded files only: file header, bitmap header, colour table and the encoded
    // pixel bytes, as read.
    QByteArray sourceBytes;
};

// Beyond this the pixel memory would overflow a signed 32-bit byte count.
inline constexpr qint64 MaxPictureBytes = std::numeric_limits<qint32>::max();

// Reads from the stream's current position to its end. Throws EReadError, EInvalidGraphic or
// EOutOfMemory (when the image would need more than memoryLimit bytes or cannot be reserved).
BmpPicture ReadBmp(QIODevice& stream, qint64 memoryLimit = MaxPictureBytes);
