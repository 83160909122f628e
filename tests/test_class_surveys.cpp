// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// A class's sessions pooled and checked: names matched and merged, the class table and its pooled
// row, Fleiss' kappa on a published example, a student against a reference session and against
// a map's legend, the sessions refused with their reasons, the class file.

#include "core/ClassCsv.h"
#include "core/ClassSurveys.h"
#include "core/Errors.h"
#include "core/LandUseNames.h"
#include "core/Numbers.h"
#include "core/ResultsCsv.h"
#include "core/SurveyFile.h"
#include "helpers/ClassSessions.h"
#include "picture/ClassFiles.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Class = QList<QPair<uint32_t, QStringList>>;  // each student: seed, class of each point

ClassAnalysis Analysed(const Class& students, const LandUseMerges& merges = {},
                       const ClassReference* reference = nullptr, const QString& chosen = {})
{
    std::vector<SessionSource> sources;
    for (const auto& [seed, classes] : students)
    {
        // Named, so that two students who gave the same answers are no copy of one session.
        const QString student = QStringLiteral("Élève %1").arg(sources.size() + 1);
        sources.push_back(SessionOf(student + QStringLiteral(".sondelio"), ClassifiedSurvey(classes, seed, student)));
    }
    return AnalyseClass(ExamineSessions(sources), ClassMapHash, merges, reference, chosen);
}

QStringList Counts(const ClassRow& row)
{
    QStringList counts;
    for (const ResultRow& cell : row.Cells)
        counts << QString::number(cell.Count());
    return counts;
}

// Wikipedia's worked example of Fleiss' kappa: 14 raters put 10 subjects in 5 categories.
const int PublishedVotes[10][5] = {{0, 0, 0, 0, 14}, {0, 2, 6, 4, 2}, {0, 0, 3, 5, 6}, {0, 3, 9, 2, 0},
                                   {2, 2, 8, 1, 1},  {7, 7, 0, 0, 0}, {3, 2, 6, 3, 0}, {2, 5, 3, 2, 2},
                                   {6, 5, 2, 1, 0},  {0, 2, 2, 3, 7}};

}  // namespace

class ClassSurveysTest : public QObject {
    Q_OBJECT
private slots:
    void namesDifferingInCaseAccentsAndSpacesMatch_data()
    {
        QTest::addColumn<QString>("one");
        QTest::addColumn<QString>("other");
        QTest::addColumn<bool>("same");
        QTest::newRow("accent and space") << "Bâti" << "bati " << true;
        QTest::newRow("capitals") << "BATI" << "bâti" << true;
        QTest::newRow("inner spaces") << "Forêt de pins" << " forêtdepins" << true;
        QTest::newRow("ligature") << "Cœur d'îlot" << "coeur d'ilot" << true;
        QTest::newRow("decomposed accent") << QString::fromUtf8("pre\xCC\x81") << "Pré" << true;
        QTest::newRow("plural") << "Bâti" << "Bâtis" << false;
        QTest::newRow("another letter") << "eau" << "eaux" << false;
    }
    void namesDifferingInCaseAccentsAndSpacesMatch()
    {
        QFETCH(QString, one);
        QFETCH(QString, other);
        QFETCH(bool, same);
        QCOMPARE(NameKey(one) == NameKey(other), same);
    }

    void mergesApplyToNamesMatchedAlike_data()
    {
        QTest::addColumn<QStringList>("merges");  // found, used, found, used…
        QTest::addColumn<QString>("found");
        QTest::addColumn<QString>("used");
        QTest::newRow("none") << QStringList{} << "Maisons" << "Maisons";
        QTest::newRow("merged") << QStringList{"Maisons", "Bâti"} << "maisons " << "Bâti";
        QTest::newRow("in a chain") << QStringList{"Maisons", "Habitat", "habitat", "Bâti"} << "MAISONS" << "Bâti";
        QTest::newRow("a circle ends") << QStringList{"a", "b", "b", "a"} << "a" << "a";
        QTest::newRow("replaced") << QStringList{"Maisons", "Bâti", "maisons", "Villas"} << "Maisons" << "Villas";
        const QString long51 = QString(50, 'b') + "🌿";
        QTest::newRow("a long name kept as a land use's") << QStringList{"Maisons", long51} << "Maisons" << QString(50, 'b');
        QTest::newRow("taken back") << QStringList{"Maisons", "Bâti", "Maisons", ""} << "Maisons" << "Maisons";
    }
    void mergesApplyToNamesMatchedAlike()
    {
        QFETCH(QStringList, merges);
        QFETCH(QString, found);
        QFETCH(QString, used);
        LandUseMerges table;
        for (int at = 0; at + 1 < merges.size(); at += 2)
            table.Merge(merges[at], merges[at + 1]);
        QCOMPARE(table.Used(found), used);
        // What the class file keeps gives the same names back.
        QCOMPARE(ReadClassFile(WriteClassFile(table)).Used(found), used);
    }

    void classTableCountsEachStudentAndPoolsTheClass_data()
    {
        QTest::addColumn<Class>("students");
        QTest::addColumn<QStringList>("merges");
        QTest::addColumn<QStringList>("uses");
        QTest::addColumn<QStringList>("firstRow");  // counts per use, then "Autres"
        QTest::addColumn<QStringList>("pooled");
        QTest::addColumn<int>("pooledSize");
        QTest::addColumn<int>("pooling");
        QTest::addColumn<int>("ties");
        QTest::newRow("own points add up")
            << Class{{1, {"Bâti", "bati ", "Eau", ""}}, {2, {"BATI", "prés", "eau"}}} << QStringList{}
            << QStringList{"Bâti", "Eau", "prés"} << QStringList{"2", "1", "0", "1"} << QStringList{"3", "2", "1", "1"}
            << 7 << int(Pooling::Independent) << 0;
        QTest::newRow("a name merged")
            << Class{{1, {"Bâti", "Maisons"}}, {2, {"maisons", "Eau"}}} << QStringList{"Maisons", "Bâti"}
            << QStringList{"Bâti", "Eau"} << QStringList{"2", "0", "0"} << QStringList{"3", "1", "0"} << 4
            << int(Pooling::Independent) << 0;
        QTest::newRow("same points: the majority")
            << Class{{5, {"A", "A", "B", "C"}}, {5, {"A", "B", "B", "C"}}, {5, {"A", "B", "C", ""}}} << QStringList{}
            << QStringList{"A", "B", "C"} << QStringList{"2", "1", "1", "0"} << QStringList{"1", "2", "1", "0"} << 4
            << int(Pooling::SamePoints) << 0;
        QTest::newRow("same points: ties left aside")
            << Class{{5, {"A", "B", "A"}}, {5, {"B", "A", "A"}}} << QStringList{} << QStringList{"A", "B"}
            << QStringList{"2", "1", "0"} << QStringList{"1", "0", "2"} << 3 << int(Pooling::SamePoints) << 2;
        QTest::newRow("a shared sample and an own one")
            << Class{{5, {"A", "A"}}, {5, {"A", "B"}}, {9, {"B", "B"}}} << QStringList{} << QStringList{"A", "B"}
            << QStringList{"2", "0", "0"} << QStringList{"1", "2", "1"} << 4 << int(Pooling::Mixed) << 1;
    }
    void classTableCountsEachStudentAndPoolsTheClass()
    {
        QFETCH(Class, students);
        QFETCH(QStringList, merges);
        QFETCH(QStringList, uses);
        QFETCH(QStringList, firstRow);
        QFETCH(QStringList, pooled);
        QFETCH(int, pooledSize);
        QFETCH(int, pooling);
        QFETCH(int, ties);
        LandUseMerges table;
        for (int at = 0; at + 1 < merges.size(); at += 2)
            table.Merge(merges[at], merges[at + 1]);
        const ClassAnalysis analysis = Analysed(students, table);
        QCOMPARE(QStringList(analysis.Uses.begin(), analysis.Uses.end()), uses);
        QCOMPARE(int(analysis.Rows.size()), students.size());
        QCOMPARE(Counts(analysis.Rows.front()), firstRow);
        QCOMPARE(Counts(analysis.Pooled), pooled);
        QCOMPARE(analysis.Pooled.SampleSize, pooledSize);
        QCOMPARE(int(analysis.PooledBy), pooling);
        QCOMPARE(analysis.TiedPoints, ties);
        // Nothing to set the intervals against.
        QCOMPARE(analysis.HoldsSentence(), QString());
        QVERIFY(analysis.PoolingSentence.contains(QStringLiteral("%1 points").arg(pooledSize)));
        // The pooled interval is the exact one of the pooled count over the pooled n.
        const ResultRow& first = analysis.Pooled.Cells.front();
        QCOMPARE(first.Limits()->Lower, ExactLimits95(double(first.Count()), pooledSize)->Lower);
    }

    void fleissKappaOfAPublishedExample()
    {
        const QStringList categories{"c1", "c2", "c3", "c4", "c5"};
        Class raters(14, {3, {}});
        for (const auto& votes : PublishedVotes) {
            int rater = 0;
            for (int category = 0; category < 5; ++category)
                for (int vote = 0; vote < votes[category]; ++vote)
                    raters[rater++].second << categories[category];
        }
        const ClassAnalysis analysis = Analysed(raters);
        QVERIFY(analysis.Agreement.has_value());
        const ClassAgreement& agreement = *analysis.Agreement;
        QCOMPARE(int(agreement.Sessions.size()), 14);
        QCOMPARE(agreement.PointsRatedByAll, 10);
        // By hand: P̄ = 688/1820, P̄e = 4170/19600, κ = 42110/200590 = 0.20993…
        QVERIFY(qAbs(*agreement.Kappa - 42110.0L / 200590.0L) < 1e-15L);
        // The point with the fewest votes for its most frequent category first, then the ties at
        // 6 out of 14 in their order; the point all raters agree on is no dispute.
        const std::vector<PointAgreement> disputed = agreement.MostDisputed(3);
        QCOMPARE(disputed.size(), 3u);
        QCOMPARE(disputed[0].Place, ClassPointPlace(3, 7));
        QCOMPARE(disputed[0].Top, 5);
        QCOMPARE(disputed[1].Place, ClassPointPlace(3, 1));
        QCOMPARE(disputed[2].Place, ClassPointPlace(3, 2));
        QCOMPARE(int(agreement.MostDisputed(100).size()), 9);
        QCOMPARE(agreement.Points[5].TopUse, -1);  // 7 against 7
        // Every answer the same: the chance agreement is 1 and kappa has no value.
        QVERIFY(!Analysed({{3, {"A", "A"}}, {3, {"A", "A"}}}).Agreement->Kappa);
        // Students of their own points share none.
        QVERIFY(!Analysed({{3, {"A", "B"}}, {4, {"A", "A"}}}).Agreement);
    }

    void studentCheckedAgainstAReferenceSession()
    {
        const std::vector<ClassSession> referenceFile =
            ExamineSessions({SessionOf("prof.sondelio", ClassifiedSurvey({"A", "A", "B", "B", "C"}, 4, "Mme Roy"))});
        const ClassReference reference = ClassReference::FromSession(referenceFile.front());
        QCOMPARE(reference.Description(), QStringLiteral("la séance « Mme Roy »"));
        const ClassAnalysis analysis =
            Analysed({{4, {"a", "B", "B", "", "A"}}, {4, {"A", "A", "B", "B", "C"}}, {8, {"A"}}}, {}, &reference, "a");
        QCOMPARE(QStringList(analysis.Uses.begin(), analysis.Uses.end()), QStringList({"a", "B", "C"}));
        QCOMPARE(analysis.Checks.size(), 2u);  // the third student's point is none of the reference's
        const ReferenceCheck& check = analysis.Checks.front();
        const std::vector<std::vector<int64_t>> matrix{{1, 0, 1}, {1, 1, 0}, {0, 0, 0}};
        QCOMPARE(check.Counts, matrix);
        QCOMPARE(check.Checked, 4);
        QCOMPARE(check.Agreement(), 0.5L);
        QCOMPARE(*check.RowShare(1, 0), 0.5L);
        QCOMPARE(*check.ColumnShare(1, 0), 0.5L);
        QVERIFY(!check.RowShare(2, 2));
        QCOMPARE(check.Disagreements.size(), 2u);
        QCOMPARE(check.Disagreements[0].Place, ClassPointPlace(4, 1));
        QCOMPARE(check.Disagreements[0].Student, 1);
        QCOMPARE(check.Disagreements[0].Reference, 0);
        QCOMPARE(analysis.Checks.back().Agreement(), 1.0L);
        // "a" is 2 of 5 in the reference: 2/5, 2/5 and 1/1 hold it, the last interval (2,5 % à 100 %) too.
        QCOMPARE(analysis.HoldsSentence(), QStringLiteral("3 intervalles sur 3 contiennent la part de référence de « a » (40.00 %)."));
    }

    void studentCheckedAgainstAMapsLegend()
    {
        // A picture twice the map's drawn size: left half built (x < 40), right half water. The
        // points lie on the map as drawn, 40 × 30, where the built half is x < 20.
        QImage picture(80, 60, QImage::Format_RGB32);
        picture.fill(0xFF0000FF);
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 40; ++x)
                picture.setPixel(x, y, 0xFFBE6E50);
        const QImage drawn = picture.scaled(40, 30);
        const auto viewOf = [](const QImage& image) {
            return PixelView{reinterpret_cast<const uint32_t*>(image.constBits()), image.width(), image.height(),
                             int(image.bytesPerLine() / 4)};
        };
        const ClassReference reference =
            ClassReference::FromLegend(viewOf(picture), viewOf(drawn), {{0xBE6E50, "Bâti"}, {0x0000FF, "Eau"}});
        // Seed 1 lays ten points of which these six lie on the built half.
        const QStringList truth{"Bâti", "Bâti", "Bâti", "Eau", "Eau", "Eau", "Bâti", "Bâti", "Bâti", "Eau"};
        QStringList allBuilt(10, "bâti");
        const ClassAnalysis analysis = Analysed({{1, truth}, {1, allBuilt}}, {}, &reference, "BATI");
        QCOMPARE(analysis.ChosenUse, 0);
        QCOMPARE(analysis.ReferenceShares[0]->Chosen, 2400);
        QCOMPARE(analysis.ReferenceShares[0]->Total, 4800);
        QCOMPARE(analysis.Checks[0].Agreeing, 10);
        QCOMPARE(analysis.Checks[1].Agreeing, 6);
        QCOMPARE(analysis.Checks[1].Disagreements.size(), 4u);
        // 6 of 10 (26 % to 88 %) holds a half; 10 of 10 (69 % to 100 %) does not.
        QCOMPARE(analysis.Holds.size(), 2u);
        QVERIFY(analysis.Holds[0].Holds);
        QVERIFY(!analysis.Holds[1].Holds);
        QCOMPARE(analysis.HoldsSentence(), QStringLiteral("1 intervalle sur 2 contient la part de référence de « Bâti » (50.00 %)."));
    }

    void refusedSessionsStayListedWithTheirReason()
    {
        const TSurveyTally zoe = ClassifiedSurvey({"A", "B"}, 1, "Zoé");
        QJsonObject newer = QJsonDocument::fromJson(SessionBytes(zoe)).object();
        newer["version"] = 99;
        const std::vector<SessionSource> sources{
            SessionOf("zoe.sondelio", zoe),
            {"abimee.sondelio", "{\"carte\":{\"fichier\":", {}},
            {"future.sondelio", QJsonDocument(newer).toJson(), {}},
            SessionOf("copie.sondelio", zoe),
            {"absente.sondelio", {}, "Le fichier est introuvable."},
            SessionOf("autre.sondelio", ClassifiedSurvey({"A"}, 2), QByteArray(32, 'b')),
            SessionOf("leo.sondelio", ClassifiedSurvey({"A", "A"}, 2))};
        const std::vector<ClassSession> sessions = ExamineSessions(sources);
        QCOMPARE(sessions[0].Name, QStringLiteral("Zoé"));
        QCOMPARE(sessions[6].Name, QStringLiteral("leo"));
        QCOMPARE(sessions[6].Classified, 2);
        const ClassAnalysis analysis = AnalyseClass(sessions, ClassMapHash, {});
        const QStringList reasons{
            "Cette séance est endommagée et ne peut pas être ouverte : son texte est coupé ou mal formé.",
            "Ce fichier a été écrit par une version plus récente de Sondelio ; mettez le programme à jour pour ouvrir "
            "cette séance.",
            "Cette séance est la même que \"zoe.sondelio\" : elle ne compte qu'une fois.",
            "Le fichier est introuvable.",
            "Cette séance est faite sur une autre carte (\"carte.bmp\") : la classe est analysée carte par carte."};
        QCOMPARE(analysis.SetAside.size(), 5u);
        for (int at = 0; at < 5; ++at) {
            QCOMPARE(analysis.SetAside[std::size_t(at)].first, at + 1);
            QCOMPARE(analysis.SetAside[std::size_t(at)].second, reasons[at]);
        }
        QCOMPARE(analysis.Rows.size(), 2u);
        QCOMPARE(Counts(analysis.Pooled), QStringList({"3", "1", "0"}));
        // The maps: the class's first, with its two sessions; the other one's apart.
        const std::vector<ClassMap> maps = ClassMaps(sessions);
        QCOMPARE(maps.size(), 2u);
        QCOMPARE(maps[0].Sessions, std::vector<int>({0, 6}));
    }

    void classFileRoundTripsAndRefusesWhatIsNotOne_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");  // empty: read back
        LandUseMerges merges;
        merges.Merge("Maisons", "Bâti");
        merges.Merge("flotte", "Eau 💧");
        QTest::newRow("written") << WriteClassFile(merges) << QString();
        QTest::newRow("a session") << SessionBytes(ClassifiedSurvey({"A"}, 1))
                                   << "Ce fichier n'est pas un fichier de classe de Sondelio.";
        QTest::newRow("newer") << QByteArray("{\"format\":\"sondelio-classe\",\"version\":2,\"fusions\":[]}")
                               << "Ce fichier de classe a été écrit par une version plus récente de Sondelio ; mettez "
                                  "le programme à jour pour l'ouvrir.";
        QTest::newRow("a name missing")
            << QByteArray("{\"format\":\"sondelio-classe\",\"version\":1,\"fusions\":[{\"trouve\":\"a\"}]}")
            << "Ce fichier de classe est endommagé : un nom utilisé manque ou n'est pas un texte.";
        QTest::newRow("a name too long")
            << QByteArray("{\"format\":\"sondelio-classe\",\"version\":1,\"fusions\":[{\"trouve\":\"a\",\"utilise\":\"" +
                          QByteArray(51, 'x') + "\"}]}")
            << "Ce fichier de classe est endommagé : un nom utilisé est vide ou a plus de 50 caractères.";
        QTest::newRow("not UTF-8") << QByteArray("{\"format\":\"\xff\"}")
                                   << "Ce fichier de classe est endommagé : il n'est pas en UTF-8.";
    }
    void classFileRoundTripsAndRefusesWhatIsNotOne()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QTemporaryDir folder;
        const QString classFile = ClassFileBeside(folder.filePath("eleve.sondelio"));
        QCOMPARE(QFileInfo(classFile).fileName(), QStringLiteral("classe.sondelio-classe"));
        QVERIFY(ReadClassMerges(classFile).Merges().empty());  // no class file yet: no merge
        if (!message.isEmpty()) {
            try {
                ReadClassFile(bytes);
                QFAIL("the file was taken");
            } catch (const EReadError& error) {
                QCOMPARE(error.Message, message);
            }
            return;
        }
        SaveClassMerges(classFile, ReadClassFile(bytes));
        const LandUseMerges back = ReadClassMerges(classFile);
        QCOMPARE(back.Merges().size(), 2u);
        QCOMPARE(back.Used("MAISONS"), QStringLiteral("Bâti"));
        QCOMPARE(back.Used("flotte"), QStringLiteral("Eau 💧"));
        QCOMPARE(WriteClassFile(back), bytes);
    }

    // With a scale in a session (10 m a pixel on the 40 × 30 map: 12 ha), the class's estimate
    // as an area, in the summary too; without one, none.
    void pooledEstimateAsAnArea()
    {
        std::vector<SessionSource> sources;
        const QList<QStringList> classes{{"Bâti", "Bâti", "Eau", "Prés", ""}, {"bâti", "Eau", "Eau", "Prés", "Prés"}};
        for (int student = 0; student < classes.size(); ++student) {
            TSurveyTally tally = ClassifiedSurvey(classes[student], 7, QString::number(student));
            if (student == 1)
                tally.Scale = MeasuredScale(40, 400);
            sources.push_back(SessionOf(QString::number(student), tally));
        }
        const ClassAnalysis scaled = AnalyseClass(ExamineSessions(sources), ClassMapHash, {}, nullptr, "Eau");
        // Eau: point 2 by both, point 1 a tie: 1 point of 5, a fifth of 12 ha.
        QCOMPARE(scaled.PooledArea()->Text(), "2" + QString(DecimalSeparator()) + "40 ha");
        QCOMPARE(scaled.PooledArea()->IntervalText(), AreaIntervalText(ExactLimits95(1, 5), 120000, AreaUnitFor(120000)));
        QVERIFY(ClassSummaryCsv(scaled).contains("Aire estimée (ha);2" + QString(DecimalSeparator()) + "4;"));
        // The table too: after each land use's limits, its area and the area's limits.
        const QStringList table = ClassTableCsv(scaled).split("\r\n");
        QVERIFY(table[2].contains(";Bâti : borne haute à 95 %;Bâti : aire (ha);Bâti : aire basse (ha);Bâti : aire haute (ha);"));
        QCOMPARE(table[3].split(';').mid(3, 5), QStringList({"2", RealText(0.4L), RealText(ExactLimits95(2, 5)->Lower),
                                                             RealText(ExactLimits95(2, 5)->Upper), RealText(0.4L * 12)}));
        sources.pop_back();
        QVERIFY(!AnalyseClass(ExamineSessions(sources), ClassMapHash, {}).PooledArea());
    }

    // The legend the teacher names comes back from its file name for name, whatever the names hold.
    void legendWrittenReadsBackAsNamed()
    {
        const ColourNames legend{{0x000000, "bâti; dense"}, {0x4682D2, "\"eau\" 💧"}, {0xFFFFFF, "=vide"}};
        QVERIFY(ParseLegend(SpreadsheetBytes(LegendCsv(legend)), "carte-legende.csv") == legend);
    }
};

QTEST_MAIN(ClassSurveysTest)
#include "test_class_surveys.moc"
