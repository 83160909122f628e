// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The picture file that a window shows, read at its paint: the picture is kept while the file
// and its name stay the same, and a failure, from the reading to the drawing, is reported once.
// An error box that closes over the window repaints it; reporting again at each paint would
// open box after box. While a picture is read and first used, the pointer shows the busy cursor.

#include "picture/FileStamp.h"
#include "picture/TBitmap.h"

#include <QString>
#include <functional>
#include <optional>

class TShownPicture {
public:
    // What the window does with the picture: scale it, draw it. It is given the file's
    // absolute name too, the name that the picture belongs to.
    using Use = std::function<void(const TBitmap& picture, const QString& absoluteName)>;

    // Reads the file that the name stands for (see PictureFilePath) unless it was last read
    // under the same name and stamp, then hands the picture to use. A failure of either is thrown; until the name, the file or the showing
    // changes, later calls then do nothing at all.
    void Show(const QString& fileName, const Use& use);
    // The window was shown anew: a failure is worth reporting again.
    void ShownAnew();
    // The picture as last read, at its own resolution (empty before any): what a magnifier
    // shows without reading the file again.
    const TBitmap& Picture() const { return picture; }

private:
    // The picture as last read, and the file it was read from.
    TBitmap picture;
    std::optional<TFileStamp> pictureRead;
    // The file whose failure was last reported.
    std::optional<TFileStamp> failureReported;
};
