#pragma once
// A picture read from a BMP file: its image in the format nearest the file, with the file's
// bitmap header kept as its description.

#include "picture/BmpReader.h"

#include <QImage>
#include <QIODevice>
#include <QString>

class TBitmap {
public:
    TBitmap();  // empty: Width() == Height() == 0
    int Width() const;
    int Height() const;  // absolute value of the header height
    bool Empty() const;
    const QImage& Image() const;  // what was decoded (null when empty)
    const BmpInfoHeader& Header() const;

    // Opens the file for reading with writers kept out (see PictureFile), reads it whole, and
    // closes it on every path. Throws EFOpenError, or what ReadPictureStream throws.
    void LoadPictureFile(const QString& fileName);
    // Reads the picture from the stream's current position to its end. On failure the picture
    // stays as it was.
    void ReadPictureStream(QIODevice& stream);

private:
    BmpPicture picture;
};
