// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/BmpStream.h"

#include "core/Errors.h"

#include <QFileDevice>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <unistd.h>

void FailStreamRead()
{
    throw EReadError(QStringLiteral("Erreur de lecture du flux"));
}

qint64 ReadUpTo(QIODevice& stream, void* to, qint64 count)
{
    // A device may hand over fewer bytes than asked while more are coming.
    qint64 got = 0;
    while (got < count) {
        const qint64 n = stream.read(static_cast<char*>(to) + got, count - got);
        if (n <= 0)
            break;
        got += n;
    }
    return got;
}

void ReadExactly(QIODevice& stream, void* to, qint64 count)
{
    if (ReadUpTo(stream, to, count) != count)
        FailStreamRead();
}

void SkipExactly(QIODevice& stream, qint64 count)
{
    char scrap[4096];
    while (count > 0) {
        const qint64 n = std::min<qint64>(count, sizeof scrap);
        ReadExactly(stream, scrap, n);
        count -= n;
    }
}

namespace {

// The descriptor behind the stream when reading it directly keeps us at the stream's position:
// an unbuffered file holds no bytes read ahead.
int DirectDescriptor(QIODevice& stream)
{
    auto* file = qobject_cast<QFileDevice*>(&stream);
    if (!file || !(file->openMode() & QIODevice::Unbuffered) || file->isSequential())
        return -1;
    const int fd = file->handle();
    return fd >= 0 && ::lseek(fd, 0, SEEK_CUR) == file->pos() ? fd : -1;
}

}  // namespace

void ReadStretches(QIODevice& stream, std::span<iovec> stretches)
{
    const int fd = DirectDescriptor(stream);
    if (fd < 0) {
        for (const iovec& stretch : stretches)
            ReadExactly(stream, stretch.iov_base, qint64(stretch.iov_len));
        return;
    }
    qint64 total = 0;
    while (!stretches.empty()) {
        const int batch = int(std::min<size_t>(stretches.size(), IOV_MAX));
        const ssize_t n = ::readv(fd, stretches.data(), batch);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            FailStreamRead();
        total += n;
        // Step past what came, leaving a partly filled stretch to be finished.
        size_t left = size_t(n);
        while (!stretches.empty() && left >= stretches.front().iov_len) {
            left -= stretches.front().iov_len;
            stretches = stretches.subspan(1);
        }
        if (left > 0) {
            stretches.front().iov_base = static_cast<char*>(stretches.front().iov_base) + left;
            stretches.front().iov_len -= left;
        }
    }
    // The file object learns where its descriptor now stands (forward only).
    stream.seek(stream.pos() + total);
}
