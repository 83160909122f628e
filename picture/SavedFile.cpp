// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/SavedFile.h"

#include "core/Errors.h"
#include "core/MessageText.h"
#include "picture/PictureFile.h"
#include "core/SystemFileName.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// The system's reason as one sentence of a message whose full stop the error box adds.
QString Reason(const QString& errorString)
{
    QString reason = errorString.trimmed();
    while (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    return reason;
}

[[noreturn]] void FailWrite(const QString& fileName, const QString& reason)
{
    throw EFCreateError(QStringLiteral("Impossible d'écrire le fichier \"%1\". %2")
                            .arg(MessageQuote(FullFileName(fileName)), reason));
}

// A file-size limit (ulimit -f) ends a program at its first write past it unless the signal is
// ignored; ignored, that write fails with EFBIG, which the save reports. Left alone when
// something already handles it.
void FileSizeLimitFailsTheWrite()
{
    [[maybe_unused]] static const bool ignored = IgnoreUnlessHandled(SIGXFSZ);
}

// The file that the name stands for: the one a link leads to, so that the link stays.
QByteArray SavedTarget(const QByteArray& native)
{
    struct stat status;
    if (::lstat(native.constData(), &status) == 0 && S_ISLNK(status.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(native.constData(), resolved))
            return QByteArray(resolved);
    }
    return native;
}

// Every byte, whatever the system takes at a time; the errno of the first failure, else 0.
int WriteAll(int fd, const QByteArray& bytes)
{
    const char* at = bytes.constData();
    for (qint64 left = bytes.size(); left > 0;) {
        const ssize_t written = ::write(fd, at, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        at += written;
        left -= written;
    }
    return 0;
}

// On the disk before the rename: a file system that allocates its blocks late (or a network
// share) only tells a full disk here. A file system that cannot sync has nothing to tell.
int Synced(int fd)
{
    if (::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP)
        return 0;
    return errno;
}

}  // namespace

void SaveWholeFile(const QString& fileName, const QByteArray& bytes)
{
    const std::optional<QByteArray> native = SystemFileName(fileName);
    if (!native)
        FailWrite(fileName.left(fileName.indexOf(QChar(0))), QStringLiteral("Le nom contient un caractère nul"));
    FileSizeLimitFailsTheWrite();
    const QByteArray target = SavedTarget(*native);
    struct stat old;
    const bool replacing = ::stat(target.constData(), &old) == 0;
    if (replacing && !S_ISREG(old.st_mode))
        FailWrite(fileName, S_ISDIR(old.st_mode) ? SystemErrorText(EISDIR)
                                                 : QStringLiteral("Ce n'est pas un fichier ordinaire"));

    // Beside the file, on the same file system, so that the rename is one step. Created with
    // the usual permissions (the user's umask applies); a rewritten file keeps its own.
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        FailWrite(fileName, SystemErrorText(errno));

    int failure = replacing && ::fchmod(fd, old.st_mode & 07777) != 0 ? errno : 0;
    if (failure == EPERM)
        failure = 0;  // another user's file: ours gets the usual permissions
    if (!failure)
        failure = WriteAll(fd, bytes);
    if (!failure)
        failure = Synced(fd);
    if (::close(fd) != 0 && !failure && errno != EINTR)
        failure = errno;
    if (!failure && ::rename(temporary.constData(), target.constData()) != 0)
        failure = errno;
    if (failure) {
        ::unlink(temporary.constData());
        FailWrite(fileName, SystemErrorText(failure));
    }
}

QByteArray ReadSmallFile(const QString& fileName, qint64 limit)
{
    PictureFile file(fileName);
    QIODevice& stream = file.Stream();
    const QByteArray bytes = stream.read(limit + 1);
    if (bytes.size() <= limit && !stream.atEnd())
        throw EReadError(QStringLiteral("Impossible de lire le fichier \"%1\" jusqu'au bout. %2")
                             .arg(MessageQuote(file.FullName()), Reason(stream.errorString())));
    return bytes;
}

QString FolderBeside(const QString& file)
{
    const QString folder = file.isEmpty() ? QString() : QFileInfo(file).absolutePath();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

bool FolderIsWritable(const QString& folder)
{
    const std::optional<QByteArray> native = SystemFileName(folder);
    struct statvfs fileSystem;
    return native && ::faccessat(AT_FDCWD, native->constData(), W_OK | X_OK, AT_EACCESS) == 0 &&
           ::statvfs(native->constData(), &fileSystem) == 0 && !(fileSystem.f_flag & ST_RDONLY);
}

QString FolderToSaveBeside(const QString& file)
{
    const QString beside = FolderBeside(file);
    if (FolderIsWritable(beside))
        return beside;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir() && FolderIsWritable(documents))
        return documents;
    return QDir::homePath();
}
