// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Photos.h"

#include "Files.h"

#include <QBuffer>
#include <QImageWriter>

QByteArray Encoded(const QImage& image, const QByteArray& format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(100);
    if (!writer.write(image))
        qFatal("cannot write %s: %s", format.constData(), qPrintable(writer.errorString()));
    return bytes;
}

QByteArray WithOrientation(const QByteArray& jpeg, quint16 orientation)
{
    QByteArray exif("Exif\0\0MM\0\x2a\0\0\0\x08", 14);
    exif += QByteArray::fromHex("0001" "0112" "0003" "00000001");
    exif += char(orientation >> 8);
    exif += char(orientation & 0xFF);
    exif += QByteArray::fromHex("0000" "00000000");
    QByteArray segment = QByteArray::fromHex("ffe1");
    segment += char((exif.size() + 2) >> 8);
    segment += char((exif.size() + 2) & 0xFF);
    return jpeg.left(2) + segment + exif + jpeg.mid(2);
}

QString WritePhoto(const QString& path, QSize size, const QColor& colour, quint16 orientation)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QByteArray jpeg = Encoded(image, "jpeg");
    WriteFile(path, orientation == 1 ? jpeg : WithOrientation(jpeg, orientation));
    return path;
}
