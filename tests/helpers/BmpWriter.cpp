// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "helpers/BmpWriter.h"

#include <QFile>
#include <QtEndian>

#include <bit>
#include <stdexcept>

namespace {

void Put16(QByteArray& out, quint32 value)
{
    out.append(char(value & 0xFF)).append(char(value >> 8 & 0xFF));
}

void Put32(QByteArray& out, quint32 value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

QByteArray InfoHeader(const BmpLayout& layout)
{
    QByteArray header;
    Put32(header, layout.headerSize);
    if (layout.headerSize == 12) {
        Put16(header, quint32(layout.width));
        Put16(header, quint32(layout.height));
        Put16(header, layout.planes);
        Put16(header, quint32(layout.bitsPerPixel));
        return header;
    }
    Put32(header, quint32(layout.width));
    Put32(header, quint32(layout.height));
    Put16(header, layout.planes);
    Put16(header, quint32(layout.bitsPerPixel));
    Put32(header, layout.compression);
    Put32(header, layout.imageSize);
    Put32(header, quint32(layout.xPixelsPerMetre));
    Put32(header, quint32(layout.yPixelsPerMetre));
    Put32(header, layout.coloursUsed);
    Put32(header, 0);  // colours important
    if (layout.headerSize > 40)
        for (quint32 mask : layout.masks)
            Put32(header, mask);
    if (header.size() < qsizetype(layout.headerSize))
        header.append(QByteArray(layout.headerSize - header.size(), '\0'));
    return header.left(std::max<qsizetype>(4, layout.headerSize));
}

quint32 Pack(QRgb colour, const QList<quint32>& masks)
{
    quint32 word = 0;
    const int levels[3] = {qRed(colour), qGreen(colour), qBlue(colour)};
    for (int i = 0; i < 3; ++i) {
        const quint32 mask = masks[i];
        if (mask == 0)
            continue;
        const int shift = std::countr_zero(mask);
        const quint32 maximum = mask >> shift;
        word |= quint32((quint64(levels[i]) * maximum + 127) / 255) << shift;
    }
    return word;
}

}  // namespace

QByteArray WriteBmp(const BmpLayout& layout)
{
    QByteArray body = InfoHeader(layout);
    if (layout.headerSize == 40)
        for (quint32 mask : layout.masks)
            Put32(body, mask);
    for (QRgb colour : layout.colourTable) {
        body.append(char(qBlue(colour))).append(char(qGreen(colour))).append(char(qRed(colour)));
        if (layout.headerSize != 12)
            body.append('\0');
    }
    QByteArray file("BM");
    Put32(file, quint32(14 + body.size() + layout.pixels.size()));
    Put32(file, 0);
    Put32(file, quint32(layout.pixelOffset >= 0 ? layout.pixelOffset : 14 + body.size()));
    return file + body + layout.pixels;
}

void WriteBmpFile(const QString& path, const BmpLayout& layout)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(WriteBmp(layout)) < 0)
        throw std::runtime_error("cannot write " + path.toStdString());
}

void WriteBmpFile(const QString& path, const QImage& image)
{
    WriteBmpFile(path, LayoutFor(image, 24));
}

QByteArray StoredRows(const QImage& image, int bitsPerPixel, bool topDown, const QList<quint32>& masks)
{
    const bool indexed = bitsPerPixel <= 8;
    const QImage source = image.convertToFormat(indexed ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    const QList<quint32> channelMasks =
        !masks.isEmpty() ? masks
        : bitsPerPixel == 16 ? QList<quint32>{0x7C00, 0x03E0, 0x001F}
                             : QList<quint32>{0xFF0000, 0x00FF00, 0x0000FF};
    const qsizetype rowBytes = (qsizetype(source.width()) * bitsPerPixel + 31) / 32 * 4;
    QByteArray out;
    out.reserve(rowBytes * source.height());
    for (int i = 0; i < source.height(); ++i) {
        const int y = topDown ? i : source.height() - 1 - i;
        QByteArray row(rowBytes, '\0');
        auto* bytes = reinterpret_cast<uchar*>(row.data());
        const uchar* indices = source.constScanLine(y);
        const auto* colours = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            switch (bitsPerPixel) {
            case 1: bytes[x / 8] |= uchar((indices[x] & 1) << (7 - x % 8)); break;
            case 4: bytes[x / 2] |= uchar((indices[x] & 15) << (x % 2 ? 0 : 4)); break;
            case 8: bytes[x] = indices[x]; break;
            case 16: qToLittleEndian(quint16(Pack(colours[x], channelMasks)), bytes + 2 * x); break;
            case 24:
                bytes[3 * x] = uchar(qBlue(colours[x]));
                bytes[3 * x + 1] = uchar(qGreen(colours[x]));
                bytes[3 * x + 2] = uchar(qRed(colours[x]));
                break;
            case 32: qToLittleEndian(Pack(colours[x], channelMasks), bytes + 4 * x); break;
            default: throw std::invalid_argument("no stored rows for this depth");
            }
        }
        out += row;
    }
    return out;
}

namespace {

// One row's runs: repeats of three or more (or any repeat too short to start an absolute run)
// become encoded runs, other stretches absolute runs.
void EncodeRow(QByteArray& out, const uchar* p, int width, int bitsPerPixel)
{
    int x = 0;
    while (x < width) {
        int run = 1;
        while (x + run < width && run < 255 && p[x + run] == p[x])
            ++run;
        if (run >= 3 || width - x < 3) {
            out.append(char(run)).append(char(bitsPerPixel == 8 ? p[x] : p[x] << 4 | p[x]));
            x += run;
            continue;
        }
        // Gather pixels until a repeat of three begins.
        int literal = 0;
        while (x + literal < width && literal < 255 &&
               !(x + literal + 2 < width && p[x + literal] == p[x + literal + 1] &&
                 p[x + literal] == p[x + literal + 2]))
            ++literal;
        if (literal < 3) {
            out.append(char(1)).append(char(bitsPerPixel == 8 ? p[x] : p[x] << 4 | p[x]));
            ++x;
            continue;
        }
        out.append('\0').append(char(literal));
        QByteArray stored;
        if (bitsPerPixel == 8) {
            stored = QByteArray(reinterpret_cast<const char*>(p + x), literal);
        } else {
            stored = QByteArray((literal + 1) / 2, '\0');
            for (int i = 0; i < literal; ++i)
                stored[i / 2] = char(stored[i / 2] | (p[x + i] & 15) << (i % 2 ? 0 : 4));
        }
        if (stored.size() % 2)
            stored.append('\0');
        out += stored;
        x += literal;
    }
}

}  // namespace

QByteArray EncodeRle(const QImage& indexed, int bitsPerPixel)
{
    const QImage source = indexed.convertToFormat(QImage::Format_Indexed8);
    QByteArray out;
    for (int y = source.height() - 1; y >= 0; --y) {
        EncodeRow(out, source.constScanLine(y), source.width(), bitsPerPixel);
        out.append('\0').append(y > 0 ? '\0' : '\1');
    }
    return out;
}

BmpLayout LayoutFor(const QImage& image, int bitsPerPixel, bool topDown)
{
    BmpLayout layout;
    layout.width = image.width();
    layout.height = topDown ? -image.height() : image.height();
    layout.bitsPerPixel = bitsPerPixel;
    if (bitsPerPixel <= 8) {
        layout.colourTable = image.convertToFormat(QImage::Format_Indexed8).colorTable();
        if (layout.colourTable.size() != 1 << bitsPerPixel)
            layout.coloursUsed = quint32(layout.colourTable.size());
    }
    layout.pixels = StoredRows(image, bitsPerPixel, topDown);
    return layout;
}

QImage MapOfColours(int colours)
{
    QImage map(colours, 1, QImage::Format_RGB32);
    for (int x = 0; x < colours; ++x)
        map.setPixel(x, 0, qRgb(x, 2 * x, 3 * x));
    return map;
}
