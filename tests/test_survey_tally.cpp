// The survey tally: its state at start-up and the land-use names it keeps.

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
};

QTEST_MAIN(SurveyTallyTest)
#include "test_survey_tally.moc"
