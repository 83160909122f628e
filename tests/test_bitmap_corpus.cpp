// Replays the inputs that fuzzing found interesting: each one must give a picture or one of
// the reader's own errors, and (in the sanitizer build) touch no memory it does not own.

#include "core/Errors.h"
#include "picture/BmpReader.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QTest>

namespace {

const QDir Corpus(QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../fuzz/corpus")));

}  // namespace

class BitmapCorpusTest : public QObject {
    Q_OBJECT
private slots:
    void corpusIsThere()
    {
        QVERIFY2(Corpus.entryList(QDir::Files).size() >= 10, qPrintable(Corpus.path()));
    }

    void everyInputEndsInAPictureOrAKnownError_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString& name : Corpus.entryList(QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(name)) << Corpus.filePath(name);
    }
    void everyInputEndsInAPictureOrAKnownError()
    {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QBuffer buffer;
        buffer.setData(file.readAll());
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
};

QTEST_MAIN(BitmapCorpusTest)
#include "test_bitmap_corpus.moc"
