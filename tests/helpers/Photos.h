// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Pictures in the formats other than BMP as the tests make them: encoded at their best quality,
// and JPEG photos as a camera tags them, to be seen turned.

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
