#include "ui/ApplicationFrame.h"

#include "ui/Dispatch.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <optional>

namespace {

QString title;
bool terminated = false;

}  // namespace

void BeginRun(const QString& runTitle)
{
    title = runTitle;
    terminated = false;
}

QString ApplicationTitle()
{
    return title;
}

QScreen* ActiveMonitor()
{
    if (const QWidget* active = QApplication::activeWindow())
        return active->screen();
    return QApplication::primaryScreen();
}

QPoint PlaceOnMonitor(const QRect& window, const QList<QRect>& monitors, const QRect& activeMonitor)
{
    const QPoint corner = window.topLeft();
    const auto holder = std::find_if(monitors.begin(), monitors.end(),
                                     [corner](const QRect& monitor) { return monitor.contains(corner); });
    const QRect* own = holder != monitors.end() ? &*holder : nullptr;
    qint64 largestOverlap = 0;
    for (const QRect& monitor : monitors) {
        const QRect overlap = monitor.intersected(window);
        const qint64 area = qint64(overlap.width()) * overlap.height();
        if (holder == monitors.end() && area > largestOverlap) {
            largestOverlap = area;
            own = &monitor;
        }
    }
    if (!own)
        return corner;
    return activeMonitor.topLeft() + (corner - own->topLeft());
}

void ShowWindow(QWidget* window, const std::function<void()>& showHandler)
{
    if (window->isHidden()) {
        // Taken before the show handler, whose error box takes the activation for a while.
        const std::optional<QRect> activeMonitor =
            QApplication::activeWindow() ? std::optional(ActiveMonitor()->geometry()) : std::nullopt;
        if (showHandler)
            RunHandler(showHandler);
        if (activeMonitor) {
            QList<QRect> monitors;
            for (const QScreen* screen : QGuiApplication::screens())
                monitors << screen->geometry();
            const QPoint place = PlaceOnMonitor(window->frameGeometry(), monitors, *activeMonitor);
            if (place != window->frameGeometry().topLeft())
                window->move(place);
        }
        window->show();
    }
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
}

void Terminate()
{
    terminated = true;
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(0);
}

bool Terminated()
{
    return terminated;
}
