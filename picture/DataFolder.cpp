// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/DataFolder.h"

#include "picture/FileStamp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString DataFolderFor(const QString& executableFolder)
{
    const QString installed =
        QDir::cleanPath(executableFolder + QStringLiteral("/../share/sondelio"));
    return QFileInfo(installed).isDir() ? installed : executableFolder;
}

QString PictureFilePath(const QString& fileName)
{
    // Existence as the system sees the name, as the reading will: no resource or other name
    // that only Qt would resolve.
    if (fileName.isEmpty() || fileName.contains(QLatin1Char('/')) || StampOf(fileName).Exists)
        return fileName;
    const QString inDataFolder =
        DataFolderFor(QCoreApplication::applicationDirPath()) + QLatin1Char('/') + fileName;
    return StampOf(inDataFolder).Exists ? inDataFolder : fileName;
}
