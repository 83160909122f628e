// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The picture file that a window shows, read at its paint: the picture is kept while the file
// and its name stay the same, and a failure, from the reading to the drawing, is reported once.
// An error box that closes over the window repaints it; reporting again at each paint would
// open box after box. While a picture is read and first used, the pointer shows the busy cursor.
//
// A photo far larger than the window shows it is decoded reduced, which puts it on the screen
// in a fraction of the time, and read again whole on a worker thread for what reads its pixels
// (the magnifier, the check against a legend); the pointer says so until it is in. A reading
// under way stops when another picture is read, when the window closes and when this owner goes.

#include "picture/FileStamp.h"
#include "picture/TBitmap.h"

#include <QObject>
#include <QString>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TShownPicture {
public:
    // `wholePictureCame` is called on the interface thread when a picture read reduced has come
    // whole, or failed to: what the window shows from it is to be painted again.
    explicit TShownPicture(std::function<void()> wholePictureCame = {});
    ~TShownPicture();
    TShownPicture(const TShownPicture&) = delete;
    TShownPicture& operator=(const TShownPicture&) = delete;

    // What the window does with the picture: scale it, draw it. It is given the picture as shown,
    // the size of the picture in the file (turned by its tag, larger than the picture shown when
    // that was read reduced) and the file's absolute name, the name that the picture belongs to.
    using Use = std::function<void(const TBitmap& picture, QSize pictureSize, const QString& absoluteName)>;
    // The least size, in the screen's pixels, the window shows a picture of that size at.
    using ShownSize = std::function<QSize(QSize pictureSize)>;

    // Reads the file that the name stands for (see PictureFilePath) unless it was last read
    // under the same name and stamp, then hands the picture to use; reduced to no less than
    // `shownSize` tells, where the format allows, when it tells, and read again when that asks
    // for more than was read (the window on a denser screen). A failure of either is thrown,
    // and so is the failure of a picture to come whole; until the name, the file or the showing
    // changes, later calls then do nothing at all.
    void Show(const QString& fileName, const Use& use, const ShownSize& shownSize = {});
    // The window was shown anew: a failure is worth reporting again.
    void ShownAnew();
    // The window was closed: a picture still being read whole is let go, and read again at the
    // next showing.
    void WindowClosed();

    // The picture as last shown (empty before any).
    const TBitmap& Shown() const { return shown; }
    // Whether the picture last shown is still being read whole.
    bool ReadingWhole() const { return reading != nullptr; }
    // The picture at its own resolution once it has come, the one shown until then: what a
    // magnifier shows without waiting.
    const TBitmap& Sharpest() const { return whole.Empty() ? shown : whole; }
    // The picture at its own resolution, waited for (under the busy cursor) while it is being
    // read; empty before any. Throws its failure, which the window then does not report again.
    const TBitmap& Whole();

private:
    struct WholeReading;

    // The file read anew: the picture shown, and the reading of the whole started if that is
    // reduced. The pictures before it are let go before it is read, or, for a photo that may be
    // read reduced, by the reading of the whole before it begins: a large photo's memory takes
    // milliseconds to free, which would slow the reduced reading sharing the cores.
    void ReadAnew(const QString& filePath, const ShownSize& shownSize, std::vector<TBitmap> before);
    // The whole picture taken from its reading, once that has ended (waited for); true when
    // there was one.
    bool TakeWhole();
    // A picture that did not come whole goes, as if it had failed at once; its failure is thrown.
    [[noreturn]] void DropFailedPicture();
    // Everything read goes, a reading under way stopped first: the pictures are handed back.
    std::vector<TBitmap> Forget();
    void WholeReadingEnded(quint64 readingNumber);

    std::function<void()> wholePictureCame;
    // The picture as shown, its size in the file, and the whole picture once read (the same as
    // the one shown when that was not reduced), and the file they were read from.
    TBitmap shown;
    QSize pictureSize;
    TBitmap whole;
    std::optional<TFileStamp> pictureRead;
    // Why the picture did not come whole.
    std::exception_ptr wholeFailure;
    // The file whose failure was last reported.
    std::optional<TFileStamp> failureReported;
    // Where the worker's word that it ended arrives, on the interface thread. Its readings are
    // numbered, so that the word of one stopped since is not taken for the current one's.
    QObject receiver;
    quint64 readingsStarted = 0;
    std::unique_ptr<WholeReading> reading;
};
