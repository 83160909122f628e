// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Answers a file dialog (save or open) as a user does, without a real dialog waiting for a
// click: a zero-delay timer finds the dialog, reads what it offered and chooses a file.

#include <QString>
#include <QStringList>
#include <functional>

// What the dialog offered.
struct FileDialogOffer {
    bool Opened = false;
    QString Title;
    QString File;  // the file it proposed
    QStringList Filters;
};

// Runs `openDialog` and answers the dialog it opens by choosing `fileName` (its save or open
// button);
// an empty `fileName` cancels. A mnemonic presses its button after a short flash: the dialog is
// awaited, not assumed open.
FileDialogOffer ChooseFile(const QString& fileName, const std::function<void()>& openDialog);
