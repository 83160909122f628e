// Probing land uses: "Sonder", presses on the map's surface with their blue dots and counts,
// "Autre usage ou Terminer", the enabled state of "Sonder", and bad input in any order.

#include "core/SampleGenerator.h"
#include "core/SurveyTally.h"
#include "helpers/BoxRecorder.h"
#include "helpers/MapSession.h"
#include "helpers/Program.h"
#include "ui/WindowFrame.h"
#include "windows/Carte2.h"
#include "windows/Fich_1.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString pressSonder = QStringLiteral("Appuyez sur le bouton \"Sonder\"");

}  // namespace

class MapProbingTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    BoxRecorder* boxes = nullptr;

    void BeginLandUse(const QString& name)
    {
        Form2->EdLandUse->setText(name);
        Click(Form2->ButtSonder);
    }

private slots:
    void init()
    {
        boxes = new BoxRecorder;
        StartProgram();
        SeedGenerator = [] { GeneratorState = 0; };
        OpenMap(WriteMap(dir.filePath("map.bmp"), 640, 480), "4");
        Click(Form2->BtnCalcul);
    }
    void cleanup()
    {
        EndProgram();
        delete boxes;
        SeedGenerator = SeedFromClock;
    }

    void aPressBeforeSonderOnlyAsksForIt()
    {
        PressOnMap(QPoint(100, 100));
        QCOMPARE(boxes->Notices, QStringList{pressSonder});
        QCOMPARE(Count(Grab(Form2), Blue, MapSurface), 0);
        QCOMPARE(SurveyTally.PointsProbed, 0);
        QCOMPARE(SurveyTally.PointsThisUse, 0);
        QCOMPARE(Form2->cursor().shape(), Qt::ArrowCursor);
    }

    void trafficExample()
    {
        BeginLandUse("trafic");
        QCOMPARE(Form2->EdNBPoints->text(), QStringLiteral("0"));
        for (const QPoint at : {QPoint(518, 93), QPoint(165, 304), QPoint(193, 74)})
            PressOnMap(at);
        QCOMPARE(Form2->EdNBPoints->text(), QStringLiteral("3"));
        Click(Form2->ButtFini);
        QCOMPARE(SurveyTally.LandUse(1).Name, QStringLiteral("trafic"));
        QCOMPARE(SurveyTally.LandUse(1).Count, 3);
        QCOMPARE(SurveyTally.PointsProbed, 3);
        QCOMPARE(Form2->EdNBPoints->text(), QStringLiteral("0"));
        QCOMPARE(Form2->EdLandUse->text(), QString());
        QVERIFY(!Form2->ButtSonder->isEnabled());

        PressOnMap(QPoint(225, 193));
        QCOMPARE(Form2->EdNBPoints->text(), QStringLiteral("4"));
        QCOMPARE(SurveyTally.PointsProbed, 4);
        Click(Form2->ButtFini);
        QCOMPARE(SurveyTally.LandUse(1).Count, 4);
        QCOMPARE(SurveyTally.LandUseCount, 1);
        QVERIFY(boxes->Notices.isEmpty());
    }

    // Every press on the window's own surface counts, with any button; a press on a child
    // control never does, whatever the button.
    void everyPressOnTheSurfaceCounts_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<int>("counted");
        QTest::newRow("on the map") << QPoint(300, 300) << int(Qt::LeftButton) << false << 1;
        QTest::newRow("beside the map") << QPoint(750, 600) << int(Qt::LeftButton) << false << 1;
        QTest::newRow("right button") << QPoint(300, 300) << int(Qt::RightButton) << false << 1;
        QTest::newRow("middle button") << QPoint(300, 300) << int(Qt::MiddleButton) << false << 1;
        QTest::newRow("double-click") << QPoint(300, 300) << int(Qt::LeftButton) << true << 2;
        QTest::newRow("below the panels") << QPoint(900, 500) << int(Qt::LeftButton) << false << 1;
        QTest::newRow("on step 2's panel") << QPoint(830, 400) << int(Qt::LeftButton) << false << 0;
        QTest::newRow("on a label of step 1") << QPoint(830, 45) << int(Qt::LeftButton) << false << 0;
        QTest::newRow("on disabled Sonder") << QPoint(890, 275) << int(Qt::LeftButton) << false << 0;
        // Buttons let other buttons' presses through to the window: they reach no handler.
        QTest::newRow("right press on the close button") << QPoint(952, 724) << int(Qt::RightButton) << false << 0;
        QTest::newRow("middle press on the close button") << QPoint(952, 724) << int(Qt::MiddleButton) << false << 0;
        QTest::newRow("right press on Go") << QPoint(912, 108) << int(Qt::RightButton) << false << 0;
    }
    void everyPressOnTheSurfaceCounts()
    {
        QFETCH(QPoint, at);
        QFETCH(int, button);
        QFETCH(bool, doubleClick);
        QFETCH(int, counted);
        BeginLandUse("bois");
        Form2->ButtSonder->setEnabled(false);
        if (doubleClick)
            DoubleClickOnMap(at);
        else
            PressOnMap(at, Qt::MouseButton(button));
        QCOMPARE(SurveyTally.PointsThisUse, counted);
        QCOMPARE(SurveyTally.PointsProbed, counted);
        QVERIFY(boxes->Notices.isEmpty());
    }

    void blueDotBoxAtAPress()
    {
        BeginLandUse("bois");
        PressOnMap(QPoint(100, 100));
        QCOMPARE(Extent(Grab(Form2), Blue, MapSurface), QRect(98, 98, 7, 7));
        QCOMPARE(Form2->Canvas.PenPos(), QPoint(98, 98));
    }

    // Mend: a clicked point stays blue after a repaint, so none is counted twice.
    void blueDotsStayAfterARepaint()
    {
        BeginLandUse("bois");
        PressOnMap(QPoint(518, 93));
        PressOnMap(QPoint(700, 600));
        Uncover();
        const QImage shown = Grab(Form2);
        QCOMPARE(Extent(shown, Blue, QRect(500, 80, 40, 40)), QRect(516, 91, 7, 7));
        QCOMPARE(Extent(shown, Blue, QRect(650, 550, 100, 100)), QRect(698, 598, 7, 7));
        // The dot is drawn over the red point it marks.
        QCOMPARE(shown.pixel(518, 93), Blue);
    }

    void landUseNamesAreCutTo50()
    {
        const QString sixty = QString(60, QLatin1Char('v'));
        BeginLandUse(sixty);
        QCOMPARE(SurveyTally.LandUse(1).Name, sixty.left(50));
        QCOMPARE(Form2->EdLandUse->text(), sixty);
    }

    void crosshairAfterTheFirstCountedPress()
    {
        BeginLandUse("eau");
        QCOMPARE(Form2->cursor().shape(), Qt::ArrowCursor);
        PressOnMap(QPoint(300, 300));
        QCOMPARE(Form2->cursor().shape(), Qt::CrossCursor);
        Click(Form2->ButtFini);
        QCOMPARE(Form2->cursor().shape(), Qt::CrossCursor);
        QCOMPARE(Form2->Panel1->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(Form2->BitBtnFermer->cursor().shape(), Qt::ArrowCursor);
    }

    void sonderEnabledState()
    {
        QVERIFY(!Form2->ButtSonder->isEnabled());  // every map drawing begins disabled
        Form2->EdLandUse->setText("x");
        QVERIFY(Form2->ButtSonder->isEnabled());
        Form2->EdLandUse->setText("");
        QVERIFY(Form2->ButtSonder->isEnabled());  // emptying is a change too
        Click(Form2->ButtSonder);
        QVERIFY(Form2->ButtSonder->isEnabled());
        QCOMPARE(SurveyTally.LandUse(1).Name, QString());
        Click(Form2->ButtFini);
        QVERIFY(!Form2->ButtSonder->isEnabled());
        Form2->EdLandUse->setText("");  // the same text: no change
        QVERIFY(!Form2->ButtSonder->isEnabled());
        QTest::keyClicks(Form2->EdLandUse, "a");
        QVERIFY(Form2->ButtSonder->isEnabled());
    }

    void twoSondersBeginTwoEntries()
    {
        SurveyTally.LandUse(1).Count = 9;
        BeginLandUse("a");
        PressOnMap(QPoint(300, 300));
        BeginLandUse("b");
        QCOMPARE(SurveyTally.LandUseCount, 2);
        QCOMPARE(SurveyTally.LandUse(1).Count, 9);
        QCOMPARE(SurveyTally.PointsThisUse, 0);
        QCOMPARE(Form2->EdNBPoints->text(), QStringLiteral("0"));
    }

    // Mend: the table of 20 land uses is never overrun.
    void aTwentyFirstSonderIsRefused()
    {
        for (int n = 1; n <= 20; ++n)
            BeginLandUse(QString::number(n));
        PressOnMap(QPoint(300, 300));
        QVERIFY(boxes->Notices.isEmpty());
        BeginLandUse("21");
        QCOMPARE(boxes->Notices,
                 QStringList{"Vous ne pouvez pas sonder plus de 20 usages du sol !"});
        QCOMPARE(SurveyTally.LandUseCount, 20);
        QCOMPARE(SurveyTally.LandUse(20).Name, QStringLiteral("20"));
        QCOMPARE(SurveyTally.PointsThisUse, 1);
        QCOMPARE(Form2->EdNBPoints->text(), QStringLiteral("1"));
        Click(Form2->ButtFini);
        QCOMPARE(SurveyTally.LandUse(20).Count, 1);
    }

    // Mend: with no land use begun, "Autre usage ou Terminer" stores the count nowhere.
    void finishingWithoutALandUseStoresNothing()
    {
        for (int n = 1; n <= TSurveyTally::MaxLandUses; ++n)
            SurveyTally.LandUse(n).Count = 40 + n;
        SurveyTally.PointsThisUse = 7;
        Form2->EdLandUse->setText("herbe");
        Click(Form2->ButtFini);
        for (int n = 1; n <= TSurveyTally::MaxLandUses; ++n)
            QCOMPARE(SurveyTally.LandUse(n).Count, 40 + n);
        QCOMPARE(Form2->EdNBPoints->text(), QStringLiteral("0"));
        QCOMPARE(Form2->EdLandUse->text(), QString());
        QVERIFY(!Form2->ButtSonder->isEnabled());
    }

    void anyInputInAnyOrderNeitherCrashesNorHangs()
    {
        QRandomGenerator random(20260101);
        const QStringList texts{"", "5", "abc", " 12", "-7", "$FF", "2147483647", "10000",
                                "0", "x", QString(80, QLatin1Char('z')), "é\t\n", "255"};
        const auto anyText = [&] { return texts[random.bounded(int(texts.size()))]; };
        QElapsedTimer timer;
        timer.start();
        for (int step = 0; step < 400; ++step) {
            switch (random.bounded(9)) {
            case 0: Form2->TaillePt->setText(anyText()); break;
            case 1: Form2->EdLandUse->setText(anyText()); break;
            case 2: Form2->EdNBPoints->setText(anyText()); break;
            case 3: Page_1->EdNPoints->setText(anyText()); Click(Page_1->BtnDessine); break;
            case 4: Click(Form2->BtnCalcul); break;
            case 5: Click(Form2->ButtSonder); break;
            case 6: Click(Form2->ButtFini); break;
            case 7: Uncover(); break;
            default:
                PressOnMap(QPoint(random.bounded(Form2->width()), random.bounded(Form2->height())),
                           random.bounded(2) ? Qt::LeftButton : Qt::RightButton);
            }
            QVERIFY(SurveyTally.LandUseCount >= 0);
            QVERIFY(SurveyTally.LandUseCount <= TSurveyTally::MaxLandUses);
        }
        QVERIFY2(timer.elapsed() < 60000, "400 steps took over a minute");
    }
};

QTEST_MAIN(MapProbingTest)
#include "test_map_probing.moc"
