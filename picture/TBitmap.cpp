#include "picture/TBitmap.h"

#include "picture/PictureFile.h"

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

void TBitmap::LoadPictureFile(const QString& fileName)
{
    PictureFile file(fileName);
    ReadPictureStream(file.Stream());
}

void TBitmap::ReadPictureStream(QIODevice& stream)
{
    picture = ReadBmp(stream);
}
