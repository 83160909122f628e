// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// High-density screens: the windows keep their layout in window pixels, the map is made from the
// picture at the screen's own resolution, and points, dots and presses keep their places. Runs
// with QT_SCALE_FACTOR as ctest sets it (2 unless told otherwise).

#include "helpers/BmpWriter.h"
#include "helpers/MapWindow.h"
#include "helpers/Program.h"
#include "helpers/FileDialog.h"
#include "core/SampleGenerator.h"
#include "core/SurveyTally.h"
#include "windows/Carte2.h"
#include "windows/Fich_1.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Every column a colour of its own, so that the columns a drawing keeps can be counted.
QImage EveryColumnItsColour(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            image.setPixel(x, y, qRgb(x % 256, 40 * (x / 256), 200));
    return image;
}

}  // namespace

class HighDensityTest : public ProgramTest {
    Q_OBJECT
    QTemporaryDir dir;
    qreal ratio = 1;

private slots:
    void init()
    {
        ProgramTest::init();
        ratio = Page_1->devicePixelRatioF();
        QVERIFY2(ratio > 1, "the screen is not a high-density one: QT_SCALE_FACTOR unset?");
    }
    void layoutStaysInWindowPixels()
    {
        OpenMap(WriteMap(dir.filePath("a.bmp"), 640, 480));
        QCOMPARE(Page_1->EdFich->geometry(), QRect(360, 224, 265, 21));
        QCOMPARE(Form2->BtnCalcul->mapTo(Form2, QPoint()), QPoint(816 + 48, 8 + 88));
        QCOMPARE(SurveyTally.MapWidth, 600);
        QCOMPARE(Form2->MapRect, (TRect{10, 10, 610, 460}));
    }

    // A picture of 1200 distinct columns drawn 600 window pixels wide: the screen shows as many
    // of them as it has pixels across the map, not the 600 of a copy of the window's size.
    void theMapShowsThePictureAtTheScreensResolution()
    {
        const QString path = dir.filePath("columns.bmp");
        WriteBmpFile(path, EveryColumnItsColour(1200, 900));
        OpenMap(path);
        const QImage shown = Shown(Form2);
        const int mapPixels = qRound(600 * ratio);
        QSet<QRgb> columns;
        for (int x = qRound(10 * ratio); x < qRound(610 * ratio); ++x)
            columns << shown.pixel(x, qRound(100 * ratio));
        QCOMPARE(int(columns.size()), std::min(mapPixels, 1200));
    }

    // From state 0 the first point lies on the map pixel (516, 91), the window point (526, 101);
    // counted, its blue dot covers the box from (523, 98) to (530, 105).
    void pointsAndDotsKeepTheirPlaces()
    {
        OpenMap(WriteMap(dir.filePath("a.bmp"), 640, 480), "1");
        GeneratorState = 0;
        SeedGenerator = [] {
            GeneratorState = 0;
            RandomBelow(600), RandomBelow(450);
        };
        Click(Form2->BtnCalcul);
        const auto onScreen = [this](const QRect& box) {
            return QRect(QPoint(qRound(box.left() * ratio), qRound(box.top() * ratio)),
                         QPoint(qRound((box.left() + box.width()) * ratio) - 1,
                                qRound((box.top() + box.height()) * ratio) - 1));
        };
        QCOMPARE(Extent(Shown(Form2), Red), onScreen(QRect(524, 99, 5, 5)));
        Form2->EdLandUse->setText("bois");
        Click(Form2->ButtSonder);
        PressOnMap(QPoint(526, 101));
        QCOMPARE(SurveyTally.PointsProbed, 1);
        const QImage shown = Shown(Form2);
        QCOMPARE(Extent(shown, Blue, onScreen(MapSurface)), onScreen(QRect(523, 98, 7, 7)));
        QCOMPARE(Count(shown, Red), 0);
    }

    // The exported picture is in window pixels, whatever the screen: the map 600 x 450 with
    // its point and dot where the window has them, in their exact colours.
    void theExportedMapIsInWindowPixels()
    {
        OpenMap(WriteMap(dir.filePath("a.bmp"), 640, 480), "1");
        SeedGenerator = [] {
            GeneratorState = 0;
            RandomBelow(600), RandomBelow(450);
        };
        Click(Form2->BtnCalcul);
        Form2->EdLandUse->setText("bois");
        Click(Form2->ButtSonder);
        PressOnMap(QPoint(526, 101));  // the point on the map pixel (516, 91)
        ChooseFile(dir.filePath("a.png"), [] { Click(Form2->ButtExporterImage); });
        QCOMPARE(boxes->Errors, QStringList());
        const QImage exported = QImage(dir.filePath("a.png")).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(exported.width(), 600);
        QVERIFY(exported.height() > 450);
        const QRect map(0, 0, 600, 450);
        QCOMPARE(Extent(exported, Red, map), QRect());
        QCOMPARE(Extent(exported, Blue, map), QRect(513, 88, 7, 7));
        QCOMPARE(Count(exported, Red, map) + Count(exported, Blue, map) +
                     Count(exported, qRgb(255, 255, 255), map),
                 600 * 450);
    }
};

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
        qputenv("QT_SCALE_FACTOR", "2");
    QApplication application(argc, argv);
    HighDensityTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_high_density.moc"
