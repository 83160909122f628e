// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The files the program writes for the user (results, sessions, pictures) and the small files
// it reads back (sessions): written whole or not at all, read without waiting on anything that
// is not an ordinary file.

#include <QByteArray>
#include <QString>

// Through a temporary file beside it, renamed over the old one only once every byte is written
// and on the disk: a failed write (a full disk, a quota, a file-size limit) leaves the old file
// whole, removes the temporary one and raises EFCreateError with the system's reason in French.
// A name that is a link writes the file it leads to; a new file gets the usual permissions, a
// rewritten one keeps its own.
void SaveWholeFile(const QString& fileName, const QByteArray& bytes);

// An ordinary file's bytes, at most `limit` + 1 of them, so that a caller refusing more than
// `limit` never holds a huge file in memory. Raises EFOpenError or EReadError.
QByteArray ReadSmallFile(const QString& fileName, qint64 limit);

// Where a file dialog begins: the folder of `file` when it exists, else the home folder.
QString FolderBeside(const QString& file);

// Where a save dialog proposes a file made from `file` (a map, a session): the folder of `file`
// when the user may write there, else the user's documents folder, else the home folder. A map
// installed with the program lies in a folder that only the administrator may write.
QString FolderToSaveBeside(const QString& file);

// Whether the user may create files in the folder: allowed, and on a file system that is not
// read-only (where even the administrator cannot write).
bool FolderIsWritable(const QString& folder);
