// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// bmp2png IN.bmp OUT.png: reads a BMP file with the program's own reader and writes what it
// decoded as a PNG, or prints the reader's French message and exits with status 1. The quickest
// way to see what the reader made of a file.

#include "core/Errors.h"
#include "picture/BmpReader.h"
#include "picture/PictureFile.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        err << "usage: bmp2png IN.bmp OUT.png\n";
        return 2;
    }
    // The BMP reader alone: the map window would hand a file of another format to Qt's readers
    // (map2png shows that).
    BmpPicture bitmap;
    try {
        PictureFile file(args[1]);
        bitmap = ReadBmp(file.Stream());
    } catch (const Exception& error) {
        err << error.Message << '\n';
        return 1;
    }
    if (bitmap.image.isNull()) {
        err << "Image vide : rien à écrire\n";
        return 1;
    }
    if (!bitmap.image.save(args[2], "PNG")) {
        err << "Impossible d'écrire \"" << args[2] << "\"\n";
        return 1;
    }
    QTextStream(stdout) << args[1] << ": " << bitmap.image.width() << " x " << bitmap.image.height()
                        << ", " << bitmap.header.bitsPerPixel << " bits, compression "
                        << bitmap.header.compression << '\n';
    return 0;
}
