// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The boxes through which the program speaks to the user: the message box for its own notices,
// the error box for an error that ended a handler, and the question box before a step that
// would lose work. All reach the screen through one replaceable presenter, so that tests can
// record what would have been shown and answer the questions.

#include <QString>
#include <QStringList>

class Exception;

class BoxPresenter {
public:
    virtual ~BoxPresenter() = default;
    // Shows the message box and returns once the user has closed it.
    virtual void PresentNotice(const QString& caption, const QString& text) = 0;
    // Shows the error box (stop icon, one OK) and returns once the user has closed it.
    virtual void PresentError(const QString& caption, const QString& text) = 0;
    // Shows the question box with one button per answer, `defaultAnswer` the one that Return
    // chooses and the last the one that Escape or closing the box chooses; returns the index of
    // the answer chosen.
    virtual int PresentQuestion(const QString& caption, const QString& text, const QStringList& answers,
                                int defaultAnswer) = 0;
};

// Installs a presenter (not owned) and returns the one it replaces; nullptr stands for the real
// dialogs, both ways.
BoxPresenter* SetBoxPresenter(BoxPresenter* presenter);

void ShowNotice(const QString& text);
// Return chooses `defaultAnswer`: never an answer that loses work, so that a key pressed in
// haste keeps it.
int AskQuestion(const QString& text, const QStringList& answers, int defaultAnswer = 0);
// Called by the dispatch guard only, never by a handler.
void ReportError(const Exception& error);

// The error box's text: the message, with a full stop added when it ends in a character that
// comes after the full stop in character-code order (a letter or a digit, for instance).
QString ErrorBoxText(const QString& message);
