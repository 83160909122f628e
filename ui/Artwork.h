// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The two pictures built into the program: its icon and the glyph of the close buttons.

#include <QIcon>
#include <QPixmap>

class QPainter;

// The icon, drawn on any painter into the square of `side` pixels at its origin: a patch of map
// with a few sample points, red and blue. The window icon, the desktop's icons of every size
// and the scalable one are all drawn by it, so they show one picture.
void PaintApplicationIcon(QPainter& painter, qreal side);
// 32 × 32, the design size, where every shape falls on whole pixels.
QIcon ApplicationIcon();
// 18 × 18: an open door, the usual sign for leaving a window.
QPixmap CloseGlyph();
