// The survey tally: its state at start-up, the land-use names it keeps, and what the handlers'
// operations leave in it, marks on the map included, without any window.

#include "core/SurveyTally.h"

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

    // Operations as the handlers run them: "go N" places N points, "sonder NAME" begins a land
    // use, "press" counts a press, "fini" stores the current count, "new" begins a new survey.
    // The marks read P for a sample point and C<land use> for a counted press.
    void operationsLeaveCountsAndMarks_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QList<int>>("counters");  // LandUseCount, PointsThisUse, PointsProbed
        QTest::addColumn<QStringList>("entries");  // name=count of entries 1 to LandUseCount
        QTest::addColumn<QString>("marks");
        QTest::newRow("a survey of two uses")
            << "go 3; sonder trafic; press; press; fini; sonder eau; press; fini"
            << QList<int>{2, 1, 3} << QStringList{"trafic=2", "eau=1"} << "P P P C1 C1 C2";
        QTest::newRow("presses after fini go on counting")
            << "sonder bois; press; fini; press; fini" << QList<int>{1, 2, 2}
            << QStringList{"bois=2"} << "C1 C1";
        QTest::newRow("go again forgets the counts, not the uses")
            << "sonder bois; press; go 2" << QList<int>{1, 1, 0} << QStringList{"bois=0"}
            << "C1 P P";
        QTest::newRow("fini before any sonder stores nowhere")
            << "fini; press" << QList<int>{0, 1, 1} << QStringList{} << "C0";
        QTest::newRow("a new survey takes the marks and the uses away")
            << "go 2; sonder bâti; press; fini; new" << QList<int>{0, 1, 1} << QStringList{} << "";
    }
    void operationsLeaveCountsAndMarks()
    {
        QFETCH(QString, script);
        QFETCH(QList<int>, counters);
        QFETCH(QStringList, entries);
        QFETCH(QString, marks);
        SurveyTally.Reset();
        const quint64 start = SurveyTally.Generation();
        for (const QString& step : script.split(QStringLiteral("; "))) {
            const QString verb = step.section(QLatin1Char(' '), 0, 0);
            const QString argument = step.section(QLatin1Char(' '), 1);
            if (verb == "go") {
                SurveyTally.BeginSample();
                for (int i = 0; i < argument.toInt(); ++i)
                    SurveyTally.AddSamplePoint(QPoint(i, 2 * i), 5);
            } else if (verb == "sonder") {
                QVERIFY(SurveyTally.BeginLandUse(argument));
            } else if (verb == "press") {
                SurveyTally.CountPress(QPoint(-3, 700));
            } else if (verb == "fini") {
                SurveyTally.FinishLandUse();
            } else {
                SurveyTally.BeginSurvey();
            }
        }
        QCOMPARE((QList<int>{SurveyTally.LandUseCount, SurveyTally.PointsThisUse,
                             SurveyTally.PointsProbed}),
                 counters);
        QStringList stored;
        for (int n = 1; n <= SurveyTally.LandUseCount; ++n)
            stored << SurveyTally.LandUse(n).Name + "=" + QString::number(SurveyTally.LandUse(n).Count);
        QCOMPARE(stored, entries);
        QStringList shown;
        for (const SurveyMark& mark : SurveyTally.Marks())
            shown << (mark.What == SurveyMark::Kind::SamplePoint ? QStringLiteral("P")
                                                                 : "C" + QString::number(mark.LandUse));
        QCOMPARE(shown.join(QLatin1Char(' ')), marks);
        // Whoever drew the marks must start again exactly when some went.
        QCOMPARE(SurveyTally.Generation() != start, script.endsWith("new"));
    }

    void aTwentyFirstLandUseIsRefused()
    {
        SurveyTally.Reset();
        for (int n = 1; n <= TSurveyTally::MaxLandUses; ++n)
            QVERIFY(SurveyTally.BeginLandUse(QString::number(n)));
        SurveyTally.CountPress(QPoint());
        QVERIFY(!SurveyTally.BeginLandUse(QStringLiteral("de trop")));
        QCOMPARE(SurveyTally.LandUseCount, TSurveyTally::MaxLandUses);
        QCOMPARE(SurveyTally.PointsThisUse, 1);
        QCOMPARE(SurveyTally.LandUse(20).Name, QStringLiteral("20"));
    }
};

QTEST_MAIN(SurveyTallyTest)
#include "test_survey_tally.moc"
