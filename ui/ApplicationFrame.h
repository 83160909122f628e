// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the windows and the boxes share about the running program: its title, how one window
// shows another, the monitor the boxes open on, and how the program ends.

#include <QList>
#include <QRect>
#include <QString>
#include <functional>

class QScreen;
class QWidget;

// A run of the program begins (again, when the window set is made anew): the boxes take `title`
// as their caption, and the program has not ended.
void BeginRun(const QString& title);

// The caption of both boxes and the label of the program's task-bar entry.
QString ApplicationTitle();

// Shows a window. A hidden one runs its show handler first (an error there is reported and
// the showing goes on) and appears where it was last, moved onto the monitor of the active
// window if it was on another, and fitted to the monitor it shows on (ui/WindowFit.h); in every
// case it comes to the front and becomes the active window.
void ShowWindow(QWidget* window, const std::function<void()>& showHandler = {});

// The monitor that holds the active window (the primary one when no window is active): the
// boxes open there, whichever monitor the pointer is on.
QScreen* ActiveMonitor();

// Where a window (its outer rectangle) goes when it is shown while the active window is on the
// monitor `activeMonitor`: it keeps its offset from the top-left corner of the monitor that
// holds it (the one under its top-left corner, else the one it overlaps most), now from the
// active monitor's. A window on no monitor, or on the active one, stays where it is.
QPoint PlaceOnMonitor(const QRect& window, const QList<QRect>& monitors, const QRect& activeMonitor);

// Closing the main window ends the program: every window disappears and the event loop stops.
void Terminate();
bool Terminated();
