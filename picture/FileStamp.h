// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What tells whether a file changed since it was last read: its absolute name, which file on
// which device it is, its size and modification time. Taking a stamp reads the directory entry,
// never the file; every paint takes one, so it costs one system call.

#include <QString>
#include <QtGlobal>

struct TFileStamp {
    QString AbsoluteName;
    bool Exists = false;
    quint64 Device = 0;
    quint64 Inode = 0;
    qint64 Size = 0;
    // Nanoseconds since 1970: a file rewritten within the same second still shows as changed.
    qint64 Modified = 0;

    bool operator==(const TFileStamp&) const = default;
};

// A relative name is taken relative to the current directory.
TFileStamp StampOf(const QString& fileName);
