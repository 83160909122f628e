// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The survey tally: its state at start-up, the land-use names it keeps, and what the handlers'
// operations leave in it, marks on the map included, without any window.

#include "core/SurveyTally.h"
#include "helpers/SurveyScript.h"

#include <QTest>

class SurveyTallyTest : public QObject {
    Q_OBJECT
private slots:
    void startsEmpty()
    {
        SurveyTally.SampleSize = 12;
        SurveyTally.ProbingOn = true;
        SurveyTally.SetLandUseName(20, QStringLiteral("vignes"));
        SurveyTally.LandUse(20).Count = 4;
        SurveyTally.Reset();
        QCOMPARE(SurveyTally.SampleSize, 0);
        QCOMPARE(SurveyTally.ProbingOn, false);
        for (int n = 1; n <= TSurveyTally::MaxLandUses; ++n) {
            QCOMPARE(SurveyTally.LandUse(n).Name, QString());
            QCOMPARE(SurveyTally.LandUse(n).Count, 0);
        }
    }

    void namesAreCutToFiftyCharacters_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("short") << "trafic" << "trafic";
        QTest::newRow("fifty") << QString(50, 'a') << QString(50, 'a');
        QTest::newRow("fifty-one") << QString(50, 'a') + "b" << QString(50, 'a');
        QTest::newRow("sixty accented") << QString(60, QChar(0xE9)) << QString(50, QChar(0xE9));
        // Outside the basic plane a character takes two UTF-16 units.
        const QString leaf = QString::fromUcs4(U"\U0001F33F");
        QTest::newRow("fiftieth outside the basic plane")
            << QString(49, 'a') + leaf + "bc" << QString(49, 'a') + leaf;
        QTest::newRow("sixty outside the basic plane") << leaf.repeated(60) << leaf.repeated(50);
        QTest::newRow("lone surrogate counts as one")
            << QString(QChar(0xD83C)) + QString(55, 'a') << QString(QChar(0xD83C)) + QString(49, 'a');
    }
    void namesAreCutToFiftyCharacters()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        SurveyTally.LandUse(3).Count = 9;
        SurveyTally.SetLandUseName(3, typed);
        QCOMPARE(SurveyTally.LandUse(3).Name, kept);
        QCOMPARE(SurveyTally.LandUse(3).Count, 9);  // naming a use leaves its count alone
    }

    // Operations as the handlers run them: "go N" places N points 10 pixels apart, "sonder
    // NAME" begins a land use, "count I" counts sample point I, "undo" and "redo", "fini" stores
    // the current count, "new" begins a new survey; a step written "!step" must be refused.
    // The marks read P for a sample point and C<land use>:<point> for a counted point.
    void operationsLeaveCountsAndMarks_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QList<int>>("counters");  // LandUseCount, PointsThisUse, PointsProbed
        QTest::addColumn<QStringList>("entries");  // name=count of entries 1 to LandUseCount
        QTest::addColumn<QString>("marks");
        QTest::newRow("a survey of two uses")
            << "go 3; sonder trafic; count 0; count 2; fini; sonder eau; count 1; fini"
            << QList<int>{2, 1, 3} << QStringList{"trafic=2", "eau=1"} << "P P P C1:0 C1:2 C2:1";
        QTest::newRow("no count after fini")
            << "go 2; sonder bois; count 0; fini; !count 1; fini" << QList<int>{1, 1, 1}
            << QStringList{"bois=1"} << "P P C1:0";
        QTest::newRow("a use shows its count before fini")
            << "go 2; sonder bois; count 1" << QList<int>{1, 1, 1} << QStringList{"bois=1"} << "P P C1:1";
        QTest::newRow("a point counts once")
            << "go 2; sonder a; count 0; !count 0; !count 2; !count -1" << QList<int>{1, 1, 1}
            << QStringList{"a=1"} << "P P C1:0";
        QTest::newRow("no count before sonder") << "go 2; !count 0" << QList<int>{0, 0, 0} << QStringList{}
                                                << "P P";
        QTest::newRow("go again forgets the counts, not the uses")
            << "go 3; sonder bois; count 0; fini; sonder eau; count 1; go 2" << QList<int>{2, 0, 0}
            << QStringList{"bois=0", "eau=0"} << "P P";
        QTest::newRow("a new survey takes the marks and the uses away")
            << "go 2; sonder bâti; count 0; fini; new" << QList<int>{0, 0, 0} << QStringList{} << "";
        QTest::newRow("undo across land uses")
            << "go 3; sonder a; count 0; fini; sonder b; count 2; count 1; undo; undo; undo"
            << QList<int>{2, 0, 0} << QStringList{"a=0", "b=0"} << "P P P";
        QTest::newRow("redo in the order undone")
            << "go 3; sonder a; count 0; sonder b; count 2; undo; undo; redo" << QList<int>{2, 0, 1}
            << QStringList{"a=1", "b=0"} << "P P P C1:0";
        QTest::newRow("a new count forgets what was undone")
            << "go 3; sonder a; count 0; undo; count 1; !redo" << QList<int>{1, 1, 1} << QStringList{"a=1"}
            << "P P P C1:1";
        QTest::newRow("an undone point counts again")
            << "go 1; sonder a; count 0; undo; count 0" << QList<int>{1, 1, 1} << QStringList{"a=1"} << "P C1:0";
        QTest::newRow("nothing to undo or redo") << "go 1; !undo; !redo" << QList<int>{0, 0, 0} << QStringList{}
                                                 << "P";
        QTest::newRow("go forgets what was undone")
            << "go 2; sonder a; count 0; undo; go 2; !redo" << QList<int>{1, 0, 0} << QStringList{"a=0"} << "P P";
    }
    void operationsLeaveCountsAndMarks()
    {
        QFETCH(QString, script);
        QFETCH(QList<int>, counters);
        QFETCH(QStringList, entries);
        QFETCH(QString, marks);
        SurveyTally.Reset();
        RunScript(SurveyTally, script);
        QCOMPARE((QList<int>{SurveyTally.LandUseCount, SurveyTally.PointsThisUse,
                             SurveyTally.PointsProbed}),
                 counters);
        QStringList stored;
        for (int n = 1; n <= SurveyTally.LandUseCount; ++n)
            stored << SurveyTally.LandUse(n).Name + "=" + QString::number(SurveyTally.LandUse(n).Count);
        QCOMPARE(stored, entries);
        QStringList shown;
        for (const SurveyMark& mark : SurveyTally.Marks()) {
            if (mark.What == SurveyMark::Kind::SamplePoint) {
                shown << QStringLiteral("P");
                continue;
            }
            shown << QStringLiteral("C%1:%2").arg(mark.LandUse).arg(mark.Point);
            QCOMPARE(mark.Place, SurveyTally.Marks()[std::size_t(mark.Point)].Place);
            QVERIFY(SurveyTally.IsCounted(mark.Point));
        }
        QCOMPARE(shown.join(QLatin1Char(' ')), marks);
        QCOMPARE(SurveyTally.CanUndo(), SurveyTally.PointsProbed > 0);
    }

    // Which sample point a press designates. The points: 0 at (100, 100) and 1 at (110, 100),
    // both 5 across; 2 at (200, 200), 1 across; 3 at (300, 300), 20 across; 4 at (400, 400),
    // typed 0 across.
    void aPressDesignatesTheNearestUncountedPoint_data()
    {
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<QList<int>>("countedFirst");
        QTest::addColumn<int>("designated");
        QTest::newRow("on a point") << QPoint(100, 100) << QList<int>{} << 0;
        QTest::newRow("on the disc's edge") << QPoint(100, 102) << QList<int>{} << 0;
        QTest::newRow("4 px beside the disc") << QPoint(100, 106) << QList<int>{} << 0;
        QTest::newRow("5 px beside the disc") << QPoint(100, 107) << QList<int>{} << -1;
        QTest::newRow("4 px beside, diagonally") << QPoint(104, 104) << QList<int>{} << 0;
        QTest::newRow("5 px beside, diagonally") << QPoint(105, 105) << QList<int>{} << -1;
        QTest::newRow("between two points, nearer the second") << QPoint(106, 100) << QList<int>{} << 1;
        QTest::newRow("halfway between two points: the first") << QPoint(105, 100) << QList<int>{} << 0;
        QTest::newRow("on a counted point, a neighbour in reach") << QPoint(104, 100) << QList<int>{0} << 1;
        QTest::newRow("on a counted point, none in reach") << QPoint(100, 100) << QList<int>{0} << -1;
        QTest::newRow("4 px beside a one-pixel point") << QPoint(204, 200) << QList<int>{} << 2;
        QTest::newRow("5 px beside a one-pixel point") << QPoint(205, 200) << QList<int>{} << -1;
        QTest::newRow("4 px beside a large disc") << QPoint(313, 299) << QList<int>{} << 3;
        QTest::newRow("5 px beside a large disc") << QPoint(314, 299) << QList<int>{} << -1;
        QTest::newRow("beside a point of size 0") << QPoint(404, 400) << QList<int>{} << 4;
        QTest::newRow("far from every point") << QPoint(-50, 700) << QList<int>{} << -1;
    }
    void aPressDesignatesTheNearestUncountedPoint()
    {
        QFETCH(QPoint, press);
        QFETCH(QList<int>, countedFirst);
        QFETCH(int, designated);
        TSurveyTally tally;
        tally.AddSamplePoint(QPoint(100, 100), 5);
        tally.AddSamplePoint(QPoint(110, 100), 5);
        tally.AddSamplePoint(QPoint(200, 200), 1);
        tally.AddSamplePoint(QPoint(300, 300), 20);
        tally.AddSamplePoint(QPoint(400, 400), 0);
        QVERIFY(tally.BeginLandUse(QStringLiteral("eau")));
        for (const int point : countedFirst)
            QVERIFY(tally.CountPoint(point));
        QCOMPARE(tally.DesignatedPoint(press), designated);
    }

    // Whether a survey still is the one saved: the same points, counts and land uses, whatever
    // edits led to it.
    void sameSurveyWhateverTheEdits_data()
    {
        QTest::addColumn<QString>("more");
        QTest::addColumn<bool>("same");
        QTest::newRow("nothing done") << "" << true;
        QTest::newRow("undo then redo") << "undo; redo" << true;
        QTest::newRow("undo") << "undo" << false;
        QTest::newRow("the same point counted again") << "undo; count 1" << true;
        QTest::newRow("another point counted") << "undo; count 2" << false;
        QTest::newRow("the land use finished") << "fini" << false;
        QTest::newRow("a new sample") << "go 3" << false;
    }
    void sameSurveyWhateverTheEdits()
    {
        QFETCH(QString, more);
        QFETCH(bool, same);
        const QString saved = QStringLiteral("go 3; sonder a; count 0; count 1");
        TSurveyTally kept;
        RunScript(kept, saved);
        TSurveyTally edited;
        RunScript(edited, saved + "; " + more);
        QCOMPARE(edited.SameSurvey(kept), same);
    }

    // A second "Go" replaces the sample: the results always divide by the points on the map.
    void resultsDivideByThePointsOnTheMap()
    {
        TSurveyTally tally;
        tally.SampleSize = 30;
        QCOMPARE(tally.ResultsSampleSize(), 30);
        tally.AddSamplePoint(QPoint(), 5);
        tally.AddSamplePoint(QPoint(), 5);
        tally.SampleSize = 1;  // typed in the main window after "Go"
        QCOMPARE(tally.ResultsSampleSize(), 2);
    }
};

QTEST_MAIN(SurveyTallyTest)
#include "test_survey_tally.moc"
