// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The magnifier: the lens at the picture's own resolution and at least 4 times the map as drawn,
// marks as rings at their places; on the map window it follows the pointer while "Loupe" is on or
// Shift is held, and presses go through it to the map.

#include "core/SampleGenerator.h"
#include "core/SurveyTally.h"
#include "helpers/BoxRecorder.h"
#include "helpers/MapWindow.h"
#include "helpers/Photos.h"
#include "helpers/Program.h"
#include "picture/Magnifier.h"
#include "windows/Carte2.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Every picture pixel tells where it lies, within any 256 pixels; none is pure red or blue.
QRgb ColourAt(QPoint pixel)
{
    return qRgb(pixel.x() & 255, pixel.y() & 255, 128);
}

QImage Picture(QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            reinterpret_cast<QRgb*>(picture.scanLine(y))[x] = ColourAt(QPoint(x, y));
    return picture;
}

const QColor background(0, 200, 0);
const QSize photo(6000, 4000), nearSize(480, 360);
constexpr QRect photoMap(10, 10, 600, 400), nearMap(10, 10, 600, 450);

// A 640 x 480 map drawn 600 x 450; the generator's state 0 puts a point, a red disc 5 across, on
// the window pixel (526, 101); in the lens with the pointer on it, a ring 20 across.
constexpr QPoint pointAt(526, 101);
constexpr QRect pointDisc(524, 99, 5, 5), pointRing(516, 91, 21, 21);

// The program started, "Go" drawing from the generator's state 0.
struct ProgramOnScreen {
    ProgramOnScreen()
    {
        StartProgram();
        SeedGenerator = [] { GeneratorState = 0; };
    }
    ~ProgramOnScreen()
    {
        EndProgram();
        SeedGenerator = SeedFromClock;
    }
};

struct SurveyOnScreen : ProgramOnScreen {
    explicit SurveyOnScreen(const QString& folder)
    {
        OpenMap(WriteMap(folder + "/map.bmp", 640, 480), "4");
        Click(Form2->BtnCalcul);
    }
};

// Where "Go" put the sample points, on the map as drawn.
QList<QPoint> SamplePlaces()
{
    QList<QPoint> places;
    for (const SurveyMark& mark : SurveyTally.Marks())
        places.append(mark.Place);
    return places;
}

void MovePointer(QPoint at, Qt::KeyboardModifiers modifiers = {})
{
    QMouseEvent move(QEvent::MouseMove, at, Form2->mapToGlobal(at), Qt::NoButton, Qt::NoButton, modifiers);
    QApplication::sendEvent(Form2, &move);
    ProcessEvents();
}

QRect RedAround(QPoint pointer)
{
    return Extent(Shown(Form2), Red, MagnifierBox(pointer));
}

}  // namespace

class MagnifierTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    // One lens pixel shows this picture pixel (-1, -1: the background), which covers `block`.
    void showsThePictureAtItsOwnResolution_data()
    {
        QTest::addColumn<QSize>("pictureSize");
        QTest::addColumn<QRect>("mapArea");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QPoint>("lensPixel");
        QTest::addColumn<QPoint>("picturePixel");
        QTest::addColumn<QRect>("block");
        const auto row = [](const char* name, QSize size, QRect map, QPoint pointer, qreal ratio, QPoint lens,
                            QPoint picture, QRect block) {
            QTest::newRow(name) << size << map << pointer << ratio << lens << picture << block;
        };
        // Drawn 10 times smaller: one picture pixel per window pixel.
        row("photo, centre", photo, photoMap, {310, 210}, 1, {100, 100}, {3005, 2005}, {100, 100, 1, 1});
        row("photo, beside", photo, photoMap, {310, 210}, 1, {160, 40}, {3065, 1945}, {160, 40, 1, 1});
        row("photo, dense screen", photo, photoMap, {310, 210}, 2, {201, 201}, {3005, 2005}, {201, 201, 2, 2});
        // Drawn about its size, or 10 times larger: still 4 times the map.
        row("near its size", nearSize, nearMap, {110, 110}, 1, {100, 100}, {80, 80}, {98, 98, 5, 5});
        row("drawn large", {60, 45}, nearMap, {110, 110}, 1, {100, 100}, {10, 10}, {98, 98, 40, 40});
        row("beyond the map's edge", nearSize, nearMap, {10, 110}, 1, {90, 100}, {-1, -1}, {});
        row("on the map's edge", nearSize, nearMap, {10, 110}, 1, {100, 100}, {0, 80}, {98, 98, 5, 5});
    }
    void showsThePictureAtItsOwnResolution()
    {
        QFETCH(QSize, pictureSize);
        QFETCH(QRect, mapArea);
        QFETCH(QPoint, pointer);
        QFETCH(qreal, ratio);
        QFETCH(QPoint, lensPixel);
        QFETCH(QPoint, picturePixel);
        QFETCH(QRect, block);
        const QImage lens = RenderMagnifier(Picture(pictureSize), mapArea, pointer, {}, background, ratio);
        QCOMPARE(lens.size(), QSize(201, 201) * ratio);
        QCOMPARE(lens.devicePixelRatio(), ratio);
        if (picturePixel.x() < 0) {
            QCOMPARE(lens.pixel(lensPixel), background.rgb());
        } else {
            QCOMPARE(lens.pixel(lensPixel), ColourAt(picturePixel));
            QCOMPARE(Extent(lens, ColourAt(picturePixel), block.adjusted(-50, -50, 50, 50)), block);
        }
        // The centre's cross beside it; nothing outside the disc.
        QCOMPARE(lens.pixel(int(104.5 * ratio), int(100.5 * ratio)), qRgb(0, 0, 0));
        QCOMPARE(lens.pixel(0, 0), 0u);
    }

    // A mark's disc shows as a ring of its size enlarged, centred where the disc is, the ground
    // inside still visible. The pointer is on the window pixel (110, 110).
    void drawsMarksAsRingsAtTheirPlaces_data()
    {
        QTest::addColumn<QSize>("pictureSize");
        QTest::addColumn<QRect>("mapArea");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QRectF>("disc");
        QTest::addColumn<QRect>("ring");
        QTest::addColumn<QPoint>("inside");
        const auto row = [](const char* name, QSize size, QRect map, qreal ratio, QRectF disc, QRect ring,
                            QPoint inside) { QTest::newRow(name) << size << map << ratio << disc << ring << inside; };
        row("4 times", nearSize, nearMap, 1, {111, 111, 5, 5}, {102, 102, 21, 21}, {112, 112});
        row("10 times", photo, photoMap, 1, {111, 111, 5, 5}, {105, 105, 51, 51}, {130, 130});
        row("dense screen, half-pixel centre", nearSize, nearMap, 2, {108, 107, 7, 7}, {181, 173, 56, 56}, {209, 201});
        // A photo drawn 100 times smaller under a disc far larger than the lens: no ring, or
        // its edge through the pointer's middle as a straight band.
        const QRect tinyMap(10, 10, 60, 40);
        row("huge point around the lens", photo, tinyMap, 2, {-9999890, -9999890, 20000001, 20000001}, {}, {201, 201});
        row("huge point's edge", photo, tinyMap, 2, {-19999890.5, -9999890, 20000001, 20000001}, {197, 4, 4, 394},
            {201, 201});
    }
    void drawsMarksAsRingsAtTheirPlaces()
    {
        QFETCH(QSize, pictureSize);
        QFETCH(QRect, mapArea);
        QFETCH(qreal, ratio);
        QFETCH(QRectF, disc);
        QFETCH(QRect, ring);
        QFETCH(QPoint, inside);
        const MagnifiedMark marks[] = {{disc, Qt::red}};
        const QImage lens =
            RenderMagnifier(Picture(pictureSize), mapArea, QPoint(110, 110), marks, background, ratio);
        QCOMPARE(Extent(lens, Red), ring);
        QVERIFY(lens.pixel(inside) != Red);
    }

    // However shown, the lens follows the pointer over the map; however hidden, it leaves the
    // window's surface as it was.
    void followsThePointerWhileWanted_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("hidden");
        QTest::newRow("Loupe, then off") << "toggle" << "toggle";
        QTest::newRow("Loupe, pointer out of the window") << "toggle" << "leave";
        QTest::newRow("Loupe, pointer off the map") << "toggle" << "off map";
        QTest::newRow("Loupe, pointer onto a panel") << "toggle" << "panel";
        QTest::newRow("Shift in a box, then released") << "shift key" << "shift key";
        QTest::newRow("Shift held while moving, then not") << "shift move" << "shift move";
    }
    void followsThePointerWhileWanted()
    {
        QFETCH(QString, shown);
        QFETCH(QString, hidden);
        BoxRecorder boxes;
        SurveyOnScreen survey(dir.path());
        MovePointer(pointAt);
        QCOMPARE(RedAround(pointAt), pointDisc);
        if (shown == "toggle") {
            Form2->ButtLoupe->setChecked(true);
        } else if (shown == "shift key") {
            Form2->EdLandUse->setFocus();
            QTest::keyPress(Form2->EdLandUse, Qt::Key_Shift);
        } else {
            MovePointer(pointAt, Qt::ShiftModifier);
        }
        QCOMPARE(RedAround(pointAt), pointRing);
        // Elsewhere the lens goes with the pointer (Shift in every move while held), the point
        // shows as before.
        const Qt::KeyboardModifiers held = shown == "toggle" ? Qt::NoModifier : Qt::ShiftModifier;
        const QPoint elsewhere = pointAt + QPoint(-250, 150);
        MovePointer(elsewhere, held);
        QCOMPARE(RedAround(elsewhere), QRect());
        QCOMPARE(RedAround(pointAt), pointDisc);
        MovePointer(pointAt, held);
        QCOMPARE(RedAround(pointAt), pointRing);

        if (hidden == "toggle") {
            Form2->ButtLoupe->setChecked(false);
        } else if (hidden == "leave") {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(Form2, &leave);
        } else if (hidden == "off map") {
            MovePointer(QPoint(700, 101));
        } else if (hidden == "panel") {
            // Straight from the map onto a control: the window hears of no move.
            QTest::mouseMove(Form2->windowHandle(), pointAt);
            QTest::mouseMove(Form2->windowHandle(), QPoint(900, 300));
            ProcessEvents();
        } else if (hidden == "shift key") {
            QTest::keyRelease(Form2->EdLandUse, Qt::Key_Shift);
        } else {
            MovePointer(pointAt);
        }
        QCOMPARE(RedAround(pointAt), pointDisc);
        QVERIFY(boxes.Notices.isEmpty());
    }

    // A photo far larger than its map is drawn from a reduced reading: at its own size's
    // drawn size (the reduced picture's ratio would give another), its sample points those a
    // picture of that size has always had; once read whole, the lens shows it at its own
    // resolution, a point's ring as large as that zoom makes it.
    void aPhotoIsDrawnReducedAndMagnifiedWhole_data()
    {
        QTest::addColumn<QSize>("stored");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QSize>("read");
        QTest::addColumn<QSize>("drawn");
        QTest::addColumn<int>("ring");
        // 600 x 450 would be drawn 600 x 450.
        QTest::newRow("a quarter, its own ratio") << QSize(2403, 1800) << 1 << QSize(600, 450) << QSize(600, 449) << 21;
        // 447 x 704 would be drawn 444 x 700.
        QTest::newRow("turned by its tag") << QSize(2816, 1790) << 6 << QSize(447, 704) << QSize(445, 700) << 21;
        // 5 times once whole; read at a quarter, the least zoom, 4 times, would do.
        QTest::newRow("a lens 5 times") << QSize(3000, 2250) << 1 << QSize(750, 562) << QSize(600, 450) << 25;
    }
    void aPhotoIsDrawnReducedAndMagnifiedWhole()
    {
        QFETCH(QSize, stored);
        QFETCH(int, orientation);
        QFETCH(QSize, read);
        QFETCH(QSize, drawn);
        QFETCH(int, ring);
        BoxRecorder boxes;
        ProgramOnScreen program;
        const QSize seen = orientation == 6 ? stored.transposed() : stored;
        OpenMap(WriteMap(dir.filePath("carte.bmp"), seen.width(), seen.height()), "4");
        Click(Form2->BtnCalcul);
        const QList<QPoint> places = SamplePlaces();

        OpenMap(WritePhoto(dir.filePath("photo.jpg"), stored, Qt::darkGreen, quint16(orientation)), "4");
        QCOMPARE(Form2->ShownMap().Shown().Image().size(), read);
        QCOMPARE(QSize(SurveyTally.MapWidth, SurveyTally.MapHeight), drawn);
        Click(Form2->BtnCalcul);
        QCOMPARE(SamplePlaces(), places);

        QTRY_VERIFY(!Form2->ShownMap().ReadingWhole());
        Form2->ButtLoupe->setChecked(true);
        // The third point lies far enough from the edges for the whole lens.
        const QPoint point = SamplePointOnWindow(2);
        MovePointer(point);
        QCOMPARE(RedAround(point).size(), QSize(ring, ring));
        QCOMPARE(boxes.Notices + boxes.Errors, QStringList());
    }

    // A press under the lens reaches the map; the dot it leaves shows in the lens at once, 4
    // times its size.
    void pressesGoThroughTheLens_data()
    {
        QTest::addColumn<bool>("probing");
        QTest::newRow("probing") << true;
        QTest::newRow("before Sonder") << false;
    }
    void pressesGoThroughTheLens()
    {
        QFETCH(bool, probing);
        BoxRecorder boxes;
        SurveyOnScreen survey(dir.path());
        if (probing) {
            Form2->EdLandUse->setText("bâti");
            Click(Form2->ButtSonder);
        }
        Form2->ButtLoupe->setChecked(true);
        MovePointer(pointAt);
        PressOnMap(pointAt);
        QCOMPARE(SurveyTally.PointsThisUse, probing ? 1 : 0);
        QCOMPARE(Form2->EdNBPoints->text(), probing ? QStringLiteral("1") : QString());
        QCOMPARE(boxes.Notices, probing ? QStringList() : QStringList{"Appuyez sur le bouton \"Sonder\""});
        const QRect blue = Extent(Shown(Form2), Blue, MagnifierBox(pointAt));
        QCOMPARE(blue.size(), probing ? QSize(29, 29) : QSize(0, 0));
    }
};

QTEST_MAIN(MagnifierTest)
#include "test_magnifier.moc"
