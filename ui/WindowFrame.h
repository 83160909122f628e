// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the seven windows share: their place on the screen, their background, their fonts and
// labels, and the close button with its glyph and its "F" mnemonic.

#include <QColor>
#include <QFont>
#include <QPushButton>

class QAbstractButton;
class QLabel;
class QWidget;

// The frame our layouts were designed for: a 4-pixel border and a 19-pixel title bar. A
// window's client area is its designed outer size less this frame.
inline constexpr int FrameLeft = 4;
inline constexpr int FrameTop = 23;
inline constexpr int FrameRight = 4;
inline constexpr int FrameBottom = 4;

// Sets a top-level window's caption, outer position and outer size, button-face background and
// font, and leaves it hidden.
void SetUpWindow(QWidget* window, const QString& caption, int left, int top, int outerWidth,
                 int outerHeight, const QFont& font, const QColor& textColour);

// A font by face name and pixel height; the faces are mapped to installed ones at start-up.
QFont PixelFont(const QString& family, int pixelHeight, bool bold = false);

// A label that sizes itself to its text, at (left, top) in its parent. Given the width the
// layout was designed for, a text that the installed face sets wider is drawn a little tighter,
// so that it never runs into the control beside it.
QLabel* MakeLabel(QWidget* parent, const QString& text, int left, int top, const QFont& font,
                  const QColor& textColour, int designedWidth = 0);

// Names a control for screen readers after the label that tells what it is: the label's text as
// the user reads it, without its mnemonic's '&' or the blanks around it.
void NameAfter(QWidget* control, const QLabel* label);

// Gives a control its tooltip, and screen readers the same words as its description: Qt reads a
// tooltip out as the description of a button or a box, but not of a grid or a list.
void SetToolTip(QWidget* control, const QString& tip);

// Text colour of a widget and its children.
void SetTextColour(QWidget* widget, const QColor& colour);

// Makes a button's mnemonic (the letter after '&' in its caption) press it with Alt+letter
// with or without Shift anywhere in its window, and with the letter alone while the focus is on
// a control that takes no typed text: the keys of every "Fermer".
void AddMnemonicKeys(QAbstractButton* button);

// The push button that closes its window, with the stock close glyph left of its caption and
// the keys of AddMnemonicKeys.
class TCloseButton : public QPushButton {
    Q_OBJECT
public:
    TCloseButton(QWidget* window, const QString& caption, int left, int top, int width, int height);
};
