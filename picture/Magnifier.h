// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The magnifier of a map: a round lens centred on the pixel under the pointer, showing the
// picture the map was drawn from at its own resolution, with the survey's marks as rings at their
// places and its centre marked by a cross. It is made from the picture held in memory: only the
// few picture pixels under the lens are read, so following the pointer costs neither a file
// read nor a rescale of the whole picture.
//
// Everything is given in window coordinates, those in which the map is drawn.

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <span>

// The lens is 2 Radius + 1 window pixels across, so that it centres on a whole pixel: the one a
// press at the pointer would designate.
inline constexpr int MagnifierRadius = 100;
inline constexpr int MagnifierBorder = 2;
// Rings are this many window pixels thick, whatever the zoom.
inline constexpr int MagnifierRingWidth = 2;

// A mark drawn on the map, as the lens shows it: the box of its disc and its colour. The lens
// draws only the disc's outline, so that the ground under the mark stays visible.
struct MagnifiedMark {
    QRectF Box;
    QColor Colour;
};

// How many times the lens enlarges the map as drawn: enough to show every picture pixel of a
// photo drawn small, and at least 4 times for a picture drawn at or above its own size.
qreal MagnifierZoom(QSize picture, QSize drawn);

// Where the lens lies in the window with the pointer on that pixel.
QRect MagnifierBox(QPoint pointer);

// The part of the window, around the pointer, that the lens shows enlarged.
QRectF MagnifiedArea(QPoint pointer, qreal zoom);

// The lens for a picture drawn over mapArea with the pointer on that pixel, with the marks on it
// (those outside the lens cost nothing but their test), in the screen's own pixels
// (deviceRatio screen pixels per window pixel; the image carries that ratio). Outside the
// picture the lens shows the background; outside its disc the image is transparent.
QImage RenderMagnifier(const QImage& picture, const QRect& mapArea, QPoint pointer,
                       std::span<const MagnifiedMark> marks, const QColor& background,
                       qreal deviceRatio);
