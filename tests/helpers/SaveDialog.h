#pragma once
// Answers the save dialog of an export as a user does, without a real dialog waiting for a
// click: a zero-delay timer finds the dialog, reads what it offered and chooses a file.

#include <QString>
#include <QStringList>
#include <functional>

// What the save dialog offered.
struct SaveOffer {
    bool Opened = false;
    QString Title;
    QString File;  // the file it proposed
    QStringList Filters;
};

// Runs `openDialog` and answers the dialog it opens by choosing `fileName` (its save button);
// an empty `fileName` cancels. A mnemonic presses its button after a short flash: the dialog is
// awaited, not assumed open.
SaveOffer SaveTo(const QString& fileName, const std::function<void()>& openDialog);
