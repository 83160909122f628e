// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The windows on a real desktop: an X server (Xvfb) split into two monitors side by side, a
// window manager (openbox), and the program started as a user starts it, driven with xdotool
// and read with xprop and xwininfo. Skipped, with the reason, where the X server or the window
// manager cannot run.

#include "helpers/XTools.h"

#include <QFileInfo>
#include <QProcess>
#include <QRect>
#include <QTest>

namespace {

// Two monitors of 1200 × 1000 pixels, "left" at the origin and "right" beside it.
const QRect leftMonitor(0, 0, 1200, 1000);
const QRect rightMonitor(1200, 0, 1200, 1000);

// Client areas of the main window's controls, as designed.
const QPoint explanationsButton(348, 388);
const QPoint resultsButton(200, 340);
const QPoint sampleSizeBox(556, 266);

constexpr int patience = 5000;  // milliseconds for the desktop to answer

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT

    TestDesktop desktop{patience};
    QProcess program;
    QString mainWindow;  // X window ids, in decimal as xdotool gives them

    QString Run(const QString& tool, const QStringList& arguments) { return desktop.Run(tool, arguments); }

    QString WindowTitled(const QString& title) { return desktop.WindowTitled(title); }

    QString Property(const QString& window, const QString& name)
    {
        return Run("xprop", {"-id", window, name});
    }

    QString State(const QString& window)
    {
        return Property(window, "WM_STATE").section("window state: ", 1).section('\n', 0, 0);
    }

    QRect ClientArea(const QString& window) { return ::ClientArea(desktop.Environment, window, patience); }

    void ClickAt(const QString& window, QPoint client) { desktop.ClickAt(window, client); }

    void Activate(const QString& window)
    {
        Run("wmctrl", {"-i", "-a", Hex(window)});
        QTRY_VERIFY_WITH_TIMEOUT(
            Run("xprop", {"-root", "_NET_ACTIVE_WINDOW"}).contains("window id # " + Hex(window)), patience);
    }

    // Closes a window as its title-bar button does.
    void Close(const QString& window)
    {
        Run("wmctrl", {"-i", "-c", Hex(window)});
    }

    static QString Hex(const QString& window)
    {
        return "0x" + QString::number(window.toULongLong(), 16);
    }

private slots:
    void initTestCase()
    {
        const QString missing = MissingTool({"Xvfb", "openbox", "xrandr", "xdotool", "xprop", "xwininfo", "wmctrl"});
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing));
        if (const QString failure = desktop.StartServer("2400x1000"); !failure.isEmpty())
            QSKIP(qPrintable(failure));

        Run("xrandr", {"--setmonitor", "right", "1200/320x1000/260+1200+0", "none"});
        Run("xrandr", {"--setmonitor", "left", "1200/320x1000/260+0+0", "screen"});
        if (!Run("xrandr", {"--listmonitors"}).startsWith("Monitors: 2"))
            QSKIP("the X server could not be split into two monitors");
        if (const QString failure = desktop.StartWindowManager(); !failure.isEmpty())
            QSKIP(qPrintable(failure));

        QProcessEnvironment programEnvironment = desktop.Environment;
        programEnvironment.insert("QT_QPA_PLATFORM", "xcb");
        program.setProcessEnvironment(programEnvironment);
        program.setWorkingDirectory(QFileInfo(SONDELIO_PROGRAM).absolutePath());
        program.start(SONDELIO_PROGRAM, {});
        QTRY_VERIFY_WITH_TIMEOUT(!(mainWindow = WindowTitled("rizo0346.bmp")).isEmpty(), patience);
        QVERIFY(leftMonitor.contains(ClientArea(mainWindow)));
    }

    void cleanupTestCase()
    {
        EndProcess(program, patience);
    }

    void secondaryWindowHasNoTaskBarEntryAndStaysWithTheMainWindow()
    {
        ClickAt(mainWindow, explanationsButton);
        QString explanations;
        QTRY_VERIFY_WITH_TIMEOUT(!(explanations = WindowTitled("Form3")).isEmpty(), patience);
        QVERIFY(Property(explanations, "WM_TRANSIENT_FOR").contains("window id # " + Hex(mainWindow)));
        QTRY_VERIFY_WITH_TIMEOUT(
            Property(explanations, "_NET_WM_STATE").contains("_NET_WM_STATE_SKIP_TASKBAR"), patience);
        QVERIFY(!Property(mainWindow, "_NET_WM_STATE").contains("_NET_WM_STATE_SKIP_TASKBAR"));
        // Still at its designed place, frame included.
        const QRect client = ClientArea(explanations);
        QVERIFY2(client.x() >= 195 && client.x() <= 195 + 10 && client.y() >= 143 && client.y() <= 143 + 40,
                 qPrintable(QStringLiteral("%1,%2").arg(client.x()).arg(client.y())));

        Run("xdotool", {"windowminimize", mainWindow});
        QTRY_COMPARE_WITH_TIMEOUT(State(mainWindow), QStringLiteral("Iconic"), patience);
        QTRY_COMPARE_WITH_TIMEOUT(State(explanations), QStringLiteral("Iconic"), patience);
        Activate(mainWindow);
        QTRY_COMPARE_WITH_TIMEOUT(State(mainWindow), QStringLiteral("Normal"), patience);
        QTRY_COMPARE_WITH_TIMEOUT(State(explanations), QStringLiteral("Normal"), patience);
        Close(explanations);  // it lies over the main window's buttons
        QTRY_VERIFY_WITH_TIMEOUT(WindowTitled("Form3").isEmpty(), patience);
    }

    void shownWindowComesOntoTheActiveWindowsMonitor()
    {
        const QRect before = ClientArea(mainWindow);
        Run("xdotool", {"windowmove", "--sync", mainWindow, QString::number(before.x() + rightMonitor.x()),
                        QString::number(before.y())});
        QTRY_VERIFY_WITH_TIMEOUT(rightMonitor.contains(ClientArea(mainWindow)), patience);
        Activate(mainWindow);
        ClickAt(mainWindow, resultsButton);
        // Before any survey the results divide by a sample size of 0: the error box comes
        // first, then the window.
        QString box;
        QTRY_VERIFY_WITH_TIMEOUT(!(box = WindowTitled("Sondelio")).isEmpty(), patience);
        Run("xdotool", {"key", "Return"});
        QString results;
        QTRY_VERIFY_WITH_TIMEOUT(!(results = WindowTitled("Résultats")).isEmpty(), patience);
        // Designed at 549, 191 on the left monitor: the same offset on the right one.
        const QRect client = ClientArea(results);
        QVERIFY2(client.x() >= rightMonitor.x() + 549 && client.x() <= rightMonitor.x() + 549 + 10 &&
                     client.y() >= 191 && client.y() <= 191 + 40,
                 qPrintable(QStringLiteral("%1,%2").arg(client.x()).arg(client.y())));
        Close(results);
        QTRY_VERIFY_WITH_TIMEOUT(WindowTitled("Résultats").isEmpty(), patience);
    }

    void errorBoxOpensOnTheActiveWindowsMonitor()
    {
        Activate(mainWindow);
        ClickAt(mainWindow, sampleSizeBox);
        Run("xdotool", {"type", "abc"});
        Run("xdotool", {"key", "Tab"});  // onto "3)- Cliquez pour dessiner la carte"
        // The pointer goes to the other monitor; the button is pressed from the keyboard.
        Run("xdotool", {"mousemove", "--sync", "100", "500"});
        Run("xdotool", {"key", "space"});
        QString box;
        QTRY_VERIFY_WITH_TIMEOUT(!(box = WindowTitled("Sondelio")).isEmpty(), patience);
        const QRect area = ClientArea(box);
        QVERIFY2(qAbs(area.center().x() - rightMonitor.center().x()) <= 2 &&
                     qAbs(area.center().y() - rightMonitor.center().y()) <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(area.center().x()).arg(area.center().y())));
        Run("xdotool", {"key", "Return"});
        QTRY_VERIFY_WITH_TIMEOUT(WindowTitled("Sondelio").isEmpty(), patience);
    }

    void closingTheMainWindowEndsTheProgram()
    {
        Close(mainWindow);
        QVERIFY(program.waitForFinished(patience));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }
};

QTEST_MAIN(DesktopTest)
#include "test_desktop.moc"
