// bmp2png IN.bmp OUT.png: reads a BMP file with the program's own reader and writes what it
// decoded as a PNG, or prints the reader's French message and exits with status 1. The quickest
// way to see what the reader made of a file.

#include "core/Errors.h"
#include "picture/TBitmap.h"

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
    TBitmap bitmap;
    try {
        bitmap.LoadPictureFile(args[1]);
    } catch (const Exception& error) {
        err << error.Message << '\n';
        return 1;
    }
    if (bitmap.Empty()) {
        err << "Image vide : rien à écrire\n";
        return 1;
    }
    if (!bitmap.Image().save(args[2], "PNG")) {
        err << "Impossible d'écrire \"" << args[2] << "\"\n";
        return 1;
    }
    QTextStream(stdout) << args[1] << ": " << bitmap.Width() << " x " << bitmap.Height() << ", "
                        << bitmap.Header().bitsPerPixel << " bits, compression "
                        << bitmap.Header().compression << '\n';
    return 0;
}
