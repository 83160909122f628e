#pragma once
// The files the program writes for the user (results, sessions, pictures) and the small files
// it reads back (sessions): written whole or not at all, read without waiting on anything that
// is not an ordinary file.

#include <QByteArray>
#include <QString>

// Through a temporary file renamed over the old one: a failed write leaves the old file whole
// and raises EFCreateError with the system's reason.
void SaveWholeFile(const QString& fileName, const QByteArray& bytes);

// An ordinary file's bytes, at most `limit` + 1 of them, so that a caller refusing more than
// `limit` never holds a huge file in memory. Raises EFOpenError or EReadError.
QByteArray ReadSmallFile(const QString& fileName, qint64 limit);

// Where a file dialog begins: the folder of `file` when it exists, else the home folder.
QString FolderBeside(const QString& file);
