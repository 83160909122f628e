// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// A large photo's map at an eighth by the program's own decoder: the very pixels libjpeg gives
// at that scale, for every way a JPEG may be laid out and however many cores share its data;
// whatever it does not take, or finds amiss, left to Qt's reader.

#include "bench/PhotoLike.h"
#include "helpers/LibjpegEighth.h"
#include "helpers/Photos.h"
#include "picture/JpegEighth.h"

#include <QTest>

Q_DECLARE_METATYPE(JpegLayout)

namespace {

// The good JPEG the damaged ones are made from, 4:2:0 with a restart marker every 10 MCUs.
QByteArray Sound()
{
    return EncodedByLibjpeg(PhotoLikePicture(320, 240), JpegLayout{.restartInterval = 10});
}

// Where the compressed data of a JPEG written by libjpeg begins: after its one scan's header.
qsizetype ScanData(const QByteArray& jpeg)
{
    const qsizetype header = jpeg.indexOf("\xFF\xDA");
    return header + 2 + ((uchar(jpeg[header + 2]) << 8) | uchar(jpeg[header + 3]));
}

}  // namespace

class JpegEighthTest : public QObject {
    Q_OBJECT
private slots:
    // Each layout at sizes whole in MCUs or not, the data shared by 1 to 5 cores: a core that
    // begins in the middle finds its footing, or begins at a restart marker; every core's work
    // is taken.
    void theSamePixelsAsLibjpeg_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<JpegLayout>("layout");
        QTest::addColumn<int>("most");  // stretches it may be shared in: one more than its restart markers
        QTest::newRow("4:2:0") << QSize(640, 480) << JpegLayout{} << 5;
        QTest::newRow("4:2:0, an odd size") << QSize(1003, 677) << JpegLayout{} << 5;
        QTest::newRow("4:2:0 at quality 100: long codes") << QSize(320, 240) << JpegLayout{.quality = 100} << 5;
        QTest::newRow("4:4:4") << QSize(648, 488) << JpegLayout{.across = 1, .down = 1, .quality = 95} << 5;
        QTest::newRow("4:2:2") << QSize(600, 400) << JpegLayout{.down = 1} << 5;
        QTest::newRow("4:4:0") << QSize(600, 400) << JpegLayout{.across = 1} << 5;
        QTest::newRow("4:1:1") << QSize(640, 64) << JpegLayout{.across = 4, .down = 1} << 5;
        QTest::newRow("grey") << QSize(605, 397) << JpegLayout{.across = 1, .down = 1, .grey = true} << 5;
        QTest::newRow("tables made for the picture") << QSize(640, 480) << JpegLayout{.optimized = true} << 5;
        QTest::newRow("a restart every MCU row") << QSize(640, 480) << JpegLayout{.restartInterval = 40} << 5;
        QTest::newRow("a restart every 7 MCUs") << QSize(1003, 677) << JpegLayout{.across = 1, .down = 1, .restartInterval = 7} << 5;
        QTest::newRow("one restart, after the first MCU") << QSize(16, 32) << JpegLayout{.restartInterval = 1} << 2;
    }
    void theSamePixelsAsLibjpeg()
    {
        QFETCH(QSize, size);
        QFETCH(JpegLayout, layout);
        QFETCH(int, most);
        const QByteArray jpeg = EncodedByLibjpeg(PhotoLikePicture(size.width(), size.height()), layout);
        const QImage libjpeg = DecodedByLibjpegAtAnEighth(jpeg);
        QCOMPARE(libjpeg.size(), QSize((size.width() + 7) / 8, (size.height() + 7) / 8));
        for (const int cores : {1, 2, 3, 5}) {
            int joined = 0;
            const std::optional<QImage> eighth = DecodeJpegEighth(jpeg, cores, &joined);
            const QString what = QStringLiteral("%1 cores, joined from %2: ").arg(cores).arg(joined);
            QVERIFY2(eighth, qPrintable(what + "declined"));
            QVERIFY2(*eighth == libjpeg, qPrintable(what + "other pixels"));
            // Every core's work taken.
            QVERIFY2(joined == std::min(cores, most), qPrintable(what + "work left out"));
        }
    }

    // What Qt's reader decodes (other layouts) or judges (faults): declined, whatever the cores.
    void leftToQtsReader_data()
    {
        QTest::addColumn<QByteArray>("jpeg");
        const QImage photo = PhotoLikePicture(320, 240);
        QTest::newRow("progressive") << EncodedByLibjpeg(photo, JpegLayout{.progressive = true});
        QTest::newRow("arithmetic coded") << EncodedByLibjpeg(photo, JpegLayout{.arithmetic = true});
        QTest::newRow("CMYK") << EncodedByLibjpeg(photo, JpegLayout{.across = 1, .down = 1, .cmyk = true});
        QTest::newRow("RGB told by an Adobe segment") << EncodedByLibjpeg(photo, JpegLayout{.across = 1, .down = 1, .adobeRgb = true});
        const QByteArray sound = Sound();
        const qsizetype data = ScanData(sound);
        QTest::newRow("cut short") << sound.left(sound.size() * 2 / 3) + "\xFF\xD9";
        // No code is all ones: 32 bits of ones, stuffed, are none.
        QTest::newRow("a code no table has") << sound.left(data + 200) + QByteArray("\xFF\0\xFF\0\xFF\0\xFF\0", 8) + sound.mid(data + 200);
        QTest::newRow("bytes after the last block") << sound.chopped(2) + QByteArray("\x55\x55\x55\xFF\xD9", 5);
        QByteArray misnumbered = sound;
        misnumbered[misnumbered.indexOf("\xFF\xD1", data) + 1] = char(0xD2);
        QTest::newRow("a restart marker out of turn") << misnumbered;
        QTest::newRow("a restart marker too few") << sound.left(sound.indexOf("\xFF\xD0", data)) + sound.mid(sound.indexOf("\xFF\xD0", data) + 2);
        QTest::newRow("no scan") << sound.left(data - 14) + "\xFF\xD9";
        QTest::newRow("a Huffman table of too many codes") << [&] {
            QByteArray bad = sound;
            bad[bad.indexOf("\xFF\xC4") + 5] = char(3);  // three codes of one bit
            return bad;
        }();
    }
    void leftToQtsReader()
    {
        QFETCH(QByteArray, jpeg);
        for (const int cores : {1, 2, 3})
            QVERIFY2(!DecodeJpegEighth(jpeg, cores), qPrintable(QStringLiteral("%1 cores").arg(cores)));
    }
};

QTEST_MAIN(JpegEighthTest)
#include "test_jpeg_eighth.moc"
