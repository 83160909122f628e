// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// map2png IN OUT.png: reads a map file as the map window reads it — any of the formats it
// takes, told by the content, a JPEG turned the right way up, transparency on white — and writes
// the picture the window would draw, at full size, as a PNG. On failure prints the French
// message the window would give and exits with status 1.

#include "core/Errors.h"
#include "core/FloatArith.h"
#include "picture/TBitmap.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        err << "usage: map2png IN OUT.png\n";
        return 2;
    }
    TBitmap map;
    try {
        map.LoadPictureFile(args[1]);
        // The window first takes the picture's proportions: an empty picture fails there.
        Divide(map.Width(), map.Height());
    } catch (const Exception& error) {
        err << error.Message << '\n';
        return 1;
    }
    if (!map.Image().convertToFormat(QImage::Format_RGB32).save(args[2], "PNG")) {
        err << "Impossible d'écrire \"" << args[2] << "\"\n";
        return 1;
    }
    return 0;
}
