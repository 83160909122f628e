#pragma once
// The two pictures built into the program: its icon and the glyph of the close buttons.

#include <QIcon>
#include <QPixmap>

// 32 × 32: a patch of map with a few sample points, red and blue.
QIcon ApplicationIcon();
// 18 × 18: an open door, the usual sign for leaving a window.
QPixmap CloseGlyph();
