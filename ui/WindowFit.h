// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Every window within reach on the monitor it shows on. A window whose design fits the available
// area of its monitor keeps its designed size, and its place unless it would run past the area.
// One too large takes what room there is: a window that has a layout of its own for less room
// (the map drawn smaller beside its panels, the chart drawn smaller) lays itself out in it; any
// other keeps its layout, cut short where no control lies, else in a scrolled client area.

#include <QSize>

class QWidget;

// A window with a layout of its own for a client area smaller than its design.
class TFittingWindow {
public:
    virtual ~TFittingWindow() = default;
    // Lays the window out within a client area of `room` (the whole room its monitor leaves
    // it) and sizes it: exactly as designed when its designed client area fits.
    virtual void LayOutWithin(QSize room) = 0;
};

// The client size a window was designed for, as SetUpWindow records it.
void SetDesignedClientSize(QWidget* window, QSize size);
QSize DesignedClientSize(const QWidget* window);

// Fits a window about to be shown to the monitor that holds it, as its design and that
// monitor's available area decide: at each showing, so that a window shown again after a
// projector was plugged in, or on another monitor, fits the monitor it shows on now.
void FitToMonitor(QWidget* window);
