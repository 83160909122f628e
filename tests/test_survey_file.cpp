// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The survey file: what the writer writes the reader gives back whole, and the reader refuses,
// with its French message, every file the program could not have made.

#include "core/Errors.h"
#include "core/DesignEstimates.h"
#include "core/SurveyFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

Q_DECLARE_METATYPE(TSurveyTally)

namespace {

const QByteArray MapHash = QByteArray(32, '\xab');

// A survey made the way the map window makes one: a map, a "Go", land uses and the sample
// points counted in turn.
TSurveyTally MadeSurvey(int points, const QList<int>& pressesPerUse, bool finishLast)
{
    TSurveyTally tally;
    tally.MapWidth = 600;
    tally.MapHeight = 400;
    tally.SampleSize = points;
    tally.Seed = 4000000000u;
    tally.BeginSurvey();
    tally.BeginSample();
    for (int n = 0; n < points; ++n)
        tally.AddSamplePoint(QPoint(n * 37 % 600, n * 53 % 400), 7);
    int32_t next = 0;
    for (int use = 0; use < pressesPerUse.size(); ++use) {
        tally.BeginLandUse(use == 0 ? QStringLiteral("forêt") : QStringLiteral("prés 🌿 %1").arg(use));
        for (int press = 0; press < pressesPerUse[use]; ++press)
            tally.CountPoint(next++);
        if (use + 1 < pressesPerUse.size() || finishLast)
            tally.FinishLandUse();
    }
    return tally;
}

// A survey whose points a design laid on a 600 × 400 map, its first two points counted.
TSurveyTally DesignedSurvey(const SampleDesign& design)
{
    TSurveyTally tally;
    tally.MapWidth = 600;
    tally.MapHeight = 400;
    tally.SampleSize = 40;
    tally.Design = design;
    tally.BeginSurvey();
    tally.BeginSample();
    uint32_t state = 99;
    for (const DesignedPoint& point : DrawDesign(design, tally.SampleSize, QSize(600, 400), state).Points)
        tally.AddSamplePoint(point.Place, 5, point.Group);
    tally.BeginLandUse(QStringLiteral("eau"));
    tally.CountPoint(0);
    tally.CountPoint(1);
    return tally;
}

QByteArray WithChange(const std::function<void(QJsonObject&)>& change, const TSurveyTally& survey = MadeSurvey(4, {2, 1}, true))
{
    QJsonObject root = QJsonDocument::fromJson(WriteSurveyFile(survey, QStringLiteral("carte.bmp"), MapHash)).object();
    change(root);
    return QJsonDocument(root).toJson();
}

void SetMark(QJsonObject& root, int index, const QJsonArray& mark)
{
    QJsonArray marks = root[QStringLiteral("marques")].toArray();
    marks[index] = mark;
    root[QStringLiteral("marques")] = marks;
}

void SetLandUse(QJsonObject& root, const QString& key, const QJsonValue& value)
{
    QJsonArray table = root[QStringLiteral("usages")].toArray();
    QJsonObject first = table[0].toObject();
    first[key] = value;
    table[0] = first;
    root[QStringLiteral("usages")] = table;
}

void SetMap(QJsonObject& root, const QString& key, const QJsonValue& value)
{
    QJsonObject map = root[QStringLiteral("carte")].toObject();
    map[key] = value;
    root[QStringLiteral("carte")] = map;
}

QString Damage(const QString& what)
{
    return QStringLiteral("Cette séance est endommagée et ne peut pas être ouverte : %1.").arg(what);
}

}  // namespace

class SurveyFileTest : public QObject {
    Q_OBJECT
private slots:
    void readsBackWhatItWrote_data()
    {
        QTest::addColumn<TSurveyTally>("survey");
        QTest::addColumn<QString>("mapFile");
        TSurveyTally fresh;
        fresh.MapWidth = 1;
        fresh.MapHeight = 1;
        QTest::newRow("nothing drawn yet") << fresh << QStringLiteral("a.bmp");
        QTest::newRow("points, no land use") << MadeSurvey(25, {}, false) << QStringLiteral("carte été.png");
        QTest::newRow("two uses, the last still open") << MadeSurvey(30, {4, 3}, false) << QStringLiteral("c.bmp");
        QTest::newRow("twenty uses finished") << MadeSurvey(10000, QList<int>(20, 500), true)
                                              << QStringLiteral("grande.jpg");
        TSurveyTally edges;
        edges.MapWidth = 600;
        edges.MapHeight = 400;
        edges.Seed = UINT32_MAX;
        edges.AddSamplePoint(QPoint(599, 399), -3);
        edges.AddSamplePoint(QPoint(599, 399), -3);
        edges.BeginLandUse(QString());
        edges.CountPoint(1);
        edges.ProbingOn = false;
        QTest::newRow("edges of every field") << edges << QStringLiteral("/home/élève/x.bmp");
        TSurveyTally named = MadeSurvey(6, {2}, true);
        named.Student = QStringLiteral("Zoé 🌿");
        QTest::newRow("a student's name") << named << QStringLiteral("c.bmp");
        TSurveyTally legend = MadeSurvey(6, {2}, true);
        legend.Legend = {{0x808080, QStringLiteral("trafic")}, {0x0000FF, QStringLiteral("eau 🌊")}};
        QTest::newRow("a map's legend") << legend << QStringLiteral("c.bmp");
        TSurveyTally measured = MadeSurvey(6, {2}, true);
        measured.Scale = MeasuredScale(117, 300);
        QTest::newRow("a measured scale") << measured << QStringLiteral("c.bmp");
        TSurveyTally georeferenced = DesignedSurvey({DesignKind::Stratified, 5});
        georeferenced.Scale = MapScale{MapScale::Source::Georeferenced, 0.1 + 0.2, 1.0 / 3};
        QTest::newRow("a georeferenced scale, blocks") << georeferenced << QStringLiteral("c.bmp");
        QTest::newRow("a grid") << DesignedSurvey({DesignKind::Systematic}) << QStringLiteral("g.bmp");
        QTest::newRow("five blocks") << DesignedSurvey({DesignKind::Stratified, 5}) << QStringLiteral("s.bmp");
        QTest::newRow("segments off the edges") << DesignedSurvey({DesignKind::Clustered, 4, 30, 2, 40})
                                                << QStringLiteral("c.bmp");
    }
    void readsBackWhatItWrote()
    {
        QFETCH(TSurveyTally, survey);
        QFETCH(QString, mapFile);
        const QByteArray bytes = WriteSurveyFile(survey, mapFile, MapHash);
        const SurveyFileContent read = ReadSurveyFile(bytes);
        QCOMPARE(read.MapFile, mapFile);
        QCOMPARE(read.MapSha256, MapHash);
        const TSurveyTally& back = read.Tally;
        QCOMPARE(back.SampleSize, survey.SampleSize);
        QCOMPARE(back.MapWidth, survey.MapWidth);
        QCOMPARE(back.MapHeight, survey.MapHeight);
        QCOMPARE(back.PointSize, survey.PointSize);
        QCOMPARE(back.LandUseCount, survey.LandUseCount);
        QCOMPARE(back.PointsThisUse, survey.PointsThisUse);
        QCOMPARE(back.PointsProbed, survey.PointsProbed);
        QCOMPARE(back.Seed, survey.Seed);
        QCOMPARE(back.ProbingOn, survey.ProbingOn);
        QCOMPARE(back.Student, survey.Student);
        QVERIFY(back.Legend == survey.Legend);
        QVERIFY(back.Scale == survey.Scale);
        // Nameless, the file holds no student's field: it reads as it did before names.
        QCOMPARE(QJsonDocument::fromJson(bytes).object().contains(QStringLiteral("eleve")), !survey.Student.isEmpty());
        QVERIFY(back.Design == survey.Design);
        // A survey drawn at random point by point is written as every version of the program reads it.
        const int version = QJsonDocument::fromJson(bytes).object().value(QStringLiteral("version")).toInt();
        QCOMPARE(version, survey.Scale ? 3 : survey.Design.Kind == DesignKind::SimpleRandom ? 1 : 2);
        // A designed survey's file shows each land use's estimate as the results give it.
        const QJsonArray estimates = QJsonDocument::fromJson(bytes)["plan"]["estimations"].toArray();
        if (survey.Design.Kind != DesignKind::SimpleRandom) {
            QCOMPARE(estimates.size(), 2);  // "eau" and "Autres"
            QCOMPARE(estimates[0]["usage"].toString(), QStringLiteral("eau"));
            QCOMPARE(estimates[0]["estimation"].toDouble(), LandUseEstimate(survey, 1)->Share);
        }
        for (int n = 1; n <= TSurveyTally::MaxLandUses; ++n) {
            QCOMPARE(back.LandUse(n).Name, survey.LandUse(n).Name);
            QCOMPARE(back.LandUse(n).Count, survey.LandUse(n).Count);
        }
        QCOMPARE(back.Marks().size(), survey.Marks().size());
        for (std::size_t n = 0; n < survey.Marks().size(); ++n) {
            const SurveyMark& want = survey.Marks()[n];
            const SurveyMark& got = back.Marks()[n];
            QCOMPARE(got.What, want.What);
            QCOMPARE(got.Place, want.Place);
            QCOMPARE(got.Size, want.Size);
            QCOMPARE(got.LandUse, want.LandUse);
            QCOMPARE(got.Group, want.Group);
            // Points at one pixel look alike: which of them a count went to is not kept.
            if (want.What == SurveyMark::Kind::CountedPoint)
                QCOMPARE(back.Marks()[std::size_t(got.Point)].Place, survey.Marks()[std::size_t(want.Point)].Place);
        }
        QCOMPARE(WriteSurveyFile(back, read.MapFile, read.MapSha256), bytes);
    }

    void refusesWhatTheProgramCouldNotHaveMade_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QString notASurvey = QStringLiteral("Ce fichier n'est pas une séance de Sondelio.");
        const auto row = [](const char* name, const QByteArray& bytes, const QString& message) {
            QTest::newRow(name) << bytes << message;
        };
        row("empty", QByteArray(), notASurvey);
        row("not JSON", "Sondelio", notASurvey);
        // A session cut short or holding a number JSON cannot carry is a damaged session.
        const QString badText = Damage(QStringLiteral("son texte est coupé ou mal formé"));
        row("cut short", WithChange([](QJsonObject&) {}).chopped(10), badText);
        row("cut short as the writer writes",
            WriteSurveyFile(MadeSurvey(4, {2, 1}, true), QStringLiteral("carte.bmp"), MapHash).left(30), badText);
        row("a list", "[1, 2]", notASurvey);
        row("NaN", WithChange([](QJsonObject&) {}).replace("\"echantillon\": 4", "\"echantillon\": NaN"), badText);
        row("nested deep", QByteArray(100000, '[') + QByteArray(100000, ']'), notASurvey);
        row("another format", WithChange([](QJsonObject& r) { r[QStringLiteral("format")] = 1; }), notASurvey);
        row("newer version", WithChange([](QJsonObject& r) { r[QStringLiteral("version")] = SurveyFileLimits::FormatVersion + 1; }),
            QStringLiteral("Ce fichier a été écrit par une version plus récente de Sondelio ; "
                           "mettez le programme à jour pour ouvrir cette séance."));
        row("version zero", WithChange([](QJsonObject& r) { r[QStringLiteral("version")] = 0; }),
            Damage(QStringLiteral("la version du format n'est pas un nombre entier compris entre 1 et 2147483647")));
        row("larger than 16 MiB", QByteArray(16 * 1024 * 1024 + 1, ' '),
            Damage(QStringLiteral("le fichier dépasse 16 Mio")));
        row("not UTF-8", WithChange([](QJsonObject&) {}).replace("for\xc3\xaat", "for\xeat"),
            Damage(QStringLiteral("le fichier n'est pas en UTF-8")));
        row("half a surrogate pair",
            WithChange([](QJsonObject& r) { SetLandUse(r, QStringLiteral("nom"), QString(QChar(0xd800))); }),
            Damage(QStringLiteral("le nom de l'usage du sol 1 est trop long ou mal codé")));
        row("sample size as text", WithChange([](QJsonObject& r) { r[QStringLiteral("echantillon")] = "4"; }),
            Damage(QStringLiteral("la taille de l'échantillon n'est pas un nombre")));
        row("sample size a fraction", WithChange([](QJsonObject& r) { r[QStringLiteral("echantillon")] = 2.5; }),
            Damage(QStringLiteral("la taille de l'échantillon n'est pas un nombre entier compris entre "
                                  "-2147483648 et 2147483647")));
        row("sample size 1e400",
            WithChange([](QJsonObject&) {}).replace("\"echantillon\": 4", "\"echantillon\": 1e400"), badText);
        row("sample size 10001", WithChange([](QJsonObject& r) { r[QStringLiteral("echantillon")] = 10001; }),
            Damage(QStringLiteral("la taille de l'échantillon est hors des limites (0 à 10000)")));
        row("sample size negative", WithChange([](QJsonObject& r) { r[QStringLiteral("echantillon")] = -1; }),
            Damage(QStringLiteral("la taille de l'échantillon est hors des limites (0 à 10000)")));
        row("seed past 32 bits", WithChange([](QJsonObject& r) { r[QStringLiteral("graine")] = 4294967296.0; }),
            Damage(QStringLiteral("la graine n'est pas un nombre entier compris entre 0 et 4294967295")));
        row("probing a number", WithChange([](QJsonObject& r) { r[QStringLiteral("sondageEnCours")] = 1; }),
            Damage(QStringLiteral("le sondage en cours manque ou n'est pas vrai ou faux")));
        row("no map", WithChange([](QJsonObject& r) { r.remove(QStringLiteral("carte")); }),
            Damage(QStringLiteral("la carte manque ou n'est pas un objet")));
        row("hash too short", WithChange([](QJsonObject& r) { SetMap(r, QStringLiteral("sha256"), "abab"); }),
            Damage(QStringLiteral("l'empreinte de la carte n'est pas un SHA-256 en hexadécimal")));
        row("hash not hex",
            WithChange([](QJsonObject& r) { SetMap(r, QStringLiteral("sha256"), QString(64, 'g')); }),
            Damage(QStringLiteral("l'empreinte de la carte n'est pas un SHA-256 en hexadécimal")));
        row("empty map name", WithChange([](QJsonObject& r) { SetMap(r, QStringLiteral("fichier"), ""); }),
            Damage(QStringLiteral("le nom de la carte est vide, trop long ou mal codé")));
        row("map drawn 0 wide", WithChange([](QJsonObject& r) { SetMap(r, QStringLiteral("largeur"), 0); }),
            Damage(QStringLiteral("la taille de la carte est hors des limites (1 à 65535 pixels)")));
        row("21 land uses", WithChange([](QJsonObject& r) { r[QStringLiteral("usagesSondes")] = 21; }),
            Damage(QStringLiteral("le nombre d'usages du sol est hors des limites (0 à 20)")));
        row("table of 21 rows", WithChange([](QJsonObject& r) {
                QJsonArray table = r[QStringLiteral("usages")].toArray();
                table.append(table[0]);
                r[QStringLiteral("usages")] = table;
            }),
            Damage(QStringLiteral("la table des usages du sol a plus de 20 éléments")));
        row("table of 19 rows", WithChange([](QJsonObject& r) {
                QJsonArray table = r[QStringLiteral("usages")].toArray();
                table.removeLast();
                r[QStringLiteral("usages")] = table;
            }),
            Damage(QStringLiteral("la table des usages du sol n'a pas ses 20 lignes")));
        row("name of 51 characters",
            WithChange([](QJsonObject& r) { SetLandUse(r, QStringLiteral("nom"), QString(51, 'a')); }),
            Damage(QStringLiteral("le nom de l'usage du sol 1 est trop long ou mal codé")));
        row("negative count", WithChange([](QJsonObject& r) { SetLandUse(r, QStringLiteral("points"), -1); }),
            Damage(QStringLiteral("le nombre de points de l'usage du sol 1 est hors des limites (0 à 10000)")));
        row("counter past 10000", WithChange([](QJsonObject& r) { r[QStringLiteral("pointsSondes")] = 10001; }),
            Damage(QStringLiteral("un compteur de points est hors des limites (0 à 10000)")));
        row("20001 marks", WithChange([](QJsonObject& r) {
                QJsonArray marks;
                for (int n = 0; n < 20001; ++n)
                    marks.append(QJsonArray{"point", 1, 1, 5});
                r[QStringLiteral("marques")] = marks;
            }),
            Damage(QStringLiteral("la liste des marques a plus de 20000 éléments")));
        row("10001 sample points", WithChange([](QJsonObject& r) {
                QJsonArray marks;
                for (int n = 0; n < 10001; ++n)
                    marks.append(QJsonArray{"point", 1, 1, 5});
                r[QStringLiteral("marques")] = marks;
            }),
            Damage(QStringLiteral("la séance a plus de 10000 points d'échantillon")));
        row("point right of the map", WithChange([](QJsonObject& r) { SetMark(r, 0, {"point", 600, 0, 5}); }),
            Damage(QStringLiteral("un point d'échantillon est hors de la carte")));
        row("point above the map", WithChange([](QJsonObject& r) { SetMark(r, 0, {"point", 0, -1, 5}); }),
            Damage(QStringLiteral("un point d'échantillon est hors de la carte")));
        const QString countNotOnAPoint =
            Damage(QStringLiteral("un point compté ne se trouve pas sur un point d'échantillon encore à compter"));
        row("counted beside every point", WithChange([](QJsonObject& r) { SetMark(r, 4, {"compte", 5, 5, 1}); }),
            countNotOnAPoint);
        row("a point counted twice", WithChange([](QJsonObject& r) { SetMark(r, 5, {"compte", 0, 0, 1}); }),
            countNotOnAPoint);
        row("a point after the counts", WithChange([](QJsonObject& r) { SetMark(r, 6, {"point", 5, 5, 7}); }),
            Damage(QStringLiteral("un point d'échantillon suit des points comptés")));
        const QString countsDisagree = Damage(QStringLiteral("les nombres de points ne s'accordent pas avec les points comptés"));
        row("total that the points contradict",
            WithChange([](QJsonObject& r) { r[QStringLiteral("pointsSondes")] = 2; }), countsDisagree);
        row("land use count that the points contradict",
            WithChange([](QJsonObject& r) { SetLandUse(r, QStringLiteral("points"), 3); }), countsDisagree);
        row("current count that the points contradict",
            WithChange([](QJsonObject& r) { r[QStringLiteral("pointsUsageCourant")] = 0; }), countsDisagree);
        row("press under a use not begun", WithChange([](QJsonObject& r) { SetMark(r, 6, {"compte", 1, 1, 3}); }),
            Damage(QStringLiteral("un point compté l'est sous un usage du sol qui ne suit pas l'ordre des usages")));
        row("press back under an earlier use",
            WithChange([](QJsonObject& r) { SetMark(r, 4, {"compte", 1, 1, 2}); }),
            Damage(QStringLiteral("un point compté l'est sous un usage du sol qui ne suit pas l'ordre des usages")));
        row("mark of unknown kind", WithChange([](QJsonObject& r) { SetMark(r, 0, {"rond", 1, 1, 5}); }),
            Damage(QStringLiteral("une marque est d'un genre inconnu")));
        row("mark of three fields", WithChange([](QJsonObject& r) { SetMark(r, 0, {"point", 1, 1}); }),
            Damage(QStringLiteral("une marque n'a pas ses quatre champs")));
        row("mark a number", WithChange([](QJsonObject& r) {
                QJsonArray marks = r[QStringLiteral("marques")].toArray();
                marks[0] = 3;
                r[QStringLiteral("marques")] = marks;
            }),
            Damage(QStringLiteral("une marque manque ou n'est pas une liste")));
        const TSurveyTally blocks = DesignedSurvey({DesignKind::Stratified, 4});
        row("a point outside its block",
            WithChange([](QJsonObject& r) { SetMark(r, 0, QJsonArray{"point", 599, 399, 5, 0}); }, blocks),
            Damage(QStringLiteral("un point d'échantillon n'est pas dans son bloc ou sa grappe")));
        row("a point of a block the map lacks",
            WithChange([](QJsonObject& r) { SetMark(r, 0, QJsonArray{"point", 599, 399, 5, 4}); }, blocks),
            Damage(QStringLiteral("un point d'échantillon n'est pas dans son bloc ou sa grappe")));
        row("a design of no known kind", WithChange([](QJsonObject& r) {
                QJsonObject plan = r[QStringLiteral("plan")].toObject();
                plan[QStringLiteral("genre")] = QStringLiteral("spirale");
                r[QStringLiteral("plan")] = plan;
            }, blocks),
            Damage(QStringLiteral("le plan d'échantillonnage est d'un genre inconnu")));
        row("a later version without its design",
            WithChange([](QJsonObject& r) { r[QStringLiteral("version")] = 2; }),
            Damage(QStringLiteral("le plan d'échantillonnage manque ou n'est pas un objet")));
        row("a student's name that is no text", WithChange([](QJsonObject& r) { r[QStringLiteral("eleve")] = 3; }),
            Damage(QStringLiteral("le nom de l'élève manque ou n'est pas un texte")));
        row("a student's name too long",
            WithChange([](QJsonObject& r) { r[QStringLiteral("eleve")] = QString(101, QLatin1Char('z')); }),
            Damage(QStringLiteral("le nom de l'élève est trop long ou mal codé")));
        const auto legend = [](const QJsonValue& value) {
            return WithChange([value](QJsonObject& r) { r[QStringLiteral("legende")] = value; });
        };
        for (const auto& [name, colour] : {std::pair{"a legend's colour in lower case", "80a0ff"},
                                           std::pair{"a legend's colour with a hash", "#80A0F"},
                                           std::pair{"a legend's colour of seven digits", "80A0FF0"}})
            row(name, legend(QJsonObject{{QLatin1String(colour), "eau"}}),
                Damage(QStringLiteral("la légende a une couleur qui n'en est pas une")));
        row("a legend's name empty", legend(QJsonObject{{"80A0FF", " "}}),
            Damage(QStringLiteral("un nom de la légende est vide, trop long ou mal codé")));
        row("a legend's name too long", legend(QJsonObject{{"80A0FF", QString(51, QLatin1Char('e'))}}),
            Damage(QStringLiteral("un nom de la légende est vide, trop long ou mal codé")));
        row("a legend that is a list", legend(QJsonArray{"80A0FF", "eau"}),
            Damage(QStringLiteral("la légende manque ou n'est pas un objet")));
        const auto scale = [](const char* source, double metres) {
            return WithChange([=](QJsonObject& r) {
                r[QStringLiteral("version")] = 3;
                r[QStringLiteral("echelle")] =
                    QJsonObject{{"source", source}, {"metresParPixel", metres}, {"metresCarresParPixel", metres * metres}};
            });
        };
        row("a scale of no known source", scale("boussole", 2.5), Damage(QStringLiteral("l'échelle est d'une source inconnue")));
        row("a negative scale", scale("mesure", -2.5),
            Damage(QStringLiteral("l'échelle n'est pas un nombre de mètres par pixel plus grand que 0")));
        row("a scale of 0", scale("mesure", 0),
            Damage(QStringLiteral("l'échelle n'est pas un nombre de mètres par pixel plus grand que 0")));
        row("blocks' points without their block",
            WithChange([](QJsonObject& r) { SetMark(r, 0, QJsonArray{"point", 1, 1, 5}); }, blocks),
            Damage(QStringLiteral("une marque n'a pas le nombre de champs de son genre")));
    }
    void refusesWhatTheProgramCouldNotHaveMade()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        try {
            ReadSurveyFile(bytes);
            QFAIL("the file was taken");
        } catch (const EReadError& error) {
            QCOMPARE(error.Message, message);
        }
    }

    void writesNothingTheReaderWouldRefuse()
    {
        TSurveyTally tally = MadeSurvey(3, {}, true);
        tally.AddSamplePoint(QPoint(600, 0), 5);
        QVERIFY_THROWS_EXCEPTION(EInvalidOperation, WriteSurveyFile(tally, QStringLiteral("c.bmp"), MapHash));
        QVERIFY_THROWS_EXCEPTION(EInvalidOperation,
                                 WriteSurveyFile(MadeSurvey(3, {1}, true), QStringLiteral("c.bmp"), "short"));
    }

    // A legend as a spreadsheet gives it becomes one the file keeps: names cut and trimmed as land
    // uses' are, unnamed colours dropped, an absurd legend not kept at all.
    void keepsALegendTheFileCanHold()
    {
        ColourNames many;
        for (uint32_t colour = 0; colour <= uint32_t(SurveyFileLimits::MaxLegendColours); ++colour)
            many[colour] = QStringLiteral("u");
        QVERIFY(SoundLegend(many).empty());
        const ColourNames typed{{0xFF808080, QStringLiteral("  trafic ")},
                                {0x0000FF, QString(60, QLatin1Char('e'))},
                                {0x00FF00, QStringLiteral(" \t")},
                                {0xFF0000, QStringLiteral("bâti") + QChar(0xD800)}};
        const ColourNames kept{{0x808080, QStringLiteral("trafic")},
                               {0x0000FF, QString(50, QLatin1Char('e'))},
                               {0xFF0000, QStringLiteral("bâti")}};
        QVERIFY(SoundLegend(typed) == kept);
    }

    void hashesAFileByItsContent()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("carte.bmp"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(3 * 1024 * 1024 + 5, 'a'));
        file.close();
        // Larger than one piece of the read, so that the pieces are joined in order.
        QCOMPARE(FileSha256(path).toHex(), QByteArray("aff2c7498aae939dfb2fb1dc6c0c83fa3708b069428e51338801af7f5dc2bf0f"));
        QVERIFY_THROWS_EXCEPTION(EFOpenError, FileSha256(folder.filePath(QStringLiteral("absente.bmp"))));
    }
};

QTEST_MAIN(SurveyFileTest)
#include "test_survey_file.moc"
