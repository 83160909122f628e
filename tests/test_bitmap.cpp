// Reading BMP pictures: every header form and depth, masks, colour tables, run-length encoding,
// short files and the error texts, all built with the test BMP writer.

#include "app/Errors.h"
#include "helpers/BmpWriter.h"
#include "picture/TBitmap.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QString ReadError = QStringLiteral("Erreur de lecture du flux");
const QString InvalidBitmap = QStringLiteral("Image bitmap incorrecte");
const QString OutOfMemory = QStringLiteral("Mémoire insuffisante");

TBitmap Read(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    TBitmap bitmap;
    bitmap.ReadPictureStream(buffer);
    return bitmap;
}

// The error a read raises, as "Class: message"; empty when the read succeeds.
QString ReadFailure(const QByteArray& bytes)
{
    try {
        Read(bytes);
        return {};
    } catch (const Exception& error) {
        return error.ClassName + QStringLiteral(": ") + error.Message;
    }
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
        const TBitmap bitmap = Read(WriteBmp(SpecFor(image, bitsPerPixel, topDown)));
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
        BmpSpec spec;
        spec.width = 600;
        spec.height = height;
        spec.pixels = QByteArray(600 * 3 * 400, '\x7F');
        const TBitmap bitmap = Read(WriteBmp(spec));
        QCOMPARE(bitmap.Width(), 600);
        QCOMPARE(bitmap.Height(), 400);
        QCOMPARE(bitmap.Image().pixel(599, 399), qRgb(0x7F, 0x7F, 0x7F));
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
