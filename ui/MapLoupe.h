// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The magnifier over a window's map: while Shift is held or its button is on, a lens follows the
// pointer over the map. It is painted on the window, not a control of its own, so that presses
// reach the map; this class keeps where it lies and paints it, the window tells it what the
// pointer and the keyboard do.

#include "picture/Magnifier.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <functional>
#include <optional>
#include <vector>

class QKeyEvent;
class QWidget;

class TMapLoupe {
public:
    // The lens of `window`, on when `switchedOn` says so or while Shift is held, over the map
    // that `shownMap` says the window shows.
    TMapLoupe(QWidget& window, std::function<bool()> switchedOn, std::function<QRect()> shownMap);

    // The pointer moved on the window's own surface. Shift is read from the move: Shift pressed
    // while another window had the keyboard reaches no key handler here.
    void PointerMoved(QPoint at, bool shiftHeld);
    // The pointer left the surface, for a control or out of the window.
    void PointerLeft();
    // A key reached the window or one of its controls: Shift pressed or released moves the lens.
    void FollowShift(const QKeyEvent& event);
    // After any change of the pointer, of Shift, of the button or of the map shown: where the
    // lens now lies, and a repaint where it was and where it is.
    void Move();

    // The marks of the map in window pixels, those whose box meets the area given.
    using MarksWithin = std::function<std::vector<MagnifiedMark>(const QRectF& area)>;
    // After the window painted `region`, the lens over it: `picture` is the map's picture,
    // shown in `mapArea`.
    void Paint(const QRegion& region, const QImage& picture, const QRect& mapArea, const MarksWithin& marks);

private:
    QWidget& window;
    std::function<bool()> switchedOn;
    std::function<QRect()> shownMap;
    QPoint pointer;
    // The pointer is on the window's own surface, not on a control nor out of the window.
    bool pointerOnSurface = false;
    bool shiftHeld = false;
    // Where the lens lies in the window, when it shows.
    std::optional<QRect> box;
};
