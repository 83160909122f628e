// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// How much of a monitor a window may take, and how a window larger than that lays itself out:
// rules on rectangles alone, decided without a screen. A classroom projector of 1024 × 768, a
// laptop of 1366 × 768 or a screen at a scale factor of 2 leaves less room than the layouts were
// designed for; every control must still be within reach there, while a screen large enough
// keeps every window exactly as designed.

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>

// The monitor that holds a window's outer rectangle: the one under its top-left corner, else the
// one it overlaps most; -1 when it lies on none.
qsizetype MonitorHolding(const QRect& window, const QList<QRect>& monitors);

// The largest client area a window may take on a monitor whose available area is `available`,
// with `frame` around it.
QSize ClientRoom(const QMargins& frame, const QRect& available);

// Whether a client area of the designed size fits in the room.
bool FitsIn(QSize designed, QSize room);

// Where a window's outer rectangle goes so as to lie inside `available`, moved as little as
// possible: a window already inside stays where it is, one larger than the area keeps to its
// top-left corner so that its title bar stays within reach.
QPoint PlaceWithin(const QRect& window, const QRect& available);

// A layout shown smaller: the coordinates it was designed in, from Origin on, shown Shown/Designed
// times as large (the ratio of two whole numbers, so that which designed pixel a window pixel
// shows is decided exactly). Origin itself stays where it was designed.
struct TViewScale {
    QPoint Origin;
    int Shown = 1;
    int Designed = 1;

    bool AsDesigned() const { return Shown == Designed; }
    // A designed length as shown, to the nearest window pixel (a half rounds up).
    int ShownLength(int designed) const;
    // A designed rectangle as shown, in window coordinates, exactly.
    QRectF ToWindow(const QRectF& designed) const;
    // The window rectangle a designed one shows as, its corners to the nearest window pixel.
    QRect ShownFrom(const QRect& designed) const;
    // The window pixels a designed rectangle touches.
    QRect Covering(const QRect& designed) const;
    // The designed pixel under the middle of a window pixel.
    QPoint DesignedPixelAt(QPoint window) const;
    bool operator==(const TViewScale&) const = default;
};

// A picture shown smaller beside columns of blocks, as the map window lays out its map and its
// panels when the room is too small for its design.
struct TBesideLayout {
    TViewScale View;
    QList<QPoint> Blocks;  // where each block's top-left corner goes, in the order given
    QPoint Corner;         // where the corner block's top-left corner goes
    QSize Client;          // the client area the layout takes
};

// `picture` is the largest rectangle the picture can take as designed (it keeps its top-left
// corner, and as much margin below it as above). The blocks go right of it, in their order, top
// to bottom in columns `gap` apart, each right-aligned in its column, `gap` from the edges of the
// client area; the corner block goes in the bottom-right corner, under the last column. Of the
// ways to share the blocks among columns, the layout is one that fits the room, else the one
// that passes its bottom the least; of those, one that shows the picture largest (at most as
// designed), then with the fewest columns, then the shortest.
TBesideLayout LayOutBeside(const QRect& picture, const QList<QSize>& blocks, QSize corner, int gap,
                           QSize room);
