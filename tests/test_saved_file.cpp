// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// Saving the user's files: a write that fails part-way (a full disk, a quota or file-size limit,
// a read-only file system) leaves the old file whole, leaves no temporary file and says why in
// French, and the survey stays unsaved; a save is proposed where the user may write.

#include "core/Errors.h"
#include "helpers/BoxRecorder.h"
#include "helpers/FileDialog.h"
#include "helpers/Files.h"
#include "helpers/MapWindow.h"
#include "helpers/Program.h"
#include "picture/SavedFile.h"
#include "windows/Carte2.h"
#include "windows/Fich_1.h"
#include "windows/TabResultats.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A small tmpfs of the test's own, mounted where the test may mount (as root, outside a
// container that forbids it) and taken away with the object.
class SmallFileSystem {
public:
    SmallFileSystem(const QString& folder, const char* options) : folder(QFile::encodeName(folder))
    {
        QDir().mkpath(folder);
        mounted = ::mount("sondelio-test", this->folder.constData(), "tmpfs", 0, options) == 0;
    }
    ~SmallFileSystem()
    {
        if (mounted)
            ::umount2(folder.constData(), MNT_DETACH);
    }
    bool Mounted() const { return mounted; }
    bool MakeReadOnly()
    {
        return ::mount(nullptr, folder.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QByteArray folder;
    bool mounted = false;
};

// While it lives, no file of the process may grow past `bytes` (ulimit -f).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &previous);
        rlimit limit = previous;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &previous); }

private:
    rlimit previous{};
};

// Fills the file system holding `folder` up to its last byte.
void Fill(const QString& folder)
{
    QFile filler(QDir(folder).filePath("remplissage"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size()) {
    }
    for (int byte = 0; byte < 4096 && filler.write("x", 1) == 1; ++byte) {
    }
}

// A session's text of about that many bytes.
QByteArray SessionBytes(int size, char mark)
{
    QByteArray bytes = "{\"sondelio\": 1, \"points\": [";
    while (bytes.size() < size - 2)
        bytes += QByteArray("[123, 45], ").replace('1', mark);
    return bytes.left(size - 2) + "]}";
}

QByteArray Content(const QString& file)
{
    QFile read(file);
    return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray("(absent)");
}

QString SaveFailure(const QString& file, const QByteArray& bytes)
{
    try {
        SaveWholeFile(file, bytes);
    } catch (const EFCreateError& error) {
        return error.Message;
    }
    return {};
}

// A folder that refuses new files even to the administrator, once `fill` has put its files in
// it: a read-only file system where the test may mount one, else the permissions, which bind an
// ordinary user. Empty where neither can be had.
QString ReadOnlyFolder(const QString& folder, std::unique_ptr<SmallFileSystem>& fileSystem,
                       const std::function<void()>& fill = [] {})
{
    QDir().mkpath(folder);
    if (::geteuid() != 0) {
        fill();
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        return folder;
    }
    fileSystem = std::make_unique<SmallFileSystem>(folder, "size=1m");
    if (!fileSystem->Mounted())
        return {};
    fill();
    return fileSystem->MakeReadOnly() ? folder : QString();
}

// Points counted under one land use, from the first sample point on.
void Probe(int points)
{
    Form2->EdLandUse->setText(QStringLiteral("eau"));
    Click(Form2->ButtSonder);
    for (int point = 0; point < points; ++point)
        PressOnMap(SamplePointOnWindow(point));
}

mode_t Permissions(const QString& file)
{
    struct stat status {};
    ::stat(QFile::encodeName(file).constData(), &status);
    return status.st_mode & 07777;
}

}  // namespace

class SavedFileTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        // The file dialogs' settings in a folder of the test's own.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("reglages")));
    }

    // The old file stands for a saved session of 20 points (under a kilobyte, which a buffered
    // writer holds whole until its close) or of 400 (past a buffer's 4096 bytes).
    void failedSaveKeepsTheOldFileWhole_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("oldSize");
        QTest::addColumn<QString>("reason");
        const QString tooLarge = QStringLiteral("Fichier trop volumineux");
        const QString full = QStringLiteral("Aucun espace disponible sur le disque");
        QTest::newRow("20 points, file-size limit") << "limit" << 900 << tooLarge;
        QTest::newRow("400 points, file-size limit") << "limit" << 12000 << tooLarge;
        QTest::newRow("20 points, full disk") << "full" << 900 << full;
        QTest::newRow("400 points, full disk") << "full" << 12000 << full;
        QTest::newRow("read-only file system") << "read-only" << 900
                                               << QStringLiteral("Système de fichiers en lecture seule");
    }
    void failedSaveKeepsTheOldFileWhole()
    {
        QFETCH(QString, fault);
        QFETCH(int, oldSize);
        QFETCH(QString, reason);
        const QDir folder = RowFolder(dir);
        std::unique_ptr<SmallFileSystem> fileSystem;
        if (fault != "limit") {
            fileSystem = std::make_unique<SmallFileSystem>(folder.path(), "size=64k");
            if (!fileSystem->Mounted())
                QSKIP("no file system of the test's own can be mounted here; the file-size limit rows test the same");
        }
        const QString session = folder.filePath("lecon.sondelio");
        const QByteArray old = SessionBytes(oldSize, '1');
        SaveWholeFile(session, old);
        const QStringList before = folder.entryList(QDir::Files);

        QString failure;
        const QByteArray longer = SessionBytes(oldSize + 300, '2');
        if (fault == "limit") {
            const FileSizeLimit limit(rlim_t(oldSize) / 2);
            failure = SaveFailure(session, longer);
        } else {
            if (fault == "full")
                Fill(folder.path());
            else
                QVERIFY(fileSystem->MakeReadOnly());
            failure = SaveFailure(session, longer);
        }
        QCOMPARE(failure, QStringLiteral("Impossible d'écrire le fichier \"%1\". %2").arg(session, reason));
        QCOMPARE(Content(session), old);
        QCOMPARE(folder.entryList(QDir::Files), fault == "full" ? before + QStringList{"remplissage"} : before);
    }

    // A save that succeeds: the whole content, a rewritten file's permissions kept, and a name
    // that is a link writing the file it leads to.
    void savedFileIsWholeInItsPlace_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("new file") << "new";
        QTest::newRow("rewritten, its permissions kept") << "rewritten";
        QTest::newRow("a link, which stays") << "link";
    }
    void savedFileIsWholeInItsPlace()
    {
        QFETCH(QString, kind);
        const QDir folder = RowFolder(dir);
        const QString named = folder.filePath("resultats.csv");
        const QString written = kind == "link" ? folder.filePath("vrai.csv") : named;
        if (kind != "new") {
            SaveWholeFile(written, "ancien");
            QVERIFY(QFile::setPermissions(written, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                       QFileDevice::ReadGroup));
        }
        if (kind == "link")
            QVERIFY(QFile::link("vrai.csv", named));
        const QByteArray bytes = SessionBytes(70000, '3');
        SaveWholeFile(named, bytes);
        QCOMPARE(Content(written), bytes);
        QCOMPARE(QFileInfo(named).isSymLink(), kind == "link");
        if (kind != "new")
            QCOMPARE(Permissions(written), mode_t(0640));
        QCOMPARE(folder.entryList(QDir::Files | QDir::System).size(), kind == "link" ? 2 : 1);
    }

    // "where": the folder the save is proposed in, beside the map when the user may write there,
    // else the documents folder, else the home folder.
    void saveIsProposedWhereTheUserMayWrite_data()
    {
        QTest::addColumn<bool>("mapFolderWritable");
        QTest::addColumn<bool>("documentsExist");
        QTest::addColumn<QString>("where");
        QTest::newRow("beside the map") << true << true << "map";
        QTest::newRow("map folder read-only: documents") << false << true << "documents";
        QTest::newRow("map folder read-only, no documents: home") << false << false << "home";
    }
    void saveIsProposedWhereTheUserMayWrite()
    {
        QFETCH(bool, mapFolderWritable);
        QFETCH(bool, documentsExist);
        QFETCH(QString, where);
        const QString home = dir.filePath(QStringLiteral("maison-%1").arg(QTest::currentDataTag()));
        QDir().mkpath(documentsExist ? home + "/Documents" : home);
        const FolderVariable homeFolder("HOME", home);
        std::unique_ptr<SmallFileSystem> fileSystem;
        QString mapFolder = dir.filePath(QStringLiteral("partage-%1").arg(QTest::currentDataTag()));
        QDir().mkpath(mapFolder);
        if (!mapFolderWritable)
            mapFolder = ReadOnlyFolder(mapFolder, fileSystem);
        const QString proposed = FolderToSaveBeside(mapFolder + "/rizo0346.bmp");
        if (mapFolder.isEmpty())
            QSKIP("no read-only folder can be had here");
        const QString expected = where == "map" ? mapFolder : where == "documents" ? home + "/Documents" : home;
        QCOMPARE(proposed, expected);
    }

    // The map window's save on a disk that fills, under a new name: the error box says so,
    // nothing is left under that name, the session saved before stays whole, and the survey
    // stays unsaved: leaving the program still asks.
    void failedSessionSaveLeavesTheSurveyUnsaved()
    {
        BoxRecorder boxes;
        StartProgram();
        QDir().mkpath(dir.filePath("fenetre"));
        const QString map = WriteMap(dir.filePath("fenetre/carte.bmp"), 400, 300);
        OpenMap(map, "20");
        Click(Form2->BtnCalcul);
        Probe(2);
        const QString session = dir.filePath("fenetre/carte.sondelio");
        ChooseFile(session, [] { Click(Form2->ButtEnregistrer); });
        const QByteArray saved = Content(session);
        Probe(3);
        const QString another = dir.filePath("fenetre/suite.sondelio");
        {
            // The size of the session saved, short of the longer one; the file dialog's own
            // settings, kept in the test's folder, stay under it.
            const FileSizeLimit limit(rlim_t(saved.size()));
            ChooseFile(another, [] { Click(Form2->ButtEnregistrer); });
        }
        QCOMPARE(boxes.Errors, QStringList{QStringLiteral("Impossible d'écrire le fichier \"%1\". Fichier trop volumineux.")
                                               .arg(another)});
        QCOMPARE(Content(session), saved);
        QVERIFY(!QFile::exists(another));
        QCOMPARE(QDir(dir.filePath("fenetre")).entryList(QDir::Files), (QStringList{"carte.bmp", "carte.sondelio"}));
        boxes.Answers = QStringList{QStringLiteral("Annuler")};
        Page_1->close();
        QCOMPARE(boxes.Questions, QStringList{QStringLiteral("Enregistrer la séance ?")});
        QVERIFY(Page_1->isVisible());
        EndProgram();
    }

    // The demo map installed with the program lies where only the administrator writes: its
    // session, its picture and its results are proposed in the documents folder.
    void mapInstalledReadOnlyProposesTheDocumentsFolder()
    {
        BoxRecorder boxes;
        const QString home = dir.filePath("maison-installee");
        QDir().mkpath(home + "/Documents");
        const FolderVariable homeFolder("HOME", home);
        std::unique_ptr<SmallFileSystem> fileSystem;
        const QString installed = ReadOnlyFolder(dir.filePath("share/sondelio"), fileSystem, [this] {
            WriteMap(dir.filePath("share/sondelio/rizo0346.bmp"), 400, 300);
        });
        QStringList proposed;
        if (!installed.isEmpty()) {
            StartProgram();
            OpenMap(installed + "/rizo0346.bmp", "20");
            Click(Form2->BtnCalcul);
            proposed << ChooseFile(QString(), [] { Click(Form2->ButtEnregistrer); }).File
                     << ChooseFile(QString(), [] { Click(Form2->ButtExporterImage); }).File;
            Click(Page_1->Button1);
            proposed << ChooseFile(QString(), [] { Click(TabRes->BtnExporter); }).File;
            EndProgram();
        }
        // An ordinary user's folder is made writable again, for the test's folder to go.
        QFile::setPermissions(dir.filePath("share/sondelio"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (installed.isEmpty())
            QSKIP("no read-only folder can be had here");
        QCOMPARE(proposed, (QStringList{home + "/Documents/rizo0346.sondelio", home + "/Documents/rizo0346-points.png",
                                        home + "/Documents/resultats.csv"}));
        QCOMPARE(boxes.Errors, QStringList());
    }
};

QTEST_MAIN(SavedFileTest)
#include "test_saved_file.moc"
