#pragma once
// What tells whether a file changed since it was last read: its absolute name, size and
// modification time. Taking a stamp reads the directory entry, never the file.

#include <QDateTime>
#include <QFileInfo>
#include <QString>

struct TFileStamp {
    QString AbsoluteName;
    bool Exists = false;
    qint64 Size = 0;
    QDateTime Modified;

    bool operator==(const TFileStamp&) const = default;
};

// A relative name is taken relative to the current directory.
inline TFileStamp StampOf(const QString& fileName)
{
    const QFileInfo info(fileName);
    return {info.absoluteFilePath(), info.exists(), info.size(), info.lastModified()};
}
