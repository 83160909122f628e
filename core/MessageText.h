// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// How a message quotes a text that the user typed or chose (a number, a file name), so that any
// text reads well inside the program's French sentence.

#include <QString>

// A quoted text is kept whole up to this many characters (as the user sees them); past it, its
// middle gives way to "…".
inline constexpr int MaxQuotedCharacters = 80;

// The text as a message quotes it, between the message's own quote marks: shortened in its
// middle past MaxQuotedCharacters, and, when it holds right-to-left letters or direction
// controls, set apart between Unicode isolates (FSI … PDI) so that it cannot turn the sentence
// around it. A plain left-to-right text comes back unchanged.
QString MessageQuote(const QString& text);

// The system's reason for a failed file operation (an errno value), in French: the reasons a
// user meets with files have texts of their own, the words of Qt's French translation where it
// has some; any other comes in the C library's words. No trailing full stop: the message that
// quotes it ends the sentence.
QString SystemErrorText(int code);
