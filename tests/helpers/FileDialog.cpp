// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FileDialog.h"

#include "Program.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

FileDialogOffer ChooseFile(const QString& fileName, const std::function<void()>& openDialog)
{
    FileDialogOffer offer;
    // Polls for the dialog while it may open; destroyed on return, so that a dialog that never
    // opened leaves nothing behind that would answer a later one.
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll.stop();
        offer.Title = dialog->windowTitle();
        offer.File = dialog->selectedFiles().value(0);
        offer.Filters = dialog->nameFilters();
        offer.Opened = true;
        if (fileName.isEmpty()) {
            dialog->reject();
            return;
        }
        // Typed as a user does: selectFile() leaves alone a name box that has the focus, as it
        // has once the dialog is the active window.
        if (auto* nameBox = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            nameBox->setText(fileName);
        else
            dialog->selectFile(fileName);
        static_cast<QDialog*>(dialog)->accept();  // as the save or open button does
    });
    poll.start();
    openDialog();
    if (!QTest::qWaitFor([&] { return offer.Opened; }, 2000))
        qWarning("the file dialog never opened");
    ProcessEvents();
    return offer;
}
