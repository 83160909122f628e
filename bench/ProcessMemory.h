// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the benchmarks read of their own memory: a field of /proc/self/status, and the peak of one
// load measured in a fresh process of the benchmark itself.

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QString>
#include <cstring>

// A "VmHWM:"-like field of the process's status, in KiB; -1 when it is missing.
inline qint64 StatusKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(strlen(field))).trimmed().split(' ').first().toLongLong();
    return -1;
}

// In a fresh process (the benchmark run with --peak KIND PATH), so that the high-water mark
// belongs to this one load.
inline qint64 PeakKiB(const QString& kind, const QString& path)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--peak"), kind, path});
    child.waitForFinished(-1);
    return child.readAllStandardOutput().trimmed().toLongLong();
}
