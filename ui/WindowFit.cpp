// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/WindowFit.h"

#include "core/ScreenRoom.h"
#include "ui/WindowFrame.h"

#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

namespace {

const char* const designedSizeProperty = "sondelioDesignedClientSize";
const char* const scrollerName = "sondelioClientScroller";
// Where a window was, from its monitor's corner, before it was moved inside a smaller monitor,
// and where it was moved to.
const char* const wantedOffsetProperty = "sondelioWantedOffset";
const char* const forcedOffsetProperty = "sondelioForcedOffset";
// A layout cut short keeps this much of the window's surface beyond its last control.
constexpr int marginBeyondControls = 4;

QMargins FrameOf(const QWidget* window)
{
    const QRect outer = window->frameGeometry();
    const QRect client = window->geometry();
    return QMargins(client.left() - outer.left(), client.top() - outer.top(),
                    outer.right() - client.right(), outer.bottom() - client.bottom());
}

// The window manager's frame is known once a window has been shown; before, another window's
// tells what it will be, and before any, the frame the layouts were designed for.
QMargins FrameAround(const QWidget* window)
{
    for (const QWidget* known : {window, static_cast<const QWidget*>(QApplication::activeWindow())})
        if (known && !FrameOf(known).isNull())
            return FrameOf(known);
    return QMargins(FrameLeft, FrameTop, FrameRight, FrameBottom);
}

const QScreen* MonitorOf(const QRect& window)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    QList<QRect> monitors;
    for (const QScreen* screen : screens)
        monitors << screen->geometry();
    const qsizetype holder = MonitorHolding(window, monitors);
    return holder >= 0 ? screens[holder] : QGuiApplication::primaryScreen();
}

// Moves the controls of `from` into `to` at the same places, keeping what shows. Both lie in
// the same window, so the order Tab visits the controls in stays. Windows that belong to the
// window are no controls of it.
void MoveControls(QWidget* from, QWidget* to, const QWidget* except)
{
    // A copy: each control that moves leaves the list.
    const QObjectList children = from->children();
    for (QObject* child : children) {
        auto* control = qobject_cast<QWidget*>(child);
        if (!control || control->isWindow() || control == except)
            continue;
        const bool hidden = control->isHidden();
        const QPoint place = control->pos();
        control->setParent(to);
        control->move(place);
        control->setVisible(!hidden);
    }
}

// A window without a layout of its own: its layout as designed, cut short where no control lies
// when that is enough, else its controls in a scrolled area of the designed size.
void FitDesignedLayout(QWidget* window, QSize designed, QSize wholeRoom)
{
    const QSize room = designed.boundedTo(wholeRoom);
    auto* scroller = window->findChild<QScrollArea*>(scrollerName, Qt::FindDirectChildrenOnly);
    const QWidget* holder = scroller ? scroller->widget() : window;
    const QRect controls = holder->childrenRect();
    const bool controlsFit = controls.left() + controls.width() + marginBeyondControls <= room.width() &&
                             controls.top() + controls.height() + marginBeyondControls <= room.height();
    if (room == designed || controlsFit) {
        if (scroller) {
            MoveControls(scroller->widget(), window, scroller);
            delete window->layout();
            delete scroller;
        }
        window->resize(room);
        return;
    }
    if (!scroller) {
        scroller = new QScrollArea(window);
        scroller->setObjectName(scrollerName);
        scroller->setFrameShape(QFrame::NoFrame);
        scroller->setFocusPolicy(Qt::NoFocus);
        scroller->setAccessibleName(window->windowTitle());
        scroller->viewport()->setAutoFillBackground(false);
        auto* content = new QWidget;
        content->setFixedSize(designed);
        scroller->setWidget(content);
        MoveControls(window, content, scroller);
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(QMargins());
        layout->addWidget(scroller);
    }
    // A side cut short takes a scroll bar across the other; that side grows by the bar where the
    // monitor leaves room for it.
    const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroller);
    QSize size = room;
    if (room.height() < designed.height())
        size.setWidth(std::min(wholeRoom.width(), room.width() + bar));
    if (room.width() < designed.width())
        size.setHeight(std::min(wholeRoom.height(), room.height() + bar));
    window->resize(size);
}

}  // namespace

void SetDesignedClientSize(QWidget* window, QSize size)
{
    window->setProperty(designedSizeProperty, size);
}

QSize DesignedClientSize(const QWidget* window)
{
    return window->property(designedSizeProperty).toSize();
}

void FitToMonitor(QWidget* window)
{
    const QSize designed = DesignedClientSize(window);
    const QScreen* monitor = MonitorOf(window->frameGeometry());
    if (!designed.isValid() || !monitor)
        return;
    const QMargins frame = FrameAround(window);
    const QRect available = monitor->availableGeometry();
    const QSize room = ClientRoom(frame, available);
    if (auto* fitting = dynamic_cast<TFittingWindow*>(window))
        fitting->LayOutWithin(room);
    else
        FitDesignedLayout(window, designed, room);

    // A window that was moved into a smaller monitor, and has not been moved since, goes back to
    // the place it had before wherever there is room for it: a window the user moved stays. The
    // window system may set the frame of a window first shown around the place asked for
    // rather than at it.
    const QPoint corner = window->frameGeometry().topLeft();
    const QPoint offset = corner - monitor->geometry().topLeft();
    const QVariant forcedOffset = window->property(forcedOffsetProperty);
    const QPoint moved = offset - forcedOffset.toPoint();
    const bool stayed = forcedOffset.isValid() && qAbs(moved.x()) <= frame.left() + frame.right() &&
                        qAbs(moved.y()) <= frame.top() + frame.bottom();
    const QPoint wanted = stayed ? window->property(wantedOffsetProperty).toPoint() : offset;
    const QPoint place = PlaceWithin(QRect(monitor->geometry().topLeft() + wanted, window->size().grownBy(frame)), available);
    if (place != corner)
        window->move(place);
    const bool forced = place != monitor->geometry().topLeft() + wanted;
    window->setProperty(wantedOffsetProperty, forced ? QVariant(wanted) : QVariant());
    window->setProperty(forcedOffsetProperty, forced ? QVariant(place - monitor->geometry().topLeft()) : QVariant());
}
