// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// Opening picture files: the open failure's text, read-only access that never creates a file,
// the shared lock against writers, and the content deciding the kind of file.

#include "core/Errors.h"
#include "helpers/BmpWriter.h"
#include "helpers/Files.h"
#include "picture/PictureFile.h"
#include "picture/TBitmap.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

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

// Leases are granted to the file's owner (or a privileged process), on file systems that have
// them.
void SkipUnlessLeasesAreGranted()
{
    QFile probe(QStringLiteral("bail.bin"));
    probe.open(QIODevice::WriteOnly);
    probe.close();
    const int fd = ::open("bail.bin", O_RDONLY);
    const bool granted = ::fcntl(fd, F_SETLEASE, F_RDLCK) == 0;
    ::close(fd);
    if (!granted)
        QSKIP("the system grants no lease on files here: only writers holding the lock are seen");
}

// A thread of ours stands for a program that opens a pipe for writing, which waits until a
// reader opens it, then writes its bytes.
class WaitingWriter {
public:
    WaitingWriter(const char* pipe, QByteArray bytes) : pipe(pipe)
    {
        thread = std::thread([this, bytes] {
            // Should the reader go away first, the write fails instead of ending the tests.
            sigset_t brokenPipe;
            sigemptyset(&brokenPipe);
            sigaddset(&brokenPipe, SIGPIPE);
            pthread_sigmask(SIG_BLOCK, &brokenPipe, nullptr);
            const int fd = ::open(this->pipe, O_WRONLY);
            released = true;
            if (fd >= 0) {
                [[maybe_unused]] const auto written = ::write(fd, bytes.constData(), size_t(bytes.size()));
                ::close(fd);
            }
        });
    }
    ~WaitingWriter() { Drain(); }
    bool Released() const { return released; }
    // Opens the pipe for reading, which lets the writer go on, and reads what it writes.
    QByteArray Drain()
    {
        QByteArray received;
        if (!thread.joinable())
            return received;
        const int fd = ::open(pipe, O_RDONLY | O_NONBLOCK);
        pollfd ready{fd, POLLIN, 0};
        char chunk[64];
        for (ssize_t n = 1; n > 0 && ::poll(&ready, 1, 2000) > 0;)
            if ((n = ::read(fd, chunk, sizeof chunk)) > 0)
                received.append(chunk, n);
        thread.join();
        ::close(fd);
        return received;
    }

private:
    const char* pipe;
    std::thread thread;
    std::atomic<bool> released = false;
};

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

    void openFailureQuotesFullPathAndReason_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("fullPath");
        QTest::addColumn<QString>("reason");
        const QString here = dir.path();
        const QString notOrdinary = QStringLiteral("Ce n'est pas un fichier ordinaire");
        QTest::newRow("missing, relative") << "absente.bmp" << here + "/absente.bmp" << "Aucun fichier ou dossier";
        QTest::newRow("dot segments") << "./sous/../absente.bmp" << here + "/absente.bmp" << "Aucun fichier ou dossier";
        QTest::newRow("missing folder") << "nulle/part.bmp" << here + "/nulle/part.bmp" << "Aucun fichier ou dossier";
        QTest::newRow("a folder") << "dossier" << here + "/dossier" << notOrdinary;
        QTest::newRow("a file taken for a folder")
            << "carte.bmp/plan.bmp" << here + "/carte.bmp/plan.bmp" << "Un élément du chemin n'est pas un dossier";
        QTest::newRow("name with a NUL, quoted up to it")
            << QStringLiteral("carte.bmp") + QChar(0) + "x" << here + "/carte.bmp"
            << "Le nom contient un caractère nul";
        QTest::newRow("a pipe") << "tube" << here + "/tube" << notOrdinary;
        QTest::newRow("a device") << "/dev/null" << "/dev/null" << notOrdinary;
        QTest::newRow("a link to a pipe") << "lien" << here + "/lien" << notOrdinary;
        // A typed name reads as one piece of the French sentence, however long, whatever script.
        const QString arabic = QStringLiteral("خريطة.bmp");
        QTest::newRow("right-to-left name, isolated")
            << arabic << QChar(0x2068) + here + "/" + arabic + QChar(0x2069) << "Aucun fichier ou dossier";
        const QString longName = QString(200, QLatin1Char('a')) + ".bmp";
        const QString longPath = here + "/" + longName;
        QTest::newRow("long name, shortened in its middle")
            << longName << longPath.left(40) + QChar(0x2026) + longPath.right(39) << "Aucun fichier ou dossier";
        const QString tooLongPath = here + "/" + QString(300, QLatin1Char('n'));
        QTest::newRow("name too long") << QString(300, QLatin1Char('n'))
                                       << tooLongPath.left(40) + QChar(0x2026) + tooLongPath.right(39)
                                       << "Nom de fichier trop long";
    }
    void openFailureQuotesFullPathAndReason()
    {
        QFETCH(QString, typed);
        QFETCH(QString, fullPath);
        QFETCH(QString, reason);
        QDir().mkdir(QStringLiteral("dossier"));
        QVERIFY(::mkfifo("tube", 0600) == 0 || errno == EEXIST);
        QVERIFY(::symlink("tube", "lien") == 0 || errno == EEXIST);
        WriteBmpFile(QStringLiteral("carte.bmp"), SmallMap());
        QCOMPARE(OpenFailure(typed), QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2").arg(fullPath, reason));
    }

    // A program waiting to write into a pipe goes on waiting, its bytes kept for whoever reads
    // the pipe.
    void pipeIsRefusedWithoutReleasingItsWriter()
    {
        QVERIFY(::mkfifo("attente", 0600) == 0);
        WaitingWriter writer("attente", "relevés");
        std::this_thread::sleep_for(200ms);  // time to reach its open
        const QString failure = OpenFailure(QStringLiteral("attente"));
        std::this_thread::sleep_for(200ms);
        QVERIFY(!writer.Released());
        QCOMPARE(writer.Drain(), QByteArray("relevés"));
        QVERIFY(failure.endsWith(QStringLiteral("Ce n'est pas un fichier ordinaire")));
    }

    void absoluteNameIsQuotedAsIs()
    {
        const QString path = dir.filePath(QStringLiteral("manque.bmp"));
        QCOMPARE(OpenFailure(path),
                 QStringLiteral("Impossible d'ouvrir le fichier \"%1\". Aucun fichier ou dossier").arg(path));
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
        QVERIFY(OpenFailure(QStringLiteral("secret.bmp")).endsWith(QStringLiteral(". Autorisation refusée")));
    }

    // A program that locks the file before replacing it, the file itself open only for
    // reading.
    void writerHoldingTheLockKeepsUsOut()
    {
        WriteBmpFile(QStringLiteral("carte.bmp"), SmallMap());
        const int writer = ::open("carte.bmp", O_RDONLY);
        QVERIFY(writer >= 0);
        QCOMPARE(::flock(writer, LOCK_EX | LOCK_NB), 0);
        QCOMPARE(OpenFailure(QStringLiteral("carte.bmp")),
                 QStringLiteral("Impossible d'ouvrir le fichier \"%1\". Ressource temporairement indisponible")
                     .arg(dir.filePath(QStringLiteral("carte.bmp"))));
        ::close(writer);
        QCOMPARE(OpenFailure(QStringLiteral("carte.bmp")), QString());
    }

    void fileOpenForWritingIsRefused_data()
    {
        QTest::addColumn<int>("access");
        QTest::newRow("writing") << O_WRONLY;
        QTest::newRow("reading and writing") << O_RDWR;
    }
    void fileOpenForWritingIsRefused()
    {
        QFETCH(int, access);
        SkipUnlessLeasesAreGranted();
        WriteBmpFile(QStringLiteral("carte.bmp"), SmallMap());
        const int writer = ::open("carte.bmp", access);
        QVERIFY(writer >= 0);
        const QString failure = OpenFailure(QStringLiteral("carte.bmp"));
        ::close(writer);
        QCOMPARE(failure, QStringLiteral("Impossible d'ouvrir le fichier \"%1\". Ressource temporairement indisponible")
                              .arg(dir.filePath(QStringLiteral("carte.bmp"))));
        QCOMPARE(OpenFailure(QStringLiteral("carte.bmp")), QString());
    }

    // A program opening the file for writing while it is read waits until it is closed, and the
    // system's notice of that writer (a signal whose default action ends a program) leaves the
    // program running.
    void writerWaitsUntilTheFileIsClosed()
    {
        SkipUnlessLeasesAreGranted();
        WriteBmpFile(QStringLiteral("carte.bmp"), SmallMap());
        std::atomic<bool> opened = false;
        bool openedWhileHeld = true;
        QElapsedTimer clock;
        qint64 released = 0;
        std::thread writer;
        {
            PictureFile file(QStringLiteral("carte.bmp"));
            clock.start();
            writer = std::thread([&opened] {
                const int fd = ::open("carte.bmp", O_WRONLY);
                opened = true;
                ::close(fd);
            });
            std::this_thread::sleep_for(300ms);
            openedWhileHeld = opened;
            released = clock.elapsed();
        }
        writer.join();
        QVERIFY(!openedWhileHeld);
        QVERIFY2(clock.elapsed() < released + 5000, "the writer waited for the system's time limit");
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
        WriteFile(QStringLiteral("carte.bmp"), content);
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
        QByteArray png;
        QBuffer pngBuffer(&png);
        pngBuffer.open(QIODevice::WriteOnly);
        SmallMap().save(&pngBuffer, "PNG");
        QTest::newRow("PNG named .bmp") << "carte.bmp" << png << "";
        QTest::newRow("text named .bmp") << "carte.bmp" << QByteArray("Carte des rizières\n")
                                         << "Image non reconnue : le fichier \"" + dir.filePath("carte.bmp") +
                                                "\" n'est pas une image BMP, PNG, JPEG, TIFF, WebP ou GIF, les seules "
                                                "que Sondelio lit";
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
        WriteFile(name, content);
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
        WriteFile(QStringLiteral("haute.bmp"), content);
        TBitmap fromFile;
        fromFile.LoadPictureFile(QStringLiteral("haute.bmp"));
        QBuffer buffer;
        buffer.setData(content);
        buffer.open(QIODevice::ReadOnly);
        TBitmap fromMemory;
        fromMemory.ReadPictureStream(buffer, QStringLiteral("mémoire"));
        QCOMPARE(fromFile.Image().convertToFormat(QImage::Format_RGB32),
                 fromMemory.Image().convertToFormat(QImage::Format_RGB32));
    }

    void unbufferedFileIsReadFromItsPosition()
    {
        const QByteArray picture = WriteBmp(LayoutFor(SmallMap(), 24));
        WriteFile(QStringLiteral("paquet.bin"), QByteArray(100, 'x') + picture);
        QFile file(QStringLiteral("paquet.bin"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
        QVERIFY(file.seek(100));
        TBitmap bitmap;
        bitmap.ReadPictureStream(file, QStringLiteral("paquet.bin"));
        QCOMPARE(bitmap.Image().pixel(5, 3), qRgb(250, 0, 0));
        QCOMPARE(file.pos(), 100 + picture.size());
    }

private:
    QTemporaryDir dir;
};

QTEST_MAIN(BitmapFileTest)
#include "test_bitmap_file.moc"
