// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Starts the program's window set as the real start-up does, and ends it, for tests that drive
// the windows. Reports queued by a paint are delivered by ProcessEvents.

#include "BoxRecorder.h"

#include <QWidget>
#include <cstdint>
#include <memory>

// Start-up: settings, a fresh survey tally, the seven windows, the main window shown.
void StartProgram();
void EndProgram();

// Lets Qt deliver pending events (paints, queued error reports).
void ProcessEvents();

// The window painted afresh, as pixels of its client area.
QImage Grab(QWidget* window);
// What the screen shows of the window now: its backing store, pixels kept from earlier paints
// included, once pending paints are done, in the screen's own pixels. A fresh paint cannot see
// what a paint failed to clear.
QImage Shown(QWidget* window);

// What most window tests share: each test function runs on the program started afresh, every box
// it shows recorded in `boxes`, and "Go" draws its points from a known state, `goState` (0 unless
// the test function sets another), instead of the clock.
class ProgramTest : public QObject {
    Q_OBJECT
protected:
    std::unique_ptr<BoxRecorder> boxes;
    uint32_t goState = 0;

protected slots:
    // A test class with more to set up calls these first in its own init and last in its cleanup.
    void init();
    void cleanup();
};
