// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/OtherFormats.h"

#include "core/Errors.h"
#include "core/MessageText.h"
#include "picture/DamageWarnings.h"
#include "picture/JpegEighth.h"
#include "picture/PictureStructure.h"

#include <QImageReader>
#include <QTransform>

#include <algorithm>
#include <optional>

namespace {

[[noreturn]] void FailUnknown(const QString& shownName)
{
    throw EInvalidGraphic(QStringLiteral("Image non reconnue : le fichier \"%1\" n'est pas une image BMP, PNG, JPEG, "
                                         "TIFF, WebP ou GIF, les seules que Sondelio lit")
                              .arg(MessageQuote(shownName)));
}

[[noreturn]] void FailUnsupported(const QString& shownName, const QString& kind)
{
    throw EInvalidGraphic(QStringLiteral("Image non prise en charge : le fichier \"%1\" est %2, une sorte d'image "
                                         "que Sondelio ne sait pas lire")
                              .arg(MessageQuote(shownName), kind));
}

[[noreturn]] void FailMemory()
{
    throw EOutOfMemory(QStringLiteral("Mémoire insuffisante"));
}

[[noreturn]] void FailDamaged(const QString& shownName)
{
    throw EInvalidGraphic(QStringLiteral("Image illisible : le fichier \"%1\" est endommagé ou incomplet")
                              .arg(MessageQuote(shownName)));
}

// The formats a map may come in besides BMP, by the names Qt's readers give them. Others that
// Qt happens to read (icons, drawings, television formats) are not maps.
bool IsMapFormat(const QByteArray& format)
{
    static const QList<QByteArray> formats = {"png", "jpeg", "tiff", "webp", "gif"};
    return formats.contains(format);
}

// Whether the decoded pixels fit in the memory a picture may take, from the header, before
// anything is decoded. Qt counts every picture at 32 bits a pixel at least, the depth at which
// it shows them, and refuses past its allocation limit those that would pass at their own
// depth (a 1-bit picture of 100000 x 100000): the rule takes the same count. A reader that does
// not say how it will decode is taken at 32 bits a pixel.
bool DecodedPixelsFit(const QImageReader& reader, const QSize& size)
{
    const QImage::Format format = reader.imageFormat();
    const qint64 bitsPerPixel =
        std::max<qint64>(32, format == QImage::Format_Invalid ? 0 : QImage::toPixelFormat(format).bitsPerPixel());
    const qint64 rowBytes = (qint64(size.width()) * bitsPerPixel + 31) / 32 * 4;
    return rowBytes <= MaxPictureBytes / size.height();
}

// Qt refuses pictures past its own allocation limit (128 MB unless told otherwise), far less
// than a large aerial photo: the limit is raised to the program's own rule, which the header
// has already passed. Qt holds the limit for the whole program, in whole megabytes.
void AllowPictureAllocations()
{
    constexpr qint64 MegaByte = 1 << 20;
    const int megaBytes = int((MaxPictureBytes + MegaByte - 1) / MegaByte);
    if (QImageReader::allocationLimit() != 0 && QImageReader::allocationLimit() < megaBytes)
        QImageReader::setAllocationLimit(megaBytes);
}

// Lays a colour with transparency, in premultiplied form, on white.
QRgb PremultipliedOnWhite(QRgb colour)
{
    const int clear = 255 - qAlpha(colour);
    return qRgb(qRed(colour) + clear, qGreen(colour) + clear, qBlue(colour) + clear);
}

// A map is drawn on white paper: what is transparent shows white, and the picture comes out
// opaque. An indexed picture needs only its colours changed; any other is changed in place.
void LayOnWhite(QImage& image)
{
    if (!image.hasAlphaChannel())
        return;
    if (image.colorCount() > 0) {
        QList<QRgb> colours = image.colorTable();
        for (QRgb& colour : colours)
            colour = PremultipliedOnWhite(qPremultiply(colour));
        image.setColorTable(colours);
        return;
    }
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::transform(line, line + image.width(), line, PremultipliedOnWhite);
    }
    image.reinterpretAsFormat(QImage::Format_RGB32);
}

}  // namespace

namespace {

// A reader as a map is read: the format from the content, the picture turned by its tag.
void ReadAsAMap(QImageReader& reader)
{
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
}

// JPEG's decoder scales by 1/2, 1/4 or 1/8 as it decodes, to the size rounded up. Qt's reader
// asked for a size decodes at the largest of those scales that reaches it, then resamples to
// it: asked for the size rounded down, it decodes at the scale meant and takes off at most a
// row and a column. The size is the file's own, before the picture is turned. The scale's
// denominator, 1 when no scale leaves enough.
int DecodeReduced(QImageReader& reader, QSize size, QSize leastSize)
{
    if (reader.transformation() & QImageIOHandler::TransformationRotate90)
        leastSize.transpose();
    for (const int scale : {8, 4, 2}) {
        const QSize reduced(size.width() / scale, size.height() / scale);
        if (reduced.width() >= leastSize.width() && reduced.height() >= leastSize.height()) {
            reader.setScaledSize(reduced);
            return scale;
        }
    }
    return 1;
}

// The picture turned by its orientation tag as Qt's reader turns it: mirrored first, then turned
// a quarter clockwise, but for the quarter anticlockwise.
QImage Turned(QImage image, QImageIOHandler::Transformations turn)
{
    if (turn == QImageIOHandler::TransformationRotate270)
        return image.transformed(QTransform().rotate(270));
    image = image.mirrored(turn & QImageIOHandler::TransformationMirror, turn & QImageIOHandler::TransformationFlip);
    return turn & QImageIOHandler::TransformationRotate90 ? image.transformed(QTransform().rotate(90)) : image;
}

// A JPEG wanted at an eighth, by the program's own decoder of DC coefficients where it takes the
// file; its size rounded down as Qt's reader gives it.
std::optional<QImage> DecodeEighth(QIODevice& stream, qint64 start, QSize size, QImageIOHandler::Transformations turn)
{
    const qint64 readerAt = stream.pos();
    stream.seek(start);
    std::optional<QImage> eighth = DecodeJpegEighth(stream.readAll());
    stream.seek(readerAt);
    if (!eighth)
        return std::nullopt;
    return Turned(eighth->copy(0, 0, size.width() / 8, size.height() / 8), turn);
}

}  // namespace

OtherFormatPicture ReadOtherFormat(QIODevice& stream, const QString& shownName, QSize leastSize)
{
    const qint64 start = stream.pos();
    QImageReader reader(&stream);
    ReadAsAMap(reader);
    const QByteArray format = reader.format();
    if (!IsMapFormat(format))
        FailUnknown(shownName);
    // The file's structure before any decoding: it costs one reading of the bytes, where a
    // decoder would take the memory of the whole picture before finding it cut short. A picture
    // too large for memory is said so, cut short or not.
    PictureStructure structure;
    if (!stream.isSequential()) {
        const qint64 readerAt = stream.pos();
        stream.seek(start);
        structure = CheckStructure(format, stream);
        stream.seek(readerAt);
    }
    if (structure.verdict == PictureStructure::Verdict::Unsupported)
        FailUnsupported(shownName, structure.kind);
    const QSize size = reader.size();
    if (size.isEmpty())
        FailDamaged(shownName);
    if (!DecodedPixelsFit(reader, size))
        FailMemory();
    if (structure.verdict == PictureStructure::Verdict::Damaged)
        FailDamaged(shownName);
    AllowPictureAllocations();
    const int scale = format == "jpeg" && leastSize.isValid() ? DecodeReduced(reader, size, leastSize) : 1;
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    const QSize seen = turned ? size.transposed() : size;
    if (scale == 8 && !stream.isSequential())
        if (std::optional<QImage> eighth = DecodeEighth(stream, start, size, reader.transformation()))
            return {*eighth, seen};
    QImage image;
    const DamageWarnings warnings;
    if (!reader.read(&image) || warnings.Seen())
        FailDamaged(shownName);
    LayOnWhite(image);
    return {image, scale > 1 ? seen : image.size()};
}

QSize OtherFormatSize(QIODevice& stream)
{
    QImageReader reader(&stream);
    ReadAsAMap(reader);
    if (!IsMapFormat(reader.format()))
        return {};
    QSize size = reader.size();
    if (reader.transformation() & QImageIOHandler::TransformationRotate90)
        size.transpose();
    return size;
}
