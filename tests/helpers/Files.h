// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Files as the tests write and read them whole, and the fuzz corpora kept in the source tree.

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

// Writes `bytes` as the whole file at `path`, replacing what was there; fails the test otherwise.
void WriteFile(const QString& path, const QByteArray& bytes);
// The whole content of a file; empty when it cannot be read.
QByteArray FileBytes(const QString& path);

// A folder of the current table row's own inside `parent`, named after the row and made.
QDir RowFolder(const QTemporaryDir& parent);

// While it lives, the environment variable `name` names `folder` (the user's folders: HOME,
// XDG_STATE_HOME, XDG_CONFIG_HOME), so that what the program keeps there stays in the test's own;
// then the variable is as it was, unset included.
class FolderVariable {
public:
    FolderVariable(const char* name, const QString& folder);
    ~FolderVariable();
    FolderVariable(const FolderVariable&) = delete;
    FolderVariable& operator=(const FolderVariable&) = delete;

private:
    const char* name;
    QByteArray before;
    bool wasSet;
};

// A fuzz target's corpus, fuzz/<name> in the source tree.
QDir Corpus(const QString& name);
// One row for each file of the corpus, its path in the column "path"; fails the test unless the
// corpus holds ten files at least.
void AddCorpusRows(const QDir& corpus);
