// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/ShownPicture.h"

#include "picture/DataFolder.h"

#include <QCursor>
#include <QGuiApplication>
#include <QThread>

namespace {

// The busy cursor over the program's windows while it lives, on the interface thread of a
// program with windows.
class BusyCursor {
public:
    BusyCursor()
        : shown(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
                QThread::currentThread() == QCoreApplication::instance()->thread())
    {
        if (shown)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~BusyCursor()
    {
        if (shown)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    const bool shown;
};

}  // namespace

void TShownPicture::Show(const QString& fileName, const Use& use)
{
    // The stamp and the reading follow the file that the name stands for.
    const QString filePath = PictureFilePath(fileName);
    const TFileStamp stamp = StampOf(filePath);
    if (failureReported == stamp)
        return;
    // Until the picture has been used, whatever fails from here on is reported this once.
    failureReported = stamp;
    // A picture read now may take seconds, and its first use (scaling a photo to the window)
    // too: the pointer says so until both are done.
    std::optional<BusyCursor> busy;
    if (pictureRead != stamp) {
        busy.emplace();
        pictureRead.reset();
        picture = TBitmap();
        picture.LoadPictureFile(filePath);
        pictureRead = stamp;
    }
    use(picture, stamp.AbsoluteName);
    failureReported.reset();
}

void TShownPicture::ShownAnew()
{
    failureReported.reset();
}
