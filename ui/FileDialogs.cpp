// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>

std::optional<QString> AskFileToSave(QWidget* parent, const QString& title, const QString& proposed,
                                     const QString& filter, const QString& suffix)
{
    QFileDialog dialog(parent, title, proposed);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    QString fileName = dialog.selectedFiles().constFirst();
    // A desktop's own dialog may hand the name back as typed.
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QLatin1Char('.') + suffix;
    return fileName;
}

std::optional<QString> AskFileToOpen(QWidget* parent, const QString& title, const QString& folder,
                                     const QStringList& filters)
{
    QFileDialog dialog(parent, title, folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

QStringList AskFilesToOpen(QWidget* parent, const QString& title, const QString& folder, const QStringList& filters)
{
    QFileDialog dialog(parent, title, folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

std::optional<QString> AskFolder(QWidget* parent, const QString& title, const QString& folder)
{
    QFileDialog dialog(parent, title, folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
