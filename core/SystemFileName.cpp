// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/SystemFileName.h"

#include <QFile>
#include <QStringList>

#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace {

QByteArray Joined(const QByteArray& folder, const QByteArray& name)
{
    if (folder.isEmpty())
        return name;
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// The one entry of the folder whose name Qt decodes to `part`; nothing when none or several do.
std::optional<QByteArray> EntryDecodedAs(const QByteArray& folder, const QString& part)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> entries(::opendir(folder.isEmpty() ? "." : folder.constData()),
                                                      ::closedir);
    if (!entries)
        return std::nullopt;
    std::optional<QByteArray> found;
    while (const dirent* entry = ::readdir(entries.get())) {
        if (QFile::decodeName(entry->d_name) != part)
            continue;
        if (found)
            return std::nullopt;
        found = QByteArray(entry->d_name);
    }
    return found;
}

}  // namespace

std::optional<QByteArray> SystemFileName(const QString& fileName)
{
    const QByteArray native = QFile::encodeName(fileName);
    if (native.contains('\0'))
        return std::nullopt;
    struct stat status;
    if (!fileName.contains(QChar::ReplacementCharacter) || ::lstat(native.constData(), &status) == 0)
        return native;
    QByteArray resolved = fileName.startsWith(QLatin1Char('/')) ? QByteArray("/") : QByteArray();
    for (const QString& part : fileName.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const std::optional<QByteArray> entry =
            part.contains(QChar::ReplacementCharacter) ? EntryDecodedAs(resolved, part) : std::nullopt;
        resolved = Joined(resolved, entry ? *entry : QFile::encodeName(part));
    }
    return resolved;
}
