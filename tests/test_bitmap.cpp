// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// Reading BMP pictures: every header form and depth, masks, colour tables, run-length encoding,
// short files and the error texts, all built with the test BMP writer.

#include "core/Errors.h"
#include "helpers/BmpWriter.h"
#include "helpers/MeasuredRead.h"
#include "picture/TBitmap.h"

#include <QBuffer>
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <bit>
#include <tuple>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString ReadError = QStringLiteral("Erreur de lecture du flux");
const QString InvalidBitmap = QStringLiteral("Image bitmap incorrecte");
const QString OutOfMemory = QStringLiteral("Mémoire insuffisante");

TBitmap Read(const QByteArray& bytes)
{
    TBitmap bitmap;
    ReadInto(bitmap, bytes);
    return bitmap;
}

// A row of 16- or 32-bit pixels, pixel v holding the value v in each channel of channelBits
// bits, and v cut to the width of any narrower channel.
BmpLayout EveryChannelValue(int bitsPerPixel, const QList<quint32>& masks, int channelBits)
{
    BmpLayout layout;
    layout.width = 1 << channelBits;
    layout.bitsPerPixel = bitsPerPixel;
    layout.compression = masks.isEmpty() ? 0 : 3;
    layout.masks = masks;
    const QList<quint32> placed = masks.isEmpty() ? QList<quint32>{0x7C00, 0x03E0, 0x001F} : masks;
    for (quint32 v = 0; v < quint32(layout.width); ++v) {
        quint32 word = 0;
        for (quint32 mask : placed)
            word |= ((v >> (channelBits - std::popcount(mask))) << std::countr_zero(mask)) & mask;
        for (int byte = 0; byte < bitsPerPixel / 8; ++byte)
            layout.pixels.append(char(word >> (8 * byte)));
    }
    return layout;
}

// A small picture with a distinct colour at each corner, on a 16-entry palette.
QImage Palette16Picture(int width, int height)
{
    QImage image(width, height, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 16; ++i)
        table.append(qRgb(i * 16, 255 - i * 16, (i * 53) % 256));
    image.setColorTable(table);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, uint((x * 3 + y * 5) % 16));
    return image;
}

QImage TwoColourPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_Indexed8);
    image.setColorTable({qRgb(10, 20, 30), qRgb(200, 210, 220)});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, uint((x + 2 * y) % 3 == 0));
    return image;
}

QImage TrueColourPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 37) % 256, (y * 59) % 256, (x * y * 11) % 256));
    return image;
}

// Pixels of both images as opaque colours, compared one by one.
void ComparePixels(const QImage& actual, const QImage& expected)
{
    QCOMPARE(actual.size(), expected.size());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y))
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2): %3 instead of %4")
                                     .arg(x).arg(y)
                                     .arg(actual.pixel(x, y), 8, 16, QLatin1Char('0'))
                                     .arg(expected.pixel(x, y), 8, 16, QLatin1Char('0'))));
}

// What 5-bit channels come back as: the stored level (rounded from 8 bits) widened by repeating
// its top bits, so that full scale gives 255.
QImage Through555(const QImage& image)
{
    QImage out = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QRgb c = out.pixel(x, y);
            auto level = [](int v) {
                const int stored = (v * 31 + 127) / 255;
                return stored << 3 | stored >> 2;
            };
            out.setPixel(x, y, qRgb(level(qRed(c)), level(qGreen(c)), level(qBlue(c))));
        }
    return out;
}

}  // namespace

class BitmapTest : public QObject {
    Q_OBJECT
private slots:
    void newPictureIsEmpty()
    {
        TBitmap bitmap;
        QVERIFY(bitmap.Empty());
        QCOMPARE(bitmap.Width(), 0);
        QCOMPARE(bitmap.Height(), 0);
        QVERIFY(bitmap.Image().isNull());
    }

    void emptyStreamGivesEmptyPicture()
    {
        const TBitmap bitmap = Read({});
        QVERIFY(bitmap.Empty());
        QCOMPARE(bitmap.Width(), 0);
    }

    void readsEveryDepth_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("bitsPerPixel");
        QTest::addColumn<bool>("topDown");
        QTest::addColumn<QImage>("expected");
        for (bool topDown : {false, true}) {
            const char* order = topDown ? "top-down" : "bottom-up";
            auto row = [&](const char* name, const QImage& image, int bits, const QImage& expected) {
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(name, order)))
                    << image << bits << topDown << expected;
            };
            const QImage mono = TwoColourPicture(37, 5);
            const QImage sixteen = Palette16Picture(13, 7);
            const QImage rgb = TrueColourPicture(11, 6);
            row("1 bit, width not a multiple of 8", mono, 1, mono);
            row("1 bit, width 1", TwoColourPicture(1, 3), 1, TwoColourPicture(1, 3));
            row("4 bits, odd width", sixteen, 4, sixteen);
            row("8 bits", sixteen, 8, sixteen);
            row("16 bits 5-5-5", rgb, 16, Through555(rgb));
            row("24 bits, padded rows", rgb, 24, rgb);
            row("24 bits, width 4", TrueColourPicture(4, 3), 24, TrueColourPicture(4, 3));
            row("32 bits", rgb, 32, rgb);
        }
    }
    void readsEveryDepth()
    {
        QFETCH(QImage, image);
        QFETCH(int, bitsPerPixel);
        QFETCH(bool, topDown);
        QFETCH(QImage, expected);
        const TBitmap bitmap = Read(WriteBmp(LayoutFor(image, bitsPerPixel, topDown)));
        QCOMPARE(bitmap.Width(), image.width());
        QCOMPARE(bitmap.Height(), image.height());
        QCOMPARE(int(bitmap.Header().bitsPerPixel), bitsPerPixel);
        ComparePixels(bitmap.Image(), expected);
    }

    void widthAndHeightOfA600By400Map_data()
    {
        QTest::addColumn<int>("height");
        QTest::newRow("bottom-up") << 400;
        QTest::newRow("top-down") << -400;
    }
    void widthAndHeightOfA600By400Map()
    {
        QFETCH(int, height);
        BmpLayout layout;
        layout.width = 600;
        layout.height = height;
        layout.pixels = QByteArray(600 * 3 * 400, '\x7F');
        const TBitmap bitmap = Read(WriteBmp(layout));
        QCOMPARE(bitmap.Width(), 600);
        QCOMPARE(bitmap.Height(), 400);
        QCOMPARE(bitmap.Image().pixel(599, 399), qRgb(0x7F, 0x7F, 0x7F));
    }

    void coreFormEqualsInfoForm_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("bitsPerPixel");
        QTest::newRow("1 bit") << TwoColourPicture(21, 4) << 1;
        QTest::newRow("4 bits") << Palette16Picture(9, 5) << 4;
        QTest::newRow("8 bits, 768-byte table") << Palette16Picture(9, 5) << 8;
        QTest::newRow("24 bits") << TrueColourPicture(7, 3) << 24;
    }
    void coreFormEqualsInfoForm()
    {
        QFETCH(QImage, image);
        QFETCH(int, bitsPerPixel);
        BmpLayout info = LayoutFor(image, bitsPerPixel);
        // The core form has no colours-used field: its table always has the default length.
        if (bitsPerPixel <= 8) {
            info.colourTable.resize(1 << bitsPerPixel, qRgb(0, 0, 0));
            info.coloursUsed = 0;
        }
        BmpLayout core = info;
        core.headerSize = 12;
        const TBitmap fromInfo = Read(WriteBmp(info));
        const TBitmap fromCore = Read(WriteBmp(core));
        QCOMPARE(fromCore.Header().size, 12u);
        QCOMPARE(fromCore.Header().compression, 0u);
        QCOMPARE(fromCore.Header().coloursUsed, bitsPerPixel <= 8 ? 1u << bitsPerPixel : 0u);
        ComparePixels(fromCore.Image(), fromInfo.Image());
        ComparePixels(fromCore.Image(), image);
    }

    void pixelsFollowTheColourTableWhateverTheOffsetSays()
    {
        const QImage image = Palette16Picture(6, 4);
        BmpLayout layout = LayoutFor(image, 8);
        QCOMPARE(layout.colourTable.size(), 16);
        layout.coloursUsed = 16;
        layout.pixelOffset = 14 + 40 + 1024;  // where a full table would have ended
        const QByteArray bytes = WriteBmp(layout);
        QCOMPARE(bytes.size(), 14 + 40 + 64 + 6 * 4 + 2 * 4);  // rows of 6 pixels take 8 bytes
        const TBitmap bitmap = Read(bytes);
        QCOMPARE(bitmap.Header().coloursUsed, 16u);
        ComparePixels(bitmap.Image(), image);
    }

    void moreThan256ColoursAreConsumedAndTheFirst256Kept()
    {
        const QImage image = Palette16Picture(5, 3);
        BmpLayout layout = LayoutFor(image, 8);
        layout.colourTable.resize(300, qRgb(1, 2, 3));
        layout.colourTable[255] = qRgb(9, 8, 7);
        layout.coloursUsed = 300;
        const TBitmap bitmap = Read(WriteBmp(layout));
        ComparePixels(bitmap.Image(), image);
        QCOMPARE(bitmap.Image().colorTable().size(), 256);
        QCOMPARE(bitmap.Image().colorTable().at(255), qRgb(9, 8, 7));
    }

    void pixelValuesPastTheTableAreBlack()
    {
        BmpLayout layout;
        layout.width = 3;
        layout.bitsPerPixel = 8;
        layout.colourTable = {qRgb(255, 0, 0), qRgb(0, 255, 0)};
        layout.coloursUsed = 2;
        layout.pixels = QByteArray::fromHex("000105ff");
        const QImage image = Read(WriteBmp(layout)).Image();
        QCOMPARE(image.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(image.pixel(1, 0), qRgb(0, 255, 0));
        QCOMPARE(image.pixel(2, 0), qRgb(0, 0, 0));
    }

    void masksGiveColours_data()
    {
        QTest::addColumn<int>("bitsPerPixel");
        QTest::addColumn<quint32>("headerSize");
        QTest::addColumn<QList<quint32>>("masks");
        QTest::addColumn<quint32>("word");
        QTest::addColumn<QRgb>("colour");
        const QList<quint32> m565{0xF800, 0x07E0, 0x001F};
        const QList<quint32> m444{0x0F00, 0x00F0, 0x000F};
        const QList<quint32> m888{0xFF0000, 0x00FF00, 0x0000FF};
        const QList<quint32> bgr{0x0000FF, 0x00FF00, 0xFF0000};
        const QList<quint32> m101010{0x3FF00000, 0x000FFC00, 0x000003FF};
        for (quint32 size : {40u, 56u, 108u, 124u}) {
            auto row = [&](const char* name, int bits, const QList<quint32>& masks, quint32 word, QRgb colour) {
                QTest::newRow(qPrintable(QStringLiteral("%1, header %2").arg(name).arg(size)))
                    << bits << size << masks << word << colour;
            };
            row("5-6-5 full scale", 16, m565, 0xFFFF, qRgb(255, 255, 255));
            row("5-6-5 green only", 16, m565, 0x07E0, qRgb(0, 255, 0));
            row("5-6-5 mid levels", 16, m565, 0x8410, qRgb(132, 130, 132));
            row("4-4-4", 16, m444, 0x0F80, qRgb(255, 136, 0));
            row("8-8-8", 32, m888, 0x00102030, qRgb(0x10, 0x20, 0x30));
            row("blue in the high byte", 32, bgr, 0x00102030, qRgb(0x30, 0x20, 0x10));
            row("10-10-10", 32, m101010, 0x3FF80000, qRgb(255, 128, 0));
            // The nearest level, where the top 8 bits would give 0, 1 and 255.
            row("10-10-10, low and high values", 32, m101010, 0x00301FFC, qRgb(1, 2, 254));
            row("32-bit channel, just under half", 32, QList<quint32>{0xFFFFFFFF, 0, 0}, 0x7FFFFFFF, qRgb(127, 0, 0));
            row("32-bit channel, half", 32, QList<quint32>{0xFFFFFFFF, 0, 0}, 0x80000000, qRgb(128, 0, 0));
            row("high bits ignored", 32, m888, 0xFF000000, qRgb(0, 0, 0));
            row("a zero mask gives 0", 32, QList<quint32>{0, 0xFF00, 0xFF}, 0xFFFFFF, qRgb(0, 255, 255));
        }
    }
    void masksGiveColours()
    {
        QFETCH(int, bitsPerPixel);
        QFETCH(quint32, headerSize);
        QFETCH(QList<quint32>, masks);
        QFETCH(quint32, word);
        QFETCH(QRgb, colour);
        BmpLayout layout;
        layout.width = 2;
        layout.bitsPerPixel = bitsPerPixel;
        layout.headerSize = headerSize;
        layout.compression = 3;
        layout.masks = masks;
        QByteArray pixels;
        for (int i = 0; i < bitsPerPixel / 8; ++i)
            pixels.append(char(word >> (8 * i)));
        layout.pixels = pixels + QByteArray(4 - pixels.size() % 4, '\0');  // second pixel 0, padded
        layout.pixels = layout.pixels.left(bitsPerPixel == 16 ? 4 : 8);
        if (layout.pixels.size() < 8 && bitsPerPixel == 32)
            layout.pixels.append(QByteArray(8 - layout.pixels.size(), '\0'));
        const QByteArray bytes = WriteBmp(layout);
        QCOMPARE(bytes.size(), qsizetype(14 + headerSize + (headerSize == 40 ? 12 : 0) + layout.pixels.size()));
        const QImage image = Read(bytes).Image();
        QCOMPARE(image.pixel(0, 0), colour);
        QCOMPARE(image.pixel(1, 0), qRgb(0, 0, 0));
    }

    void runLengthEscapes_data()
    {
        QTest::addColumn<int>("bitsPerPixel");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QByteArray>("encoded");
        QTest::addColumn<QStringList>("rows");  // top row first, one hex digit a pixel
        QTest::newRow("8: encoded runs, end of line, end of bitmap")
            << 8 << 4 << 2 << QByteArray::fromHex("0203 0201 0000 0405 0001") << QStringList{"5555", "3311"};
        QTest::newRow("8: absolute run of odd length, padded")
            << 8 << 4 << 2 << QByteArray::fromHex("0003 010203 00 0107 0000 0209 0001")
            << QStringList{"9900", "1237"};
        QTest::newRow("8: delta moves right and up")
            << 8 << 4 << 3 << QByteArray::fromHex("0101 0002 0201 0104 0001") << QStringList{"0000", "0004", "1000"};
        QTest::newRow("8: nothing after the end of bitmap")
            << 8 << 2 << 2 << QByteArray::fromHex("0206 0001 0207") << QStringList{"00", "66"};
        QTest::newRow("8: run cut at the right edge, no wrap")
            << 8 << 3 << 2 << QByteArray::fromHex("0902 0000 0003 040506 00 0001") << QStringList{"456", "222"};
        QTest::newRow("8: absolute run past the edge")
            << 8 << 2 << 1 << QByteArray::fromHex("0005 0102030405 00 0001") << QStringList{"12"};
        QTest::newRow("8: run starting past the edge")
            << 8 << 2 << 2 << QByteArray::fromHex("0002 0500 0301 0000 0108") << QStringList{"80", "00"};
        QTest::newRow("8: delta above the top ends it")
            << 8 << 2 << 2 << QByteArray::fromHex("0101 0002 0005 0202 0001") << QStringList{"00", "10"};
        QTest::newRow("8: data ends without end of bitmap")
            << 8 << 3 << 2 << QByteArray::fromHex("0304 0000 01") << QStringList{"000", "444"};
        QTest::newRow("8: absolute run cut by the end of the data")
            << 8 << 4 << 1 << QByteArray::fromHex("0004 0102") << QStringList{"1200"};
        QTest::newRow("8: delta cut by the end of the data")
            << 8 << 2 << 1 << QByteArray::fromHex("0101 0002 01") << QStringList{"10"};
        QTest::newRow("8: short runs, then a delta on the same row")
            << 8 << 20 << 1 << QByteArray::fromHex("0205 0002 0300 0107 0001") << QStringList{"55000700000000000000"};
        QTest::newRow("8: short absolute run, then end of line")
            << 8 << 20 << 2 << QByteArray::fromHex("0003 010203 00 0000 0201 0001")
            << QStringList{"11000000000000000000", "12300000000000000000"};
        QTest::newRow("8: data ends after a short run")
            << 8 << 20 << 1 << QByteArray::fromHex("0309") << QStringList{"99900000000000000000"};
        QTest::newRow("8: short runs up to the edge of a padded row")
            << 8 << 17 << 2 << QByteArray::fromHex("0f01 0203 0000 0004 0a0b0c0d 0d0e 0001")
            << QStringList{"abcdeeeeeeeeeeeee", "11111111111111133"};
        QTest::newRow("4: encoded run alternates the two indices")
            << 4 << 5 << 1 << QByteArray::fromHex("05ab 0001") << QStringList{"ababa"};
        QTest::newRow("4: absolute run, odd count, padded to a word")
            << 4 << 6 << 2 << QByteArray::fromHex("0005 123450 00 0000 0003 cde0 0001")
            << QStringList{"cde000", "12345"  "0"};
        QTest::newRow("4: absolute run of 4 needs no padding")
            << 4 << 4 << 1 << QByteArray::fromHex("0004 1234 0001") << QStringList{"1234"};
        QTest::newRow("4: delta, then a run cut at the edge")
            << 4 << 4 << 2 << QByteArray::fromHex("0002 0201 0799 0001") << QStringList{"0099", "0000"};
        QTest::newRow("4: absolute run past the edge")
            << 4 << 3 << 1 << QByteArray::fromHex("0006 fedcba 00 0001") << QStringList{"fed"};
    }
    void runLengthEscapes()
    {
        QFETCH(int, bitsPerPixel);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QByteArray, encoded);
        QFETCH(QStringList, rows);
        BmpLayout layout;
        layout.width = width;
        layout.height = height;
        layout.bitsPerPixel = bitsPerPixel;
        layout.compression = bitsPerPixel == 8 ? 1 : 2;
        for (int i = 0; i < (1 << bitsPerPixel); ++i)
            layout.colourTable.append(qRgb(i, 0, 0));
        layout.pixels = encoded;
        layout.imageSize = quint32(encoded.size());
        const QImage image = Read(WriteBmp(layout)).Image();
        QCOMPARE(image.size(), QSize(width, height));
        QStringList actual;
        for (int y = 0; y < height; ++y) {
            QString row;
            for (int x = 0; x < width; ++x)
                row += QString::number(qRed(image.pixel(x, y)), 16);
            actual.append(row);
        }
        QCOMPARE(actual, rows);
        for (int y = 0; y < height; ++y)
            for (qsizetype b = width; b < image.bytesPerLine(); ++b)
                QCOMPARE(image.constScanLine(y)[b], uchar(0));
    }

    void runLengthEncodedPictureRoundTrips_data()
    {
        QTest::addColumn<int>("bitsPerPixel");
        QTest::addColumn<QImage>("image");
        QImage patterned = Palette16Picture(70, 9);
        for (int x = 10; x < 60; ++x)
            patterned.setPixel(x, 4, 7);  // a long run among the pattern
        // Speckle: runs and absolute stretches of a few pixels, down to the rows' last bytes.
        QImage speckled = Palette16Picture(61, 40);
        QRandomGenerator random(7);
        for (int y = 0; y < speckled.height(); ++y)
            for (int x = 0; x < speckled.width(); ++x)
                speckled.setPixel(x, y, random.bounded(3));
        for (int bits : {8, 4}) {
            QTest::newRow(qPrintable(QStringLiteral("RLE%1 patterned").arg(bits))) << bits << patterned;
            QTest::newRow(qPrintable(QStringLiteral("RLE%1 speckled").arg(bits))) << bits << speckled;
        }
    }
    void runLengthEncodedPictureRoundTrips()
    {
        QFETCH(int, bitsPerPixel);
        QFETCH(QImage, image);
        BmpLayout layout = LayoutFor(image, bitsPerPixel);
        layout.compression = bitsPerPixel == 8 ? 1 : 2;
        layout.pixels = EncodeRle(image, bitsPerPixel);
        layout.imageSize = quint32(layout.pixels.size());
        const TBitmap bitmap = Read(WriteBmp(layout));
        ComparePixels(bitmap.Image(), image);
        QCOMPARE(bitmap.Header().compression, quint32(layout.compression));
    }

    void shortPixelDataLeavesPixelValueZero_data()
    {
        QTest::addColumn<int>("bitsPerPixel");
        QTest::addColumn<bool>("topDown");
        QTest::addColumn<QRgb>("valueZero");
        for (bool topDown : {false, true}) {
            const char* order = topDown ? ", top-down" : "";
            QTest::newRow(qPrintable(QStringLiteral("8 bits%1").arg(order))) << 8 << topDown << qRgb(0, 255, 0);
            QTest::newRow(qPrintable(QStringLiteral("4 bits%1").arg(order))) << 4 << topDown << qRgb(0, 255, 0);
            QTest::newRow(qPrintable(QStringLiteral("24 bits%1").arg(order))) << 24 << topDown << qRgb(0, 0, 0);
            QTest::newRow(qPrintable(QStringLiteral("32 bits%1").arg(order))) << 32 << topDown << qRgb(0, 0, 0);
        }
    }
    void shortPixelDataLeavesPixelValueZero()
    {
        QFETCH(int, bitsPerPixel);
        QFETCH(bool, topDown);
        QFETCH(QRgb, valueZero);
        QImage image(4, 5, QImage::Format_Indexed8);
        image.setColorTable(QList<QRgb>{qRgb(0, 255, 0), qRgb(200, 100, 50)} + QList<QRgb>(14, qRgb(1, 1, 1)));
        image.fill(1);
        BmpLayout layout = LayoutFor(image, bitsPerPixel, topDown);
        if (bitsPerPixel <= 8)
            layout.colourTable.resize(1 << bitsPerPixel, qRgb(1, 1, 1));
        layout.coloursUsed = 0;
        // One row, then the first pixel of the next.
        layout.pixels = layout.pixels.left(layout.pixels.size() / 5 + std::max(1, bitsPerPixel / 8));
        const QImage read = Read(WriteBmp(layout)).Image();
        const int firstStored = topDown ? 0 : 4;
        const int step = topDown ? 1 : -1;
        QCOMPARE(read.pixel(0, firstStored), qRgb(200, 100, 50));
        QCOMPARE(read.pixel(0, firstStored + step), qRgb(200, 100, 50));  // the cut row's first pixel
        QCOMPARE(read.pixel(3, firstStored + step), valueZero);
        for (int i = 2; i < 5; ++i)
            for (int x = 0; x < 4; ++x)
                QCOMPARE(read.pixel(x, firstStored + i * step), valueZero);
    }

    void headerImageSizeLimitsThePixelBytes()
    {
        BmpLayout layout;
        layout.width = 1;
        layout.height = 3;
        layout.pixels = QByteArray::fromHex("ffffff00 ffffff00 ffffff00");
        layout.imageSize = 4;  // one row
        const QImage image = Read(WriteBmp(layout)).Image();
        QCOMPARE(image.pixel(0, 2), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(0, 1), qRgb(0, 0, 0));
    }

    void surplusBytesAfterTheImageAreIgnored()
    {
        BmpLayout layout;
        layout.width = 1;
        layout.height = 1;
        layout.pixels = QByteArray::fromHex("01020300") + QByteArray(1000, '\x55');
        layout.imageSize = 1004;
        const TBitmap bitmap = Read(WriteBmp(layout));
        QCOMPARE(bitmap.Image().pixel(0, 0), qRgb(3, 2, 1));
    }

    void headerIsKeptAsRead()
    {
        BmpLayout layout = LayoutFor(Palette16Picture(3, 2), 4);
        layout.headerSize = 124;
        layout.xPixelsPerMetre = 3780;
        layout.yPixelsPerMetre = -5;
        const BmpInfoHeader header = Read(WriteBmp(layout)).Header();
        QCOMPARE(header.size, 124u);
        QCOMPARE(header.width, 3);
        QCOMPARE(header.height, 2);
        QCOMPARE(header.xPixelsPerMetre, 3780);
        QCOMPARE(header.yPixelsPerMetre, -5);
        QCOMPARE(header.coloursUsed, 16u);
        QCOMPARE(header.imageSize, 8u);
        QCOMPARE(header.extraFields.size(), 124 - 40);
    }

    void errorsOfTheFailureTable_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("failure");
        const QString read = QStringLiteral("EReadError: ") + ReadError;
        const QString invalid = QStringLiteral("EInvalidGraphic: ") + InvalidBitmap;
        const QString memory = QStringLiteral("EOutOfMemory: ") + OutOfMemory;
        const QByteArray good = WriteBmp(LayoutFor(Palette16Picture(4, 4), 8));
        QTest::newRow("1 byte") << good.left(1) << read;
        QTest::newRow("13 bytes") << good.left(13) << read;
        // Other formats are known by their first bytes and read by Qt: these stop in their headers.
        const QString damaged =
            QStringLiteral("EInvalidGraphic: Image illisible : le fichier \"mémoire\" est endommagé ou incomplet");
        QTest::newRow("PNG") << QByteArray::fromHex("89504e470d0a1a0a0000000d49484452") << damaged;
        QTest::newRow("JPEG") << QByteArray::fromHex("ffd8ffe000104a46494600010100") << damaged;
        QTest::newRow("GIF") << QByteArray::fromHex("474946383961010001000000003b") << damaged;
        QTest::newRow("MB reversed") << QByteArray("MB") + good.mid(2)
                                     << QStringLiteral("EInvalidGraphic: Image non reconnue : le fichier \"mémoire\" "
                                                       "n'est pas une image BMP, PNG, JPEG, TIFF, WebP ou GIF, les "
                                                       "seules que Sondelio lit");
        QTest::newRow("ends before the header size") << good.left(16) << read;
        QTest::newRow("ends inside the header") << good.left(14 + 30) << read;
        QTest::newRow("ends inside the colour table") << good.left(14 + 40 + 63) << read;
        QTest::newRow("ends inside a core table") << [] {
            BmpLayout layout = LayoutFor(Palette16Picture(2, 2), 8);
            layout.headerSize = 12;
            layout.colourTable.resize(256);
            layout.coloursUsed = 0;
            return WriteBmp(layout).left(14 + 12 + 767);
        }() << read;
        auto layout = [](auto change) {
            BmpLayout s;
            s.width = 2;
            s.height = 2;
            s.pixels = QByteArray(16, '\x40');
            s.colourTable = {qRgb(0, 0, 0)};
            s.coloursUsed = 1;
            change(s);
            return WriteBmp(s);
        };
        QTest::newRow("masks cut short") << layout([](BmpLayout& s) {
            s.bitsPerPixel = 16;
            s.compression = 3;
            s.masks = {0xF00, 0xF0, 0xF};
            s.pixels.clear();
            s.colourTable.clear();
            s.coloursUsed = 0;
        }).chopped(1) << read;
        QTest::newRow("colours used beyond the data") << layout([](BmpLayout& s) { s.coloursUsed = 0xFFFFFFFF; }) << read;
        QTest::newRow("planes 2") << layout([](BmpLayout& s) { s.planes = 2; }) << invalid;
        QTest::newRow("planes 0") << layout([](BmpLayout& s) { s.planes = 0; }) << invalid;
        for (quint32 size : {0u, 4u, 11u, 13u, 39u})
            QTest::newRow(qPrintable(QStringLiteral("header size %1").arg(size)))
                << layout([size](BmpLayout& s) { s.headerSize = size; }) << invalid;
        for (int bits : {0, 2, 3, 48, 64})
            QTest::newRow(qPrintable(QStringLiteral("%1 bits").arg(bits)))
                << layout([bits](BmpLayout& s) { s.bitsPerPixel = bits; }) << invalid;
        QTest::newRow("embedded JPEG") << layout([](BmpLayout& s) { s.compression = 4; }) << invalid;
        QTest::newRow("embedded PNG") << layout([](BmpLayout& s) { s.compression = 5; }) << invalid;
        QTest::newRow("RLE8 at 4 bits") << layout([](BmpLayout& s) { s.bitsPerPixel = 4; s.compression = 1; }) << invalid;
        QTest::newRow("RLE4 at 8 bits") << layout([](BmpLayout& s) { s.bitsPerPixel = 8; s.compression = 2; }) << invalid;
        QTest::newRow("RLE at 24 bits") << layout([](BmpLayout& s) { s.compression = 1; }) << invalid;
        QTest::newRow("masks at 24 bits") << layout([](BmpLayout& s) { s.compression = 3; }) << invalid;
        QTest::newRow("masks at 8 bits") << layout([](BmpLayout& s) { s.bitsPerPixel = 8; s.compression = 3; }) << invalid;
        QTest::newRow("RLE top-down") << layout([](BmpLayout& s) {
            s.bitsPerPixel = 8;
            s.compression = 1;
            s.height = -2;
        }) << invalid;
        QTest::newRow("masks not contiguous") << layout([](BmpLayout& s) {
            s.bitsPerPixel = 32;
            s.compression = 3;
            s.masks = {0xF0F000, 0xFF00, 0xFF};
        }) << invalid;
        QTest::newRow("all masks zero") << layout([](BmpLayout& s) {
            s.bitsPerPixel = 16;
            s.compression = 3;
            s.masks = {0, 0, 0};
        }) << invalid;
        QTest::newRow("masks missing from a 44-byte header") << layout([](BmpLayout& s) {
            s.bitsPerPixel = 32;
            s.compression = 3;
            s.headerSize = 44;
        }) << invalid;
        QTest::newRow("width 0") << layout([](BmpLayout& s) { s.width = 0; }) << invalid;
        QTest::newRow("negative width") << layout([](BmpLayout& s) { s.width = -2; }) << invalid;
        QTest::newRow("height 0") << layout([](BmpLayout& s) { s.height = 0; }) << invalid;
        QTest::newRow("core 65535 squared at 32 bits") << layout([](BmpLayout& s) {
            s.headerSize = 12;
            s.width = 65535;
            s.height = 65535;
            s.bitsPerPixel = 32;
        }) << memory;
        QTest::newRow("lowest height") << layout([](BmpLayout& s) { s.height = std::numeric_limits<int>::min(); }) << memory;
        QTest::newRow("2^31 bytes of 8-bit pixels") << layout([](BmpLayout& s) {
            s.bitsPerPixel = 8;
            s.width = 65536;
            s.height = 32768;
        }) << memory;
        QTest::newRow("RLE8 50000 squared") << layout([](BmpLayout& s) {
            s.bitsPerPixel = 8;
            s.compression = 1;
            s.width = 50000;
            s.height = 50000;
        }) << memory;
        QTest::newRow("RLE4 unpacks to a byte a pixel") << layout([](BmpLayout& s) {
            s.bitsPerPixel = 4;
            s.compression = 2;
            s.width = 70000;
            s.height = 40000;
        }) << memory;
        QTest::newRow("absurd depth and height") << layout([](BmpLayout& s) {
            s.bitsPerPixel = 0x6018;
            s.width = 0x02000003;
            s.height = 0x1EBD10;
        }) << invalid;
        QTest::newRow("widest 32-bit row") << layout([](BmpLayout& s) {
            s.bitsPerPixel = 32;
            s.width = std::numeric_limits<int>::max();
        }) << memory;
    }
    void errorsOfTheFailureTable()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, failure);
        QCOMPARE(ReadFailure(bytes), failure);
    }

    // Widths and heights at the ends of their fields, at every depth and compression, in files
    // of a few bytes: each read ends in the reader's own error, with no arithmetic overflow on
    // the way (the sanitizer build stops at the first).
    void sizesAtTheEndsOfTheirFields_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("failure");
        const QString invalid = QStringLiteral("EInvalidGraphic: ") + InvalidBitmap;
        const QString memory = QStringLiteral("EOutOfMemory: ") + OutOfMemory;
        struct Encoding {
            const char* name;
            int bits;
            quint32 compression;
            QList<quint32> masks;
        };
        const QList<Encoding> encodings{
            {"1 bit", 1, 0, {}},        {"4 bits", 4, 0, {}},
            {"RLE4", 4, 2, {}},         {"8 bits", 8, 0, {}},
            {"RLE8", 8, 1, {}},         {"16 bits", 16, 0, {}},
            {"16 bits, masks", 16, 3, {0xF00, 0xF0, 0xF}},
            {"24 bits", 24, 0, {}},     {"32 bits", 32, 0, {}},
            {"32 bits, masks", 32, 3, {0xFF, 0xFF00, 0xFF0000}}};
        constexpr qint32 Most = std::numeric_limits<qint32>::max();
        constexpr qint32 Least = std::numeric_limits<qint32>::min();
        const QList<std::tuple<const char*, qint32, qint32>> sizes{
            {"widest and tallest", Most, Most}, {"widest, lowest", Most, Least},
            {"widest, one row", Most, 1},       {"widest, one row top-down", Most, -1},
            {"one column, tallest", 1, Most},   {"one column, lowest", 1, Least}};
        for (const Encoding& encoding : encodings) {
            BmpLayout layout;
            layout.bitsPerPixel = encoding.bits;
            layout.compression = encoding.compression;
            layout.masks = encoding.masks;
            layout.pixels = QByteArray(8, '\x11');
            if (encoding.bits <= 8) {
                layout.colourTable = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
                layout.coloursUsed = 2;
            }
            for (const auto& [name, width, height] : sizes) {
                layout.width = width;
                layout.height = height;
                const bool topDownRuns = encoding.compression == 1 || encoding.compression == 2;
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(encoding.name, name)))
                    << WriteBmp(layout) << (topDownRuns && height < 0 ? invalid : memory);
            }
            if (encoding.compression != 0)
                continue;
            // The core form's largest picture; at 1 bit it takes 512 MiB, and is read.
            layout.headerSize = 12;
            layout.width = layout.height = 0xFFFF;
            layout.colourTable.resize(encoding.bits <= 8 ? 1 << encoding.bits : 0);
            QTest::newRow(qPrintable(QStringLiteral("%1, core 65535 squared").arg(encoding.name)))
                << WriteBmp(layout) << (encoding.bits == 1 ? QString() : memory);
        }
    }
    void sizesAtTheEndsOfTheirFields()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, failure);
        QCOMPARE(ReadFailure(bytes), failure);
    }

    // A width past what a Qt image can hold, at every layout, in a file of a few bytes. Seven
    // rows of it would fit the memory allowed (1.75 GiB): nothing is reserved before the
    // refusal.
    void tooWideForAnImageIsRefusedBeforeReserving_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QList<quint32> masks16{0xF00, 0xF0, 0xF};
        const QList<quint32> masks32{0xFF, 0xFF00, 0xFF0000};
        const QList<std::tuple<const char*, int, quint32, int, QList<quint32>>> cases{
            {"1 bit", 1, 0, std::numeric_limits<int>::max(), {}},
            {"4 bits", 4, 0, 268435460, {}},
            {"RLE4", 4, 2, 268435460, {}},
            {"8 bits", 8, 0, 268435460, {}},
            {"RLE8", 8, 1, 268435460, {}},
            {"16 bits", 16, 0, 134217730, {}},
            {"16 bits, masks", 16, 3, 67108865, masks16},
            {"24 bits", 24, 0, 89478486, {}},
            {"32 bits", 32, 0, 67108865, {}},
            {"32 bits, masks", 32, 3, 67108865, masks32}};
        for (const auto& [name, bits, compression, width, masks] : cases) {
            BmpLayout layout;
            layout.width = width;
            layout.height = 7;
            layout.bitsPerPixel = bits;
            layout.compression = compression;
            layout.masks = masks;
            if (bits <= 8) {
                layout.colourTable = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
                layout.coloursUsed = 2;
            }
            layout.pixels = QByteArray(8, '\x11');
            QTest::newRow(name) << WriteBmp(layout);
        }
    }
    void tooWideForAnImageIsRefusedBeforeReserving()
    {
        QFETCH(QByteArray, bytes);
        const MeasuredRead read = ReadInChild(bytes);
        QCOMPARE(read.failure, QStringLiteral("EOutOfMemory: ") + OutOfMemory);
        QVERIFY2(read.peakMiB >= 0 && read.peakMiB < 64, qPrintable(QStringLiteral("%1 MiB").arg(read.peakMiB)));
    }

    // One rule widens a channel to 8 bits wherever its mask sits: standard 5-5-5 and 5-6-5
    // pixels, which go straight into Qt's own 16-bit formats, give the same levels as the same
    // values under any other masks.
    void channelValueGivesOneLevelWhateverTheMasks_data()
    {
        QTest::addColumn<int>("channelBits");
        QTest::addColumn<int>("bitsPerPixel");
        QTest::addColumn<QList<quint32>>("masks");
        QTest::newRow("5 bits, shifted left") << 5 << 16 << QList<quint32>{0xF800, 0x07C0, 0x003E};
        QTest::newRow("5 bits, blue high") << 5 << 16 << QList<quint32>{0x001F, 0x03E0, 0x7C00};
        QTest::newRow("5 bits in 32") << 5 << 32 << QList<quint32>{0x7C00, 0x03E0, 0x001F};
        QTest::newRow("5 bits at the top of 32") << 5 << 32 << QList<quint32>{0xF8000000, 0x00F80000, 0x0000F800};
        QTest::newRow("6 bits, green high") << 6 << 16 << QList<quint32>{0x001F, 0xFC00, 0x03E0};
        QTest::newRow("6 bits in 32") << 6 << 32 << QList<quint32>{0x1F0000, 0x3F00, 0x1F};
    }
    void channelValueGivesOneLevelWhateverTheMasks()
    {
        QFETCH(int, channelBits);
        QFETCH(int, bitsPerPixel);
        QFETCH(QList<quint32>, masks);
        const QList<quint32> standard =
            channelBits == 5 ? QList<quint32>{} : QList<quint32>{0xF800, 0x07E0, 0x001F};
        const QImage straight = Read(WriteBmp(EveryChannelValue(16, standard, channelBits))).Image();
        QCOMPARE(straight.format(), channelBits == 5 ? QImage::Format_RGB555 : QImage::Format_RGB16);
        const QImage masked = Read(WriteBmp(EveryChannelValue(bitsPerPixel, masks, channelBits))).Image();
        // As the screen gets them.
        ComparePixels(masked.convertToFormat(QImage::Format_RGB32), straight.convertToFormat(QImage::Format_RGB32));
    }

    // A channel wider than 8 bits gives the nearest level to each of its values.
    void wideChannelGivesTheNearestLevel_data()
    {
        QTest::addColumn<int>("channelBits");
        QTest::addColumn<QList<quint32>>("masks");
        QTest::newRow("10-10-10") << 10 << QList<quint32>{0x3FF00000, 0x000FFC00, 0x000003FF};
        QTest::newRow("11-11-10, blue cut") << 11 << QList<quint32>{0xFFE00000, 0x001FFC00, 0x000003FF};
        QTest::newRow("12 bits") << 12 << QList<quint32>{0x00FFF000, 0x00000FFF, 0xFF000000};
        QTest::newRow("16 bits") << 16 << QList<quint32>{0xFFFF0000, 0x0000FF00, 0x000000FF};
    }
    void wideChannelGivesTheNearestLevel()
    {
        QFETCH(int, channelBits);
        QFETCH(QList<quint32>, masks);
        const QImage image = Read(WriteBmp(EveryChannelValue(32, masks, channelBits))).Image();
        for (int v = 0; v < image.width(); ++v) {
            const QRgb seen = image.pixel(v, 0);
            const int levels[] = {qRed(seen), qGreen(seen), qBlue(seen)};
            for (int channel = 0; channel < 3; ++channel) {
                const int bits = std::popcount(masks[channel]);
                const int value = v >> (channelBits - bits);
                const int nearest = qRound(value * 255.0 / ((1 << bits) - 1));
                QVERIFY2(levels[channel] == nearest,
                         qPrintable(QStringLiteral("value %1 of %2 bits gave %3").arg(value).arg(bits).arg(levels[channel])));
            }
        }
    }

    void failedReadKeepsThePicture()
    {
        const QImage image = TrueColourPicture(5, 5);
        TBitmap bitmap;
        QVERIFY_THROWS_EXCEPTION(EReadError, ReadInto(bitmap, WriteBmp(LayoutFor(image, 24)).left(30)));
        QVERIFY(bitmap.Empty());
        ReadInto(bitmap, WriteBmp(LayoutFor(image, 24)));
        QVERIFY_THROWS_EXCEPTION(EInvalidGraphic, ReadInto(bitmap, QByteArray(20, 'x')));
        QVERIFY_THROWS_EXCEPTION(EOutOfMemory, ReadInto(bitmap, [] {
            BmpLayout huge;
            huge.width = huge.height = 60000;
            return WriteBmp(huge);
        }()));
        ComparePixels(bitmap.Image(), image);
        ReadInto(bitmap, {});
        QVERIFY(bitmap.Empty());
    }

    void readsFromTheCurrentPosition()
    {
        const QImage image = TrueColourPicture(3, 2);
        QBuffer buffer;
        buffer.setData(QByteArray("prefix") + WriteBmp(LayoutFor(image, 24)));
        buffer.open(QIODevice::ReadOnly);
        buffer.seek(6);
        TBitmap bitmap;
        bitmap.ReadPictureStream(buffer, QStringLiteral("mémoire"));
        ComparePixels(bitmap.Image(), image);
    }

    void everyCutGivesAPictureOrAListedError_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("lengthOfPixelData");
        BmpLayout eight = LayoutFor(Palette16Picture(5, 4), 8);
        QTest::newRow("8 bits, 16 colours") << WriteBmp(eight) << int(eight.pixels.size());
        BmpLayout core = LayoutFor(TrueColourPicture(3, 3), 24);
        core.headerSize = 12;
        QTest::newRow("core, 24 bits") << WriteBmp(core) << int(core.pixels.size());
        BmpLayout masked;
        masked.width = 3;
        masked.height = 2;
        masked.bitsPerPixel = 16;
        masked.compression = 3;
        masked.masks = {0xF00, 0xF0, 0xF};
        masked.pixels = QByteArray(16, '\x5A');
        QTest::newRow("16 bits, masks") << WriteBmp(masked) << int(masked.pixels.size());
        masked.headerSize = 108;
        QTest::newRow("16 bits, masks in the header") << WriteBmp(masked) << int(masked.pixels.size());
        BmpLayout rle = LayoutFor(Palette16Picture(20, 6), 4);
        rle.compression = 2;
        rle.pixels = EncodeRle(Palette16Picture(20, 6), 4);
        QTest::newRow("RLE4") << WriteBmp(rle) << int(rle.pixels.size());
    }
    void everyCutGivesAPictureOrAListedError()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, lengthOfPixelData);
        const int pixelStart = int(bytes.size()) - lengthOfPixelData;
        for (int length = 0; length <= bytes.size(); ++length) {
            const QString failure = ReadFailure(bytes.left(length));
            const QString expected = length == 0 || length >= pixelStart
                ? QString()
                : QStringLiteral("EReadError: ") + ReadError;
            if (failure != expected)
                QFAIL(qPrintable(QStringLiteral("cut at %1: \"%2\"").arg(length).arg(failure)));
        }
    }

    void loadsFileWrittenByHelper()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("carte.bmp"));
        const QImage image = TrueColourPicture(30, 20);
        WriteBmpFile(path, image);
        TBitmap bitmap;
        bitmap.LoadPictureFile(path);
        ComparePixels(bitmap.Image(), image);
    }
};

QTEST_MAIN(BitmapTest)
#include "test_bitmap.moc"
