// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The program on a classroom's screens: a projector of 1024 × 768, a laptop of 1366 × 768 and a
// screen of 2560 × 1440 at a scale factor of 2. For each, an X server of that size (Xvfb) with a
// window manager (openbox) and the desktop's accessibility bus, and the program started once as
// a user starts it. Every window is opened in turn; every control in it lies inside the screen,
// a press at its middle lands on it, and a screen reader finds its name and its tooltip there
// (AT-SPI); the buttons that open and close the windows, and "Go", are pressed. Skipped, with the
// reason, where the X server, the window manager or the accessibility bus cannot run.

#include "helpers/XTools.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <memory>

namespace {

constexpr int patience = 5000;  // milliseconds for the desktop to answer

struct Control {
    QString Role;
    QString Name;
    QString Description;
    QString Text;
    QRect Extents;
    bool Reached = false;
};

struct Window {
    QString Name;
    QRect Extents;
    QList<Control> Controls;

    // The control of that name; a test that names one it lacks fails there.
    Control Named(const QString& name) const
    {
        for (const Control& control : Controls)
            if (control.Name == name)
                return control;
        qWarning("%s has no control named %s", qPrintable(Name), qPrintable(name));
        return Control{};
    }
};

QRect RectOf(const QJsonValue& value)
{
    const QJsonArray box = value.toArray();
    return QRect(box[0].toInt(), box[1].toInt(), box[2].toInt(), box[3].toInt());
}

// An interpreter that has the accessibility bus's Python module, or nothing.
QString PythonWithAtspi()
{
    for (const QString& python : {QStringLiteral("/usr/bin/python3"), QStandardPaths::findExecutable("python3")}) {
        if (python.isEmpty())
            continue;
        QProcess probe;
        probe.start(python, {"-c", "import pyatspi"});
        if (probe.waitForFinished(patience) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0)
            return python;
    }
    return QString();
}

}  // namespace

class ClassroomScreensTest : public QObject {
    Q_OBJECT
    QString python;
    std::unique_ptr<TestDesktop> desktop;
    QProcess bus;
    QProcess accessibility;
    QProcess program;
    QRect screen;     // in the units of the accessibility bus
    qreal units = 1;  // screen pixels for each of them

    // Why the session bus and the accessibility bus could not start, or nothing.
    QString StartAccessibilityBus()
    {
        bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (!bus.waitForReadyRead(patience))
            return "dbus-daemon could not start: " + QString::fromLocal8Bit(bus.readAllStandardError());
        desktop->Environment.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromLatin1(bus.readLine().trimmed()));
        accessibility.setProcessEnvironment(desktop->Environment);
        accessibility.start("/usr/libexec/at-spi-bus-launcher", {"--launch-immediately"});
        const auto ready = [this] {
            QProcess ask;
            ask.setProcessEnvironment(desktop->Environment);
            ask.start("dbus-send", {"--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                                    "org.a11y.Bus.GetAddress"});
            return ask.waitForFinished(patience) && ask.exitCode() == 0;
        };
        if (!QTest::qWaitFor(ready, patience))
            return "the accessibility bus could not start: " + QString::fromLocal8Bit(accessibility.readAllStandardError());
        return QString();
    }

    // The program's windows that show, as the accessibility bus tells them.
    QList<Window> Windows()
    {
        QProcess dump;
        dump.setProcessEnvironment(desktop->Environment);
        dump.start(python, {QStringLiteral(SONDELIO_ATSPI_WINDOWS), QStringLiteral("Sondelio")});
        dump.waitForFinished(patience);
        QList<Window> windows;
        for (const QByteArray& line : dump.readAllStandardOutput().split('\n')) {
            const QJsonObject object = QJsonDocument::fromJson(line).object();
            if (object.isEmpty())
                continue;
            Window window{object["name"].toString(), RectOf(object["extents"]), {}};
            for (const QJsonValue& value : object["controls"].toArray()) {
                const QJsonObject control = value.toObject();
                window.Controls << Control{control["role"].toString(),        control["name"].toString(),
                                           control["description"].toString(), control["text"].toString(),
                                           RectOf(control["extents"]),        control["reached"].toBool()};
            }
            windows << window;
        }
        return windows;
    }

    // The window of that title once it shows, as the accessibility bus tells it.
    Window Awaited(const QString& title)
    {
        Window found;
        const auto shows = [&] {
            if (desktop->WindowTitled(title).isEmpty())
                return false;
            for (const Window& window : Windows())
                if (window.Name == title && !window.Controls.isEmpty())
                    found = window;
            return !found.Name.isEmpty();
        };
        if (!QTest::qWaitFor(shows, 3 * patience))
            qWarning("the window %s did not show", qPrintable(title));
        return found;
    }

    void AwaitGone(const QString& title)
    {
        QTRY_VERIFY_WITH_TIMEOUT(desktop->WindowTitled(title).isEmpty(), patience);
    }

    void ClickOn(const Control& control)
    {
        const QPoint middle = (QPointF(control.Extents.center()) * units).toPoint();
        desktop->Run("xdotool", {"mousemove", "--sync", QString::number(middle.x()), QString::number(middle.y()),
                                 "click", "1"});
    }

    // Every control of the window inside the screen and inside the window, found where a press
    // at its middle lands, named and explained.
    void CheckWithinReach(const Window& window)
    {
        QVERIFY2(!window.Controls.isEmpty(), qPrintable(window.Name));
        QStringList faults;
        if (!screen.contains(window.Extents))
            faults << QStringLiteral("the window runs past the screen");
        for (const Control& control : window.Controls) {
            const QString what = QStringLiteral("%1 \"%2\"").arg(control.Role, control.Name);
            if (control.Name.trimmed().isEmpty())
                faults << what + " has no name";
            if (control.Description.trimmed().isEmpty())
                faults << what + " has no tooltip";
            if (!screen.contains(control.Extents) || !window.Extents.contains(control.Extents))
                faults << what + " is out of sight";
            else if (!control.Reached)
                faults << what + " is covered where a press would land";
        }
        QVERIFY2(faults.isEmpty(), qPrintable(window.Name + ": " + faults.join("; ")));
    }

    // Presses the button of one window, and returns the window it opens once checked.
    Window Open(const Window& from, const QString& button, const QString& title)
    {
        ClickOn(from.Named(button));
        const Window opened = Awaited(title);
        CheckWithinReach(opened);
        return opened;
    }

    void Close(const Window& window, const QString& button)
    {
        ClickOn(window.Named(button));
        AwaitGone(window.Name);
    }

private slots:
    void initTestCase()
    {
        const QString missing =
            MissingTool({"Xvfb", "openbox", "xdotool", "xprop", "xwininfo", "dbus-daemon", "dbus-send"});
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing));
        if (!QFileInfo::exists("/usr/libexec/at-spi-bus-launcher"))
            QSKIP("the accessibility bus (at-spi2-core) is not installed (./test.sh installs it)");
        python = PythonWithAtspi();
        if (python.isEmpty())
            QSKIP("python3-pyatspi is not installed (./test.sh installs it)");
    }

    void cleanup()
    {
        EndProcess(program, patience);
        EndProcess(accessibility, patience);
        EndProcess(bus, patience);
        desktop.reset();
    }

    void everyWindowWithinReach_data()
    {
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("scale");
        QTest::newRow("projector, 1024 x 768") << "1024x768" << "1";
        QTest::newRow("laptop, 1366 x 768") << "1366x768" << "1";
        QTest::newRow("2560 x 1440 at a scale factor of 2") << "2560x1440" << "2";
    }
    void everyWindowWithinReach()
    {
        QFETCH(QString, size);
        QFETCH(QString, scale);
        desktop = std::make_unique<TestDesktop>(patience);
        if (const QString failure = desktop->StartServer(size); !failure.isEmpty())
            QSKIP(qPrintable(failure));
        if (const QString failure = StartAccessibilityBus(); !failure.isEmpty())
            QSKIP(qPrintable(failure));
        if (const QString failure = desktop->StartWindowManager(); !failure.isEmpty())
            QSKIP(qPrintable(failure));

        QProcessEnvironment programEnvironment = desktop->Environment;
        programEnvironment.insert("QT_QPA_PLATFORM", "xcb");
        programEnvironment.insert("QT_SCALE_FACTOR", scale);
        programEnvironment.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        program.setProcessEnvironment(programEnvironment);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.setWorkingDirectory(QFileInfo(SONDELIO_PROGRAM).absolutePath());
        program.start(SONDELIO_PROGRAM, {"rizo0346.bmp"});
        // Start-up on a busy machine, beside the other tests, takes its time.
        QString mainId;
        QVERIFY2(QTest::qWaitFor([&] { return !(mainId = desktop->WindowTitled("rizo0346.bmp")).isEmpty(); }, 12 * patience),
                 qPrintable("no main window: " + QString::fromLocal8Bit(program.readAll())));
        const Window main = Awaited("rizo0346.bmp");
        QVERIFY(!main.Extents.isEmpty());
        // The accessibility bus may give window pixels rather than the screen's own.
        units = qreal(ClientArea(desktop->Environment, mainId, patience).width()) / main.Extents.width();
        const QSize pixels(size.section('x', 0, 0).toInt(), size.section('x', 1, 1).toInt());
        screen = QRect(QPoint(), (QSizeF(pixels) / units).toSize());
        CheckWithinReach(main);

        ClickOn(main.Named("2)- Combien de points d'échantillonnage voulez-vous ?"));
        desktop->Run("xdotool", {"type", "25"});
        const Window map = Open(main, "3)- Cliquez pour dessiner la carte", "Fond de Carte");
        ClickOn(map.Named("Go"));
        // "Go" drew its points: the panel shows the seed they came from.
        QTRY_VERIFY_WITH_TIMEOUT(!Awaited("Fond de Carte").Named("Graine utilisée").Text.isEmpty(), patience);
        Close(map, "Pour voir les résultats");

        Close(Open(main, "4)- Afficher les résultats", "Résultats"), "Fermer");
        Close(Open(main, "Classe…", "Classe"), "Fermer");
        const Window explanations = Open(main, "Explications", "Form3");
        Close(Open(explanations, "Voir Abaque", "Abaque"), "Fermer");
        Close(Open(explanations, "Simuler…", "Simulation"), "Fermer");
        Close(explanations, "Fermer");

        ClickOn(main.Named("Fermer"));
        QVERIFY(program.waitForFinished(patience));
        QCOMPARE(program.exitCode(), 0);
    }
};

QTEST_MAIN(ClassroomScreensTest)
#include "test_classroom_screens.moc"
