// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The controls of the program's windows, as a user (or a screen reader) meets them.

#include <QList>

class QWidget;

// The seven windows of the window set, the main window first.
QList<QWidget*> ProgramWindows();

// The controls of a window: every button, edit box, note, grid, list, progress bar, chart and tab bar
// in it, each once (not the parts a control is made of, such as a grid's scroll bars), but not
// those put away until the user asks for them.
QList<QWidget*> Controls(const QWidget* window);
