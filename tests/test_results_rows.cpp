// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The results as rows, formed from a survey tally without any window: what each row counts, its
// share of the sample, the interval of that share, and where a failed division is kept; and the
// same rows as the bytes of the CSV file that the results window exports, and the line under an
// exported map.

#include "core/Errors.h"
#include "core/Interval.h"
#include "core/Numbers.h"
#include "core/Results.h"
#include "core/ResultsCsv.h"
#include "core/SurveyLegend.h"
#include "core/SurveyTally.h"
#include "helpers/SurveyScript.h"

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

TSurveyTally Tally(int sampleSize, const QList<Use>& uses, int pointsProbed)
{
    TSurveyTally tally;
    tally.SampleSize = sampleSize;
    for (int i = 0; i < uses.size(); ++i) {
        tally.SetLandUseName(i + 1, uses[i].Name);
        tally.LandUse(i + 1).Count = uses[i].Count;
    }
    tally.LandUseCount = int(uses.size());
    tally.PointsProbed = pointsProbed;
    return tally;
}

// The header block the file begins with; the CSV's lines end in CR LF.
QByteArray CsvHeader(const char* sampleSize, const char* seed)
{
    return QByteArray("\xEF\xBB\xBF"
                      "Carte;/cartes/ville.bmp\r\n"
                      "Date;2026-03-09 08:05:07\r\n"
                      "Taille de l'\xC3\xA9" "chantillon;") + sampleSize + "\r\n"
           "Graine;" + seed + "\r\n"
           "Intervalle de confiance;95 % exact (Clopper-Pearson)\r\n"
           "\r\n"
           "Usage;Nombre;Fr\xC3\xA9quence;Borne basse \xC3\xA0 95 % (Clopper-Pearson);"
           "Borne haute \xC3\xA0 95 % (Clopper-Pearson)\r\n";
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

    void csvBytes_data()
    {
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<int>("sampleSize");
        QTest::addColumn<QList<Use>>("uses");
        QTest::addColumn<int>("pointsProbed");
        QTest::addColumn<bool>("drawn");  // whether "Go" has placed the sample points
        QTest::addColumn<QByteArray>("bytes");

        const QList<Use> twoUses{{"Espaces verts", 3}, {"Rues; \"places\"", 2}};
        QTest::newRow("two uses, decimal comma")
            << QChar(',') << 10 << twoUses << 5 << true
            << CsvHeader("10", "12345") +
                   "Espaces verts;3;0,3;0,0667395111777345;0,652452850059997\r\n"
                   "\"Rues; \"\"places\"\"\";2;0,2;0,0252107263268334;0,556095462307642\r\n"
                   "Autres;5;0,5;0,187086028447399;0,812913971552601\r\n"
                   "Total;5;;;\r\n";
        QTest::newRow("two uses, full stop")
            << QChar('.') << 10 << twoUses << 5 << true
            << CsvHeader("10", "12345") +
                   "Espaces verts;3;0.3;0.0667395111777345;0.652452850059997\r\n"
                   "\"Rues; \"\"places\"\"\";2;0.2;0.0252107263268334;0.556095462307642\r\n"
                   "Autres;5;0.5;0.187086028447399;0.812913971552601\r\n"
                   "Total;5;;;\r\n";
        QTest::newRow("no land use, no point drawn")
            << QChar(',') << 10 << QList<Use>{} << 0 << false
            << CsvHeader("10", "") + "Autres;10;1;0,691502892181239;1\r\nTotal;0;;;\r\n";
        QTest::newRow("over-count has no limits")
            << QChar(',') << 10 << QList<Use>{{"Rues", 12}} << 12 << true
            << CsvHeader("10", "12345") + "Rues;12;1,2;;\r\nAutres;-2;-0,2;;\r\nTotal;12;;;\r\n";
        QTest::newRow("no sample size: empty shares")
            << QChar(',') << 0 << QList<Use>{{"Rues", 5}} << 5 << false
            << CsvHeader("0", "") + "Rues;5;;;\r\nAutres;-5;;;\r\nTotal;5;;;\r\n";
    }
    void csvBytes()
    {
        QFETCH(QChar, separator);
        QFETCH(int, sampleSize);
        QFETCH(QList<Use>, uses);
        QFETCH(int, pointsProbed);
        QFETCH(bool, drawn);
        QFETCH(QByteArray, bytes);
        SetDecimalSeparator(separator);
        TSurveyTally tally = Tally(sampleSize, uses, pointsProbed);
        tally.Seed = 12345;
        for (int point = 0; drawn && point < sampleSize; ++point)
            tally.AddSamplePoint(QPoint(4, point), 5);
        const QDateTime when(QDate(2026, 3, 9), QTime(8, 5, 7));
        QCOMPARE(ResultsCsv(tally, QStringLiteral("/cartes/ville.bmp"), when), bytes);
    }

    // On a map with a scale (2 m a pixel, 600 × 450: 108 ha), each share's area and its interval
    // scaled, limits rounded outward; in the file, the map's area and each row's three areas.
    void areasOnAMapWithAScale()
    {
        TSurveyTally tally = Tally(10, {{"Espaces verts", 3}, {"Rues", 2}}, 5);
        tally.MapWidth = 600;
        tally.MapHeight = 450;
        QVERIFY(!AreaOf(ResultRows(tally)[0], tally));
        tally.Scale = MeasuredScale(600, 1200);
        QStringList areas;
        for (const ResultRow& row : ResultRows(tally))
            if (const std::optional<LandUseArea> area = AreaOf(row, tally))
                areas << area->Text() + " | " + area->IntervalText();
        QCOMPARE(areas, QStringList({"32,40 ha | 7,20 ha à 70,47 ha", "21,60 ha | 2,72 ha à 60,06 ha",
                                     "54,00 ha | 20,20 ha à 87,80 ha"}));
        QCOMPARE(AreaOf(ResultRows(tally)[0], tally)->Hint(),
                 "Aire estimée : 32,40 ha\nIntervalle de confiance à 95 % : 7,20 ha à 70,47 ha");
        const QList<QByteArray> lines = ResultsCsv(tally, "ville.bmp", QDateTime()).split('\n');
        QVERIFY(lines.contains("Aire de la carte (ha);108\r"));
        QVERIFY(lines.contains("Usage;Nombre;Fr\xC3\xA9quence;Borne basse \xC3\xA0 95 % (Clopper-Pearson);Borne haute "
                               "\xC3\xA0 95 % (Clopper-Pearson);Aire (ha);Aire borne basse (ha);Aire borne haute (ha)\r"));
        const QByteArray greens = lines[lines.indexOf("Total;5;;;;;;\r") - 3];
        QCOMPARE(greens.split(';').mid(0, 3), QList<QByteArray>({"Espaces verts", "3", "0,3"}));
        QCOMPARE(greens.split(';')[5], "32,4");
        QVERIFY(greens.split(';')[6].startsWith("7,2078672"));
        // Without a sample there is no share, and no area.
        tally.SampleSize = 0;
        QVERIFY(!AreaOf(ResultRows(tally)[0], tally));
    }

    // A survey laid by another design names it, and gives the design's estimate, standard error,
    // limits and design effect, in the file and in the hint: on a 20 × 10 map, points 0 to 3 in
    // the first block or segment, 4 and 5 in the second, 0, 1 and 4 counted under "eau".
    void designedSurveysGiveTheirOwnFigures_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("csvLines");
        QTest::addColumn<QStringList>("hintLines");
        QTest::newRow("systematic: the random sample's interval, no design effect")
            << int(DesignKind::Systematic)
            << QStringList{"Plan d'échantillonnage;Systématique", "Intervalle de confiance;95 % exact (Clopper-Pearson)",
                           "Usage;Nombre;Fréquence;Erreur-type;Borne basse à 95 % (Clopper-Pearson);"
                           "Borne haute à 95 % (Clopper-Pearson);Effet de plan",
                           "eau;3;0,5;0,204124145231932;0,118117248757025;0,881882751242975;"}
            << QStringList{"Plan : systématique", "Estimation : 50,0 % ; erreur-type : 20,4 %",
                           "Intervalle de confiance à 95 % : 11,8 % à 88,2 %",
                           "(celui d'un échantillon aléatoire simple, en général prudent",
                           "sur une carte où les usages forment des taches)"};
        // p = (2/4 + 1/2) / 2; V = ¼·¼/3 + ¼·¼/1 = 1/12, twice the random sample's ¼/6.
        QTest::newRow("two blocks: weighted, twice the variance")
            << int(DesignKind::Stratified)
            << QStringList{"Plan d'échantillonnage;Stratifié par 2 blocs", "Intervalle de confiance;95 % (Korn-Graubard)",
                           "Usage;Nombre;Estimation;Erreur-type;Borne basse à 95 % (Korn-Graubard);"
                           "Borne haute à 95 % (Korn-Graubard);Effet de plan"}
            << QStringList{"Plan : stratifié par 2 blocs", "Estimation : 50,0 % ; erreur-type : 28,9 %", "Effet de plan : 2,00"};
        // Each segment's count is the share times its points: no variance between them.
        QTest::newRow("two segments: no spread between them")
            << int(DesignKind::Clustered)
            << QStringList{"Plan d'échantillonnage;En grappes : 2 grappes de 2 × 2 points à 1 px",
                           "eau;3;0,5;0;0,118117248757025;0,881882751242975;0"}
            << QStringList{"Estimation : 50,0 % ; erreur-type : 0,0 %", "Effet de plan : 0,00"};
    }
    void designedSurveysGiveTheirOwnFigures()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, csvLines);
        QFETCH(QStringList, hintLines);
        SetDecimalSeparator(QChar(','));
        TSurveyTally tally;
        LayTwoGroups(tally, DesignKind(kind));
        tally.BeginLandUse(QStringLiteral("eau"));
        for (int point : {0, 1, 4})
            tally.CountPoint(point);
        const QStringList csv = QString::fromUtf8(ResultsCsv(tally, QStringLiteral("/cartes/ville.bmp"), QDateTime()))
                                    .split(QStringLiteral("\r\n"));
        for (const QString& line : csvLines)
            QVERIFY2(csv.contains(line), qPrintable(csv.join(QStringLiteral(" / "))));
        QVERIFY(MapLegend(tally, QStringLiteral("/cartes/ville.bmp"), QDateTime())
                    .contains(QStringLiteral(" — plan %1 — ").arg(DesignText(tally.Design).toLower())));
        const QStringList hint = ResultHint(ResultRows(tally).front(), tally.Design).split(QLatin1Char('\n'));
        for (const QString& line : hintLines)
            QVERIFY2(hint.contains(line), qPrintable(hint.join(QStringLiteral(" / "))));
    }

    // The map's file name without its folder, the sample size, the seed once points are drawn
    // (0 is a seed like any other) and the local date to the minute.
    // Names a spreadsheet would compute stay text; the counts and shares stay numbers.
    void csvNamesNeverBecomeFormulas()
    {
        TSurveyTally tally = Tally(10, {{"=HYPERLINK(\"http://x\")", 1}, {"+33", 1}, {"@moi", 1}, {"-", 1}, {"a=b", 1}}, 12);
        const QString csv = QString::fromUtf8(ResultsCsv(tally, QStringLiteral("=carte.bmp"), QDateTime()));
        QVERIFY(csv.contains(QStringLiteral("Carte;'=carte.bmp\r\n")));
        for (const char* line : {"\r\n\"'=HYPERLINK(\"\"http://x\"\")\";1;", "\r\n'+33;1;", "\r\n'@moi;1;", "\r\n'-;1;",
                                 "\r\na=b;1;", "\r\nAutres;-2;"})
            QVERIFY2(csv.contains(QString::fromUtf8(line)), line);
    }

    void legendNamesTheSurvey_data()
    {
        QTest::addColumn<QString>("mapFile");
        QTest::addColumn<int>("sampleSize");
        QTest::addColumn<bool>("drawn");
        QTest::addColumn<uint>("seed");
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("legend");
        const QDateTime afternoon(QDate(2026, 12, 7), QTime(15, 20, 59));
        QTest::newRow("points drawn")
            << "/home/prof/cartes/plan.bmp" << 100 << true << 12345u << afternoon
            << "Carte : plan.bmp — N = 100 — graine 12345 — 2026-12-07 15:20";
        QTest::newRow("no point drawn yet")
            << "/home/prof/cartes/plan.bmp" << 100 << false << 12345u << afternoon
            << "Carte : plan.bmp — N = 100 — sans graine — 2026-12-07 15:20";
        QTest::newRow("seed 0")
            << "/cartes/plan.bmp" << 10000 << true << 0u << afternoon
            << "Carte : plan.bmp — N = 10000 — graine 0 — 2026-12-07 15:20";
        QTest::newRow("name without folder, largest seed, early morning")
            << "vue aérienne.tiff" << 7 << true << 4294967295u << QDateTime(QDate(2027, 1, 2), QTime(8, 5))
            << "Carte : vue aérienne.tiff — N = 7 — graine 4294967295 — 2027-01-02 08:05";
    }
    void legendNamesTheSurvey()
    {
        QFETCH(QString, mapFile);
        QFETCH(int, sampleSize);
        QFETCH(bool, drawn);
        QFETCH(uint, seed);
        QFETCH(QDateTime, when);
        QFETCH(QString, legend);
        TSurveyTally tally = Tally(sampleSize, {}, 0);
        tally.Seed = seed;
        for (int point = 0; drawn && point < sampleSize; ++point)
            tally.AddSamplePoint(QPoint(4, 7), 5);
        QCOMPARE(MapLegend(tally, mapFile, when), legend);
    }
};

QTEST_GUILESS_MAIN(ResultRowsTest)
#include "test_results_rows.moc"
