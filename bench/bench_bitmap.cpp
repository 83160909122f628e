// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The BMP reader against Qt's QImageReader and against the floor (reading the file's bytes into
// memory), on 4000 x 3000 files made here: 24 bits, 8 bits, 8-bit run-length encoding of a
// smooth and of a noisy picture, and 32 bits through masks of 8 bits a channel (blue high) and of
// 10 (each level rounded to the nearest). Prints the median of several loads of each, the ratios, and
// the peak memory of one load of each in a fresh process, beyond that process's baseline.
//   bench_bitmap [LOADS]          default 7
//   bench_bitmap --peak KIND FILE (internal: one load in this process, prints its peak in KiB)

#include "helpers/BmpWriter.h"
#include "picture/TBitmap.h"
#include "bench/ProcessMemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>

namespace {

constexpr int Width = 4000;
constexpr int Height = 3000;

QTextStream out(stdout);

QImage Palette256()
{
    QImage image(Width, Height, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table.append(qRgb(i, 255 - i, (i * 7) % 256));
    image.setColorTable(table);
    return image;
}

// Fields of a map: bands of one land use each, tens of pixels long.
QImage SmoothPicture()
{
    QImage image = Palette256();
    for (int y = 0; y < Height; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < Width; ++x)
            line[x] = uchar((x / 40 + y / 30) % 12);
    }
    return image;
}

// A scanned map's speckle: each pixel one of four land uses at random, so runs are short and
// escapes many.
QImage NoisyPicture()
{
    QImage image = Palette256();
    QRandomGenerator random(346);
    for (int y = 0; y < Height; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < Width; ++x)
            line[x] = uchar(random.bounded(4));
    }
    return image;
}

QImage TrueColourPicture()
{
    QImage image(Width, Height, QImage::Format_RGB32);
    for (int y = 0; y < Height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < Width; ++x)
            line[x] = qRgb(x % 256, y % 256, (x ^ y) % 256);
    }
    return image;
}

BmpLayout MaskedSpec(const QImage& image, const QList<quint32>& masks)
{
    BmpLayout layout = LayoutFor(image, 32);
    layout.masks = masks;
    layout.pixels = StoredRows(image, 32, false, masks);
    return layout;
}

BmpLayout RunLengthSpec(const QImage& image)
{
    BmpLayout layout = LayoutFor(image, 8);
    layout.compression = 1;
    layout.pixels = EncodeRle(image, 8);
    layout.imageSize = quint32(layout.pixels.size());
    return layout;
}

// One load of a file by each contender; returns something of the result so that nothing is
// optimised away.
qint64 LoadOnce(const QString& kind, const QString& path)
{
    if (kind == QLatin1String("ours")) {
        TBitmap bitmap;
        bitmap.LoadPictureFile(path);
        return bitmap.Image().sizeInBytes();
    }
    if (kind == QLatin1String("qt")) {
        QImageReader reader(path);
        reader.setAllocationLimit(0);
        const QImage image = reader.read();
        if (image.isNull())
            qFatal("Qt could not read %s: %s", qPrintable(path), qPrintable(reader.errorString()));
        return image.sizeInBytes();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot open %s", qPrintable(path));
    return file.readAll().size();
}

double MedianMilliseconds(const QString& kind, const QString& path, int loads)
{
    QList<double> times;
    for (int i = 0; i < loads; ++i) {
        QElapsedTimer timer;
        timer.start();
        LoadOnce(kind, path);
        times.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--peak")) {
        const qint64 baseline = StatusKiB("VmRSS:");
        LoadOnce(args[2], args[3]);
        out << StatusKiB("VmHWM:") - baseline << Qt::endl;
        return 0;
    }
    const int loads = std::max(5, args.size() > 1 ? args[1].toInt() : 7);

    QTemporaryDir dir;
    struct Case {
        const char* name;
        QString path;
        qint64 imageBytes;
    };
    QList<Case> cases;
    auto make = [&](const char* name, const char* file, const BmpLayout& layout, qint64 imageBytes) {
        const QString path = dir.filePath(QString::fromLatin1(file));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(WriteBmp(layout));
        cases.append({name, path, imageBytes});
    };
    out << "Making the " << Width << " x " << Height << " files..." << Qt::endl;
    make("24 bits", "rgb24.bmp", LayoutFor(TrueColourPicture(), 24), qint64(Width) * 3 * Height);
    make("8 bits", "indexed8.bmp", LayoutFor(SmoothPicture(), 8), qint64(Width) * Height);
    make("RLE8 smooth", "rle8-smooth.bmp", RunLengthSpec(SmoothPicture()), qint64(Width) * Height);
    make("RLE8 noisy", "rle8-noisy.bmp", RunLengthSpec(NoisyPicture()), qint64(Width) * Height);
    make("masks 8-8-8", "masks888.bmp", MaskedSpec(TrueColourPicture(), {0x0000FF, 0x00FF00, 0xFF0000}),
         qint64(Width) * 4 * Height);
    make("masks 10-bit", "masks101010.bmp", MaskedSpec(TrueColourPicture(), {0x3FF00000, 0x000FFC00, 0x000003FF}),
         qint64(Width) * 4 * Height);

    out << "Median of " << loads << " loads, milliseconds; peak memory of one load beyond the "
        << "process baseline, in MiB, against the image's own size\n\n";
    out << "file         file MiB     ours       Qt    floor |  ours/Qt ours/floor peak ours  image\n";
    for (const Case& c : cases) {
        const double ours = MedianMilliseconds(QStringLiteral("ours"), c.path, loads);
        const double qt = MedianMilliseconds(QStringLiteral("qt"), c.path, loads);
        const double floor = MedianMilliseconds(QStringLiteral("floor"), c.path, loads);
        const double peak = PeakKiB(QStringLiteral("ours"), c.path) / 1024.0;
        out << QStringLiteral("%1 %2 %3 %4 %5 | %6 %7 %8 %9\n")
                   .arg(c.name, -12)
                   .arg(QFileInfo(c.path).size() / 1048576.0, 8, 'f', 1)
                   .arg(ours, 8, 'f', 2).arg(qt, 8, 'f', 2).arg(floor, 8, 'f', 2)
                   .arg(ours / qt, 8, 'f', 3).arg(ours / floor, 10, 'f', 2)
                   .arg(peak, 9, 'f', 1).arg(c.imageBytes / 1048576.0, 6, 'f', 1);
    }
    return 0;
}
