// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A picture file open for reading while no other program writes it.

#include <QFile>
#include <QString>

// Has a signal whose default action would end the program ignored, unless something already
// handles it. False when it would still end the program.
bool IgnoreUnlessHandled(int signal);

// Opens an ordinary file read-only, never creating it, and refuses it while another program has
// it open for writing or holds its lock. While it stays open, other programs may read it; one
// that opens it for writing waits until it is closed, one that asks for its lock is refused.
// Where the system grants no lease (a file of another user, a file system without leases), only
// writers that hold the lock are noticed. Throws EFOpenError.
// The file's name as messages give it: absolute, its "." and ".." segments resolved.
QString FullFileName(const QString& fileName);

class PictureFile {
public:
    explicit PictureFile(const QString& fileName);
    ~PictureFile();
    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;

    QIODevice& Stream() { return file; }
    const QString& FullName() const { return fullName; }

private:
    QString fullName;
    QFile file;
    bool leased = false;
};
