#pragma once
// Starts the program's window set as the real start-up does, and ends it, for tests that drive
// the windows. Reports queued by a paint are delivered by ProcessEvents.

#include <QWidget>

// Start-up: settings, a fresh survey tally, the five windows, the main window shown.
void StartProgram();
void EndProgram();

// Lets Qt deliver pending events (paints, queued error reports).
void ProcessEvents();

// What the window shows now, as pixels of its client area.
QImage Grab(QWidget* window);
