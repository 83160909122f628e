// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/PictureFile.h"

#include "core/Errors.h"
#include "core/MessageText.h"
#include "core/SystemFileName.h"

#include <QDir>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void FailOpen(const QString& fileName, const QString& reason)
{
    throw EFOpenError(QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
                          .arg(MessageQuote(FullFileName(fileName)), reason));
}

[[noreturn]] void FailOpen(const QString& fileName, int code)
{
    FailOpen(fileName, SystemErrorText(code));
}

// A pipe or a device could block the paint for ever or pour out bytes without end; a folder
// holds no picture.
void RefuseUnlessOrdinary(const QString& fileName, const struct stat& status)
{
    if (!S_ISREG(status.st_mode))
        FailOpen(fileName, QStringLiteral("Ce n'est pas un fichier ordinaire"));
}

// When a program opens a leased file for writing, the system tells the lease holder with SIGIO,
// whose default action ends the program. The writer waits until the lease is let go in any
// case, so the signal is ignored unless something already handles it. False when it would still
// end the program.
bool LeaseBreaksAreHarmless()
{
    static const bool harmless = IgnoreUnlessHandled(SIGIO);
    return harmless;
}

}  // namespace

bool IgnoreUnlessHandled(int signal)
{
    struct sigaction current = {};
    if (::sigaction(signal, nullptr, &current) != 0)
        return false;
    if ((current.sa_flags & SA_SIGINFO) || current.sa_handler != SIG_DFL)
        return true;
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    return ::sigaction(signal, &ignore, nullptr) == 0;
}

QString FullFileName(const QString& fileName)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(fileName));
}

PictureFile::PictureFile(const QString& fileName) : fullName(FullFileName(fileName))
{
    const std::optional<QByteArray> native = SystemFileName(fileName);
    if (!native)
        FailOpen(fileName.left(fileName.indexOf(QChar(0))), QStringLiteral("Le nom contient un caractère nul"));
    // Look before opening: opening a pipe releases a program waiting to write into it (whose
    // bytes would then be lost), and opening a device can act on the device.
    struct stat status;
    if (::stat(native->constData(), &status) != 0)
        FailOpen(fileName, errno);
    RefuseUnlessOrdinary(fileName, status);
    // Not blocking, should the name have become a pipe since it was looked at.
    const int fd = ::open(native->constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        FailOpen(fileName, errno);
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        FailOpen(fileName, EIO);
    }
    if (::fstat(fd, &status) != 0)
        FailOpen(fileName, errno);
    RefuseUnlessOrdinary(fileName, status);
    // A writer holding the exclusive lock keeps us out, and we keep it out while we read.
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0)
        FailOpen(fileName, errno);
    // A read lease is refused while any program has the file open for writing, lock or not.
    if (LeaseBreaksAreHarmless()) {
        leased = ::fcntl(fd, F_SETLEASE, F_RDLCK) == 0;
        if (!leased && errno == EAGAIN)
            FailOpen(fileName, EAGAIN);
    }
}

PictureFile::~PictureFile()
{
    // A writer waiting to open the file goes on now, even should a copy of the descriptor
    // (in a forked process) outlive this file.
    if (leased)
        ::fcntl(file.handle(), F_SETLEASE, F_UNLCK);
}
