// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// Probing land uses: "Sonder", presses on the map's surface with their blue dots and counts,
// "Autre usage ou Terminer", the enabled state of "Sonder", and bad input in any order.

#include "core/SurveyTally.h"
#include "helpers/MapWindow.h"
#include "helpers/Program.h"
#include "ui/WindowFrame.h"
#include "windows/Carte2.h"
#include "windows/Fich_1.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

namespace {

const QString pressSonder = QStringLiteral("Appuyez sur le bouton \"Sonder\"");

}  // namespace

class MapProbingTest : public ProgramTest {
    Q_OBJECT
    QTemporaryDir dir;

    void BeginLandUse(const QString& name)
    {
        Form2->EdLandUse->setText(name);
        Click(Form2->ButtSonder);
    }

private slots:
    void init()
    {
        ProgramTest::init();
        OpenMap(WriteMap(dir.filePath("map.bmp"), 640, 480), "4");
        Click(Form2->BtnCalcul);
    }
    void aPressBeforeSonderOnlyAsksForIt()
    {
        PressOnMap(SamplePointOnWindow(0));
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
        for (int point = 0; point < 3; ++point)
            PressOnMap(SamplePointOnWindow(point));
        QCOMPARE(Form2->EdNBPoints->text(), QStringLiteral("3"));
        Click(Form2->ButtFini);
        QCOMPARE(SurveyTally.LandUse(1).Name, QStringLiteral("trafic"));
        QCOMPARE(SurveyTally.LandUse(1).Count, 3);
        QCOMPARE(SurveyTally.PointsProbed, 3);
        QCOMPARE(Form2->EdNBPoints->text(), QStringLiteral("0"));
        QCOMPARE(Form2->EdLandUse->text(), QString());
        QVERIFY(!Form2->ButtSonder->isEnabled());

        QVERIFY(boxes->Notices.isEmpty());

        // The land use is finished: a press before the next "Sonder" counts nowhere.
        PressOnMap(SamplePointOnWindow(3));
        QCOMPARE(boxes->Notices, QStringList{pressSonder});
        QCOMPARE(Form2->EdNBPoints->text(), QStringLiteral("0"));
        QCOMPARE(SurveyTally.PointsProbed, 3);
        Click(Form2->ButtFini);
        QCOMPARE(SurveyTally.LandUse(1).Count, 3);
        QCOMPARE(SurveyTally.LandUseCount, 1);
    }

    // A press counts the sample point it falls on or within 4 pixels of its disc, with any
    // button, once; a press elsewhere, again on a counted point or on a child control counts
    // nothing. "at" is offset from the first point when "fromPoint" is set.
    void aPressCountsTheSamplePointItDesignates_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("fromPoint");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("how");  // press, double-click, twice
        QTest::addColumn<int>("counted");
        const auto row = [](const char* name, QPoint at, bool fromPoint, Qt::MouseButton button, const char* how,
                            int counted) { QTest::newRow(name) << at << fromPoint << int(button) << how << counted; };
        row("on a point", {}, true, Qt::LeftButton, "press", 1);
        row("4 px beside it", {0, 6}, true, Qt::LeftButton, "press", 1);
        row("5 px beside it", {0, 7}, true, Qt::LeftButton, "press", 0);
        row("right button", {-3, 3}, true, Qt::RightButton, "press", 1);
        row("middle button", {}, true, Qt::MiddleButton, "press", 1);
        row("double-click", {}, true, Qt::LeftButton, "double-click", 1);
        row("again on a counted point", {}, true, Qt::LeftButton, "twice", 1);
        row("on the map, far from every point", {400, 400}, false, Qt::LeftButton, "press", 0);
        row("beside the map", {750, 600}, false, Qt::LeftButton, "press", 0);
        row("on step 2's panel", {830, 400}, false, Qt::LeftButton, "press", 0);
        row("on disabled Sonder", {890, 275}, false, Qt::LeftButton, "press", 0);
        // Buttons let other buttons' presses through to the window: they reach no handler.
        row("right press on the close button", {952, 724}, false, Qt::RightButton, "press", 0);
        row("right press on Go", {912, 108}, false, Qt::RightButton, "press", 0);
    }
    void aPressCountsTheSamplePointItDesignates()
    {
        QFETCH(QPoint, at);
        QFETCH(bool, fromPoint);
        QFETCH(int, button);
        QFETCH(QString, how);
        QFETCH(int, counted);
        BeginLandUse("bois");
        Form2->ButtSonder->setEnabled(false);
        if (fromPoint)
            at += SamplePointOnWindow(0);
        if (how == "double-click")
            DoubleClickOnMap(at);
        for (int press = 0; press < (how == "twice" ? 2 : how == "press" ? 1 : 0); ++press)
            PressOnMap(at, Qt::MouseButton(button));
        QCOMPARE(SurveyTally.PointsThisUse, counted);
        QCOMPARE(SurveyTally.PointsProbed, counted);
        QCOMPARE(SurveyTally.LandUse(1).Count, counted);
        QCOMPARE(Count(Shown(Form2), Blue, MapSurface) > 0, counted > 0);
        QVERIFY(boxes->Notices.isEmpty());
    }

    // Quick clicks close together make one click, however many: it counts one point, never a
    // neighbour of it too. Points A and B lie 4 pixels apart, C far from both.
    void aQuickMultiClickCountsOnePoint_data()
    {
        QTest::addColumn<QList<QPoint>>("places");  // from A
        QTest::addColumn<int>("counted");
        QTest::newRow("double click between A and B") << QList<QPoint>{{2, 0}, {2, 0}} << 1;
        QTest::newRow("triple click between A and B") << QList<QPoint>{{2, 0}, {2, 0}, {2, 0}} << 1;
        QTest::newRow("triple click drifting to B") << QList<QPoint>{{0, 0}, {2, 0}, {4, 0}} << 1;
        QTest::newRow("quick clicks on A and C") << QList<QPoint>{{0, 0}, {100, 0}} << 2;
    }
    void aQuickMultiClickCountsOnePoint()
    {
        QFETCH(QList<QPoint>, places);
        QFETCH(int, counted);
        SurveyTally.BeginSample();
        for (const int x : {200, 204, 300})
            SurveyTally.AddSamplePoint(QPoint(x, 200), 5);
        BeginLandUse("bois");
        for (QPoint& at : places)
            at += SamplePointOnWindow(0);
        QuickClicksOnMap(places);
        QCOMPARE(SurveyTally.PointsProbed, counted);
    }

    // The blue dot covers the red disc of the point it counts, wherever the press fell, and
    // stays after a repaint, so that no point is counted twice.
    void blueDotsCoverTheirPointsAndStay()
    {
        BeginLandUse("bois");
        PressOnMap(SamplePointOnWindow(1) + QPoint(4, -3));
        const QRect firstDot(SamplePointOnWindow(1) - QPoint(3, 3), QSize(7, 7));
        QCOMPARE(Form2->Canvas.PenPos(), firstDot.topLeft());
        PressOnMap(SamplePointOnWindow(2));
        Uncover();
        const QImage shown = Shown(Form2);
        for (int point = 1; point <= 2; ++point) {
            const QRect dot(SamplePointOnWindow(point) - QPoint(3, 3), QSize(7, 7));
            QCOMPARE(Extent(shown, Blue, dot.adjusted(-20, -20, 20, 20)), dot);
            QCOMPARE(Count(shown, Red, dot), 0);
        }
        for (const int point : {0, 3})
            QCOMPARE(QRgb(shown.pixel(SamplePointOnWindow(point))), Red);
    }

    // After the window was shown anew nothing is begun in its survey: probing on from before
    // gives no land use to count under.
    void aNewSurveyAsksForSonderAgain()
    {
        BeginLandUse("bois");
        Click(Form2->BitBtnFermer);
        Click(Page_1->BtnDessine);
        QVERIFY(QTest::qWaitForWindowExposed(Form2));
        Click(Form2->BtnCalcul);
        PressOnMap(SamplePointOnWindow(0));
        QCOMPARE(boxes->Notices, QStringList{pressSonder});
        QCOMPARE(SurveyTally.PointsProbed, 0);
    }

    // A second "Go" replaces the sample; once a point is counted it asks first.
    void aSecondGoReplacesTheSample_data()
    {
        QTest::addColumn<bool>("countFirst");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("nothing counted: no question") << false << QString() << true;
        QTest::newRow("counted, answered Oui") << true << "Oui" << true;
        QTest::newRow("counted, answered Non") << true << "Non" << false;
    }
    void aSecondGoReplacesTheSample()
    {
        QFETCH(bool, countFirst);
        QFETCH(QString, answer);
        QFETCH(bool, replaced);
        BeginLandUse("bois");
        if (countFirst)
            PressOnMap(SamplePointOnWindow(0));
        const std::vector<SurveyMark> before = SurveyTally.Marks();
        const QImage mapBefore = Shown(Form2).copy(MapSurface);
        boxes->Answers = QStringList{answer};
        goState = 77;
        Form2->EdGraine->clear();
        Click(Form2->BtnCalcul);

        const QStringList asked{"Un nouveau tirage efface les points déjà classés. Continuer ?"};
        QCOMPARE(boxes->Questions, countFirst ? asked : QStringList{});
        const QImage shown = Shown(Form2);
        if (replaced) {
            QCOMPARE(SurveyTally.Marks().size(), std::size_t(4));
            QVERIFY(SurveyTally.Marks()[0].Place != before[0].Place);
            QCOMPARE(SurveyTally.PointsProbed, 0);
            QCOMPARE(SurveyTally.LandUse(1).Count, 0);
            QCOMPARE(Form2->EdNBPoints->text(), QStringLiteral("0"));
            QCOMPARE(Count(shown, Blue, MapSurface), 0);
            QCOMPARE(Count(shown, Red), 4 * 21);  // the new points only
        } else {
            QCOMPARE(SurveyTally.Marks().size(), before.size());
            QCOMPARE(SurveyTally.PointsProbed, 1);
            QCOMPARE(shown.copy(MapSurface), mapBefore);
        }
    }

    // Undo and redo cross land uses, by button and by key; the panel follows.
    void undoAndRedoAcrossLandUses()
    {
        BeginLandUse("bâti");
        PressOnMap(SamplePointOnWindow(0));
        Click(Form2->ButtFini);
        BeginLandUse("eau");
        PressOnMap(SamplePointOnWindow(1));
        QCOMPARE(Form2->LabelProgress->text(), QStringLiteral("Points classés : 2 / 4"));
        QVERIFY(Form2->ButtAnnuler->isEnabled());
        QVERIFY(!Form2->ButtRetablir->isEnabled());

        // Shortcuts reach only the active window; a window system that lets no program activate
        // its windows (Wayland) has the buttons pressed instead.
        Form2->activateWindow();
        const bool active = QTest::qWaitForWindowActive(Form2, 1000)
                            && QGuiApplication::focusWindow() == Form2->windowHandle();
        const auto key = [active](Qt::Key key, Qt::KeyboardModifiers modifiers) {
            return [=] {
                if (active)
                    QTest::keyClick(Form2, key, modifiers);
                else
                    Click(key == Qt::Key_Z && modifiers == Qt::ControlModifier ? Form2->ButtAnnuler
                                                                               : Form2->ButtRetablir);
            };
        };
        struct Step {
            std::function<void()> act;
            int built, water;
            const char* progress;
        };
        const std::vector<Step> steps{
            {key(Qt::Key_Z, Qt::ControlModifier), 1, 0, "1 / 4"},
            {[] { Click(Form2->ButtAnnuler); }, 0, 0, "0 / 4"},
            {key(Qt::Key_Y, Qt::ControlModifier), 1, 0, "1 / 4"},
            {key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier), 1, 1, "2 / 4"},
            {[] { Click(Form2->ButtAnnuler); }, 1, 0, "1 / 4"},
            {[] { Click(Form2->ButtRetablir); }, 1, 1, "2 / 4"},
        };
        for (const Step& step : steps) {
            step.act();
            ProcessEvents();
            QCOMPARE(SurveyTally.LandUse(1).Count, step.built);
            QCOMPARE(SurveyTally.LandUse(2).Count, step.water);
            QCOMPARE(Form2->EdNBPoints->text(), QString::number(step.water));
            QCOMPARE(Form2->LabelProgress->text(), "Points classés : " + QString(step.progress));
            const QImage shown = Shown(Form2);
            for (const auto& [point, counted] : {std::pair{0, step.built}, std::pair{1, step.water}})
                QCOMPARE(QRgb(shown.pixel(SamplePointOnWindow(point))), counted ? Blue : Red);
        }
    }

    void theProgressSaysWhenEveryPointIsClassified()
    {
        BeginLandUse("tout");
        QCOMPARE(Form2->LabelProgress->text(), QStringLiteral("Points classés : 0 / 4"));
        for (int point = 0; point < 4; ++point)
            PressOnMap(SamplePointOnWindow(point));
        QCOMPARE(Form2->LabelProgress->text(),
                 QStringLiteral("Points classés : 4 / 4\nTous les points sont classés."));
        QVERIFY(boxes->Notices.isEmpty());
    }

    void landUseNamesAreCutTo50()
    {
        const QString sixty = QString(60, QLatin1Char('v'));
        BeginLandUse(sixty);
        QCOMPARE(SurveyTally.LandUse(1).Name, sixty.left(50));
        QCOMPARE(Form2->EdLandUse->text(), sixty);
    }

    void crosshairAfterTheFirstCountedPoint()
    {
        BeginLandUse("eau");
        QCOMPARE(Form2->cursor().shape(), Qt::ArrowCursor);
        PressOnMap(SamplePointOnWindow(0));
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
        // Mend: a land use shows its own count before "Autre usage ou Terminer", not one left
        // in its entry by an earlier survey.
        SurveyTally.LandUse(1).Count = 9;
        BeginLandUse("a");
        PressOnMap(SamplePointOnWindow(0));
        BeginLandUse("b");
        QCOMPARE(SurveyTally.LandUseCount, 2);
        QCOMPARE(SurveyTally.LandUse(1).Count, 1);
        QCOMPARE(SurveyTally.PointsThisUse, 0);
        QCOMPARE(Form2->EdNBPoints->text(), QStringLiteral("0"));
    }

    // Mend: the table of 20 land uses is never overrun.
    void aTwentyFirstSonderIsRefused()
    {
        for (int n = 1; n <= 20; ++n)
            BeginLandUse(QString::number(n));
        PressOnMap(SamplePointOnWindow(0));
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
            switch (random.bounded(12)) {
            case 0: Form2->TaillePt->setText(anyText()); break;
            case 1: Form2->EdLandUse->setText(anyText()); break;
            case 2: Form2->EdNBPoints->setText(anyText()); break;
            case 3: Page_1->EdNPoints->setText(anyText()); Click(Page_1->BtnDessine); break;
            case 4: Click(Form2->BtnCalcul); break;
            case 5: Click(Form2->ButtSonder); break;
            case 6: Click(Form2->ButtFini); break;
            case 7: Uncover(); break;
            case 8: Click(Form2->ButtAnnuler); break;
            case 9: Click(Form2->ButtRetablir); break;
            case 10:
                if (SurveyTally.SamplePoints() > 0)
                    PressOnMap(SamplePointOnWindow(random.bounded(SurveyTally.SamplePoints())));
                break;
            default:
                PressOnMap(QPoint(random.bounded(Form2->width()), random.bounded(Form2->height())),
                           random.bounded(2) ? Qt::LeftButton : Qt::RightButton);
            }
            QVERIFY(SurveyTally.LandUseCount >= 0);
            QVERIFY(SurveyTally.LandUseCount <= TSurveyTally::MaxLandUses);
            QVERIFY(SurveyTally.PointsProbed <= SurveyTally.SamplePoints());
        }
        QVERIFY2(timer.elapsed() < 60000, "400 steps took over a minute");
    }
};

QTEST_MAIN(MapProbingTest)
#include "test_map_probing.moc"
