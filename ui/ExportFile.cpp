#include "ui/ExportFile.h"

#include "core/Errors.h"
#include "core/MessageText.h"
#include "picture/PictureFile.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>

QString ExportNameBeside(const QString& mapFile, const QString& name)
{
    const QString mapFolder = mapFile.isEmpty() ? QString() : QFileInfo(mapFile).absolutePath();
    const QString folder = !mapFolder.isEmpty() && QFileInfo(mapFolder).isDir() ? mapFolder : QDir::homePath();
    return QDir(folder).filePath(name);
}

QString AskFileToWrite(QWidget* parent, const QString& title, const QString& offered,
                       const QString& filter, const QString& suffix)
{
    QFileDialog dialog(parent, title, offered);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filter);
    // The dialog asks before replacing the file under its full name, suffix included.
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    QString fileName = dialog.selectedFiles().constFirst();
    // A desktop's own dialog may hand the name back as typed.
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QLatin1Char('.') + suffix;
    return fileName;
}

void WriteWhole(const QString& fileName, const QByteArray& bytes)
{
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return;
    // The system's reason as one sentence of the message, whose full stop the error box adds.
    QString reason = file.errorString().trimmed();
    while (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    throw EFCreateError(QStringLiteral("Impossible d'écrire le fichier \"%1\". %2")
                            .arg(MessageQuote(FullFileName(fileName)), reason));
}
