#include "SaveDialog.h"

#include "Program.h"

#include <QApplication>
#include <QFileDialog>
#include <QTest>
#include <QTimer>

SaveOffer SaveTo(const QString& fileName, const std::function<void()>& openDialog)
{
    SaveOffer offer;
    std::function<void()> answer = [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(10, answer);
            return;
        }
        offer.Title = dialog->windowTitle();
        offer.File = dialog->selectedFiles().value(0);
        offer.Filters = dialog->nameFilters();
        offer.Opened = true;
        if (fileName.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(fileName);
        static_cast<QDialog*>(dialog)->accept();  // as the save button does
    };
    QTimer::singleShot(0, answer);
    openDialog();
    if (!QTest::qWaitFor([&] { return offer.Opened; }))
        qWarning("the save dialog never opened");
    ProcessEvents();
    return offer;
}
