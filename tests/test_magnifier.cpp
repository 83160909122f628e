// The magnifier: the lens made from the picture in memory, at the picture's own resolution and
// at least 4 times the map as drawn, with the survey's marks as rings at their places; and on
// the map window, following the pointer while "Loupe" is on or Shift is held, with presses going
// through it to the map.

#include "core/SampleGenerator.h"
#include "core/SurveyTally.h"
#include "helpers/BoxRecorder.h"
#include "helpers/MapSession.h"
#include "helpers/Program.h"
#include "picture/Magnifier.h"
#include "windows/Carte2.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <map>

namespace {

// Every picture pixel tells where it lies, within any 256 pixels; none is pure red or blue.
QRgb ColourAt(QPoint pixel)
{
    return qRgb(pixel.x() & 255, pixel.y() & 255, 128);
}

const QImage& Picture(QSize size)
{
    static std::map<std::pair<int, int>, QImage> made;
    QImage& picture = made[{size.width(), size.height()}];
    if (picture.isNull()) {
        picture = QImage(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < size.width(); ++x)
                line[x] = ColourAt(QPoint(x, y));
        }
    }
    return picture;
}

const QColor background(0, 200, 0);

// A map of one colour, 640 x 480 drawn 600 x 450 (4 times in the lens), with the four points
// that the generator's state 0 places: one of them on the map pixel (516, 91), the window
// pixel (526, 101), a red disc 5 pixels across.
constexpr QPoint pointAt(526, 101);
constexpr QRect pointDisc(524, 99, 5, 5);
// Its ring in the lens with the pointer on it: 20 pixels across, centred there.
constexpr QRect pointRing(516, 91, 21, 21);

class SurveyOnScreen {
public:
    explicit SurveyOnScreen(const QString& folder)
    {
        StartProgram();
        SeedGenerator = [] { GeneratorState = 0; };
        OpenMap(WriteMap(folder + "/map.bmp", 640, 480), "4");
        Click(Form2->BtnCalcul);
    }
    ~SurveyOnScreen()
    {
        EndProgram();
        SeedGenerator = SeedFromClock;
    }
};

void MovePointer(QPoint at, Qt::KeyboardModifiers modifiers = {})
{
    QMouseEvent move(QEvent::MouseMove, at, Form2->mapToGlobal(at), Qt::NoButton, Qt::NoButton, modifiers);
    QApplication::sendEvent(Form2, &move);
    ProcessEvents();
}

}  // namespace

class MagnifierTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    // What shows at one pixel of the lens (a picture pixel, or the background beyond the
    // picture), and the block of lens pixels that this picture pixel covers.
    void showsThePictureAtItsOwnResolution_data()
    {
        QTest::addColumn<QSize>("pictureSize");
        QTest::addColumn<QRect>("mapArea");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QPoint>("lensPixel");
        QTest::addColumn<QPoint>("picturePixel");  // (-1, -1): the background
        QTest::addColumn<QRect>("block");

        // 6000 pixels drawn 600 wide: 10 times, one picture pixel per window pixel; the
        // pointer's pixel (300, 200) of the map covers the picture's 3000 to 3009.
        const QSize photo(6000, 4000);
        const QRect photoMap(10, 10, 600, 400);
        QTest::newRow("photo, centre") << photo << photoMap << QPoint(310, 210) << 1.0
                                       << QPoint(100, 100) << QPoint(3005, 2005) << QRect(100, 100, 1, 1);
        QTest::newRow("photo, beside the centre") << photo << photoMap << QPoint(310, 210) << 1.0
                                                  << QPoint(160, 40) << QPoint(3065, 1945) << QRect(160, 40, 1, 1);
        QTest::newRow("photo, twice as dense a screen")
            << photo << photoMap << QPoint(310, 210) << 2.0 << QPoint(201, 201) << QPoint(3005, 2005)
            << QRect(201, 201, 2, 2);
        // Drawn about its size: 4 times the map, 5 lens pixels per picture pixel.
        const QSize nearSize(480, 360);
        const QRect nearMap(10, 10, 600, 450);
        QTest::newRow("near its size") << nearSize << nearMap << QPoint(110, 110) << 1.0 << QPoint(100, 100)
                                       << QPoint(80, 80) << QRect(98, 98, 5, 5);
        // Drawn 10 times its size: still 4 times the map, 40 lens pixels per picture pixel.
        QTest::newRow("small picture drawn large") << QSize(60, 45) << nearMap << QPoint(110, 110) << 1.0
                                                   << QPoint(100, 100) << QPoint(10, 10) << QRect(98, 98, 40, 40);
        // On the map's first column, the lens's left half lies beyond the picture.
        QTest::newRow("beyond the map's edge") << nearSize << nearMap << QPoint(10, 110) << 1.0
                                               << QPoint(90, 100) << QPoint(-1, -1) << QRect();
        QTest::newRow("on the map's edge") << nearSize << nearMap << QPoint(10, 110) << 1.0 << QPoint(100, 100)
                                           << QPoint(0, 80) << QRect(98, 98, 5, 5);
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
            const QRgb colour = ColourAt(picturePixel);
            QCOMPARE(lens.pixel(lensPixel), colour);
            QCOMPARE(Extent(lens, colour, block.adjusted(-50, -50, 50, 50)), block);
        }
        // The centre is marked by a cross beside it, and nothing shows outside the disc.
        QCOMPARE(lens.pixel(int(104.5 * ratio), int(100.5 * ratio)), qRgb(0, 0, 0));
        QCOMPARE(lens.pixel(0, 0), 0u);
    }

    // A mark's disc shows as a ring of its size enlarged, centred where the disc is, the ground
    // inside it still visible.
    void drawsMarksAsRingsAtTheirPlaces_data()
    {
        QTest::addColumn<QSize>("pictureSize");
        QTest::addColumn<QRect>("mapArea");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QRectF>("disc");
        QTest::addColumn<QRect>("ring");
        QTest::addColumn<QPoint>("inside");

        // The pointer on the window pixel (110, 110); a point of size 5 three pixels beside it.
        QTest::newRow("4 times") << QSize(480, 360) << QRect(10, 10, 600, 450) << 1.0
                                 << QRectF(111, 111, 5, 5) << QRect(102, 102, 21, 21) << QPoint(112, 112);
        QTest::newRow("10 times") << QSize(6000, 4000) << QRect(10, 10, 600, 400) << 1.0
                                  << QRectF(111, 111, 5, 5) << QRect(105, 105, 51, 51) << QPoint(130, 130);
        // A dot 7 across centred half a pixel right of the pointer's pixel, on a dense screen.
        QTest::newRow("twice as dense a screen") << QSize(480, 360) << QRect(10, 10, 600, 450) << 2.0
                                                 << QRectF(108, 107, 7, 7) << QRect(181, 173, 56, 56)
                                                 << QPoint(209, 201);
        // A photo drawn 100 times smaller; the pointer beside it, on the window's background.
        // A disc far larger than the lens, around it: no ring crosses the lens.
        const QSize photo(6000, 4000);
        const QRect tinyMap(10, 10, 60, 40);
        QTest::newRow("huge point around the lens") << photo << tinyMap << 2.0
                                                    << QRectF(-9999890, -9999890, 20000001, 20000001) << QRect()
                                                    << QPoint(201, 201);
        // Its edge through the pointer's middle: a straight band across the lens, left of it.
        QTest::newRow("huge point's edge") << photo << tinyMap << 2.0
                                           << QRectF(-19999890.5, -9999890, 20000001, 20000001)
                                           << QRect(197, 4, 4, 394) << QPoint(201, 201);
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
        const QRect lensBox = MagnifierBox(pointAt);

        MovePointer(pointAt);
        QCOMPARE(Extent(Shown(Form2), Red, lensBox), pointDisc);
        if (shown == "toggle") {
            Form2->ButtLoupe->setChecked(true);
        } else if (shown == "shift key") {
            Form2->EdLandUse->setFocus();
            QTest::keyPress(Form2->EdLandUse, Qt::Key_Shift);
        } else {
            MovePointer(pointAt, Qt::ShiftModifier);
        }
        QCOMPARE(Extent(Shown(Form2), Red, lensBox), pointRing);
        // Moved elsewhere: the lens goes with it, and the point shows as before.
        // Shift shows in the modifiers of every move while it is held.
        const Qt::KeyboardModifiers held = shown == "toggle" ? Qt::NoModifier : Qt::ShiftModifier;
        const QPoint elsewhere = pointAt + QPoint(-250, 150);
        MovePointer(elsewhere, held);
        QCOMPARE(Extent(Shown(Form2), Red, lensBox.translated(-250, 150)), QRect());
        QCOMPARE(Extent(Shown(Form2), Red, lensBox), pointDisc);
        MovePointer(pointAt, held);
        QCOMPARE(Extent(Shown(Form2), Red, lensBox), pointRing);

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
        QCOMPARE(Extent(Shown(Form2), Red, lensBox), pointDisc);
        QVERIFY(boxes.Notices.isEmpty());
    }

    // A press under the lens reaches the map as without it; a dot it leaves shows in the lens
    // at once, 4 times its size.
    void pressesGoThroughTheLens_data()
    {
        QTest::addColumn<bool>("lensOn");
        QTest::addColumn<bool>("probing");
        QTest::newRow("lens, probing") << true << true;
        QTest::newRow("no lens, probing") << false << true;
        QTest::newRow("lens, before Sonder") << true << false;
        QTest::newRow("no lens, before Sonder") << false << false;
    }
    void pressesGoThroughTheLens()
    {
        QFETCH(bool, lensOn);
        QFETCH(bool, probing);
        BoxRecorder boxes;
        SurveyOnScreen survey(dir.path());
        if (probing) {
            Form2->EdLandUse->setText("bâti");
            Click(Form2->ButtSonder);
        }
        Form2->ButtLoupe->setChecked(lensOn);
        MovePointer(pointAt);
        PressOnMap(pointAt);

        QCOMPARE(SurveyTally.PointsThisUse, probing ? 1 : 0);
        QCOMPARE(Form2->EdNBPoints->text(), probing ? QStringLiteral("1") : QString());
        QCOMPARE(boxes.Notices, probing ? QStringList() : QStringList{"Appuyez sur le bouton \"Sonder\""});
        const QRect blue = Extent(Shown(Form2), Blue, MagnifierBox(pointAt));
        if (lensOn && probing)
            QCOMPARE(blue.size(), QSize(29, 29));
        else if (probing)
            QVERIFY(blue.width() <= 7);
        else
            QCOMPARE(blue, QRect());
    }
};

QTEST_MAIN(MagnifierTest)
#include "test_magnifier.moc"
