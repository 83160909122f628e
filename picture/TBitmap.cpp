#include "picture/TBitmap.h"

#include "app/Errors.h"
#include "picture/SystemFileName.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The system's text for an error code, in the neutral language whatever the user's locale,
// with trailing blanks, control characters and full stops removed.
QString SystemErrorText(int code)
{
    static const locale_t neutral = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    QString text = QString::fromLocal8Bit(neutral ? strerror_l(code, neutral) : strerror(code)).left(256);
    while (!text.isEmpty() && (text.back().unicode() <= 32 || text.back() == QLatin1Char('.')))
        text.chop(1);
    return text;
}

[[noreturn]] void FailOpen(const QString& fileName, int code)
{
    const QString fullPath = QDir::cleanPath(QDir::current().absoluteFilePath(fileName));
    throw EFOpenError(QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2").arg(fullPath, SystemErrorText(code)));
}

// Closes a descriptor that has not yet been handed to a QFile.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd; }
    int Release() { return std::exchange(fd, -1); }

private:
    int fd;
};

// Read-only, never created, and with a shared lock so that a writer holding the exclusive lock
// keeps us out (and we keep it out while we read). Only regular files: a pipe or a device
// could block the paint for ever or pour out bytes without end.
void OpenForReading(QFile& file, const QString& fileName)
{
    const std::optional<QByteArray> native = SystemFileName(fileName);
    if (!native)
        FailOpen(fileName, EINVAL);
    Descriptor fd(::open(native->constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.Get() < 0)
        FailOpen(fileName, errno);
    struct stat status;
    if (::fstat(fd.Get(), &status) != 0)
        FailOpen(fileName, errno);
    if (S_ISDIR(status.st_mode))
        FailOpen(fileName, EISDIR);
    if (!S_ISREG(status.st_mode))
        FailOpen(fileName, EINVAL);
    if (::flock(fd.Get(), LOCK_SH | LOCK_NB) != 0)
        FailOpen(fileName, errno);
    if (!file.open(fd.Get(), QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle))
        FailOpen(fileName, EIO);
    fd.Release();
}

}  // namespace

TBitmap::TBitmap() = default;

int TBitmap::Width() const
{
    return picture.image.width();
}

int TBitmap::Height() const
{
    return picture.image.height();
}

bool TBitmap::Empty() const
{
    return picture.image.isNull();
}

const QImage& TBitmap::Image() const
{
    return picture.image;
}

const BmpInfoHeader& TBitmap::Header() const
{
    return picture.header;
}

void TBitmap::LoadPictureFile(const QString& fileName)
{
    QFile file;
    OpenForReading(file, fileName);
    ReadPictureStream(file);
}

void TBitmap::ReadPictureStream(QIODevice& stream)
{
    picture = ReadBmp(stream);
}
