// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Pictures in the common formats other than BMP — PNG, JPEG, TIFF, WebP and GIF (its first
// frame) — read through Qt's image readers, the format told by the content alone. The picture
// comes as a map is shown: a JPEG turned the right way up by its orientation tag, transparent
// parts laid on white, the result opaque.

#include "picture/BmpReader.h"

#include <QImage>
#include <QIODevice>
#include <QString>

// Reads from the stream's current position. Throws EInvalidGraphic "Image non reconnue" when no
// reader of those formats knows the content, and, naming the file by shownName, "Image non prise
// en charge" for a kind of picture that Qt's readers cannot decode (a 12-bit JPEG, a 16-bit CMYK
// TIFF), EOutOfMemory when the header declares more than MaxPictureBytes of pixels as Qt counts
// them, and "Image illisible" when the file is damaged or cut short. All but the last are
// decided before anything is decoded, and a file cut short too, where the stream can seek.
// Given the least size the picture is wanted at (as it is seen, turned by its tag), a JPEG at
// least twice as large both ways is decoded reduced by 1/2, 1/4 or 1/8, as far as it may go
// without falling below that size: its decoder leaves out the detail while decoding, and the
// rest of the reading is the same. At 1/8 the program's own decoder does it where it takes the
// file, with the same pixels. Every other picture is read whole.
struct OtherFormatPicture {
    QImage Image;
    // The picture's own size, as it is seen: larger than the image's when it was decoded reduced.
    QSize Size;
};
OtherFormatPicture ReadOtherFormat(QIODevice& stream, const QString& shownName, QSize leastSize = {});

// The width and height that ReadOtherFormat would give, read from the header alone (turned by
// the orientation tag as the picture is); empty when the header tells none.
QSize OtherFormatSize(QIODevice& stream);
