#include "picture/TBitmap.h"

#include "picture/OtherFormats.h"
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
    ReadPictureStream(file.Stream(), file.FullName());
}

void TBitmap::ReadPictureStream(QIODevice& stream, const QString& shownName)
{
    // "BM" opens every BMP file. A stream too short to hold those two bytes goes to our reader
    // too, which gives an empty picture for nothing at all and its read error for a lone "B".
    if (QByteArrayLiteral("BM").startsWith(stream.peek(2))) {
        picture = ReadBmp(stream);
        return;
    }
    BmpPicture read;
    read.image = ReadOtherFormat(stream, shownName);
    read.header.width = read.image.width();
    read.header.height = read.image.height();
    read.header.planes = 1;
    read.header.bitsPerPixel = quint16(read.image.depth());
    picture = std::move(read);
}
