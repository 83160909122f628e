// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The house style of the windows' own controls: the blue of their texts, and the one maker of
// each labelled push button, edit box and coloured panel.

#include "picture/TColor.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <optional>

class QFrame;
class QLineEdit;
class QPushButton;
class QWidget;

// The blue of the titles, of the numbered steps and of what the user types on the map window.
inline const QColor HouseBlue{0, 0, 255};

// An edit box at (left, top) in its parent, taking text of any length; its text is drawn in
// `textColour` when one is given, else in its parent's.
QLineEdit* MakeEditBox(QWidget* parent, int left, int top, int width, int height,
                       const std::optional<QColor>& textColour = std::nullopt);

// A push button at (left, top) in its parent; its caption is set in `font` when one is given,
// else in its parent's.
QPushButton* MakeButton(QWidget* parent, const QString& caption, int left, int top, int width,
                        int height, const std::optional<QFont>& font = std::nullopt);

// A raised panel in `colour` that groups the controls of one step. A press on it, or on a label
// or a disabled button in it, is not a press on the window beneath, and over it the cursor is the
// arrow whatever the window's own.
QFrame* MakePanel(QWidget* window, int left, int top, int width, int height, TColor colour);
