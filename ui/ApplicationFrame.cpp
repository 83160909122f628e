// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/ApplicationFrame.h"

#include "core/ScreenRoom.h"
#include "ui/Dispatch.h"
#include "ui/WindowFit.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>
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
    const qsizetype own = MonitorHolding(window, monitors);
    if (own < 0)
        return window.topLeft();
    return activeMonitor.topLeft() + (window.topLeft() - monitors[own].topLeft());
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
        FitToMonitor(window);
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
