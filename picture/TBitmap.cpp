// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/TBitmap.h"

#include "picture/OtherFormats.h"
#include "picture/PictureFile.h"

#include <QtEndian>
#include <cstdlib>
#include <limits>

TBitmap::TBitmap() = default;

int TBitmap::Width() const
{
    return picture.image.width();
}

int TBitmap::Height() const
{
    return picture.image.height();
}

bool TBitmap::Empty() const
{
    return picture.image.isNull();
}

const QImage& TBitmap::Image() const
{
    return picture.image;
}

const BmpInfoHeader& TBitmap::Header() const
{
    return picture.header;
}

QSize PictureFileSize(const QString& fileName)
{
    PictureFile file(fileName);
    return PictureStreamSize(file.Stream());
}

QSize PictureStreamSize(QIODevice& stream)
{
    if (!stream.peek(2).startsWith("BM"))
        return OtherFormatSize(stream);
    // The file header (14 bytes), then the bitmap header: its size, then the width and the
    // height, 16 bits each in the core form, 32 in the others (a negative height: top-down).
    const QByteArray head = stream.peek(26);
    if (head.size() < 22)
        return {};
    const auto* at = reinterpret_cast<const uchar*>(head.constData());
    if (qFromLittleEndian<quint32>(at + 14) == 12)
        return QSize(qFromLittleEndian<quint16>(at + 18), qFromLittleEndian<quint16>(at + 20));
    if (head.size() < 26)
        return {};
    const qint32 width = qFromLittleEndian<qint32>(at + 18);
    const qint32 height = qFromLittleEndian<qint32>(at + 22);
    if (width <= 0 || height == 0 || height == std::numeric_limits<qint32>::min())
        return {};
    return QSize(width, std::abs(height));
}

void TBitmap::LoadPictureFile(const QString& fileName)
{
    PictureFile file(fileName);
    ReadPictureStream(file.Stream(), file.FullName());
}

void TBitmap::ReadPictureStream(QIODevice& stream, const QString& shownName, QSize leastSize)
{
    // "BM" opens every BMP file. A stream too short to hold those two bytes goes to our reader
    // too, which gives an empty picture for nothing at all and its read error for a lone "B".
    if (QByteArrayLiteral("BM").startsWith(stream.peek(2))) {
        picture = ReadBmp(stream);
        return;
    }
    OtherFormatPicture other = ReadOtherFormat(stream, shownName, leastSize);
    BmpPicture read;
    read.image = std::move(other.Image);
    read.header.width = other.Size.width();
    read.header.height = other.Size.height();
    read.header.planes = 1;
    read.header.bitsPerPixel = quint16(read.image.depth());
    picture = std::move(read);
}
