// Opening picture files: the open failure's text, read-only access that never creates a file,
// the shared lock against writers, and the content deciding the kind of file.

#include "app/Errors.h"
#include "helpers/BmpWriter.h"
#include "picture/TBitmap.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString OpenFailure(const QString& fileName)
{
    try {
        TBitmap bitmap;
        bitmap.LoadPictureFile(fileName);
        return {};
    } catch (const EFOpenError& error) {
        return error.Message;
    }
}

QImage SmallMap()
{
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(qRgb(30, 140, 60));
    image.setPixel(5, 3, qRgb(250, 0, 0));
    return image;
}

}  // namespace

class BitmapFileTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        QVERIFY(QDir::setCurrent(dir.path()));
    }

    void openFailureQuotesFullPathAndSystemText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("fullPath");
        QTest::addColumn<QString>("systemText");
        QTest::newRow("missing, relative") << "absente.bmp" << "/absente.bmp" << "No such file or directory";
        QTest::newRow("dot segments") << "./sous/../absente.bmp" << "/absente.bmp" << "No such file or directory";
        QTest::newRow("missing folder") << "nulle/part.bmp" << "/nulle/part.bmp" << "No such file or directory";
        QTest::newRow("a folder") << "dossier" << "/dossier" << "Is a directory";
        QTest::newRow("name with a NUL") << QStringLiteral("carte.bmp") + QChar(0) + "x"
                                         << QStringLiteral("/carte.bmp") + QChar(0) + "x" << "Invalid argument";
        QTest::newRow("not a regular file") << "tube" << "/tube" << "Invalid argument";
    }
    void openFailureQuotesFullPathAndSystemText()
    {
        QFETCH(QString, typed);
        QFETCH(QString, fullPath);
        QFETCH(QString, systemText);
        QDir().mkdir(QStringLiteral("dossier"));
        QVERIFY(::mkfifo("tube", 0600) == 0 || errno == EEXIST);
        WriteBmpFile(QStringLiteral("carte.bmp"), SmallMap());
        QCOMPARE(OpenFailure(typed),
                 QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2").arg(dir.path() + fullPath, systemText));
    }

    void absoluteNameIsQuotedAsIs()
    {
        const QString path = dir.filePath(QStringLiteral("manque.bmp"));
        QCOMPARE(OpenFailure(path),
                 QStringLiteral("Impossible d'ouvrir le fichier \"%1\". No such file or directory").arg(path));
    }

    void failedOpenNeverCreatesTheFile()
    {
        OpenFailure(QStringLiteral("absente.bmp"));
        QVERIFY(!QFile::exists(QStringLiteral("absente.bmp")));
    }

    void unreadableFileIsRefused()
    {
        if (::geteuid() == 0)
            QSKIP("root reads any file");
        WriteBmpFile(QStringLiteral("secret.bmp"), SmallMap());
        QFile::setPermissions(QStringLiteral("secret.bmp"), QFileDevice::WriteOwner);
        QVERIFY(OpenFailure(QStringLiteral("secret.bmp")).endsWith(QStringLiteral(". Permission denied")));
    }

    void writerHoldingTheLockKeepsUsOut()
    {
        WriteBmpFile(QStringLiteral("carte.bmp"), SmallMap());
        const int writer = ::open("carte.bmp", O_RDWR);
        QVERIFY(writer >= 0);
        QCOMPARE(::flock(writer, LOCK_EX | LOCK_NB), 0);
        QCOMPARE(OpenFailure(QStringLiteral("carte.bmp")),
                 QStringLiteral("Impossible d'ouvrir le fichier \"%1\". Resource temporarily unavailable")
                     .arg(dir.filePath(QStringLiteral("carte.bmp"))));
        ::close(writer);
        QCOMPARE(OpenFailure(QStringLiteral("carte.bmp")), QString());
    }

    void otherReadersAreWelcome()
    {
        WriteBmpFile(QStringLiteral("carte.bmp"), SmallMap());
        const int reader = ::open("carte.bmp", O_RDONLY);
        QCOMPARE(::flock(reader, LOCK_SH | LOCK_NB), 0);
        TBitmap bitmap;
        bitmap.LoadPictureFile(QStringLiteral("carte.bmp"));
        QCOMPARE(bitmap.Image().pixel(5, 3), qRgb(250, 0, 0));
        ::close(reader);
    }

    void fileIsClosedAndUnlockedOnEveryPath_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("read") << WriteBmp(LayoutFor(SmallMap(), 24));
        QTest::newRow("invalid") << QByteArray("PK\x03\x04 not a picture at all");
        QTest::newRow("cut short") << WriteBmp(LayoutFor(SmallMap(), 24)).left(20);
    }
    void fileIsClosedAndUnlockedOnEveryPath()
    {
        QFETCH(QByteArray, content);
        QFile file(QStringLiteral("carte.bmp"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        const int before = QDir(QStringLiteral("/proc/self/fd")).count();
        try {
            TBitmap bitmap;
            bitmap.LoadPictureFile(QStringLiteral("carte.bmp"));
        } catch (const Exception&) {
        }
        QCOMPARE(QDir(QStringLiteral("/proc/self/fd")).count(), before);
        const int writer = ::open("carte.bmp", O_RDWR);
        QCOMPARE(::flock(writer, LOCK_EX | LOCK_NB), 0);
        ::close(writer);
    }

    void contentDecidesNotTheName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("failure");
        const QByteArray png = QByteArray::fromHex("89504e470d0a1a0a0000000d494844520000000100000001");
        QTest::newRow("PNG named .bmp") << "carte.bmp" << png << "Image bitmap incorrecte";
        QTest::newRow("BMP named .png") << "carte.png" << WriteBmp(LayoutFor(SmallMap(), 24)) << "";
        QTest::newRow("BMP without extension") << "carte" << WriteBmp(LayoutFor(SmallMap(), 24)) << "";
        QTest::newRow("empty file") << "vide.bmp" << QByteArray() << "";
        QTest::newRow("5 bytes") << "court.bmp" << QByteArray("BM\0\0\0", 5) << "Erreur de lecture du flux";
    }
    void contentDecidesNotTheName()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, failure);
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        TBitmap bitmap;
        try {
            bitmap.LoadPictureFile(name);
            QCOMPARE(QString(), failure);
        } catch (const Exception& error) {
            QCOMPARE(error.Message, failure);
        }
        if (content.isEmpty())
            QVERIFY(bitmap.Empty());
        else if (failure.isEmpty())
            QCOMPARE(bitmap.Image().pixel(5, 3), qRgb(250, 0, 0));
    }

    // Files are read straight into the image a batch of rows at a time; memory streams a row at
    // a time. Both must give the same picture, whole or cut short.
    void fileAndMemoryGiveTheSamePicture_data()
    {
        QTest::addColumn<QByteArray>("content");
        QImage tall(3, 2500, QImage::Format_RGB32);
        for (int y = 0; y < tall.height(); ++y)
            for (int x = 0; x < 3; ++x)
                tall.setPixel(x, y, qRgb(y % 256, y / 256, x * 80));
        const QByteArray bottomUp = WriteBmp(LayoutFor(tall, 24));
        QTest::newRow("more rows than one batch") << bottomUp;
        QTest::newRow("cut inside the second batch") << bottomUp.left(bottomUp.size() - 1200 * 12 - 5);
        QTest::newRow("top-down") << WriteBmp(LayoutFor(tall, 24, true));
        QTest::newRow("32 bits, cut") << WriteBmp(LayoutFor(tall, 32)).chopped(7000);
    }
    void fileAndMemoryGiveTheSamePicture()
    {
        QFETCH(QByteArray, content);
        QFile file(QStringLiteral("haute.bmp"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        TBitmap fromFile;
        fromFile.LoadPictureFile(QStringLiteral("haute.bmp"));
        QBuffer buffer;
        buffer.setData(content);
        buffer.open(QIODevice::ReadOnly);
        TBitmap fromMemory;
        fromMemory.ReadPictureStream(buffer);
        QCOMPARE(fromFile.Image().convertToFormat(QImage::Format_RGB32),
                 fromMemory.Image().convertToFormat(QImage::Format_RGB32));
    }

    void unbufferedFileIsReadFromItsPosition()
    {
        const QByteArray picture = WriteBmp(LayoutFor(SmallMap(), 24));
        QFile file(QStringLiteral("paquet.bin"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(100, 'x') + picture);
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
        QVERIFY(file.seek(100));
        TBitmap bitmap;
        bitmap.ReadPictureStream(file);
        QCOMPARE(bitmap.Image().pixel(5, 3), qRgb(250, 0, 0));
        QCOMPARE(file.pos(), 100 + picture.size());
    }

private:
    QTemporaryDir dir;
};

QTEST_MAIN(BitmapFileTest)
#include "test_bitmap_file.moc"
