// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/PictureStructure.h"

#include <QList>
#include <QSize>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

using Verdict = PictureStructure::Verdict;

PictureStructure Whole()
{
    return {};
}

PictureStructure Damaged()
{
    return {Verdict::Damaged, {}};
}

PictureStructure Unsupported(const QString& kind)
{
    return {Verdict::Unsupported, kind};
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
    bool Read(uchar* into, int count)
    {
        for (int i = 0; i < count; ++i)
            if (!Next(into[i]))
                return false;
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
    // Bytes taken so far.
    qint64 Taken() const { return before + at; }

private:
    bool Fill()
    {
        if (at < buffer.size())
            return true;
        before += buffer.size();
        buffer = stream.read(1 << 16);
        at = 0;
        return !buffer.isEmpty();
    }

    QIODevice& stream;
    QByteArray buffer;
    qsizetype at = 0;
    qint64 before = 0;
};

quint16 Big16(const uchar* at)
{
    return qFromBigEndian<quint16>(at);
}

// A JPEG goes segment after segment, through its compressed scans, to its end marker; Qt's
// reader shows one cut short as far as it goes, the rest grey. Its frame header tells what
// libjpeg (built for 8-bit samples) cannot decode at all. And its compressed data cannot be
// smaller than one bit for each 8 x 8 block of its fullest component, with Huffman coding: a
// few bytes declaring 23000 x 23000 pixels are damaged, whatever their end.
PictureStructure CheckJpeg(QIODevice& stream)
{
    constexpr uchar StartOfScan = 0xDA;
    constexpr uchar EndOfImage = 0xD9;
    ByteScanner bytes(stream);
    uchar start[2];
    if (!bytes.Read(start, 2) || start[0] != 0xFF || start[1] != 0xD8)
        return Damaged();
    std::optional<QSize> frame;
    bool huffman = true;
    qint64 compressedBytes = 0;
    qint64 scanStart = -1;
    for (;;) {
        // The next marker: 0xFF then a byte that is neither padding (0xFF), a 0xFF byte of the
        // compressed data (0x00) nor a restart marker (0xD0 to 0xD7).
        uchar marker = 0;
        do {
            if (!bytes.PastNextFF())
                return Damaged();
            do {
                if (!bytes.Next(marker))
                    return Damaged();
            } while (marker == 0xFF);
        } while (marker == 0x00 || (marker >= 0xD0 && marker <= 0xD7));
        if (scanStart >= 0) {
            compressedBytes += bytes.Taken() - 2 - scanStart;
            scanStart = -1;
        }
        if (marker == EndOfImage)
            break;
        if (marker == 0x01)
            continue;  // a marker without a length
        uchar length[2];
        if (!bytes.Read(length, 2) || Big16(length) < 2)
            return Damaged();
        qint64 rest = Big16(length) - 2;
        const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame && !frame) {
            // Precision, height, width, number of components.
            uchar head[6];
            if (rest < 6 || !bytes.Read(head, 6))
                return Damaged();
            rest -= 6;
            if (marker == 0xC3 || marker == 0xCB || (marker >= 0xC5 && marker <= 0xC7) || marker >= 0xCD)
                return Unsupported(QStringLiteral("un JPEG sans perte ou hiérarchique"));
            if (head[0] != 8)
                return Unsupported(QStringLiteral("un JPEG de %1 bits par composante").arg(head[0]));
            const int height = Big16(head + 1);
            const int width = Big16(head + 3);
            if (width > 65500 || height > 65500)
                return Unsupported(QStringLiteral("un JPEG de plus de 65 500 pixels de côté"));
            if (head[5] != 1 && head[5] != 3 && head[5] != 4)
                return Unsupported(QStringLiteral("un JPEG de %1 composantes").arg(head[5]));
            frame = QSize(width, height);
            huffman = marker < 0xC8;
        }
        if (!bytes.Skip(rest))
            return Damaged();
        // After a scan's header comes its compressed data, which the search for the next marker
        // reads past.
        if (marker == StartOfScan)
            scanStart = bytes.Taken();
    }
    if (!frame)
        return Damaged();
    const qint64 blocks = qint64((frame->width() + 7) / 8) * ((frame->height() + 7) / 8);
    return huffman && compressedBytes * 8 < blocks ? Damaged() : Whole();
}

// Qt's GIF reader, too, fills a first frame cut short with its background. A whole one comes
// after the header and any extension blocks: its descriptor, then its compressed data in
// sub-blocks up to an empty one.
PictureStructure CheckGif(QIODevice& stream)
{
    ByteScanner bytes(stream);
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
    if (!bytes.Read(header, sizeof header) || !skipColourTable(header[10]))
        return Damaged();
    for (;;) {
        uchar introducer = 0;
        if (!bytes.Next(introducer))
            return Damaged();
        if (introducer == 0x21) {
            uchar label = 0;
            if (!bytes.Next(label) || !skipSubBlocks())
                return Damaged();
            continue;
        }
        uchar descriptor[9];
        uchar codeSize = 0;
        const bool whole = introducer == 0x2C && bytes.Read(descriptor, sizeof descriptor) &&
                           skipColourTable(descriptor[8]) && bytes.Next(codeSize) && skipSubBlocks();
        return whole ? Whole() : Damaged();
    }
}

// A PNG goes chunk after chunk to its end chunk. Its compressed pixels cannot take less than
// 1/1032 of the bytes they stand for, deflate's utmost: a small file declaring a huge picture is
// damaged before its pixels are decoded.
PictureStructure CheckPng(QIODevice& stream)
{
    constexpr qint64 DeflateUtmostRatio = 1032;
    ByteScanner bytes(stream);
    uchar signature[8];
    if (!bytes.Read(signature, sizeof signature))
        return Damaged();
    qint64 rowBytes = 0;
    qint64 height = 0;
    qint64 compressedBytes = 0;
    for (bool first = true;; first = false) {
        uchar head[8];  // length and type
        if (!bytes.Read(head, sizeof head))
            return Damaged();
        const quint32 length = qFromBigEndian<quint32>(head);
        if (length > 0x7FFFFFFF)
            return Damaged();
        const QByteArray type(reinterpret_cast<const char*>(head + 4), 4);
        qint64 rest = qint64(length) + 4;  // the data, then its checksum
        if (first) {
            // Width, height, bits per sample, colour type: 0 grey, 2 RGB, 3 palette, 4 grey and
            // alpha, 6 RGB and alpha.
            uchar header[10];
            if (type != "IHDR" || length < sizeof header || !bytes.Read(header, sizeof header))
                return Damaged();
            rest -= sizeof header;
            static const int samples[] = {1, 0, 3, 1, 2, 0, 4};
            const int colourType = header[9];
            const int bitsPerPixel = header[8] * (colourType < 7 ? samples[colourType] : 0);
            rowBytes = (qint64(qFromBigEndian<quint32>(header)) * bitsPerPixel + 7) / 8;
            height = qFromBigEndian<quint32>(header + 4);
        } else if (type == "IDAT") {
            compressedBytes += length;
        } else if (type == "IEND") {
            // compressed × ratio < row bytes × height, without the product overflowing.
            const bool tooSmall = rowBytes > 0 && compressedBytes * DeflateUtmostRatio / rowBytes < height;
            return tooSmall ? Damaged() : Whole();
        }
        if (!bytes.Skip(rest))
            return Damaged();
    }
}

// A TIFF file's first directory, which Qt reads: every value it points to and every strip or
// tile of pixels lies within the file (a file cut in its colour map is drawn grey, one cut in
// its strips half empty), and its samples are of a kind that Qt's reader and libtiff decode.
class TiffDirectory {
public:
    explicit TiffDirectory(QIODevice& stream) : stream(stream), start(stream.pos()), size(stream.size() - start) {}

    PictureStructure Check()
    {
        const QByteArray header = At(0, 8);
        if (header.size() < 8)
            return Damaged();
        bigEndian = header.startsWith("MM");
        if (Number(header, 2, 2) != 42)
            return Whole();  // BigTIFF, left to libtiff
        const qint64 directory = Number(header, 4, 4);
        const qint64 count = Number(At(directory, 2), 0, 2);
        const QByteArray entries = At(directory + 2, count * 12);
        if (count <= 0 || entries.size() < count * 12)
            return Damaged();
        for (qint64 entry = 0; entry < count; ++entry)
            if (!Take(entries.mid(entry * 12, 12)))
                return Damaged();
        if (!PiecesWithinFile(stripOffsets, stripCounts) || !PiecesWithinFile(tileOffsets, tileCounts))
            return Damaged();
        const qint64 bits = Values(bitsPerSample).value(0, 1);
        if (photometric == 5 && bits != 8)
            return Unsupported(QStringLiteral("un TIFF CMJN de %1 bits par composante").arg(bits));
        const bool floatingPoint = sampleFormat == 3;
        if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && !(bits == 32 && floatingPoint))
            return Unsupported(QStringLiteral("un TIFF de %1 bits par composante").arg(bits));
        return Whole();
    }

private:
    struct Entry {
        int type = 0;
        qint64 count = 0;
        QByteArray value;  // its 4 bytes in the directory
    };

    QByteArray At(qint64 offset, qint64 count)
    {
        if (offset < 0 || count < 0 || offset > size || count > size - offset || !stream.seek(start + offset))
            return {};
        return stream.read(count);
    }
    qint64 Number(const QByteArray& bytes, qsizetype at, int width) const
    {
        if (bytes.size() < at + width)
            return -1;
        const auto* from = reinterpret_cast<const uchar*>(bytes.constData() + at);
        if (width == 2)
            return bigEndian ? qFromBigEndian<quint16>(from) : qFromLittleEndian<quint16>(from);
        return bigEndian ? qFromBigEndian<quint32>(from) : qFromLittleEndian<quint32>(from);
    }
    static int TypeBytes(int type)
    {
        static const int bytes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
        return type > 0 && type < 14 ? bytes[type] : 0;
    }
    // Records the entry; false when the values it points to lie past the file's end.
    bool Take(const QByteArray& raw)
    {
        const Entry entry{int(Number(raw, 2, 2)), Number(raw, 4, 4), raw.mid(8, 4)};
        const qint64 bytes = entry.count * TypeBytes(entry.type);
        if (bytes > 4 && (Number(entry.value, 0, 4) + bytes > size))
            return false;
        switch (Number(raw, 0, 2)) {
        case 258: bitsPerSample = entry; break;
        case 262: photometric = Values(entry).value(0, -1); break;
        case 273: stripOffsets = entry; break;
        case 279: stripCounts = entry; break;
        case 324: tileOffsets = entry; break;
        case 325: tileCounts = entry; break;
        case 339: sampleFormat = Values(entry).value(0, 1); break;
        default: break;
        }
        return true;
    }
    // Values of a whole-number entry (bytes, shorts or longs), from the first, at most `most`
    // of them, read where they lie.
    QList<qint64> Values(const Entry& entry, qint64 first = 0, qint64 most = 1 << 16)
    {
        const int width = TypeBytes(entry.type);
        if (width != 1 && width != 2 && width != 4)
            return {};
        const qint64 count = std::min(entry.count - first, most);
        if (count <= 0)
            return {};
        const QByteArray data = entry.count * width <= 4 ? entry.value.mid(first * width, count * width)
                                                         : At(Number(entry.value, 0, 4) + first * width, count * width);
        QList<qint64> values;
        for (qint64 i = 0; i < count && (i + 1) * width <= data.size(); ++i)
            values << (width == 1 ? uchar(data[i]) : Number(data, i * width, width));
        return values;
    }
    // A file of many strips has them read a batch at a time.
    bool PiecesWithinFile(const Entry& offsets, const Entry& counts)
    {
        constexpr qint64 Batch = 1 << 16;
        for (qint64 first = 0; first < std::min(offsets.count, counts.count); first += Batch) {
            const QList<qint64> starts = Values(offsets, first, Batch);
            const QList<qint64> lengths = Values(counts, first, Batch);
            for (qsizetype i = 0; i < std::min(starts.size(), lengths.size()); ++i)
                if (starts[i] + lengths[i] > size)
                    return false;
        }
        return true;
    }

    QIODevice& stream;
    const qint64 start;
    const qint64 size;
    bool bigEndian = false;
    Entry bitsPerSample, stripOffsets, stripCounts, tileOffsets, tileCounts;
    qint64 photometric = -1;
    qint64 sampleFormat = 1;
};

// A WebP file is one RIFF chunk, whose header gives its length.
PictureStructure CheckWebp(QIODevice& stream)
{
    const qint64 available = stream.size() - stream.pos();
    const QByteArray header = stream.read(8);
    if (header.size() < 8)
        return Damaged();
    const qint64 length = qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(header.constData()) + 4);
    return length + 8 > available ? Damaged() : Whole();
}

}  // namespace

PictureStructure CheckStructure(const QByteArray& format, QIODevice& stream)
{
    if (format == "jpeg")
        return CheckJpeg(stream);
    if (format == "gif")
        return CheckGif(stream);
    if (format == "png")
        return CheckPng(stream);
    if (format == "tiff")
        return TiffDirectory(stream).Check();
    if (format == "webp")
        return CheckWebp(stream);
    return Whole();
}
