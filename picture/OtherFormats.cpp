#include "picture/OtherFormats.h"

#include "core/Errors.h"
#include "core/MessageText.h"

#include <QImageReader>

#include <algorithm>
#include <cstring>

namespace {

[[noreturn]] void FailUnknown()
{
    throw EInvalidGraphic(QStringLiteral("Image bitmap incorrecte"));
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
// anything is decoded. A reader that does not say how it will decode is taken at 32 bits a
// pixel, Qt's most usual.
bool DecodedPixelsFit(const QImageReader& reader, const QSize& size)
{
    const QImage::Format format = reader.imageFormat();
    const qint64 bitsPerPixel =
        format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel();
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

// Bytes of a stream one at a time, through a buffer.
class ByteScanner {
public:
    explicit ByteScanner(QIODevice& stream) : stream(stream) {}

    bool Next(uchar& byte)
    {
        if (!Fill())
            return false;
        byte = uchar(buffer[at++]);
        return true;
    }
    bool Skip(qint64 count)
    {
        while (count > 0) {
            if (!Fill())
                return false;
            const qint64 taken = std::min<qint64>(count, buffer.size() - at);
            at += taken;
            count -= taken;
        }
        return true;
    }
    // Moves just past the next 0xFF byte.
    bool PastNextFF()
    {
        for (;;) {
            if (!Fill())
                return false;
            const void* found = std::memchr(buffer.constData() + at, 0xFF, size_t(buffer.size() - at));
            if (found) {
                at = static_cast<const char*>(found) - buffer.constData() + 1;
                return true;
            }
            at = buffer.size();
        }
    }

private:
    bool Fill()
    {
        if (at < buffer.size())
            return true;
        buffer = stream.read(1 << 16);
        at = 0;
        return !buffer.isEmpty();
    }

    QIODevice& stream;
    QByteArray buffer;
    qsizetype at = 0;
};

// Qt's JPEG reader shows a file cut short as far as it goes, the rest grey, without a word. A
// whole JPEG goes on, segment after segment and through its compressed scans, to its end
// marker.
bool JpegReachesItsEnd(QIODevice& stream)
{
    constexpr uchar EndOfImage = 0xD9;
    ByteScanner bytes(stream);
    uchar first = 0;
    uchar second = 0;
    if (!bytes.Next(first) || !bytes.Next(second) || first != 0xFF || second != 0xD8)
        return false;
    for (;;) {
        // The next marker: 0xFF then a byte that is neither padding (0xFF), a 0xFF byte of the
        // compressed data (0x00) nor a restart marker (0xD0 to 0xD7).
        uchar marker = 0;
        do {
            if (!bytes.PastNextFF())
                return false;
            do {
                if (!bytes.Next(marker))
                    return false;
            } while (marker == 0xFF);
        } while (marker == 0x00 || (marker >= 0xD0 && marker <= 0xD7));
        if (marker == EndOfImage)
            return true;
        if (marker == 0x01)
            continue;  // a marker without a length
        uchar high = 0;
        uchar low = 0;
        if (!bytes.Next(high) || !bytes.Next(low))
            return false;
        const int length = high << 8 | low;
        // After a scan's header comes its compressed data, which the search for the next
        // marker reads past.
        if (length < 2 || !bytes.Skip(length - 2))
            return false;
    }
}

// Qt's GIF reader, too, fills a first frame cut short with its background. A whole one comes
// after the header and any extension blocks: its descriptor, then its compressed data in
// sub-blocks up to an empty one.
bool GifFirstFrameIsWhole(QIODevice& stream)
{
    ByteScanner bytes(stream);
    const auto read = [&bytes](uchar* into, int count) {
        for (int i = 0; i < count; ++i)
            if (!bytes.Next(into[i]))
                return false;
        return true;
    };
    // A colour table follows where the flags say, of 2^(n + 1) entries of 3 bytes.
    const auto skipColourTable = [&bytes](uchar flags) {
        return !(flags & 0x80) || bytes.Skip(3 << ((flags & 7) + 1));
    };
    const auto skipSubBlocks = [&bytes] {
        for (uchar size = 1; size != 0;)
            if (!bytes.Next(size) || !bytes.Skip(size))
                return false;
        return true;
    };
    uchar header[13];  // signature, version and the logical screen
    if (!read(header, sizeof header) || !skipColourTable(header[10]))
        return false;
    for (;;) {
        uchar introducer = 0;
        if (!bytes.Next(introducer))
            return false;
        if (introducer == 0x21) {
            uchar label = 0;
            if (!bytes.Next(label) || !skipSubBlocks())
                return false;
            continue;
        }
        uchar descriptor[9];
        uchar codeSize = 0;
        return introducer == 0x2C && read(descriptor, sizeof descriptor) && skipColourTable(descriptor[8]) &&
               bytes.Next(codeSize) && skipSubBlocks();
    }
}

// Whether the file holds all that the reader showed of it.
bool WholeAsShown(const QByteArray& format, QIODevice& stream)
{
    if (format == "jpeg")
        return JpegReachesItsEnd(stream);
    if (format == "gif")
        return GifFirstFrameIsWhole(stream);
    return true;  // the other readers fail on a file cut short
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

}  // namespace

QImage ReadOtherFormat(QIODevice& stream, const QString& shownName)
{
    const qint64 start = stream.pos();
    QImageReader reader(&stream);
    ReadAsAMap(reader);
    const QByteArray format = reader.format();
    if (!IsMapFormat(format))
        FailUnknown();
    const QSize size = reader.size();
    if (size.isEmpty())
        FailDamaged(shownName);
    if (!DecodedPixelsFit(reader, size))
        FailMemory();
    AllowPictureAllocations();
    QImage image;
    if (!reader.read(&image))
        FailDamaged(shownName);
    if (!stream.isSequential() && stream.seek(start) && !WholeAsShown(format, stream))
        FailDamaged(shownName);
    LayOnWhite(image);
    return image;
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
