// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// What a repaint of the map window costs once a survey is under way: a 4000 x 3000 map, 10000
// sample points and 200 probe dots, set against copying the cached, scaled map alone, both
// measured in this run. Also checks that no repaint reads the map file again.
//
// The window's own drawing (background, map, kept figures) is timed over the region Qt hands it
// when the whole window is repainted: everything but its opaque panels, which paint themselves.
// The standard controls (panels, labels, boxes, buttons) are Qt's own and are timed apart.
//
//   bench_repaint            (runs headless unless QT_QPA_PLATFORM says otherwise)

#include "app/Application.h"
#include "app/WindowSet.h"
#include "core/SurveyTally.h"
#include "ui/ApplicationFrame.h"
#include "ui/Boxes.h"
#include "windows/Carte2.h"
#include "windows/Fich_1.h"

#include "bench/BenchProgram.h"
#include "bench/Measures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// The region of the last paint a window was asked for.
class PaintRegionSpy : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            region = static_cast<QPaintEvent*>(event)->region();
        return false;
    }
    QRegion region;
};

}  // namespace

int main(int argc, char** argv)
{
    // Start-up as the user waits for it: settings, the seven windows, the main window shown.
    QElapsedTimer startUpTimer;
    startUpTimer.start();
    BenchProgram program(argc, argv);
    const double startUpMilliseconds = startUpTimer.nsecsElapsed() / 1e6;

    QTemporaryDir dir;
    const QString mapFile = dir.filePath(QStringLiteral("big.bmp"));
    QImage picture(4000, 3000, QImage::Format_RGB888);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x % 256, y % 256, (x ^ y) % 256));
    if (!picture.save(mapFile, "BMP")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(mapFile));
        return 1;
    }

    Page_1->EdFich->setText(mapFile);
    Page_1->EdNPoints->setText(QStringLiteral("10000"));
    Page_1->BtnDessine->click();
    QApplication::processEvents();
    Form2->repaint();
    // "Go" and the paint that shows its points, as the user waits for them.
    QElapsedTimer goTimer;
    goTimer.start();
    Form2->BtnCalcul->click();
    QApplication::processEvents();
    const double goMilliseconds = goTimer.nsecsElapsed() / 1e6;
    Form2->EdLandUse->setText(QStringLiteral("bâti"));
    Form2->ButtSonder->click();
    // Two hundred points counted, each with its blue dot.
    for (std::size_t point = 0; point < 200; ++point) {
        const QPoint place = SurveyTally.Marks()[point].Place;
        Form2->Image1MouseDown(10 + place.x(), 10 + place.y());
    }
    QApplication::processEvents();

    QImage screen(Form2->size(), QImage::Format_RGB32);
    // A whole repaint with the controls tells which region the window itself is asked to paint;
    // it also brings the kept points into their layer, so that later repaints only copy.
    PaintRegionSpy spy;
    Form2->installEventFilter(&spy);
    Form2->render(&screen);
    Form2->removeEventFilter(&spy);
    const QRegion ownRegion = spy.region;
    const QImage cachedMap =
        picture.scaled(SurveyTally.MapWidth, SurveyTally.MapHeight, Qt::IgnoreAspectRatio,
                       Qt::FastTransformation)
            .convertToFormat(QImage::Format_RGB32);

    const int blocks = 10;
    const int roundsPerBlock = 30;
    const qint64 readBefore = BytesRead();
    const std::vector<double> medians = MediansInTurn(
        {[&] { Form2->render(&screen, QPoint(), ownRegion, QWidget::DrawWindowBackground); },
         [&] {
             QPainter painter(&screen);
             painter.drawImage(QPoint(10, 10), cachedMap);
         },
         [&] { Form2->render(&screen); }},
        blocks, roundsPerBlock);
    const qint64 readWhileTiming = BytesRead() - readBefore;
    const double repaint = medians[0];
    const double copy = medians[1];
    const double withControls = medians[2];
    const int rounds = blocks * roundsPerBlock;

    std::printf("start-up, the main window shown: %.1f ms\n", startUpMilliseconds);
    std::printf("map %d x %d drawn %d x %d, %d sample points, 200 probe dots, %d rounds\n",
                picture.width(), picture.height(), SurveyTally.MapWidth, SurveyTally.MapHeight,
                SurveyTally.SampleSize, rounds);
    std::printf("window's own drawing in a full repaint (background, map, kept figures), "
                "%d rectangles: %8.1f us\n", ownRegion.rectCount(), repaint);
    std::printf("copying the cached scaled map alone: %8.1f us\n", copy);
    std::printf("ratio: %.2f (target: at most 3)\n", repaint / copy);
    std::printf("full repaint with Qt's standard controls drawn too: %8.1f us\n", withControls);
    std::printf("bytes read during %d repaints of each kind: %lld (map file: %lld)\n", rounds,
                static_cast<long long>(readWhileTiming),
                static_cast<long long>(QFile(mapFile).size()));
    std::printf("\"Go\" with %d points and the paint that shows them: %.1f ms\n",
                SurveyTally.SampleSize, goMilliseconds);
    // Any point size draws at once: only what shows of each disc is worked out.
    for (const char* size : {"1000", "1000000"}) {
        Form2->TaillePt->setText(QString::fromLatin1(size));
        QElapsedTimer bigTimer;
        bigTimer.start();
        Form2->BtnCalcul->click();
        QApplication::processEvents();
        const double bigGo = bigTimer.nsecsElapsed() / 1e6;
        bigTimer.restart();
        Form2->repaint();
        std::printf("\"Go\" with %d points of size %s and its paint: %.1f ms (%.1f x size 5); "
                    "a repaint after it: %.2f ms\n",
                    SurveyTally.SampleSize, size, bigGo, bigGo / goMilliseconds,
                    bigTimer.nsecsElapsed() / 1e6);
    }
    std::printf("error boxes: %d\n", program.boxes.errors);

    DestroyWindowSet();
    return 0;
}
