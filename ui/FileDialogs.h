// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The system's file dialogs as the program asks them, in French like the rest.

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

// A file to write, proposed as `proposed`; a name typed without a suffix gets `suffix`, and the
// dialog asks before replacing a file under the full name. Nothing when cancelled.
std::optional<QString> AskFileToSave(QWidget* parent, const QString& title, const QString& proposed,
                                     const QString& filter, const QString& suffix);

// An existing file to read, the dialog beginning in `folder`. Nothing when cancelled.
std::optional<QString> AskFileToOpen(QWidget* parent, const QString& title, const QString& folder,
                                     const QStringList& filters);

// Existing files to read, one or several, the dialog beginning in `folder`. Empty when cancelled.
QStringList AskFilesToOpen(QWidget* parent, const QString& title, const QString& folder, const QStringList& filters);

// An existing folder, the dialog beginning in `folder`. Nothing when cancelled.
std::optional<QString> AskFolder(QWidget* parent, const QString& title, const QString& folder);
