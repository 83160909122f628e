// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// Maps in the common formats besides BMP: each read from its content whatever its name, a JPEG
// turned by its orientation tag, transparency on white, and the failures of each kind; and
// map2png, which writes what the map window would draw.

#include "core/Errors.h"
#include "bench/PhotoLike.h"
#include "helpers/BmpWriter.h"
#include "helpers/Files.h"
#include "helpers/MeasuredRead.h"
#include "helpers/Photos.h"
#include "picture/TBitmap.h"

#include <QBuffer>
#include <QImageReader>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

namespace {

const QColor Red(255, 0, 0);
const QColor Blue(0, 0, 255);
const QColor White(255, 255, 255);

using Samples = QList<std::pair<QPoint, QColor>>;

// 32 x 16: red on the left, blue on the right, in blocks that lossy formats keep.
QImage RedLeftBlueRight(QImage::Format format = QImage::Format_RGB32)
{
    QImage image(32, 16, format);
    image.fill(Red);
    for (int y = 0; y < 16; ++y)
        for (int x = 16; x < 32; ++x)
            image.setPixelColor(x, y, Blue);
    return image;
}

quint32 Crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFF;
    for (const char byte : bytes) {
        crc ^= uchar(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
    }
    return ~crc;
}

// A real PNG whose header claims another size, its checksum made right.
QByteArray PngDeclaring(quint32 width, quint32 height, const QImage& image = RedLeftBlueRight())
{
    QByteArray png = Encoded(image, "png");
    const auto put32 = [&png](qsizetype at, quint32 value) {
        for (int i = 0; i < 4; ++i)
            png[at + i] = char(value >> (24 - 8 * i));
    };
    put32(16, width);
    put32(20, height);
    put32(29, Crc32(png.mid(12, 17)));
    return png;
}

// Noise, so that a cut or a change falls inside the compressed data.
QImage Noise(QImage::Format format = QImage::Format_RGB32)
{
    QImage noise(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            noise.setPixel(x, y, qRgb(x * 37 % 256, y * 91 % 256, (x * y) % 256));
    return noise.convertToFormat(format);
}

// Where a JPEG's compressed data begins, after its first scan header.
qsizetype JpegScanStart(const QByteArray& jpeg)
{
    const qsizetype scan = jpeg.indexOf("\xFF\xDA");
    return scan + 2 + (uchar(jpeg[scan + 2]) << 8 | uchar(jpeg[scan + 3]));
}

// A real JPEG whose frame header claims another precision or size.
QByteArray JpegDeclaring(QByteArray jpeg, int precision, quint16 width, quint16 height)
{
    const qsizetype frame = jpeg.indexOf("\xFF\xC0") + 4;
    jpeg[frame] = char(precision);
    jpeg[frame + 1] = char(height >> 8);
    jpeg[frame + 2] = char(height);
    jpeg[frame + 3] = char(width >> 8);
    jpeg[frame + 4] = char(width);
    return jpeg;
}

// An uncompressed TIFF, little-endian, its directory right after its header, then the values
// too long for the directory, then its pixels in one strip.
QByteArray HandMadeTiff(quint32 width, quint32 height, const QList<quint16>& bitsPerSample, quint16 photometric,
                        const QByteArray& pixels)
{
    const auto le = [](quint32 value, int bytes) {
        QByteArray out;
        for (int i = 0; i < bytes; ++i)
            out += char(value >> (8 * i));
        return out;
    };
    constexpr int Entries = 9;
    const quint32 valuesAt = 8 + 2 + Entries * 12 + 4;
    const bool bitsOutside = bitsPerSample.size() > 2;
    const quint32 pixelsAt = valuesAt + (bitsOutside ? 2 * bitsPerSample.size() : 0);
    QByteArray bits;
    for (quint16 b : bitsPerSample)
        bits += le(b, 2);
    const auto entry = [&](quint16 tag, quint16 type, quint32 count, const QByteArray& value) {
        return le(tag, 2) + le(type, 2) + le(count, 4) + value.leftJustified(4, '\0');
    };
    QByteArray tiff = QByteArray("II*\0", 4) + le(8, 4) + le(Entries, 2);
    tiff += entry(256, 4, 1, le(width, 4)) + entry(257, 4, 1, le(height, 4));
    tiff += entry(258, 3, quint32(bitsPerSample.size()), bitsOutside ? le(valuesAt, 4) : bits);
    tiff += entry(259, 3, 1, le(1, 2)) + entry(262, 3, 1, le(photometric, 2)) + entry(273, 4, 1, le(pixelsAt, 4));
    tiff += entry(277, 3, 1, le(quint32(bitsPerSample.size()), 2)) + entry(278, 4, 1, le(height, 4));
    tiff += entry(279, 4, 1, le(quint32(pixels.size()), 4)) + le(0, 4);
    return tiff + (bitsOutside ? bits : QByteArray()) + pixels;
}

// Four by two, two frames. The first: red, blue on its right half, one transparent pixel at
// (0, 1); the second wholly another picture.
QByteArray TwoFrameGif()
{
    return QByteArray::fromHex(
        "47494638396104000200f10000ff00000000ff00000000000021f904010000020021ff0b4e455453434150"
        "45322e3003010000002c0000000004000200000204041272510021f90401000000002c0000000004000200"
        "800000000000000203846f05003b");
}

bool Near(const QColor& seen, const QColor& wanted)
{
    return std::abs(seen.red() - wanted.red()) <= 24 && std::abs(seen.green() - wanted.green()) <= 24 &&
           std::abs(seen.blue() - wanted.blue()) <= 24;
}

}  // namespace

class PictureFormatsTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        QVERIFY(QDir::setCurrent(dir.path()));
    }

    void eachFormatIsReadAsTheMapShowsIt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("bitsPerPixel");
        QTest::addColumn<Samples>("samples");
        const Samples sideBySide = {{{8, 8}, Red}, {{24, 8}, Blue}};
        const QSize wide(32, 16);
        QTest::newRow("PNG") << "carte.png" << Encoded(RedLeftBlueRight(), "png") << wide << 32 << sideBySide;
        QTest::newRow("JPEG") << "carte.jpg" << Encoded(RedLeftBlueRight(), "jpeg") << wide << 32 << sideBySide;
        // Orientation 6: the picture is turned a quarter clockwise to be seen upright.
        QTest::newRow("JPEG, orientation 6")
            << "photo.jpg" << WithOrientation(Encoded(RedLeftBlueRight(), "jpeg"), 6) << QSize(16, 32) << 32
            << Samples{{{8, 8}, Red}, {{8, 24}, Blue}};
        QTest::newRow("TIFF") << "carte.tif" << Encoded(RedLeftBlueRight(), "tiff") << wide << 32 << sideBySide;
        QTest::newRow("WebP") << "carte.webp" << Encoded(RedLeftBlueRight(), "webp") << wide << 32 << sideBySide;
        QTest::newRow("GIF, its first frame, transparency on white")
            << "carte.gif" << TwoFrameGif() << QSize(4, 2) << 32
            << Samples{{{0, 0}, Red}, {{3, 0}, Blue}, {{0, 1}, White}, {{3, 1}, Blue}};
        // Left half clear, right half black at half opacity: white, and grey.
        QImage seeThrough(32, 16, QImage::Format_ARGB32);
        seeThrough.fill(Qt::transparent);
        for (int y = 0; y < 16; ++y)
            for (int x = 16; x < 32; ++x)
                seeThrough.setPixel(x, y, qRgba(0, 0, 0, 128));
        QTest::newRow("PNG with transparency, on white")
            << "calque.png" << Encoded(seeThrough, "png") << wide << 32
            << Samples{{{8, 8}, White}, {{24, 8}, QColor(127, 127, 127)}};
        QImage indexed = RedLeftBlueRight().convertToFormat(QImage::Format_Indexed8);
        indexed.setColor(indexed.pixelIndex(0, 0), qRgba(255, 0, 0, 0));
        QTest::newRow("indexed PNG, a clear colour on white")
            << "palette.png" << Encoded(indexed, "png") << wide << 8 << Samples{{{8, 8}, White}, {{24, 8}, Blue}};
        QTest::newRow("PNG named .bmp") << "carte.bmp" << Encoded(RedLeftBlueRight(), "png") << wide << 32
                                        << sideBySide;
        QTest::newRow("JPEG without a name's extension")
            << "carte" << Encoded(RedLeftBlueRight(), "jpeg") << wide << 32 << sideBySide;
    }
    void eachFormatIsReadAsTheMapShowsIt()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QSize, size);
        QFETCH(int, bitsPerPixel);
        QFETCH(Samples, samples);
        WriteFile(name, content);
        TBitmap map;
        map.LoadPictureFile(name);
        QCOMPARE(QSize(map.Width(), map.Height()), size);
        QCOMPARE(PictureFileSize(name), size);  // the header alone tells the same
        QCOMPARE(int(map.Header().bitsPerPixel), bitsPerPixel);
        QVERIFY(!map.Image().hasAlphaChannel());
        for (const auto& [point, colour] : samples)
            QVERIFY2(Near(map.Image().pixelColor(point), colour),
                     qPrintable(QStringLiteral("(%1, %2) is %3").arg(point.x()).arg(point.y())
                                    .arg(map.Image().pixelColor(point).name())));
    }

    // Wanted at no less than `least`, a JPEG is decoded reduced by the largest of 1/2, 1/4 and 1/8
    // that leaves enough, rounded down; its header keeps the picture's own size, turned as the
    // picture is. It still shows red on the left, blue on the right.
    void aPhotoIsReadReducedWhereItMay_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QSize>("least");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("ownSize");
        const QSize photo(1600, 1200);
        const QByteArray jpeg = Encoded(RedLeftBlueRight().scaled(photo), "jpeg");
        QTest::newRow("an eighth") << jpeg << QSize(200, 150) << QSize(200, 150) << photo;
        QTest::newRow("a quarter: an eighth a row short") << jpeg << QSize(200, 151) << QSize(400, 300) << photo;
        QTest::newRow("a half") << jpeg << QSize(800, 600) << QSize(800, 600) << photo;
        QTest::newRow("whole: a half a column short") << jpeg << QSize(801, 600) << photo << photo;
        QTest::newRow("no size asked: whole") << jpeg << QSize() << photo << photo;
        const QSize odd(1003, 677);
        QTest::newRow("odd size, rounded down")
            << Encoded(RedLeftBlueRight().scaled(odd), "jpeg") << QSize(125, 84) << QSize(125, 84) << odd;
        // Turned upright: 1200 x 1600 as seen, 150 x 200 an eighth of that.
        QTest::newRow("orientation 6") << WithOrientation(jpeg, 6) << QSize(150, 200) << QSize(150, 200)
                                       << QSize(1200, 1600);
        QTest::newRow("orientation 6, wanted wider than an eighth")
            << WithOrientation(jpeg, 6) << QSize(200, 150) << QSize(300, 400) << QSize(1200, 1600);
        QTest::newRow("PNG: whole") << Encoded(RedLeftBlueRight().scaled(photo), "png") << QSize(200, 150) << photo
                                    << photo;
    }
    void aPhotoIsReadReducedWhereItMay()
    {
        QFETCH(QByteArray, content);
        QFETCH(QSize, least);
        QFETCH(QSize, size);
        QFETCH(QSize, ownSize);
        QBuffer buffer(&content);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        TBitmap map;
        map.ReadPictureStream(buffer, QStringLiteral("photo.jpg"), least);
        QCOMPARE(map.Image().size(), size);
        QCOMPARE(QSize(map.Header().width, map.Header().height), ownSize);
        // Red above blue once turned.
        const bool turned = ownSize.width() < ownSize.height();
        const QPoint redAt(size.width() / 4, size.height() / 4);
        const QPoint blueAt = turned ? QPoint(redAt.x(), size.height() * 3 / 4) : QPoint(size.width() * 3 / 4, redAt.y());
        QVERIFY(Near(map.Image().pixelColor(redAt), Red));
        QVERIFY(Near(map.Image().pixelColor(blueAt), Blue));
    }

    // A photo read at an eighth by the program's own decoder: the pixels Qt's reader gives at
    // that scale, turned as it turns them by each orientation tag.
    void anEighthAsQtsReaderGivesIt_data()
    {
        QTest::addColumn<int>("orientation");
        for (int orientation = 1; orientation <= 8; ++orientation)
            QTest::addRow("orientation %d", orientation) << orientation;
    }
    void anEighthAsQtsReaderGivesIt()
    {
        QFETCH(int, orientation);
        QByteArray content = WithOrientation(Encoded(PhotoLikePicture(1600, 1200), "jpeg"), quint16(orientation));
        QBuffer buffer(&content);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QImageReader reader(&buffer);
        reader.setAutoTransform(true);
        reader.setScaledSize(QSize(200, 150));
        const QImage qt = reader.read();
        buffer.seek(0);
        TBitmap map;
        map.ReadPictureStream(buffer, QStringLiteral("photo.jpg"), qt.size());
        QCOMPARE(map.Image(), qt);
    }

    // A BMP file's header alone tells the size its picture is read at, whatever its form.
    void bmpHeaderTellsThePictureSize_data()
    {
        QTest::addColumn<int>("headerSize");
        QTest::addColumn<int>("height");
        QTest::addColumn<QSize>("size");
        QTest::newRow("core header") << 12 << 5 << QSize(7, 5);
        QTest::newRow("bottom-up") << 40 << 5 << QSize(7, 5);
        QTest::newRow("top-down") << 124 << -5 << QSize(7, 5);
        QTest::newRow("no rows") << 40 << 0 << QSize();
    }
    void bmpHeaderTellsThePictureSize()
    {
        QFETCH(int, headerSize);
        QFETCH(int, height);
        QFETCH(QSize, size);
        BmpLayout layout;
        layout.width = 7;
        layout.height = height;
        layout.headerSize = quint32(headerSize);
        layout.pixels = QByteArray(24 * std::abs(height), '\0');
        WriteBmpFile(QStringLiteral("forme.bmp"), layout);
        QCOMPARE(PictureFileSize(QStringLiteral("forme.bmp")), size);
        if (!size.isEmpty()) {
            TBitmap map;
            map.LoadPictureFile(QStringLiteral("forme.bmp"));
            QCOMPARE(QSize(map.Width(), map.Height()), size);
        }
    }

    void failuresOfEachKind_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("failure");  // %1: the file's full name
        const QString damaged =
            QStringLiteral("EInvalidGraphic: Image illisible : le fichier \"%1\" est endommagé ou incomplet");
        const QString unknown = QStringLiteral("EInvalidGraphic: Image non reconnue : le fichier \"%1\" n'est pas une "
                                               "image BMP, PNG, JPEG, TIFF, WebP ou GIF, les seules que Sondelio lit");
        const QString unsupported = QStringLiteral("EInvalidGraphic: Image non prise en charge : le fichier \"%1\" est "
                                                   "%2, une sorte d'image que Sondelio ne sait pas lire");
        const QString memory = QStringLiteral("EOutOfMemory: Mémoire insuffisante");
        const QImage noise = Noise();
        const QByteArray jpeg = Encoded(noise, "jpeg");
        QTest::newRow("JPEG cut in its scan") << "coupee.jpg" << jpeg.left(jpeg.size() / 2) << damaged;
        QTest::newRow("JPEG without its end marker") << "coupee.jpg" << jpeg.chopped(2) << damaged;
        // Cut in the compressed data of its first frame.
        QTest::newRow("GIF cut in its first frame") << "coupee.gif" << TwoFrameGif().left(66) << damaged;
        const QByteArray png = Encoded(noise, "png");
        QTest::newRow("PNG cut in its pixels") << "coupee.png" << png.left(png.size() / 2) << damaged;
        QTest::newRow("PNG declaring 100000 x 100000")
            << "immense.png" << PngDeclaring(100000, 100000) << "EOutOfMemory: Mémoire insuffisante";
        // 32 bits a pixel as Qt decodes it: 16384 x 32768 is 2^31 bytes, one past the rule.
        QTest::newRow("PNG declaring one byte too many")
            << "immense.png" << PngDeclaring(16384, 32768) << "EOutOfMemory: Mémoire insuffisante";
        QTest::newRow("PNG declaring just enough, its pixels missing")
            << "grande.png" << PngDeclaring(16384, 32767) << damaged;
        // The decoder's warnings: the picture it gives would be shifted and colour-cast.
        QByteArray garbled = jpeg;
        for (qsizetype at = JpegScanStart(jpeg) + 100; at < JpegScanStart(jpeg) + 140; ++at)
            garbled[at] = char((uchar(garbled[at]) * 7 + 13) & 0xFE);
        QTest::newRow("JPEG with damaged data") << "abimee.jpg" << garbled << damaged;
        QTest::newRow("JPEG whose scan stops early")
            << "abimee.jpg" << jpeg.left(JpegScanStart(jpeg) + 300) + "\xFF\xD9" << damaged;
        const QByteArray paletteTiff = Encoded(Noise(QImage::Format_Indexed8), "tiff");
        QTest::newRow("palette TIFF cut in its colour map") << "coupee.tif" << paletteTiff.chopped(500) << damaged;
        QTest::newRow("TIFF cut in its pixels")
            << "coupee.tif" << HandMadeTiff(16, 16, {8, 8, 8}, 2, QByteArray(768, '\x40')).chopped(100) << damaged;
        // Valid files that the readers cannot decode.
        QTest::newRow("12-bit JPEG") << "medical.jpg" << JpegDeclaring(jpeg, 12, 64, 64)
                                     << unsupported.arg("%1", "un JPEG de 12 bits par composante");
        QTest::newRow("JPEG 65535 pixels wide") << "panorama.jpg" << JpegDeclaring(jpeg, 8, 65535, 8)
                                                << unsupported.arg("%1", "un JPEG de plus de 65 500 pixels de côté");
        QTest::newRow("16-bit CMYK TIFF") << "cmjn.tif" << HandMadeTiff(4, 4, {16, 16, 16, 16}, 5, QByteArray(128, '\0'))
                                          << unsupported.arg("%1", "un TIFF CMJN de 16 bits par composante");
        // Qt counts every picture at 32 bits a pixel at least.
        const QByteArray grey = Encoded(Noise(QImage::Format_Grayscale8), "jpeg");
        QTest::newRow("greyscale JPEG of 23200 x 23200") << "gris.jpg" << JpegDeclaring(grey, 8, 23200, 23200) << memory;
        QTest::newRow("greyscale JPEG of 23000 x 23000, its data missing")
            << "gris.jpg" << JpegDeclaring(grey, 8, 23000, 23000) << damaged;
        QTest::newRow("palette PNG of 40000 x 40000")
            << "palette.png" << PngDeclaring(40000, 40000, Noise(QImage::Format_Indexed8)) << memory;
        QTest::newRow("1-bit PNG of 100000 x 100000")
            << "trait.png" << PngDeclaring(100000, 100000, Noise(QImage::Format_Mono)) << memory;
        QTest::newRow("1-bit TIFF of 100000 x 100000")
            << "trait.tif" << HandMadeTiff(100000, 100000, {1}, 0, QByteArray(64, '\0')) << memory;
        QTest::newRow("text") << "notes.png" << QByteArray("Relevé des rizières, 3 mai\n") << unknown;
        // Qt reads it, but it is no map format.
        QTest::newRow("PPM") << "carte.ppm" << QByteArray("P3\n1 1\n255\n0 0 0\n") << unknown;
        QTest::newRow("PDF") << "plan.pdf" << QByteArray("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n1 0 obj\n") << unknown;
    }
    void failuresOfEachKind()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, failure);
        WriteFile(name, content);
        TBitmap map;
        QString seen;
        try {
            map.LoadPictureFile(name);
        } catch (const Exception& error) {
            seen = error.ClassName + QStringLiteral(": ") + error.Message;
        }
        QCOMPARE(seen, QString(failure).replace(QStringLiteral("%1"), dir.filePath(name)));
        QVERIFY(map.Empty());
    }

    // A file cut short or too small for the picture it declares is refused before the memory of
    // that picture is taken (a decoder would take it first: 2 GB for a 23000 x 23000 JPEG).
    void damagedIsRefusedBeforeItsMemoryIsTaken_data()
    {
        QTest::addColumn<QByteArray>("content");
        const QByteArray jpeg = JpegDeclaring(Encoded(Noise(), "jpeg"), 8, 23000, 23000);
        QTest::newRow("JPEG of 23000 x 23000, cut") << jpeg.left(173);
        QTest::newRow("JPEG of 23000 x 23000, its end marker after a few bytes")
            << jpeg.left(JpegScanStart(jpeg) + 16) + "\xFF\xD9";
        QTest::newRow("GIF of 16000 x 16000, 32 bytes")
            << QByteArray::fromHex("474946383961803e803e000000" "2c00000000803e803e00" "08" "05" "00010203" "04");
        QTest::newRow("PNG of 16384 x 32767, its pixels missing") << PngDeclaring(16384, 32767);
        QImage wide(1024, 1, QImage::Format_RGB32);
        wide.fill(Qt::white);
        QTest::newRow("PNG of 1024 x 524287, one row of pixels") << PngDeclaring(1024, 524287, wide);
    }
    void damagedIsRefusedBeforeItsMemoryIsTaken()
    {
        QFETCH(QByteArray, content);
        const MeasuredRead read = ReadInChild(content);
        QCOMPARE(read.failure,
                 QStringLiteral("EInvalidGraphic: Image illisible : le fichier \"mémoire\" est endommagé ou incomplet"));
        QVERIFY2(read.peakMiB >= 0 && read.peakMiB < 64, qPrintable(QStringLiteral("%1 MiB").arg(read.peakMiB)));
    }

    // Past Qt's own limit of 128 MB: 12000 x 11200 grey pixels.
    void largePhotoIsNotRefusedByQtsLimit()
    {
        QImage grey(12000, 11200, QImage::Format_Grayscale8);
        grey.fill(90);
        WriteFile(QStringLiteral("aerienne.png"), Encoded(grey, "png"));
        grey = QImage();
        TBitmap map;
        map.LoadPictureFile(QStringLiteral("aerienne.png"));
        QCOMPARE(map.Width(), 12000);
        QCOMPARE(map.Image().pixelColor(11999, 11199), QColor(90, 90, 90));
    }

    void map2pngWritesWhatTheWindowDraws_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("JPEG, orientation 6") << WithOrientation(Encoded(RedLeftBlueRight(), "jpeg"), 6) << 0 << "";
        QTest::newRow("text") << QByteArray("pas une image\n") << 1
                              << "Image non reconnue : le fichier \"%1\" n'est pas une image BMP, PNG, JPEG, TIFF, WebP "
                                 "ou GIF, les seules que Sondelio lit\n";
        QTest::newRow("empty") << QByteArray() << 1 << "Opération en virgule flottante incorrecte\n";
    }
    void map2pngWritesWhatTheWindowDraws()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, status);
        QFETCH(QString, message);
        WriteFile(QStringLiteral("entree"), content);
        QFile::remove(QStringLiteral("sortie.png"));
        QProcess tool;
        tool.start(QStringLiteral(SONDELIO_MAP2PNG), {QStringLiteral("entree"), QStringLiteral("sortie.png")});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), status);
        QCOMPARE(QString::fromUtf8(tool.readAllStandardError()), QString(message).replace("%1", dir.filePath("entree")));
        QCOMPARE(QFile::exists(QStringLiteral("sortie.png")), status == 0);
        if (status == 0) {
            const QImage written(QStringLiteral("sortie.png"));
            QCOMPARE(written.size(), QSize(16, 32));
            QVERIFY(Near(written.pixelColor(8, 8), Red));
            QVERIFY(Near(written.pixelColor(8, 24), Blue));
        }
    }

private:
    QTemporaryDir dir;
};

QTEST_MAIN(PictureFormatsTest)
#include "test_picture_formats.moc"
