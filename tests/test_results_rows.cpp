// The results as rows, formed from a survey tally without any window: what each row counts, its
// share of the sample, the interval of that share, and where a failed division is kept.

#include "core/Errors.h"
#include "core/Interval.h"
#include "core/Numbers.h"
#include "core/Results.h"
#include "core/SurveyTally.h"

#include <QTest>

struct Use {
    QString Name;
    int Count;
};
Q_DECLARE_METATYPE(Use)

namespace {

// Each row as "use|count|frequency|interval"; a frequency whose division failed reads as the
// class of the error it raises, a row with no frequency as blank.
QStringList Rendered(const std::vector<ResultRow>& rows)
{
    QStringList rendered;
    for (const ResultRow& row : rows) {
        QString frequency;
        if (row.HasFrequency()) {
            try {
                frequency = RealText(row.Frequency());
            } catch (const Exception& error) {
                frequency = error.ClassName;
            }
        }
        rendered << QStringList{row.Use(), IntegerText(row.Count()), frequency, IntervalText(row.Limits())}
                        .join(QLatin1Char('|'));
    }
    return rendered;
}

}  // namespace

class ResultRowsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { SetDecimalSeparator(QLatin1Char(',')); }

    void rowsOfTheTally_data()
    {
        QTest::addColumn<int>("sampleSize");
        QTest::addColumn<QList<Use>>("uses");
        QTest::addColumn<int>("listed");  // the tally's count of land uses
        QTest::addColumn<int>("pointsProbed");
        QTest::addColumn<QStringList>("rows");

        QTest::newRow("no land use") << 10 << QList<Use>{} << 0 << 0
                                     << QStringList{"Autres|10|1|69,1 % à 100,0 %", "Total|0||"};
        QTest::newRow("one use, 3 of 10")
            << 10 << QList<Use>{{"Espaces verts", 3}} << 1 << 3
            << QStringList{"Espaces verts|3|0,3|6,6 % à 65,3 %", "Autres|7|0,7|34,7 % à 93,4 %", "Total|3||"};
        QTest::newRow("12 of 17 in extended precision")
            << 17 << QList<Use>{{"Bâti", 12}} << 1 << 12
            << QStringList{"Bâti|12|0,705882352941176|44,0 % à 89,7 %",
                           "Autres|5|0,294117647058824|10,3 % à 56,0 %", "Total|12||"};
        QTest::newRow("over-count") << 10 << QList<Use>{{"Rues", 12}} << 1 << 12
                                    << QStringList{"Rues|12|1,2|", "Autres|-2|-0,2|", "Total|12||"};
        // Every share fails; the first of them is where the window stops.
        QTest::newRow("no sample size, no land use")
            << 0 << QList<Use>{} << 0 << 0 << QStringList{"Autres|0|EInvalidOp|", "Total|0||"};
        QTest::newRow("no sample size, count 5")
            << 0 << QList<Use>{{"Rues", 5}, {"Parcs", 0}} << 2 << 5
            << QStringList{"Rues|5|EZeroDivide|", "Parcs|0|EInvalidOp|", "Autres|-5|EZeroDivide|", "Total|5||"};

        QList<Use> twenty;
        QStringList twentyRows;
        for (int number = 1; number <= TSurveyTally::MaxLandUses; ++number) {
            twenty << Use{QStringLiteral("Usage %1").arg(number), 1};
            twentyRows << QStringLiteral("Usage %1|1|0,05|0,12 % à 24,9 %").arg(number);
        }
        twentyRows << QStringLiteral("Autres|0|0|0,0 % à 16,9 %") << QStringLiteral("Total|20||");
        QTest::newRow("twenty uses") << 20 << twenty << 20 << 20 << twentyRows;
        QTest::newRow("a count beyond the table stops at twenty") << 20 << twenty << 25 << 20 << twentyRows;
    }
    void rowsOfTheTally()
    {
        QFETCH(int, sampleSize);
        QFETCH(QList<Use>, uses);
        QFETCH(int, listed);
        QFETCH(int, pointsProbed);
        QFETCH(QStringList, rows);
        TSurveyTally tally;
        tally.SampleSize = sampleSize;
        for (int i = 0; i < uses.size(); ++i) {
            tally.SetLandUseName(i + 1, uses[i].Name);
            tally.LandUse(i + 1).Count = uses[i].Count;
        }
        tally.LandUseCount = listed;
        tally.PointsProbed = pointsProbed;
        QCOMPARE(Rendered(ResultRows(tally)), rows);
    }
};

QTEST_GUILESS_MAIN(ResultRowsTest)
#include "test_results_rows.moc"
