// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/FileStamp.h"

#include "core/SystemFileName.h"

#include <QDir>
#include <QFileInfo>
#include <sys/stat.h>

TFileStamp StampOf(const QString& fileName)
{
    TFileStamp stamp;
    stamp.AbsoluteName = QDir::cleanPath(QFileInfo(fileName).absoluteFilePath());
    const std::optional<QByteArray> native = SystemFileName(fileName);
    struct stat status {};
    if (!native || stat(native->constData(), &status) != 0)
        return stamp;
    stamp.Exists = true;
    stamp.Device = status.st_dev;
    stamp.Inode = status.st_ino;
    stamp.Size = status.st_size;
    stamp.Modified = qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
    return stamp;
}
