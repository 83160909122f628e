// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The one BMP writer of the tests: any header form, depth, compression, masks and colour
// table, with the pixel bytes given as stored or made from a QImage. Also the files that other
// tests need as maps and charts.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

struct BmpLayout {
    int width = 1;
    int height = 1;         // negative: rows stored top-down
    int bitsPerPixel = 24;
    quint32 headerSize = 40;  // 12 (core form), 40, 52, 56, 108, 124, or anything else, written as is
    quint16 planes = 1;
    quint32 compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 masks
    quint32 imageSize = 0;
    quint32 coloursUsed = 0;
    qint32 xPixelsPerMetre = 2835;
    qint32 yPixelsPerMetre = 2835;
    QList<QRgb> colourTable;  // written as given: 3 bytes an entry after a core header, else 4
    // Red, green, blue (and alpha): written after a 40-byte header, or into a larger one.
    QList<quint32> masks;
    QByteArray pixels;        // the pixel data exactly as stored in the file
    qint64 pixelOffset = -1;  // the file header's offset field; -1: where the pixels really start
};

QByteArray WriteBmp(const BmpLayout& layout);
void WriteBmpFile(const QString& path, const BmpLayout& layout);
// A 24-bit file with a 40-byte header, rows bottom-up.
void WriteBmpFile(const QString& path, const QImage& image);

// An image's rows as a file stores them, each padded to 4 bytes, bottom-up unless topDown.
// 1, 4 and 8 bits take the pixel indices of an Indexed8 image; 16 and 32 bits pack the colours
// through the masks (red, green, blue; default 5-5-5 and 8-8-8); 24 bits store blue, green, red.
QByteArray StoredRows(const QImage& image, int bitsPerPixel, bool topDown = false,
                      const QList<quint32>& masks = {});

// Run-length encoding of an Indexed8 image's pixel indices (8 or 4 bits), with encoded runs,
// absolute runs, an end of line after each row and the end of bitmap.
QByteArray EncodeRle(const QImage& indexed, int bitsPerPixel);

// A BmpLayout for the image at the given depth: its colour table (Indexed8), masks (16 and 32 bits
// with compression 3) and stored rows.
BmpLayout LayoutFor(const QImage& image, int bitsPerPixel, bool topDown = false);

// A map of `colours` distinct colours, one a pixel along its single row.
QImage MapOfColours(int colours);
