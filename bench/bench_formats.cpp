// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// A 6000 x 4000 JPEG photo as a map: from "3)-" to the map drawn (from the program's own decoding
// at an eighth, shared between the cores), and on to the photo had whole (read on the window's
// worker thread), against Qt's reader alone decoding the same file whole and at an eighth, all
// measured in this run; and the peak memory of each in a fresh process, the photo had whole,
// against the decoded picture plus the reduced and drawn copies.
//
//   bench_formats [ROUNDS]              default 7 (runs headless unless QT_QPA_PLATFORM says
//                                       otherwise)
//   bench_formats --peak KIND FILE      (internal: one of them in this process, prints its peak
//                                       beyond the baseline, in KiB)

#include "app/Application.h"
#include "app/WindowSet.h"
#include "core/SurveyTally.h"
#include "picture/JpegEighth.h"
#include "picture/TBitmap.h"
#include "ui/ApplicationFrame.h"
#include "ui/Boxes.h"
#include "windows/Carte2.h"
#include "windows/Fich_1.h"

#include "bench/BenchProgram.h"
#include "bench/Measures.h"
#include "bench/ProcessMemory.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int Width = 6000;
constexpr int Height = 4000;

// Whole, or reduced to the size given.
void DecodeWithQt(const QString& path, QSize reduced = {})
{
    QImageReader reader(path);
    reader.setAllocationLimit(0);
    reader.setScaledSize(reduced);
    if (reader.read().isNull())
        qFatal("Qt could not read %s: %s", qPrintable(path), qPrintable(reader.errorString()));
}

// "3)-" with the file named, until the map window has drawn it.
void DrawMap(const QString& path)
{
    Page_1->EdFich->setText(path);
    Page_1->BtnDessine->click();
    QApplication::processEvents();
    Form2->repaint();
    if (SurveyTally.MapWidth != 600)
        qFatal("the map was not drawn from %s", qPrintable(path));
}

}  // namespace

int main(int argc, char** argv)
{
    BenchProgram program(argc, argv);
    Page_1->EdNPoints->setText(QStringLiteral("100"));

    QTemporaryDir dir;
    // The map window once shown with a small JPEG: its surface and the reader are ready, as
    // they are once the program has shown a map.
    const QString small = dir.filePath(QStringLiteral("petite.jpg"));
    QImage(60, 40, QImage::Format_RGB32).save(small, "JPEG");
    DrawMap(small);

    const QStringList args = program.application.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--peak")) {
        const qint64 baseline = StatusKiB("VmRSS:");
        if (args[2] == QLatin1String("qt")) {
            DecodeWithQt(args[3]);
        } else {
            DrawMap(args[3]);
            WaitForWholeMap();
        }
        std::printf("%lld\n", static_cast<long long>(StatusKiB("VmHWM:") - baseline));
        return 0;
    }
    const int rounds = std::max(3, args.size() > 1 ? args[1].toInt() : 7);

    std::printf("Making the %d x %d photo...\n", Width, Height);
    const QString photo = dir.filePath(QStringLiteral("photo.jpg"));
    if (!PhotoLikePicture(Width, Height).save(photo, "JPEG", 90))
        qFatal("cannot write %s", qPrintable(photo));
    // The window reads a file again only under another name or stamp: one copy a round.
    QStringList copies;
    for (int i = 0; i < rounds; ++i) {
        copies.append(dir.filePath(QStringLiteral("photo%1.jpg").arg(i)));
        QFile::copy(photo, copies.back());
    }

    // Each round's worker has ended before the next round's timings begin.
    QFile file(photo);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(photo));
    const QByteArray bytes = file.readAll();
    int joined = 0;
    QList<double> qt;
    QList<double> qtReduced;
    QList<double> eighth;
    QList<double> read;
    QList<double> drawn;
    QList<double> whole;
    QList<double> ratios;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        DecodeWithQt(photo);
        qt.append(timer.nsecsElapsed() / 1e6);
        timer.restart();
        DecodeWithQt(photo, QSize(Width / 8, Height / 8));
        qtReduced.append(timer.nsecsElapsed() / 1e6);
        timer.restart();
        if (!DecodeJpegEighth(bytes, 0, &joined))
            qFatal("the program's decoder declined the photo");
        eighth.append(timer.nsecsElapsed() / 1e6);
        timer.restart();
        TBitmap().LoadPictureFile(photo);
        read.append(timer.nsecsElapsed() / 1e6);
        timer.restart();
        DrawMap(copies[i]);
        drawn.append(timer.nsecsElapsed() / 1e6);
        WaitForWholeMap();
        whole.append(timer.nsecsElapsed() / 1e6);
        ratios.append(drawn.back() / qt.back());
        if (Form2->ShownMap().Sharpest().Width() != Width)
            qFatal("the map window did not have the photo whole");
    }
    const double qtMedian = Median(qt);
    const double drawnMedian = Median(drawn);
    const double decodedMiB = Width * 4.0 * Height / 1048576.0;
    const QSize reduced = Form2->ShownMap().Shown().Image().size();
    const double reducedMiB = reduced.width() * 4.0 * reduced.height() / 1048576.0;
    const double drawnCopyMiB = SurveyTally.MapWidth * 4.0 * SurveyTally.MapHeight / 1048576.0;
    const double qtPeak = PeakKiB(QStringLiteral("qt"), photo) / 1024.0;
    const double drawnPeak = PeakKiB(QStringLiteral("map"), copies[0]) / 1024.0;

    std::printf("JPEG %d x %d, %.1f MiB, drawn %d x %d; median of %d rounds\n", Width, Height,
                QFileInfo(photo).size() / 1048576.0, SurveyTally.MapWidth, SurveyTally.MapHeight,
                rounds);
    std::printf("Qt's reader alone: %8.1f ms\n", qtMedian);
    std::printf("Qt's reader alone decoding at 1/8: %8.1f ms (ratio %.3f: it decodes every code whatever the "
                "scale)\n", Median(qtReduced), Median(qtReduced) / qtMedian);
    std::printf("the program's decoder alone at 1/8: %8.1f ms (ratio %.3f), joined from %d stretches\n",
                Median(eighth), Median(eighth) / qtMedian, joined);
    std::printf("the photo read whole as the map window's worker reads it: %8.1f ms\n", Median(read));
    std::printf("\"3)-\" to the map drawn, decoded %d x %d: %8.1f ms\n", reduced.width(), reduced.height(),
                drawnMedian);
    std::printf("\"3)-\" to the photo had whole: %8.1f ms\n", Median(whole));
    std::printf("ratio of the map drawn to Qt's reader: %.3f (target: at most 0.25); rounds from %.3f to %.3f\n",
                drawnMedian / qtMedian, *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()));
    std::printf("ratio of the photo had whole to Qt's reader: %.3f\n", Median(whole) / qtMedian);
    std::printf("peak memory beyond the baseline: Qt's reader alone %.1f MiB, \"3)-\" to the photo had "
                "whole %.1f MiB\n", qtPeak, drawnPeak);
    std::printf("decoded picture %.1f MiB + reduced %.1f MiB + drawn copy %.1f MiB + 10 %% = %.1f MiB (target)\n",
                decodedMiB, reducedMiB, drawnCopyMiB, (decodedMiB + reducedMiB + drawnCopyMiB) * 1.1);
    return 0;
}
