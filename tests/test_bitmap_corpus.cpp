// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// Replays the inputs that fuzzing found interesting: each one must give a picture or one of
// the BMP reader's own errors, a verdict of the checks of other pictures' structure, or, decoded
// at an eighth, libjpeg's own pixels unless declined, and (in the sanitizer build) touch no
// memory it does not own. The hand-made pictures among the structure's inputs, whole and cut,
// must get the verdict they stand for.

#include "core/Errors.h"
#include "helpers/Files.h"
#include "helpers/LibjpegEighth.h"
#include "picture/BmpReader.h"
#include "picture/JpegEighth.h"
#include "picture/PictureStructure.h"

#include <QBuffer>
#include <QFileInfo>
#include <QTest>

class BitmapCorpusTest : public QObject {
    Q_OBJECT
private slots:
    void everyInputEndsInAPictureOrAKnownError_data() { AddCorpusRows(Corpus("corpus")); }
    void everyInputEndsInAPictureOrAKnownError()
    {
        QFETCH(QString, path);
        QBuffer buffer;
        buffer.setData(FileBytes(path));
        buffer.open(QIODevice::ReadOnly);
        static const QStringList known{QStringLiteral("Erreur de lecture du flux"),
                                       QStringLiteral("Image bitmap incorrecte"),
                                       QStringLiteral("Mémoire insuffisante")};
        try {
            const BmpPicture picture = ReadBmp(buffer);
            if (!picture.image.isNull()) {
                QCOMPARE(picture.image.width(), picture.header.width);
                QCOMPARE(qint64(picture.image.height()), qAbs(qint64(picture.header.height)));
            }
        } catch (const Exception& error) {
            QVERIFY2(known.contains(error.Message), qPrintable(error.Message));
        }
    }

    // The first byte chooses the format, as in the fuzz target.
    void everyStructureInputGetsItsVerdict_data() { AddCorpusRows(Corpus("corpus-structure")); }
    void everyStructureInputGetsItsVerdict()
    {
        QFETCH(QString, path);
        const QByteArray bytes = FileBytes(path);
        QVERIFY(!bytes.isEmpty());
        static const QByteArray formats[] = {"jpeg", "png", "gif", "tiff", "webp"};
        QBuffer buffer;
        buffer.setData(bytes.mid(1));
        buffer.open(QIODevice::ReadOnly);
        const PictureStructure::Verdict verdict = CheckStructure(formats[uchar(bytes[0]) % 5], buffer).verdict;
        const QString name = QFileInfo(path).fileName();
        using Verdict = PictureStructure::Verdict;
        if (name.startsWith(QStringLiteral("edge-cut-")))
            QCOMPARE(verdict, Verdict::Damaged);
        else if (name.startsWith(QStringLiteral("edge-whole-")))
            QCOMPARE(verdict, name.endsWith(QStringLiteral("cmyk16")) ? Verdict::Unsupported : Verdict::Whole);
    }

    // The first byte tells how many cores share the data, as in the fuzz target. libjpeg is held
    // to its plain C code, which the program's decoder follows even for coefficients no encoder
    // writes, where its 16-bit SIMD transforms wrap otherwise.
    void everyJpegInputIsDeclinedOrDecodedAsLibjpegDecodesIt_data()
    {
        qputenv("JSIMD_FORCENONE", "1");
        AddCorpusRows(Corpus("corpus-jpeg"));
    }
    void everyJpegInputIsDeclinedOrDecodedAsLibjpegDecodesIt()
    {
        QFETCH(QString, path);
        const QByteArray bytes = FileBytes(path);
        QBuffer buffer;
        buffer.setData(bytes.mid(1));
        buffer.open(QIODevice::ReadOnly);
        if (CheckStructure("jpeg", buffer).verdict != PictureStructure::Verdict::Whole)
            return;
        if (const std::optional<QImage> eighth = DecodeJpegEighth(bytes.mid(1), 1 + uchar(bytes[0]) % 3))
            QVERIFY(*eighth == DecodedByLibjpegAtAnEighth(bytes.mid(1)));
    }
};

QTEST_MAIN(BitmapCorpusTest)
#include "test_bitmap_corpus.moc"
