#include "picture/SavedFile.h"

#include "core/Errors.h"
#include "core/MessageText.h"
#include "picture/PictureFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// The system's reason as one sentence of a message whose full stop the error box adds.
QString Reason(const QString& errorString)
{
    QString reason = errorString.trimmed();
    while (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    return reason;
}

}  // namespace

void SaveWholeFile(const QString& fileName, const QByteArray& bytes)
{
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return;
    throw EFCreateError(QStringLiteral("Impossible d'écrire le fichier \"%1\". %2")
                            .arg(MessageQuote(FullFileName(fileName)), Reason(file.errorString())));
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
