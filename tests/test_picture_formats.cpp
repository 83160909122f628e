// Maps in the common formats besides BMP: each read from its content whatever its name, a JPEG
// turned by its orientation tag, transparency on white, and the failures of each kind; and
// map2png, which writes what the map window would draw.

#include "core/Errors.h"
#include "helpers/BmpWriter.h"
#include "picture/TBitmap.h"

#include <QBuffer>
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

QByteArray Encoded(const QImage& image, const QByteArray& format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(100);
    if (!writer.write(image))
        qFatal("cannot write %s: %s", format.constData(), qPrintable(writer.errorString()));
    return bytes;
}

// Qt writes no orientation tag: an EXIF segment holding only the tag goes right after the
// start-of-image marker.
QByteArray WithOrientation(const QByteArray& jpeg, quint16 orientation)
{
    QByteArray exif("Exif\0\0MM\0\x2a\0\0\0\x08", 14);
    exif += QByteArray::fromHex("0001" "0112" "0003" "00000001");
    exif += char(orientation >> 8);
    exif += char(orientation & 0xFF);
    exif += QByteArray::fromHex("0000" "00000000");
    QByteArray segment = QByteArray::fromHex("ffe1");
    segment += char((exif.size() + 2) >> 8);
    segment += char((exif.size() + 2) & 0xFF);
    return jpeg.left(2) + segment + exif + jpeg.mid(2);
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
QByteArray PngDeclaring(quint32 width, quint32 height)
{
    QByteArray png = Encoded(RedLeftBlueRight(), "png");
    const auto put32 = [&png](qsizetype at, quint32 value) {
        for (int i = 0; i < 4; ++i)
            png[at + i] = char(value >> (24 - 8 * i));
    };
    put32(16, width);
    put32(20, height);
    put32(29, Crc32(png.mid(12, 17)));
    return png;
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

void WriteFile(const QString& name, const QByteArray& content)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
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
        const QString invalid = QStringLiteral("EInvalidGraphic: Image bitmap incorrecte");
        // Noise, so that a cut falls inside the compressed scan.
        QImage noise(64, 64, QImage::Format_RGB32);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                noise.setPixel(x, y, qRgb(x * 37 % 256, y * 91 % 256, (x * y) % 256));
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
        QTest::newRow("text") << "notes.png" << QByteArray("Relevé des rizières, 3 mai\n") << invalid;
        // Qt reads it, but it is no map format.
        QTest::newRow("PPM") << "carte.ppm" << QByteArray("P3\n1 1\n255\n0 0 0\n") << invalid;
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
        QTest::newRow("text") << QByteArray("pas une image\n") << 1 << "Image bitmap incorrecte\n";
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
        QCOMPARE(QString::fromUtf8(tool.readAllStandardError()), message);
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
