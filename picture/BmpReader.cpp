// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/BmpReader.h"

#include "core/Errors.h"
#include "picture/BmpMasks.h"
#include "picture/BmpRle.h"
#include "picture/BmpStream.h"

#include <QList>
#include <QtNumeric>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

namespace {

enum Compression : quint32 { Uncompressed = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

constexpr int FileHeaderSize = 14;
constexpr quint32 CoreHeaderSize = 12;
constexpr quint32 InfoHeaderSize = 40;
constexpr quint32 LargestKnownHeaderSize = 124;
constexpr quint32 HeaderSizeWithMasks = 52;

[[noreturn]] void FailInvalid()
{
    throw EInvalidGraphic(QStringLiteral("Image bitmap incorrecte"));
}
[[noreturn]] void FailMemory()
{
    throw EOutOfMemory(QStringLiteral("Mémoire insuffisante"));
}

quint16 U16(const uchar* p)
{
    return quint16(p[0] | p[1] << 8);
}
quint32 U32(const uchar* p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

struct HeaderRead {
    BmpInfoHeader header;
    bool core = false;
    QByteArray bytes;  // as it stood in the stream (at most the largest known form)
};

// The bitmap header, whose first four bytes give its size. `remaining` counts the
// bytes left in the stream.
HeaderRead ReadInfoHeader(QIODevice& stream, qint64& remaining)
{
    HeaderRead read;
    uchar raw[LargestKnownHeaderSize] = {};
    if (ReadUpTo(stream, raw, 4) != 4)
        FailStreamRead();
    BmpInfoHeader& h = read.header;
    h.size = U32(raw);
    if (h.size == CoreHeaderSize) {
        ReadExactly(stream, raw + 4, CoreHeaderSize - 4);
        read.core = true;
        h.width = U16(raw + 4);
        h.height = U16(raw + 6);
        h.planes = U16(raw + 8);
        h.bitsPerPixel = U16(raw + 10);
        read.bytes = QByteArray(reinterpret_cast<const char*>(raw), CoreHeaderSize);
        remaining -= CoreHeaderSize;
        return read;
    }
    if (h.size < InfoHeaderSize)
        FailInvalid();
    if (h.size > remaining)
        FailStreamRead();
    const quint32 kept = std::min(h.size, LargestKnownHeaderSize);
    ReadExactly(stream, raw + 4, kept - 4);
    SkipExactly(stream, h.size - kept);
    h.width = qint32(U32(raw + 4));
    h.height = qint32(U32(raw + 8));
    h.planes = U16(raw + 12);
    h.bitsPerPixel = U16(raw + 14);
    h.compression = U32(raw + 16);
    h.imageSize = U32(raw + 20);
    h.xPixelsPerMetre = qint32(U32(raw + 24));
    h.yPixelsPerMetre = qint32(U32(raw + 28));
    h.coloursUsed = U32(raw + 32);
    h.coloursImportant = U32(raw + 36);
    h.extraFields = QByteArray(reinterpret_cast<const char*>(raw) + InfoHeaderSize, kept - InfoHeaderSize);
    read.bytes = QByteArray(reinterpret_cast<const char*>(raw), kept);
    remaining -= h.size;
    return read;
}

bool Compressed(const BmpInfoHeader& h)
{
    return h.compression != Uncompressed && h.compression != BitFields;
}

// Where the colour masks come from (after a 40-byte header, or inside a larger one), with the
// defaults of plain 16- and 32-bit pixels.
ColourMasks ReadMasks(QIODevice& stream, const BmpInfoHeader& h, qint64& remaining)
{
    const bool sixteen = h.bitsPerPixel == 16;
    if (h.compression != BitFields)
        return sixteen ? ColourMasks{0x7C00, 0x03E0, 0x001F} : ColourMasks{0xFF0000, 0x00FF00, 0x0000FF};
    if (h.size == InfoHeaderSize) {
        if (h.bitsPerPixel != 16 && h.bitsPerPixel != 32)
            return {};
        uchar raw[12];
        ReadExactly(stream, raw, sizeof raw);
        remaining -= sizeof raw;
        return {U32(raw), U32(raw + 4), U32(raw + 8)};
    }
    if (h.size < HeaderSizeWithMasks)
        return {};  // the header stops before its masks: nothing to build the colours from
    const auto* fields = reinterpret_cast<const uchar*>(h.extraFields.constData());
    return {U32(fields), U32(fields + 4), U32(fields + 8)};
}

struct ColourTableRead {
    QList<QRgb> colours;  // at most 256
    QByteArray bytes;     // as read, for the source bytes of a compressed file
};

// The colour table, of the default length for 1, 4 and 8 bits unless the header gives one.
// Entries past the 256th are read and dropped.
ColourTableRead ReadColourTable(QIODevice& stream, BmpInfoHeader& h, bool core, qint64& remaining)
{
    if (h.coloursUsed == 0 && (h.bitsPerPixel == 1 || h.bitsPerPixel == 4 || h.bitsPerPixel == 8))
        h.coloursUsed = 1u << h.bitsPerPixel;
    const int entrySize = core ? 3 : 4;
    const qint64 tableBytes = qint64(h.coloursUsed) * entrySize;
    if (tableBytes > remaining)
        FailStreamRead();
    const qint64 keptEntries = std::min<qint64>(h.coloursUsed, 256);
    ColourTableRead table;
    table.bytes.resize(keptEntries * entrySize);
    auto* raw = reinterpret_cast<uchar*>(table.bytes.data());
    ReadExactly(stream, raw, table.bytes.size());
    SkipExactly(stream, tableBytes - table.bytes.size());
    remaining -= tableBytes;
    table.colours.reserve(keptEntries);
    for (qint64 i = 0; i < keptEntries; ++i) {
        const uchar* entry = raw + i * entrySize;
        table.colours.append(qRgb(entry[2], entry[1], entry[0]));
    }
    return table;
}

// An indexed image's colours: the file's table, cut or filled up with black to 2^bits entries
// so that every pixel value names a colour.
QList<QRgb> IndexedColours(QList<QRgb> colours, int bitsPerPixel)
{
    colours.resize(1 << bitsPerPixel, qRgb(0, 0, 0));
    return colours;
}

// How the file's rows become the image's rows.
enum class RowTransfer {
    Straight,       // the file's row is the image's row, byte for byte
    OpaqueStraight, // the same, then the unused fourth byte of each pixel set to opaque
    Unpack4,        // two pixels a byte spread to one a byte
    Masked16,       // 16-bit words through the masks
    Masked32,       // 32-bit words through the masks
};

struct ImageLayout {
    QImage::Format format = QImage::Format_Invalid;
    RowTransfer transfer = RowTransfer::Straight;
    int imageBitsPerPixel = 0;
};

// What the platform can make of a depth, a compression and masks; anything else is refused.
// Masks that are all zero (or that a short header leaves out) give no colours at all.
ImageLayout ChooseLayout(const BmpInfoHeader& h, const ColourMasks& masks)
{
    if (masks == ColourMasks{})
        FailInvalid();
    const bool plain = h.compression == Uncompressed;
    const bool bitFields = h.compression == BitFields;
    switch (h.bitsPerPixel) {
    case 1:
        if (plain) return {QImage::Format_Mono, RowTransfer::Straight, 1};
        break;
    case 4:
        if (plain) return {QImage::Format_Indexed8, RowTransfer::Unpack4, 8};
        if (h.compression == Rle4) return {QImage::Format_Indexed8, RowTransfer::Straight, 8};
        break;
    case 8:
        if (plain || h.compression == Rle8) return {QImage::Format_Indexed8, RowTransfer::Straight, 8};
        break;
    case 16:
        if (!plain && !bitFields)
            break;
        if (masks == ColourMasks{0x7C00, 0x03E0, 0x001F})
            return {QImage::Format_RGB555, RowTransfer::Straight, 16};
        if (masks == ColourMasks{0xF800, 0x07E0, 0x001F})
            return {QImage::Format_RGB16, RowTransfer::Straight, 16};
        if (MaskConverter(masks).Valid())
            return {QImage::Format_RGB32, RowTransfer::Masked16, 32};
        break;
    case 24:
        if (plain) return {QImage::Format_BGR888, RowTransfer::Straight, 24};
        break;
    case 32:
        if (!plain && !bitFields)
            break;
        if (masks == ColourMasks{0xFF0000, 0x00FF00, 0x0000FF})
            return {QImage::Format_RGB32, RowTransfer::OpaqueStraight, 32};
        if (MaskConverter(masks).Valid())
            return {QImage::Format_RGB32, RowTransfer::Masked32, 32};
        break;
    }
    FailInvalid();
}

qint64 RowBytes(qint64 width, qint64 bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

// A large picture's memory is first touched as the rows come in, one page fault per 4 KiB page;
// 2 MiB pages take a few hundred times fewer. Only a hint: memory stays usable without it.
void AskForLargePages(void* memory, size_t size)
{
    constexpr uintptr_t LargePage = 2 << 20;
    const uintptr_t start = (reinterpret_cast<uintptr_t>(memory) + LargePage - 1) & ~(LargePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(memory) + size) & ~(LargePage - 1);
    if (end > start)
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

// Pixel memory for the image. Unless the file will fill every byte of it, it comes zeroed, so
// pixel value 0 is already in every row the file does not supply: calloc clears only memory that
// the heap reuses, and a large block comes fresh from the system, already zero, its untouched
// pages costing nothing. A file that fills it all spares that clearing pass.
QImage NewImage(int width, qint64 height, const ImageLayout& layout, bool filledByFile, qint64 memoryLimit)
{
    // Qt holds no image whose row, counted in bits, overflows an int: such a width is refused
    // before anything is reserved for it.
    constexpr qint64 MostRowBits = std::numeric_limits<int>::max() - 31;
    if (width > MostRowBits / layout.imageBitsPerPixel || height > std::numeric_limits<int>::max())
        FailMemory();
    const qint64 bytesPerLine = RowBytes(width, layout.imageBitsPerPixel);
    if (bytesPerLine > memoryLimit / height)
        FailMemory();
    const size_t size = size_t(bytesPerLine * height);
    void* memory = filledByFile ? std::malloc(size) : std::calloc(size, 1);
    if (!memory)
        FailMemory();
    AskForLargePages(memory, size);
    QImage image(static_cast<uchar*>(memory), width, int(height), bytesPerLine, layout.format, std::free, memory);
    if (image.isNull()) {
        std::free(memory);
        FailMemory();
    }
    return image;
}

void MakeOpaque(uchar* line, int width)
{
    for (int x = 0; x < width; ++x)
        line[4 * x + 3] = 0xFF;
}

void TransferRow(RowTransfer transfer, const uchar* from, uchar* line, int width, const MaskConverter& masks)
{
    auto* colours = reinterpret_cast<QRgb*>(line);
    switch (transfer) {
    case RowTransfer::Straight:
    case RowTransfer::OpaqueStraight:
        break;
    case RowTransfer::Unpack4:
        for (int x = 0; x < width; ++x)
            line[x] = (x & 1) ? (from[x / 2] & 0x0F) : (from[x / 2] >> 4);
        break;
    case RowTransfer::Masked16:
        for (int x = 0; x < width; ++x)
            colours[x] = masks.Colour(U16(from + 2 * x));
        break;
    case RowTransfer::Masked32:
        for (int x = 0; x < width; ++x)
            colours[x] = masks.Colour(U32(from + 4 * x));
        break;
    }
}

// Uncompressed pixels: each row read straight into the image's memory where the layouts
// agree, else through one row's worth of buffer. pixelBytes is at most imageBytes, the file's
// whole pixel data (saturated: the product of absurd sizes would overflow even 64 bits).
QImage ReadUncompressed(QIODevice& stream, const BmpInfoHeader& h, const ImageLayout& layout,
                        const ColourMasks& masks, const QList<QRgb>& colours, qint64 pixelBytes,
                        qint64 imageBytes, qint64 memoryLimit)
{
    const int width = h.width;
    const qint64 height = h.height < 0 ? -qint64(h.height) : h.height;
    const qint64 fileRow = RowBytes(width, h.bitsPerPixel);
    const bool straight =
        layout.transfer == RowTransfer::Straight || layout.transfer == RowTransfer::OpaqueStraight;
    QImage image = NewImage(width, height, layout, straight && pixelBytes == imageBytes, memoryLimit);
    if (layout.format == QImage::Format_Mono || layout.format == QImage::Format_Indexed8)
        image.setColorTable(IndexedColours(colours, h.bitsPerPixel));

    uchar* const bits = image.bits();
    const qint64 bytesPerLine = image.bytesPerLine();
    const bool topDown = h.height < 0;
    auto line = [&](qint64 row) { return bits + (topDown ? row : height - 1 - row) * bytesPerLine; };
    auto presentBytes = [&](qint64 row) { return std::clamp<qint64>(pixelBytes - row * fileRow, 0, fileRow); };
    if (straight) {
        // A batch of rows at a time: a tall, narrow picture must not need a list as large as
        // itself.
        std::array<iovec, IOV_MAX> rows;
        qint64 row = 0;
        while (row < height && presentBytes(row) > 0) {
            size_t batch = 0;
            for (; batch < rows.size() && row < height && presentBytes(row) > 0; ++batch, ++row)
                rows[batch] = {line(row), size_t(presentBytes(row))};
            ReadStretches(stream, std::span(rows.data(), batch));
        }
    } else {
        QByteArray rowBuffer(fileRow, '\0');
        auto* buffer = reinterpret_cast<uchar*>(rowBuffer.data());
        const MaskConverter converter(masks);
        for (qint64 row = 0; row < height && presentBytes(row) > 0; ++row) {
            const qint64 count = presentBytes(row);
            ReadExactly(stream, buffer, count);
            std::memset(buffer + count, 0, size_t(fileRow - count));
            TransferRow(layout.transfer, buffer, line(row), width, converter);
        }
    }
    if (layout.format == QImage::Format_RGB32)
        for (qint64 row = 0; row < height; ++row)
            MakeOpaque(line(row), width);
    return image;
}

}  // namespace

BmpPicture ReadBmp(QIODevice& stream, qint64 memoryLimit)
{
    BmpPicture picture;
    qint64 remaining = stream.isSequential() ? stream.bytesAvailable() : stream.size() - stream.pos();
    if (remaining <= 0)
        return picture;

    uchar fileHeader[FileHeaderSize];
    ReadExactly(stream, fileHeader, FileHeaderSize);
    if (U16(fileHeader) != 0x4D42)
        FailInvalid();
    remaining -= FileHeaderSize;

    HeaderRead headerRead = ReadInfoHeader(stream, remaining);
    BmpInfoHeader& h = headerRead.header;
    if (h.planes != 1)
        FailInvalid();
    const ColourMasks masks = ReadMasks(stream, h, remaining);
    const ColourTableRead table = ReadColourTable(stream, h, headerRead.core, remaining);

    // The pixel bytes are those present, up to the header's image size (computed when 0).
    const qint64 absoluteHeight = h.height < 0 ? -qint64(h.height) : h.height;
    if (h.width <= 0 || absoluteHeight == 0)
        FailInvalid();
    // Saturated: an absurd depth times a tall height would overflow even 64 bits.
    qint64 computedSize = 0;
    if (qMulOverflow(RowBytes(h.width, h.bitsPerPixel), absoluteHeight, &computedSize))
        computedSize = std::numeric_limits<qint64>::max();
    if (h.imageSize == 0)
        h.imageSize = quint32(computedSize);
    qint64 pixelBytes = std::min<qint64>(remaining, h.imageSize);

    const ImageLayout layout = ChooseLayout(h, masks);
    if (Compressed(h)) {
        if (h.height < 0)
            FailInvalid();  // run-length encoding stores rows bottom-up only
        QImage image = NewImage(h.width, h.height, layout, false, memoryLimit);
        image.setColorTable(IndexedColours(table.colours, h.bitsPerPixel));
        // The encoded bytes are kept with the picture and decoded from there.
        QByteArray& source = picture.sourceBytes;
        source.reserve(FileHeaderSize + headerRead.bytes.size() + table.bytes.size() + pixelBytes);
        source.append(reinterpret_cast<const char*>(fileHeader), FileHeaderSize);
        source.append(headerRead.bytes);
        source.append(table.bytes);
        const qsizetype encodedStart = source.size();
        source.resize(encodedStart + pixelBytes);
        ReadExactly(stream, source.data() + encodedStart, pixelBytes);
        DecodeRle(reinterpret_cast<const uchar*>(source.constData()) + encodedStart, pixelBytes,
                  h.bitsPerPixel, image.bits(), image.bytesPerLine(), h.width, h.height);
        picture.image = std::move(image);
    } else {
        // No more than the pixel memory is stored; bytes past it are left unread.
        pixelBytes = std::min(pixelBytes, computedSize);
        picture.image =
            ReadUncompressed(stream, h, layout, masks, table.colours, pixelBytes, computedSize, memoryLimit);
    }
    picture.header = h;
    return picture;
}
