// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Pictures in the formats other than BMP as the tests make them: encoded at their best quality,
// JPEG photos as a camera tags them, to be seen turned, and JPEGs laid out every way libjpeg
// can.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

// The picture in that format, quality 100 where the format has one.
QByteArray Encoded(const QImage& image, const QByteArray& format);

// Qt writes no orientation tag: an EXIF segment holding only the tag goes right after the
// start-of-image marker.
QByteArray WithOrientation(const QByteArray& jpeg, quint16 orientation);

// A JPEG of one colour written at `path`, `size` as stored in the file, tagged with
// `orientation` unless it is 1 (upright); returns the path.
QString WritePhoto(const QString& path, QSize size, const QColor& colour, quint16 orientation = 1);

// How libjpeg is to lay out a JPEG: luma's blocks across and down in an MCU (the chroma's one
// by one), grey (one component), a restart marker every so many MCUs, Huffman tables made for
// the picture, progressive, arithmetic coding, CMYK, or RGB with an Adobe segment.
struct JpegLayout {
    int across = 2;
    int down = 2;
    int quality = 85;
    bool grey = false;
    int restartInterval = 0;
    bool optimized = false;
    bool progressive = false;
    bool arithmetic = false;
    bool cmyk = false;
    bool adobeRgb = false;
};
QByteArray EncodedByLibjpeg(const QImage& image, const JpegLayout& layout);
