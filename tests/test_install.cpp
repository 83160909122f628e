// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The program installed as a desktop program: `cmake --install` into a folder of its own puts
// each file where the desktop looks for it, the desktop's own checkers accept the entry and the
// metadata, the icons of every size show the window icon's picture, the installed program starts
// from an empty folder and from its menu entry, session files are known by their type, and the
// Debian package holds each installed file.

#include "app/Application.h"
#include "core/SurveyFile.h"
#include "ui/Artwork.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include "helpers/Files.h"
#include "helpers/XTools.h"

#include <QTest>

#include <csignal>

namespace {

const QString appId = QStringLiteral(SONDELIO_APP_ID);
const QList<int> iconSizes = {16, 22, 24, 32, 48, 64, 128, 256};

// Every file the installation holds, relative to its prefix.
QStringList InstalledFiles()
{
    QStringList files = {
        "bin/sondelio",
        "bin/sondelio-simulation",
        "bin/sondelio-classe",
        "share/sondelio/rizo0346.bmp",
        "share/sondelio/rizo0346-legende.csv",
        "share/sondelio/Abaque_bon.bmp",
        "share/applications/" + appId + ".desktop",
        "share/mime/packages/" + appId + ".xml",
        "share/metainfo/" + appId + ".metainfo.xml",
        "share/icons/hicolor/scalable/apps/" + appId + ".svg",
        "share/man/man1/sondelio.1.gz",
        "share/man/man1/sondelio-simulation.1.gz",
        "share/man/man1/sondelio-classe.1.gz",
        "share/doc/sondelio/copyright",
        "share/doc/sondelio/changelog.gz",
    };
    for (int size : iconSizes)
        files << QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(appId);
    return files;
}

// Runs a command to its end; its output, both streams, goes into `output`.
int Run(const QString& program, const QStringList& arguments, QString* output = nullptr,
        const QString& folder = QString(),
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(environment);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        return -1;
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// How far two pictures of one size lie apart: the mean difference of their colour channels,
// from 0 (the same) to 255, each drawn on white as the desktop's panels mostly are.
double MeanDifference(const QImage& a, const QImage& b)
{
    const auto onWhite = [](const QImage& image) {
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, image);
        return flat;
    };
    const QImage first = onWhite(a), second = onWhite(b);
    double sum = 0;
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x) {
            const QRgb p = first.pixel(x, y), q = second.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * first.width() * first.height());
}

// The window icon brought to a side by smooth scaling, what an icon of that size should show.
QImage WindowIconAt(int side)
{
    return ApplicationIcon().pixmap(32, 32).toImage().scaled(side, side, Qt::IgnoreAspectRatio,
                                                             Qt::SmoothTransformation);
}

// Smaller icons lose detail to their few pixels: the margin is for the smoothing of edges, far
// below what another picture, or an empty one, gives.
constexpr double iconTolerance = 12;

constexpr int patience = 5000;  // milliseconds for the desktop to answer
constexpr int errorBoxPatience = 3000;

// Client places of the controls the test presses, as designed.
const QPoint fileNameBox(492, 234);
const QPoint sampleSizeBox(556, 266);
const QPoint drawButton(236, 300);        // "3)- Cliquez pour dessiner la carte"
const QPoint explanationsButton(348, 388);
const QPoint seeChartButton(208, 588);    // "Voir Abaque", in the explanations window

// The installed program's environment on an X server of the test's own, which has no window
// manager: windows land where the program puts them, and xdotool presses their controls as a
// user does.
QProcessEnvironment ProgramEnvironment(const TestDesktop& display)
{
    QProcessEnvironment programEnvironment = display.Environment;
    programEnvironment.insert("QT_QPA_PLATFORM", "xcb");
    // No session bus on this display: without an address, the first program started on it
    // may launch one through the X server and wait for it.
    programEnvironment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/sondelio-test-bus");
    return programEnvironment;
}

}  // namespace

class InstallTest : public QObject {
    Q_OBJECT

    QTemporaryDir prefixParent;
    // A folder name that the desktop's command line must quote and escape, as a user may choose.
    QString prefix() const { return prefixParent.filePath(QStringLiteral("Logiciels \"libres\" de l'école ($)")); }

    QString Installed(const QString& relative) const { return prefix() + '/' + relative; }

    // The desktop's view of the installation: its data folder first, nothing of the user's.
    QProcessEnvironment DesktopEnvironment(const QString& userData) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_DIRS", Installed("share") + ":/usr/share");
        environment.insert("XDG_DATA_HOME", userData);
        return environment;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(prefixParent.isValid());
        QString output;
        QVERIFY2(Run(SONDELIO_CMAKE, {"--install", SONDELIO_BUILD_DIR, "--prefix", prefix()},
                     &output) == 0,
                 qPrintable(output));
    }

    void eachFileIsInstalledAtItsPlace_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString& file : InstalledFiles())
            QTest::newRow(qPrintable(file)) << file;
    }

    void eachFileIsInstalledAtItsPlace()
    {
        QFETCH(QString, file);
        const QFileInfo installed(Installed(file));
        QVERIFY2(installed.isFile() && installed.size() > 0, qPrintable(installed.filePath()));
        QCOMPARE(installed.isExecutable(), file.startsWith("bin/"));
        // Nothing is written for the user alone: the package installs for every user.
        QVERIFY(installed.permission(QFile::ReadOther));
    }

    void desktopCheckersAcceptTheEntryAndTheMetadata_data()
    {
        QTest::addColumn<QString>("checker");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("desktop entry")
            << "desktop-file-validate" << QStringList{Installed("share/applications/" + appId + ".desktop")};
        QTest::newRow("AppStream metadata")
            << "appstreamcli"
            << QStringList{"validate", "--no-net", Installed("share/metainfo/" + appId + ".metainfo.xml")};
    }

    void desktopCheckersAcceptTheEntryAndTheMetadata()
    {
        QFETCH(QString, checker);
        QFETCH(QStringList, arguments);
        if (const QString missing = MissingTool({checker}); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        QString output;
        QVERIFY2(Run(checker, arguments, &output) == 0, qPrintable(output));
        // desktop-file-validate succeeds with warnings: it must have nothing to say.
        if (checker == "desktop-file-validate")
            QVERIFY2(output.trimmed().isEmpty(), qPrintable(output));
    }

    // Every icon the desktop may pick shows the window icon's picture: each size drawn, and the
    // scalable one drawn small and large.
    void iconsShowTheWindowIcon_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("side");
        for (int side : iconSizes)
            QTest::addRow("%d", side) << QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(side).arg(appId) << side;
        for (int side : {32, 256})
            QTest::addRow("scalable at %d", side) << "share/icons/hicolor/scalable/apps/" + appId + ".svg" << side;
    }
    void iconsShowTheWindowIcon()
    {
        QFETCH(QString, file);
        QFETCH(int, side);
        const bool scalable = file.endsWith(".svg");
        QImage icon = scalable ? QImage(side, side, QImage::Format_ARGB32_Premultiplied) : QImage(Installed(file));
        if (scalable) {
            QSvgRenderer renderer(Installed(file));
            QCOMPARE(renderer.viewBox(), QRect(0, 0, 32, 32));
            icon.fill(Qt::transparent);
            QPainter painter(&icon);
            renderer.render(&painter);
        }
        QCOMPARE(icon.size(), QSize(side, side));
        const double difference = MeanDifference(icon, WindowIconAt(side));
        QVERIFY2(difference < iconTolerance, qPrintable(QString::number(difference)));
    }

    // On Wayland the desktop knows a running program's entry, and so its name and icon, only by
    // the name the program gives.
    void runningProgramNamesItsInstalledEntry()
    {
        SetUpApplication(*qApp);
        QVERIFY(!QGuiApplication::desktopFileName().isEmpty());
        QVERIFY(QFileInfo::exists(Installed("share/applications/" + QGuiApplication::desktopFileName() + ".desktop")));
    }

    // The program looks for its data files in share/sondelio beside its own bin folder when they
    // are not in the current folder; started from an empty folder, it must come up and stay.
    void installedProgramStartsFromAnEmptyFolder()
    {
        const QString program = Installed("bin/sondelio");
        const QDir data(QFileInfo(program).absolutePath() + "/../share/sondelio");
        QVERIFY(data.exists("rizo0346.bmp"));
        QVERIFY(data.exists("Abaque_bon.bmp"));

        QTemporaryDir emptyFolder;
        QProcess running;
        running.setWorkingDirectory(emptyFolder.path());
        running.setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        running.setProcessEnvironment(environment);
        running.start(program, {});
        QVERIFY(running.waitForStarted());
        // A missing library or a failure at start-up ends it at once.
        QVERIFY2(!running.waitForFinished(1500), qPrintable(running.readAll()));
        running.terminate();
        if (!running.waitForFinished(5000))
            running.kill();
    }

    // The installed simulation finds the demo map in share/sondelio as the program does, and lists
    // its eight colours named by the legend beside it, the streets' grey among them.
    void installedSimulationListsTheDemoMapsColoursFromAnEmptyFolder()
    {
        QTemporaryDir emptyFolder;
        QProcess simulation;
        simulation.setWorkingDirectory(emptyFolder.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LC_ALL", "C.UTF-8");
        simulation.setProcessEnvironment(environment);
        simulation.start(Installed("bin/sondelio-simulation"), {"rizo0346.bmp", "--colonnes"});
        QVERIFY(simulation.waitForFinished(patience));
        QVERIFY2(simulation.exitCode() == 0, simulation.readAllStandardError().constData());
        const QStringList lines = QString::fromUtf8(simulation.readAllStandardOutput()).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1 + 8);
        QCOMPARE(lines.first(), "Couleur;Pixels;Part vraie;Usage du sol");
        QVERIFY2(lines.contains("808080;74760;0.15575;trafic"), qPrintable(lines.join('\n')));
    }

    // Started from an empty folder on a desktop of the test's own (an X server, Xvfb), the
    // installed program draws the demo map and the chart: no error box says a file is missing.
    void installedProgramDrawsTheDemoMapAndTheChartFromAnEmptyFolder_data()
    {
        QTest::addColumn<QString>("shownWindow");
        QTest::newRow("demo map") << "Fond de Carte";
        QTest::newRow("chart") << "Abaque";
    }

    void installedProgramDrawsTheDemoMapAndTheChartFromAnEmptyFolder()
    {
        QFETCH(QString, shownWindow);
        if (const QString missing = MissingTool({"Xvfb", "xdotool", "xwininfo"}); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        TestDesktop display(patience);
        if (const QString failure = display.StartServer("1400x1000"); !failure.isEmpty())
            QSKIP(qPrintable(failure));

        QTemporaryDir emptyFolder;
        QProcess program;
        program.setProcessEnvironment(ProgramEnvironment(display));
        program.setWorkingDirectory(emptyFolder.path());
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(Installed("bin/sondelio"), {});
        QString mainWindow;
        // Start-up on a busy machine, beside the other tests, takes its time. Should it never
        // come, the program's state and output say why.
        const bool started = QTest::qWaitFor(
            [&] { return !(mainWindow = display.WindowTitled("rizo0346.bmp")).isEmpty(); }, 12 * patience);
        QVERIFY2(started, qPrintable(QStringLiteral("no main window; program %1, exit code %2, output: %3")
                                         .arg(program.state() == QProcess::Running ? "running"
                                              : program.exitStatus() == QProcess::CrashExit ? "crashed"
                                                                                           : "ended")
                                         .arg(program.exitCode())
                                         .arg(QString::fromLocal8Bit(program.readAll()))));
        if (shownWindow == "Fond de Carte") {
            display.ClickAt(mainWindow, fileNameBox);
            display.Run("xdotool", {"type", "rizo0346.bmp"});
            display.ClickAt(mainWindow, sampleSizeBox);
            display.Run("xdotool", {"type", "10"});
            display.ClickAt(mainWindow, drawButton);
        } else {
            display.ClickAt(mainWindow, explanationsButton);
            QString explanations;
            QTRY_VERIFY_WITH_TIMEOUT(!(explanations = display.WindowTitled("Form3")).isEmpty(), patience);
            display.ClickAt(explanations, seeChartButton);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!display.WindowTitled(shownWindow).isEmpty(), patience);
        // A file that cannot be found is reported in the error box once the window paints.
        const bool errorBoxShown = QTest::qWaitFor(
            [&display] { return !display.WindowTitled("Sondelio").isEmpty(); }, errorBoxPatience);
        program.terminate();
        if (!program.waitForFinished(patience))
            program.kill();
        QVERIFY(!errorBoxShown);
    }

    // The menu entry names the installed program by its absolute path: the desktop shows it and
    // starts the program where the PATH lacks its folder (an installation under ~/.local), the
    // map file chosen reaching it as its one argument, whatever the characters of the folders.
    void menuEntryStartsTheProgramWhereThePathLacksItsFolder()
    {
        if (const QString missing = MissingTool({"Xvfb", "xdotool", "xprop", "gio"}); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        TestDesktop display(patience);
        if (const QString failure = display.StartServer("1400x1000"); !failure.isEmpty())
            QSKIP(qPrintable(failure));
        QTemporaryDir maps;
        const QString map = maps.filePath("plan de la ville.bmp");
        QVERIFY(QFile::copy(Installed("share/sondelio/rizo0346.bmp"), map));

        // gio opens the entry as the desktop does: it refuses one whose TryExec is not found. The
        // program outlives it, so that its output goes to a file rather than a pipe that closes.
        QProcess launcher;
        QProcessEnvironment environment = ProgramEnvironment(display);
        environment.insert("PATH", "/usr/bin:/bin");
        launcher.setProcessEnvironment(environment);
        launcher.setStandardOutputFile(maps.filePath("output"));
        launcher.setProcessChannelMode(QProcess::MergedChannels);
        launcher.start("gio", {"launch", Installed("share/applications/" + appId + ".desktop"), map});
        QVERIFY(launcher.waitForFinished(patience));
        QFile launcherOutput(maps.filePath("output"));
        QVERIFY2(launcher.exitCode() == 0, launcherOutput.open(QIODevice::ReadOnly) ? launcherOutput.readAll().constData() : "");
        QString mainWindow;
        const bool shown =
            QTest::qWaitFor([&] { return !(mainWindow = display.WindowTitled("rizo0346.bmp")).isEmpty(); }, 12 * patience);
        launcherOutput.close();
        QVERIFY2(shown, qPrintable("the program started from its menu entry shows no main window; it said: " +
                                   QString::fromLocal8Bit(launcherOutput.open(QIODevice::ReadOnly)
                                                              ? launcherOutput.readAll()
                                                              : QByteArray())));
        const QString pid = QRegularExpression("= (\\d+)")
                                .match(display.Run("xprop", {"-id", mainWindow, "_NET_WM_PID"}))
                                .captured(1);
        QFile commandLine("/proc/" + pid + "/cmdline");
        QVERIFY2(!pid.isEmpty() && commandLine.open(QIODevice::ReadOnly), qPrintable(pid));
        const QStringList arguments = QString::fromLocal8Bit(commandLine.readAll()).split(QChar(0), Qt::SkipEmptyParts);
        ::kill(pid.toInt(), SIGTERM);
        QCOMPARE(arguments, QStringList({Installed("bin/sondelio"), map}));
    }

    // The session files have a type of their own, known by their name or, whatever their name, by
    // their first bytes as the program writes them.
    void sessionFilesAreKnownByTheirType_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("isSession");
        TSurveyTally survey;
        survey.MapWidth = 600;
        survey.MapHeight = 450;
        const QByteArray session = WriteSurveyFile(survey, "plan de la ville.bmp", QByteArray(32, '\xab'));
        QTest::newRow("named .sondelio") << "lecon.sondelio" << session << true;
        QTest::newRow("named otherwise") << "lecon-jean" << session << true;
        QTest::newRow("JSON of the same start, another format")
            << "notes" << QByteArray(R"({"carte":{"fichier":"plan.bmp"},"format":"autre"})") << false;
    }

    void sessionFilesAreKnownByTheirType()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, isSession);
        if (const QString missing = MissingTool({"update-mime-database", "gio"}); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        QString output;
        QVERIFY2(Run("update-mime-database", {Installed("share/mime")}, &output) == 0, qPrintable(output));
        QTemporaryDir folder;
        WriteFile(folder.filePath(name), content);
        QCOMPARE(Run("gio", {"info", "--attributes=standard::content-type", folder.filePath(name)}, &output, QString(),
                     DesktopEnvironment(folder.filePath("user"))),
                 0);
        QCOMPARE(output.contains("standard::content-type: application/x-sondelio\n"), isSession);
    }

    void menuEntryOpensSessionFiles()
    {
        if (const QString missing = MissingTool({"update-desktop-database", "gio"}); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        // What the package's trigger does on installing: the entries' types gathered in a cache.
        QString output;
        QVERIFY2(Run("update-desktop-database", {Installed("share/applications")}, &output) == 0, qPrintable(output));
        QTemporaryDir userData;
        QCOMPARE(Run("gio", {"mime", "application/x-sondelio"}, &output, QString(), DesktopEnvironment(userData.path())),
                 0);
        QVERIFY2(output.contains(appId + ".desktop"), qPrintable(output));
    }

    void packageHoldsEachInstalledFile()
    {
        for (const char* tool : {"dpkg-deb", "dpkg-shlibdeps"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed (Debian dpkg-dev)").arg(tool)));
        QTemporaryDir packageFolder;
        QString output;
        QVERIFY2(Run(SONDELIO_CPACK, {"-G", "DEB", "-B", packageFolder.path(), "--config",
                                      SONDELIO_BUILD_DIR "/CPackConfig.cmake"},
                     &output, SONDELIO_BUILD_DIR) == 0,
                 qPrintable(output));
        const QStringList packages = QDir(packageFolder.path()).entryList({"*.deb"}, QDir::Files);
        QCOMPARE(packages.size(), 1);

        QString contents;
        QCOMPARE(Run("dpkg-deb", {"--contents", packageFolder.filePath(packages.first())}, &contents), 0);
        for (const QString& file : InstalledFiles())
            QVERIFY2(contents.contains(" ./usr/" + file + '\n'), qPrintable(file));

        QString depends;
        QCOMPARE(Run("dpkg-deb", {"--field", packageFolder.filePath(packages.first()), "Depends"}, &depends), 0);
        // From the libraries the program links, and what no library can tell.
        for (const char* package : {"libqt6widgets6", "libc6", "libgdal32", "fonts-liberation", "qt6-translations-l10n"})
            QVERIFY2(depends.contains(package), qPrintable(depends));

        // Debian's checker, where it is installed: not one error or warning about the package.
        if (QStandardPaths::findExecutable("lintian").isEmpty())
            return;
        QString findings;
        Run("lintian", {packageFolder.filePath(packages.first())}, &findings);
        const QRegularExpression errorOrWarning("^[EW]: ", QRegularExpression::MultilineOption);
        QVERIFY2(!findings.contains(errorOrWarning), qPrintable(findings));
    }
};

QTEST_MAIN(InstallTest)
#include "test_install.moc"
