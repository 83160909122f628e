// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The picture file that a window shows, without any window: read again only when its name or
// the file changed, under the busy cursor, and a failure, from the reading to the use of the
// picture, thrown once until the name, the file or the showing changes; a name whose bytes are
// not UTF-8 found all the same.

#include "BmpWriter.h"

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
