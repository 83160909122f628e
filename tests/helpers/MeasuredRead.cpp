// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MeasuredRead.h"

#include "core/Errors.h"
#include "picture/TBitmap.h"

#include <QBuffer>
#include <QFile>

#include <sys/wait.h>
#include <unistd.h>

namespace {

qint64 PeakVirtualKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmPeak:"))
            return line.mid(7).trimmed().split(' ').first().toLongLong();
    return -1;
}

}  // namespace

void ReadInto(TBitmap& bitmap, const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    bitmap.ReadPictureStream(buffer, QStringLiteral("mémoire"));
}

QString ReadFailure(const QByteArray& bytes)
{
    try {
        TBitmap bitmap;
        ReadInto(bitmap, bytes);
        return {};
    } catch (const Exception& error) {
        return error.ClassName + QStringLiteral(": ") + error.Message;
    }
}

MeasuredRead ReadInChild(const QByteArray& bytes)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const qint64 before = PeakVirtualKiB();
        const QString failure = ReadFailure(bytes);
        const QByteArray report =
            QByteArray::number((PeakVirtualKiB() - before) / 1024) + '\n' + failure.toUtf8();
        const bool written = ::write(channel[1], report.constData(), size_t(report.size())) == report.size();
        ::_exit(written ? 0 : 1);
    }
    ::close(channel[1]);
    QByteArray report;
    char chunk[256];
    for (ssize_t n; (n = ::read(channel[0], chunk, sizeof chunk)) > 0;)
        report.append(chunk, n);
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    const qsizetype newline = report.indexOf('\n');
    if (newline < 0)
        return {};
    return {QString::fromUtf8(report.mid(newline + 1)), report.left(newline).toLongLong()};
}
