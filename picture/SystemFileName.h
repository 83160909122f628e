#pragma once
// A file name as the system takes it.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>

// Nothing for a name holding a NUL: the system would silently take the shorter name before it.
inline std::optional<QByteArray> SystemFileName(const QString& fileName)
{
    QByteArray native = QFile::encodeName(fileName);
    if (native.contains('\0'))
        return std::nullopt;
    return native;
}
