// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// What the magnifier costs as the pointer moves over a 6000 x 4000 photo drawn in the map window,
// during a survey of 10000 sample points with 200 counted: each move with the lens on (the move
// handled, the old and the new lens boxes painted, the window brought to the screen), set against
// a plain repaint of the whole window without the lens, both measured in this run. Also the lens
// image made alone, and the bytes read while moving: the lens reads no file.
//
//   bench_magnifier          (runs headless unless QT_QPA_PLATFORM says otherwise)

#include "core/SurveyTally.h"
#include "picture/Magnifier.h"
#include "picture/TBitmap.h"
#include "windows/Carte2.h"

#include "bench/BenchProgram.h"
#include "bench/Measures.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Along a path over the map, a few pixels a step, as a hand moves the pointer.
QPoint PathPoint(int step)
{
    return QPoint(60 + (step * 7) % 500, 60 + (step * 5) % 300);
}

void MovePointer(QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, at, Form2->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(Form2, &move);
    QApplication::processEvents();
}

// Counts the paints a window is given.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
    int paints = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    BenchProgram program(argc, argv);
    QTemporaryDir dir;
    const QString photo = SurveyOnPhoto(dir.path(), 10000, 50);

    TBitmap picture;
    picture.LoadPictureFile(photo);
    const QRect mapArea(10, 10, SurveyTally.MapWidth, SurveyTally.MapHeight);

    int step = 0;
    int moves = 0;
    PaintCounter painted;
    const int blocks = 10;
    const int roundsPerBlock = 50;
    const qint64 readBefore = BytesRead();
    const std::vector<double> medians = MediansInTurn(
        {[&] {
             if (!Form2->ButtLoupe->isChecked())
                 Form2->ButtLoupe->setChecked(true);
             Form2->installEventFilter(&painted);
             MovePointer(PathPoint(++step));
             Form2->removeEventFilter(&painted);
             ++moves;
         },
         [&] {
             if (Form2->ButtLoupe->isChecked()) {
                 Form2->ButtLoupe->setChecked(false);
                 QApplication::processEvents();
             }
             Form2->repaint();
         },
         [&] {
             RenderMagnifier(picture.Image(), mapArea, PathPoint(++step), {}, Qt::white,
                             Form2->devicePixelRatioF());
         }},
        blocks, roundsPerBlock);
    const qint64 readWhileTiming = BytesRead() - readBefore;
    // That the moves did show a lens: its border, once the pointer is back on the map.
    Form2->ButtLoupe->setChecked(true);
    MovePointer(PathPoint(++step));
    const QImage shown = Form2->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint border = PathPoint(step) + QPoint(MagnifierRadius, 0);
    const bool lensShown = shown.pixel(border * shown.devicePixelRatio()) == qRgb(64, 64, 64);
    const double move = medians[0];
    const double repaint = medians[1];
    const double lens = medians[2];

    std::printf("photo %d x %d drawn %d x %d (lens: %.0f times the map), %d sample points, "
                "%d counted, %d rounds of each\n",
                picture.Width(), picture.Height(), mapArea.width(), mapArea.height(),
                MagnifierZoom(picture.Image().size(), mapArea.size()), SurveyTally.SampleSize,
                SurveyTally.PointsThisUse, blocks * roundsPerBlock);
    std::printf("a pointer move with the magnifier (the move, its two boxes painted, the window "
                "on screen): %8.3f ms (target: under 2 ms)\n", move / 1000);
    std::printf("a plain repaint of the whole window, no magnifier:                       "
                "%8.3f ms\n", repaint / 1000);
    std::printf("ratio move / plain repaint: %.2f\n", move / repaint);
    std::printf("the lens image alone (no marks): %8.3f ms\n", lens / 1000);
    std::printf("bytes read during the moves and repaints: %lld (photo file: %lld)\n",
                static_cast<long long>(readWhileTiming), static_cast<long long>(QFile(photo).size()));
    std::printf("paints of the window per move: %.2f\n", double(painted.paints) / moves);
    std::printf("lens on the window after a move: %s\n", lensShown ? "yes" : "NO");
    std::printf("notices: %d, error boxes: %d\n", program.boxes.notices, program.boxes.errors);

    DestroyWindowSet();
    return 0;
}
