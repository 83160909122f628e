// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Program.h"

#include "app/Application.h"
#include "app/WindowSet.h"
#include "core/SampleGenerator.h"
#include "core/SurveyTally.h"
#include "ui/ApplicationFrame.h"
#include "ui/Boxes.h"
#include "windows/Fich_1.h"

#include <QApplication>
#include <QBackingStore>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

// Between StartProgram and EndProgram no real dialog may open: a box that no test expected
// (a report queued by a late paint, say) is printed instead of waiting for a click forever.
class UnexpectedBoxes : public BoxPresenter {
public:
    void PresentNotice(const QString&, const QString& text) override
    {
        qWarning("notice shown outside a recorder: %s", qPrintable(text));
    }
    void PresentError(const QString&, const QString& text) override
    {
        qWarning("error shown outside a recorder: %s", qPrintable(text));
    }
    int PresentQuestion(const QString&, const QString& text, const QStringList& answers, int) override
    {
        qWarning("question asked outside a recorder: %s", qPrintable(text));
        return int(answers.size()) - 1;
    }
} unexpectedBoxes;

}  // namespace

void StartProgram()
{
    // The journals of a test's surveys go to a folder of the test's own, gone with it, unless a
    // test chose another.
    static QTemporaryDir stateFolder;
    static const bool stateFolderSet = qputenv("XDG_STATE_HOME", QFile::encodeName(stateFolder.path()));
    Q_UNUSED(stateFolderSet);
    if (BoxPresenter* recorder = SetBoxPresenter(&unexpectedBoxes))
        SetBoxPresenter(recorder);  // a test that records its boxes keeps its recorder
    SetUpApplication(*qApp);
    SurveyTally.Reset();
    CreateWindowSet();
    ShowWindow(Page_1);
    QVERIFY(QTest::qWaitForWindowExposed(Page_1));
}

void EndProgram()
{
    // Closing the main window ended Qt's event loops for good: a dialog opened later would close
    // at once. An event loop run to its end lets them run again.
    if (Terminated()) {
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
    }
    DestroyWindowSet();
    ProcessEvents();
    if (BoxPresenter* current = SetBoxPresenter(nullptr); current != &unexpectedBoxes)
        SetBoxPresenter(current);
}

void ProcessEvents()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

QImage Grab(QWidget* window)
{
    return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Under Wayland a window paints what it was asked to only when the compositor is ready for a
// new frame, which may come after the events at hand are done: a frame asked for now comes with
// every paint asked for before it.
static void WaitForNextFrame(QWidget* window)
{
    QWindow* handle = window->windowHandle();
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")) || !handle)
        return;
    struct FrameWatch : QObject {
        bool framed = false;
        bool eventFilter(QObject*, QEvent* event) override
        {
            framed = framed || event->type() == QEvent::UpdateRequest;
            return false;
        }
    } watch;
    handle->installEventFilter(&watch);
    handle->requestUpdate();
    // A compositor that sends no frame in time leaves the test to read what was painted.
    static_cast<void>(QTest::qWaitFor([&watch] { return watch.framed; }, 2000));
    handle->removeEventFilter(&watch);
}

QImage Shown(QWidget* window)
{
    ProcessEvents();
    WaitForNextFrame(window);
    ProcessEvents();
    // The window system's own copy of the window, all of its pixels: on a high-density screen
    // grabWindow() would give only as many as the window has window pixels.
    const auto* store = dynamic_cast<const QImage*>(window->backingStore()->paintDevice());
    if (!store)
        return QImage();
    QImage shown = store->convertToFormat(QImage::Format_RGB32);
    shown.setDevicePixelRatio(1);
    return shown;
}

void ProgramTest::init()
{
    boxes = std::make_unique<BoxRecorder>();  // before the start, which keeps it
    StartProgram();
    goState = 0;
    SeedGenerator = [this] { GeneratorState = goState; };
}

void ProgramTest::cleanup()
{
    EndProgram();
    boxes.reset();
    SeedGenerator = SeedFromClock;
}
