// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Colour values as the window layouts and the dot drawings name them, and the cursors.
//
// A TColor of 0 or more is an RGB colour, red in the low byte, green in the second byte, blue
// in the third. A negative one is a system colour (0xFF000000 plus the index of a display
// element) and stands for whatever the desktop gives that element at the moment of drawing.

#include <QColor>
#include <QCursor>
#include <QGuiApplication>
#include <QPalette>
#include <cstdint>

using TColor = int32_t;

inline constexpr TColor SystemColour(int element)
{
    return static_cast<TColor>(0xFF000000u | static_cast<uint32_t>(element));
}

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clSkyBlue = 0xF0CAA6;
inline constexpr TColor clMoneyGreen = 0xC0DCC0;
inline constexpr TColor clWindow = SystemColour(5);
inline constexpr TColor clWindowText = SystemColour(8);
inline constexpr TColor clBtnFace = SystemColour(15);

// The colour to paint with now. System colours come from the application's palette, which is
// where Qt keeps the desktop's settings; an element we have no role for paints black.
inline QColor ColourToRGB(TColor colour)
{
    if (colour >= 0)
        return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    const QPalette palette = QGuiApplication::palette();
    switch (colour) {
    case clWindow: return palette.color(QPalette::Base);
    case clWindowText: return palette.color(QPalette::WindowText);
    case clBtnFace: return palette.color(QPalette::Button);
    default: return QColor(Qt::black);
    }
}

// Cursor identifiers: 0 is the window's default arrow; the crosshair is the only other one the
// program sets.
enum TCursor : int {
    crDefault = 0,
    crCross = -3,
};

inline QCursor CursorOf(TCursor cursor)
{
    return QCursor(cursor == crCross ? Qt::CrossCursor : Qt::ArrowCursor);
}
