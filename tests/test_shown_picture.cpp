// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The picture file that a window shows, without any window: read again only when its name or
// the file changed, under the busy cursor, and a failure, from the reading to the use of the
// picture, thrown once until the name, the file or the showing changes; a name whose bytes are
// not UTF-8 found all the same.

#include "BmpWriter.h"
#include "Files.h"
#include "Photos.h"

#include "core/Errors.h"
#include "picture/DataFolder.h"
#include "picture/ShownPicture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>

class ShownPictureTest : public QObject {
    Q_OBJECT

private slots:
    // Each row is a script of steps on the files "a.bmp" and "b.bmp", which both start as
    // pictures. "paint:<seen>" shows the current file, "fail:<seen>" shows it with a use that
    // throws, and <seen> is what comes of it: "read" (a picture read now was used), "kept" (the
    // picture read before was used), "thrown" or "silent" (nothing ran, nothing was thrown).
    // "rewrite", "remove" and "break" (not a picture any more) change the current file, "rename"
    // switches to the other name, "showanew" tells that the window was shown anew.
    void readsAgainOnlyAfterAChangeAndReportsAFailureOnce_data()
    {
        QTest::addColumn<QString>("script");
        QTest::newRow("unchanged file read once") << "paint:read paint:kept paint:kept";
        QTest::newRow("rewritten file read again") << "paint:read rewrite paint:read paint:kept";
        QTest::newRow("another name read again") << "paint:read rename paint:read rename paint:read";
        QTest::newRow("showing anew keeps the picture") << "paint:read showanew paint:kept";
        QTest::newRow("missing file reported once") << "remove paint:thrown paint:silent paint:silent";
        QTest::newRow("reported again when shown anew")
            << "remove paint:thrown showanew paint:thrown paint:silent";
        QTest::newRow("reported again under another name")
            << "remove paint:thrown rename remove paint:thrown paint:silent";
        QTest::newRow("file put back read silently") << "remove paint:thrown rewrite paint:read";
        QTest::newRow("broken after a good read") << "paint:read break paint:thrown paint:silent";
        QTest::newRow("broken file reported again once it changes")
            << "break paint:thrown break paint:thrown paint:silent";
        QTest::newRow("failing use reported once, picture kept")
            << "fail:thrown fail:silent paint:silent showanew paint:kept";
        QTest::newRow("failing use reported again after a change")
            << "fail:thrown rewrite fail:thrown rename fail:thrown rename paint:read";
    }
    void readsAgainOnlyAfterAChangeAndReportsAFailureOnce()
    {
        QFETCH(QString, script);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        int version = 0;
        // Each rewrite is wider: the file's size changes with it, whatever the clock's grain.
        const auto writePicture = [&](const QString& path) {
            WriteBmpFile(path, QImage(4 * ++version, 2, QImage::Format_RGB32));
        };
        const QStringList names{dir.filePath("a.bmp"), dir.filePath("b.bmp")};
        for (const QString& name : names)
            writePicture(name);
        int current = 0;

        TShownPicture shown;
        // The picture last used, by its cache key: a picture read anew has a key of its own.
        qint64 lastUsed = 0;
        for (const QString& step : script.split(' ')) {
            const QString& name = names[current];
            if (step == "rewrite") {
                writePicture(name);
            } else if (step == "remove") {
                QVERIFY(QFile::remove(name));
            } else if (step == "break") {
                QFile file(name);
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(QByteArray(++version, 'x'));
            } else if (step == "rename") {
                current = 1 - current;
            } else if (step == "showanew") {
                shown.ShownAnew();
            } else {
                const QString seen = step.section(':', 1);
                const bool failingUse = step.startsWith("fail:");
                QString outcome = "silent";
                try {
                    shown.Show(name, [&](const TBitmap& picture, QSize, const QString& absoluteName) {
                        QCOMPARE(absoluteName, name);
                        const qint64 key = picture.Image().cacheKey();
                        outcome = key == lastUsed ? "kept" : "read";
                        lastUsed = key;
                        const QCursor* cursor = QGuiApplication::overrideCursor();
                        if ((cursor && cursor->shape() == Qt::WaitCursor) != (outcome == "read"))
                            outcome += ", busy cursor wrong";
                        if (failingUse)
                            throw std::runtime_error("0 / 0");
                    });
                } catch (const std::exception&) {
                    outcome = "thrown";
                }
                QVERIFY2(outcome == seen, qPrintable(step + " came out " + outcome));
                QVERIFY(!QGuiApplication::overrideCursor());
            }
        }
    }

    // A script like the one above on photos "a.jpg" and "b.jpg", each write of a file a photo of
    // another size, 1600 x 1200 or more, shown in 200 x 150. "show:<seen>" shows the current
    // file: "1/8", "1/4" or "whole" (a picture read now at that scale), "kept", "damaged" (a
    // damaged file's message thrown) or "silent"; the use must be given the file's own size.
    // "whole" checks the whole picture pixel for pixel against the file's. "came:<n>": once the
    // worker's word is in, the window has been told n times in all. "rewrite", "small" (320 x
    // 240), "cut" (its last bytes gone), "garble" (bytes changed in its compressed data),
    // "rename", "close" and "denser" (a screen twice as dense) change the file, the name or the
    // window.
    void aPhotoIsShownReducedThenReadWhole_data()
    {
        QTest::addColumn<QString>("script");
        QTest::newRow("reduced, then whole") << "show:1/8 whole show:kept came:1";
        QTest::newRow("whole comes by itself, told once") << "show:1/8 came:1 whole show:kept came:1";
        QTest::newRow("small photo read whole at once") << "small show:whole whole came:0";
        QTest::newRow("rewritten while read whole: only the new") << "show:1/8 rewrite show:1/8 came:1 whole";
        QTest::newRow("another name while read whole: only the new")
            << "show:1/8 rename show:1/8 whole came:1 rename show:1/8 whole";
        QTest::newRow("closed while read whole: read again") << "show:1/8 close show:1/8 whole";
        QTest::newRow("closed once whole: kept") << "show:1/8 whole close show:kept";
        QTest::newRow("gone while read whole: stopped") << "show:1/8";
        QTest::newRow("a denser screen: read again") << "show:1/8 whole denser show:1/4 came:2 whole show:kept";
        QTest::newRow("photo cut short reported once") << "cut show:damaged show:silent";
        QTest::newRow("garbled photo reported once") << "garble show:damaged show:silent";
        QTest::newRow("cut short while read whole") << "show:1/8 cut show:damaged show:silent came:0";
    }
    void aPhotoIsShownReducedThenReadWhole()
    {
        QFETCH(QString, script);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QStringList names{dir.filePath("a.jpg"), dir.filePath("b.jpg")};
        int writes = 0;
        QList<QSize> written{{1600, 1200}, {1616, 1200}};
        for (int file = 0; file < 2; ++file)
            WritePhoto(names[file], written[file], Qt::darkGreen);
        int current = 0;
        int told = 0;
        TShownPicture shown([&told] { ++told; });
        int density = 1;
        const auto within = [&density](QSize size) { return size.boundedTo(QSize(200, 150) * density); };
        qint64 lastUsed = 0;
        for (const QString& step : script.split(' ')) {
            const QString& name = names[current];
            const QString seen = step.section(':', 1);
            if (step == "rewrite" || step == "small") {
                written[current] = step == "small" ? QSize(320, 240) : QSize(1632 + 16 * writes++, 1200);
                WritePhoto(name, written[current], Qt::darkGreen);
            } else if (step == "cut" || step == "garble") {
                QByteArray bytes = FileBytes(name);
                for (qsizetype at = bytes.size() / 2; step == "garble" && at < bytes.size() / 2 + 40; ++at)
                    bytes[at] = char((uchar(bytes[at]) * 7 + 13) & 0xFE);
                WriteFile(name, step == "cut" ? bytes.chopped(100) : bytes);
            } else if (step == "rename") {
                current = 1 - current;
            } else if (step == "close") {
                shown.WindowClosed();
            } else if (step == "denser") {
                density = 2;
            } else if (step.startsWith("came:")) {
                QTRY_VERIFY(!shown.ReadingWhole());
                QCOMPARE(told, seen.toInt());
            } else if (step == "whole") {
                TBitmap fromFile;
                fromFile.LoadPictureFile(name);
                QVERIFY(shown.Whole().Image() == fromFile.Image());
                QVERIFY(!shown.ReadingWhole() && !QGuiApplication::overrideCursor());
            } else {
                QString outcome = "silent";
                try {
                    shown.Show(name, [&](const TBitmap& picture, QSize pictureSize, const QString&) {
                        const int scale = pictureSize.width() / picture.Width();
                        outcome = picture.Image().cacheKey() == lastUsed ? "kept"
                                  : scale == 1                          ? "whole"
                                                                        : QStringLiteral("1/%1").arg(scale);
                        lastUsed = picture.Image().cacheKey();
                        if (pictureSize != written[current] || picture.Image().size() != pictureSize / scale)
                            outcome += ", wrong size";
                    }, within);
                } catch (const Exception& error) {
                    outcome = error.Message ==
                                      QStringLiteral("Image illisible : le fichier \"%1\" est endommagé ou incomplet").arg(name)
                                  ? "damaged"
                                  : error.Message;
                }
                QVERIFY2(outcome == seen, qPrintable(step + " came out " + outcome));
                // Busy while read whole, the window answering.
                const QCursor* cursor = QGuiApplication::overrideCursor();
                QCOMPARE(cursor ? cursor->shape() : Qt::ArrowCursor, shown.ReadingWhole() ? Qt::BusyCursor : Qt::ArrowCursor);
            }
        }
    }

    // A picture's name is looked up in the current folder, then, for a bare name, in the data
    // folder of the running program (here the test's own folder). "current" and "data" say which
    // folders hold a picture of that name; "found" which one is shown, or "error".
    void bareNameAlsoFoundInTheDataFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("inCurrent");
        QTest::addColumn<bool>("inData");
        QTest::addColumn<QString>("found");
        QTest::newRow("only in the data folder") << "" << false << true << "data";
        QTest::newRow("the current folder first") << "" << true << true << "current";
        QTest::newRow("only in the current folder") << "" << true << false << "current";
        QTest::newRow("a folder part never falls back") << "./" << false << true << "error";
        QTest::newRow("in neither folder") << "" << false << false << "error";
    }
    void bareNameAlsoFoundInTheDataFolder()
    {
        QFETCH(QString, name);
        QFETCH(bool, inCurrent);
        QFETCH(bool, inData);
        QFETCH(QString, found);
        QTemporaryDir current;
        QVERIFY(current.isValid());
        const QString previousFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(current.path()));
        // Named after the process: test runs side by side share the data folder.
        const QString bareName =
            QStringLiteral("carte-%1.bmp").arg(QCoreApplication::applicationPid());
        const QString inCurrentFolder = QDir(current.path()).filePath(bareName);
        const QString inDataFolder =
            DataFolderFor(QCoreApplication::applicationDirPath()) + '/' + bareName;
        if (inCurrent)
            WriteBmpFile(inCurrentFolder, QImage(2, 2, QImage::Format_RGB32));
        if (inData)
            WriteBmpFile(inDataFolder, QImage(3, 2, QImage::Format_RGB32));

        QString outcome;
        try {
            TShownPicture().Show(name + bareName, [&](const TBitmap& picture, QSize, const QString& absoluteName) {
                outcome = absoluteName == inDataFolder && picture.Width() == 3 ? "data"
                          : absoluteName == inCurrentFolder && picture.Width() == 2 ? "current"
                                                                                    : absoluteName;
            });
        } catch (const EFOpenError& error) {
            // The failure names the file that the current folder lacks, as without a data folder.
            outcome = error.Message.contains(inCurrentFolder) ? "error" : error.Message;
        }
        QFile::remove(inDataFolder);
        QDir::setCurrent(previousFolder);
        QCOMPARE(outcome, found);
    }

    // A name whose bytes are not UTF-8 (from an archive made elsewhere) reaches the program as Qt
    // decodes it, U+FFFD in place of those bytes, from the file dialog, the command line or a
    // drop. "files" are the pictures written (bytes of Latin-1 as \xNN), "shown" the one named.
    void nameNotInUtf8IsFound_data()
    {
        QTest::addColumn<QByteArrayList>("files");
        QTest::addColumn<QByteArray>("shown");
        QTest::addColumn<bool>("found");
        QTest::newRow("Latin-1 file name") << QByteArrayList{"carte\xe9t\xe9.bmp"} << QByteArray("carte\xe9t\xe9.bmp")
                                           << true;
        QTest::newRow("Latin-1 folder") << QByteArrayList{"r\xe9gion/carte.bmp"} << QByteArray("r\xe9gion/carte.bmp")
                                        << true;
        QTest::newRow("two names alike: neither taken")
            << QByteArrayList{"carte\xe9.bmp", "carte\xe8.bmp"} << QByteArray("carte\xe9.bmp") << false;
    }
    void nameNotInUtf8IsFound()
    {
        QFETCH(QByteArrayList, files);
        QFETCH(QByteArray, shown);
        QFETCH(bool, found);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray folder = QFile::encodeName(dir.path()) + '/';
        for (const QByteArray& file : files) {
            // Made through the system, by their bytes: Qt would write the names in UTF-8.
            if (file.contains('/'))
                QVERIFY(::mkdir((folder + file.left(file.lastIndexOf('/'))).constData(), 0755) == 0);
            QFile picture;
            const int fd = ::open((folder + file).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            QVERIFY(fd >= 0);
            QVERIFY(picture.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
            picture.write(WriteBmp(LayoutFor(QImage(5, 3, QImage::Format_RGB32), 24)));
        }
        const QString name = QFile::decodeName(folder + shown);
        QVERIFY(name.contains(QChar::ReplacementCharacter));
        QString outcome;
        try {
            TShownPicture().Show(name, [&](const TBitmap& picture, QSize, const QString&) {
                outcome = picture.Width() == 5 ? "read" : "wrong picture";
            });
        } catch (const EFOpenError& error) {
            outcome = error.Message;
        }
        QCOMPARE(outcome, found ? QStringLiteral("read")
                                : QStringLiteral("Impossible d'ouvrir le fichier \"%1\". Aucun fichier ou dossier").arg(name));
    }

    // Installed, the data files lie in share/sondelio beside bin/; built, beside the program.
    void dataFolderIsTheInstalledOneWhenThereIsOne()
    {
        QTemporaryDir prefix;
        QVERIFY(prefix.isValid());
        const QString bin = prefix.filePath("bin");
        QVERIFY(QDir().mkpath(bin));
        QCOMPARE(DataFolderFor(bin), bin);
        QVERIFY(QDir().mkpath(prefix.filePath("share/sondelio")));
        QCOMPARE(DataFolderFor(bin), QDir::cleanPath(prefix.filePath("share/sondelio")));
    }
};

QTEST_MAIN(ShownPictureTest)
#include "test_shown_picture.moc"
