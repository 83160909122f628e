// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A picture read from a map file: a BMP file by our own reader, in the format nearest the
// file, with the file's bitmap header kept as its description; a picture in another common
// format by Qt's readers (see OtherFormats), described by a header in the same terms.

#include "picture/BmpReader.h"

#include <QImage>
#include <QIODevice>
#include <QString>

// The width and height that LoadPictureFile would give the picture in the file, read from its
// header alone: a file can be checked against them before it is read. Empty when the header
// tells none. Throws EFOpenError as LoadPictureFile does.
QSize PictureFileSize(const QString& fileName);
// The same from a stream, from its current position; where it is left is unsaid.
QSize PictureStreamSize(QIODevice& stream);

class TBitmap {
public:
    TBitmap();  // empty: Width() == Height() == 0
    int Width() const;
    int Height() const;  // absolute value of the header height
    bool Empty() const;
    const QImage& Image() const;  // what was decoded (null when empty)
    // A BMP file's header as the file gave it. For another format: its size 0, the picture's
    // width and height (larger than the image's when it was read reduced), and its bits per
    // pixel those of the decoded image.
    const BmpInfoHeader& Header() const;

    // Opens the file for reading with writers kept out (see PictureFile), reads it whole, and
    // closes it on every path. Throws EFOpenError, or what ReadPictureStream throws.
    void LoadPictureFile(const QString& fileName);
    // Reads the picture from the stream's current position to its end; its first bytes tell
    // the format. shownName names it in the message of a damaged file. An empty stream gives
    // an empty picture. On failure the picture stays as it was. Given the least size the
    // picture is wanted at, a photo may be read reduced (see ReadOtherFormat).
    void ReadPictureStream(QIODevice& stream, const QString& shownName, QSize leastSize = {});

private:
    BmpPicture picture;
};
