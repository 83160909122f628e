// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/MapLoupe.h"

#include <QKeyEvent>
#include <QPainter>
#include <QWidget>

TMapLoupe::TMapLoupe(QWidget& window, std::function<bool()> switchedOn, std::function<QRect()> shownMap)
    : window(window), switchedOn(std::move(switchedOn)), shownMap(std::move(shownMap))
{
}

void TMapLoupe::PointerMoved(QPoint at, bool shift)
{
    pointer = at;
    pointerOnSurface = true;
    shiftHeld = shift;
    Move();
}

void TMapLoupe::PointerLeft()
{
    pointerOnSurface = false;
    Move();
}

void TMapLoupe::FollowShift(const QKeyEvent& event)
{
    if (event.key() != Qt::Key_Shift)
        return;
    shiftHeld = event.type() == QEvent::KeyPress;
    Move();
}

void TMapLoupe::Move()
{
    const bool wanted = switchedOn() || shiftHeld;
    const std::optional<QRect> now = wanted && pointerOnSurface && shownMap().contains(pointer)
                                         ? std::optional(MagnifierBox(pointer))
                                         : std::nullopt;
    if (now == box)
        return;
    if (box)
        window.update(*box);
    if (now)
        window.update(*now);
    box = now;
}

void TMapLoupe::Paint(const QRegion& region, const QImage& picture, const QRect& mapArea, const MarksWithin& marks)
{
    if (!box || !region.intersects(*box))
        return;
    // A mark added under the lens, or taken away, changes the lens as a whole, not only the
    // place where the map shows the mark.
    if (!QRegion(*box).subtracted(region).isEmpty())
        window.update(*box);
    // The lens works in window pixels, on the map as the window shows it.
    const QRectF magnified = MagnifiedArea(pointer, MagnifierZoom(picture.size(), mapArea.size()));
    QPainter painter(&window);
    painter.drawImage(QRectF(*box), RenderMagnifier(picture, mapArea, pointer, marks(magnified),
                                                    window.palette().window().color(), window.devicePixelRatioF()));
}
