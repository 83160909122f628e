// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/DroppedFile.h"

#include <QMimeData>
#include <QUrl>

std::optional<QString> DroppedLocalFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return std::nullopt;
    const QUrl first = data->urls().value(0);
    if (!first.isLocalFile() || first.toLocalFile().isEmpty())
        return std::nullopt;
    return first.toLocalFile();
}

QStringList DroppedLocalFiles(const QMimeData* data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            files << url.toLocalFile();
    return files;
}
