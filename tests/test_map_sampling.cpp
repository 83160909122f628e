// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// "Go": points drawn from the program's own generator uniformly over every pixel of the map and
// centred there, the point size read before each point, and a sample size or a map that "Go"
// cannot honour refused with a notice.

#include "core/SampleDesign.h"
#include "core/SampleGenerator.h"
#include "core/SurveyTally.h"
#include "helpers/MapWindow.h"
#include "helpers/Program.h"
#include "windows/Carte2.h"
#include "windows/Fich_1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <numeric>

Q_DECLARE_METATYPE(SampleDesign)

namespace {

// The state from which the first pass of a press of "Go" draws the map pixel (x, y) on a
// 600 x 450 map.
uint32_t StateGiving(int x, int y)
{
    for (uint32_t state = 0;; ++state) {
        GeneratorState = state;
        if (int(RandomBelow(600)) == x && int(RandomBelow(450)) == y)
            return state;
    }
}

}  // namespace

class MapSamplingTest : public ProgramTest {
    Q_OBJECT
    QTemporaryDir dir;

    void OpenLandscape(const QString& sampleSize)
    {
        OpenMap(WriteMap(dir.filePath("map.bmp"), 640, 480), sampleSize);
    }

private slots:
    // From state 0 the passes draw the map pixels (0, 14), (516, 91), (163, 302) and (191, 72):
    // every pass places a point, its disc centred on the pixel and clipped to the map.
    void fourPointsFromStateZero()
    {
        OpenLandscape("4");
        SurveyTally.PointsProbed = 9;
        boxes->Answers = QStringList{"Oui"};  // the points counted go with the sample
        Click(Form2->BtnCalcul);
        QCOMPARE(SurveyTally.PointsProbed, 0);
        QCOMPARE(SurveyTally.PointSize, 5);
        const QImage shown = Shown(Form2);
        const QList<QRect> discs{QRect(10, 22, 3, 5), QRect(524, 99, 5, 5), QRect(171, 310, 5, 5),
                                 QRect(199, 80, 5, 5)};
        int inDiscs = 0;
        for (const QRect& disc : discs) {
            QCOMPARE(Extent(shown, Red, disc.adjusted(-4, -4, 4, 4)), disc);
            inDiscs += Count(shown, Red, disc);
        }
        QCOMPARE(Count(shown, Red), inDiscs);
        // Four passes of two draws each, and "Go" stopped there.
        GeneratorState = 0;
        for (int i = 0; i < 8; ++i)
            RandomBelow(600);
        const uint32_t afterFourPasses = GeneratorState;
        Click(Form2->BtnCalcul);
        QCOMPARE(GeneratorState, afterFourPasses);
    }

    // No strip of the map is left out: ten thousand points of one pixel reach every border, and
    // their counts per tenth of the width and of the height are those of a uniform draw.
    void pointsCoverTheWholeMap()
    {
        OpenLandscape("10000");
        goState = 20261207;
        Form2->TaillePt->setText("1");
        Click(Form2->BtnCalcul);
        QCOMPARE(SurveyTally.Seed, 20261207u);  // the seed "Go" began from is kept
        const QImage shown = Shown(Form2);
        const QRect map(10, 10, 600, 450);
        shown.save("/tmp/plan_shown.png");
        QCOMPARE(Extent(shown, Red), map);
        for (const QRect& strip : {QRect(10, 10, 600, 51), QRect(10, 10, 11, 450),
                                   QRect(600, 10, 10, 450), QRect(10, 450, 600, 10)})
            QVERIFY(Count(shown, Red, strip) > 0);
        // Chi-square with 9 degrees of freedom: 21.67 leaves 1 % above it.
        const auto chiSquare = [&](bool columns) {
            QList<int> counts;
            for (int tenth = 0; tenth < 10; ++tenth)
                counts << Count(shown, Red,
                                columns ? QRect(10 + 60 * tenth, 10, 60, 450)
                                        : QRect(10, 10 + 45 * tenth, 600, 45));
            const double expected = std::accumulate(counts.begin(), counts.end(), 0) / 10.0;
            double sum = 0;
            for (int count : counts)
                sum += (count - expected) * (count - expected) / expected;
            return sum;
        };
        QVERIFY2(chiSquare(true) < 21.67, "columns not uniform");
        QVERIFY2(chiSquare(false) < 21.67, "rows not uniform");
    }

    // A map of one row or one column is sampled like any other.
    void anyMapSizeCanBeSampled_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("map");
        QTest::newRow("one row") << QSize(4800, 8) << QRect(10, 10, 600, 1);
        QTest::newRow("one column") << QSize(1, 700) << QRect(10, 10, 1, 700);
        QTest::newRow("one pixel picture") << QSize(1, 1) << QRect(10, 10, 700, 700);
    }
    void anyMapSizeCanBeSampled()
    {
        QFETCH(QSize, picture);
        QFETCH(QRect, map);
        OpenMap(WriteMap(dir.filePath("small.bmp"), picture.width(), picture.height()), "50");
        Click(Form2->BtnCalcul);
        QVERIFY(boxes->Notices.isEmpty());
        const QImage shown = Shown(Form2);
        QVERIFY(Count(shown, Red, map) > 0);
        QCOMPARE(Count(shown, Red, map), Count(shown, Red));
    }

    void pointSizeReadBeforeEachPoint_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("size");
        QTest::addColumn<QRect>("firstBox");
        // The first point lies on the map pixel (516, 91), the window point (526, 101).
        QTest::newRow("empty box: 5") << "" << 5 << QRect(524, 99, 5, 5);
        QTest::newRow("12") << "12" << 12 << QRect(520, 95, 12, 12);
        QTest::newRow("hexadecimal") << "$C" << 12 << QRect(520, 95, 12, 12);
    }
    void pointSizeReadBeforeEachPoint()
    {
        QFETCH(QString, typed);
        QFETCH(int, size);
        QFETCH(QRect, firstBox);
        OpenLandscape("1");
        goState = StateGiving(516, 91);
        Form2->TaillePt->setText(typed);
        Click(Form2->BtnCalcul);
        QCOMPARE(SurveyTally.PointSize, size);
        QCOMPARE(Extent(Shown(Form2), Red), firstBox);
        QVERIFY(boxes->Errors.isEmpty());
    }

    void aPointStopsAtTheMapsEdge()
    {
        OpenLandscape("1");
        goState = StateGiving(599, 449);
        Form2->TaillePt->setText("12");
        Click(Form2->BtnCalcul);
        QCOMPARE(Extent(Shown(Form2), Red), QRect(603, 453, 7, 7));
    }

    // Any point size draws at once: only the part of a disc on the map is worked out, at "Go"
    // and at every paint after it.
    void hugePointSizesDrawAtOnce_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("redOnMap");
        QTest::newRow("largest") << "2147483647" << 600 * 450;
        QTest::newRow("a million") << "1000000" << 600 * 450;
        QTest::newRow("a thousand") << "1000" << -1;
    }
    void hugePointSizesDrawAtOnce()
    {
        QFETCH(QString, typed);
        QFETCH(int, redOnMap);
        OpenLandscape("10000");
        Form2->TaillePt->setText(typed);
        QElapsedTimer timer;
        timer.start();
        Click(Form2->BtnCalcul);
        const QImage shown = Shown(Form2);
        for (int i = 0; i < 5; ++i)
            Uncover();
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        if (redOnMap >= 0)
            QCOMPARE(Count(shown, Red), redOnMap);
        QCOMPARE(Extent(shown, Red), QRect(10, 10, 600, 450));
        QVERIFY(boxes->Errors.isEmpty());
    }

    // A size that is no number, or below one pixel, is refused before anything is asked or
    // erased: the classification stays whole, its points on the map and its undo at hand.
    void aRefusedPointSizeChangesNothing_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("notice");
        QTest::newRow("letters") << "abc" << "'abc' n'est pas une valeur entière correcte." << "";
        QTest::newRow("a typo") << "5o" << "'5o' n'est pas une valeur entière correcte." << "";
        const QString tooSmall = QStringLiteral("La taille des points doit être d'au moins 1 pixel !");
        QTest::newRow("0") << "0" << "" << tooSmall;
        QTest::newRow("negative") << "-3" << "" << tooSmall;
        QTest::newRow("smallest") << "-2147483648" << "" << tooSmall;
    }
    void aRefusedPointSizeChangesNothing()
    {
        QFETCH(QString, typed);
        QFETCH(QString, error);
        QFETCH(QString, notice);
        OpenLandscape("4");
        Click(Form2->BtnCalcul);
        Form2->EdLandUse->setText("bois");
        Click(Form2->ButtSonder);
        PressOnMap(SamplePointOnWindow(0));
        const QImage before = Shown(Form2);
        const uint32_t state = GeneratorState;

        Form2->TaillePt->setText(typed);
        boxes->Answers = QStringList{"Oui"};
        Click(Form2->BtnCalcul);
        QCOMPARE(boxes->Errors, error.isEmpty() ? QStringList{} : QStringList{error});
        QCOMPARE(boxes->Notices, notice.isEmpty() ? QStringList{} : QStringList{notice});
        QVERIFY(boxes->Questions.isEmpty());
        QCOMPARE(GeneratorState, state);
        QCOMPARE(Shown(Form2).copy(MapSurface), before.copy(MapSurface));
        QCOMPARE(SurveyTally.PointsProbed, 1);
        QCOMPARE(Form2->EdLandUse->text(), QStringLiteral("bois"));
        Click(Form2->ButtAnnuler);
        QCOMPARE(SurveyTally.PointsProbed, 0);
    }

    void goEmptiesTheLandUse_data()
    {
        QTest::addColumn<QString>("landUse");
        QTest::addColumn<bool>("sonderAfter");
        QTest::newRow("held a land use: Sonder enabled") << "prairie" << true;
        QTest::newRow("already empty: Sonder stays disabled") << "" << false;
    }
    void goEmptiesTheLandUse()
    {
        QFETCH(QString, landUse);
        QFETCH(bool, sonderAfter);
        Form2->EdLandUse->setText(landUse);
        OpenLandscape("4");
        QVERIFY(!Form2->ButtSonder->isEnabled());
        Click(Form2->BtnCalcul);
        QCOMPARE(Form2->EdLandUse->text(), QString());
        QCOMPARE(Form2->ButtSonder->isEnabled(), sonderAfter);
    }

    // Mend: "Go" refuses what it cannot finish, with a notice, and draws nothing.
    void goRefusesWhatItCannotFinish_data()
    {
        QTest::addColumn<QSize>("picture");  // empty: no map file
        QTest::addColumn<QString>("sampleSize");
        QTest::addColumn<QString>("notice");
        const QString noSample = "Vous devez entrer le nombre de points d'echantillon !";
        const QString outOfRange =
            "Vous devez entrer un nombre de points d'échantillon compris entre 1 et 10000 !";
        const QString noMap = "La carte doit être dessinée !";
        QTest::newRow("sample size 0") << QSize(640, 480) << "0" << noSample;
        QTest::newRow("negative sample size") << QSize(640, 480) << "-5" << noSample;
        QTest::newRow("10001 points") << QSize(640, 480) << "10001" << outOfRange;
        QTest::newRow("no map drawn") << QSize() << "4" << noMap;
        QTest::newRow("a map without a row") << QSize(2000, 1) << "4" << noMap;
    }
    void goRefusesWhatItCannotFinish()
    {
        QFETCH(QSize, picture);
        QFETCH(QString, sampleSize);
        QFETCH(QString, notice);
        const QString path = dir.filePath("refused.bmp");
        QFile::remove(path);
        if (picture.isValid())
            WriteMap(path, picture.width(), picture.height());
        OpenMap(path, sampleSize);
        boxes->Clear();
        Form2->EdLandUse->setText("bois");
        SurveyTally.PointsProbed = 3;
        GeneratorState = 77;
        QElapsedTimer timer;
        timer.start();
        Click(Form2->BtnCalcul);
        QVERIFY(timer.elapsed() < 5000);
        QCOMPARE(boxes->Notices, QStringList{notice});
        QCOMPARE(Count(Shown(Form2), Red), 0);
        QCOMPARE(SurveyTally.PointsProbed, 3);
        QCOMPARE(GeneratorState, 77u);
        QCOMPARE(Form2->EdLandUse->text(), QStringLiteral("bois"));
    }

    // The plan chosen lays "Go"'s points as the design draws them from the seed, becomes the
    // survey's, says how many points it placed, and draws a stratified survey's blocks faintly on
    // the map; a plan that cannot be laid is refused before anything is asked or erased, and a
    // plan dialog cancelled changes nothing.
    void theChosenPlanLaysTheSample_data()
    {
        QTest::addColumn<SampleDesign>("design");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("notice");  // empty: laid
        QTest::newRow("systematic") << SampleDesign{DesignKind::Systematic} << true << "";
        QTest::newRow("three blocks") << SampleDesign{DesignKind::Stratified, 3} << true << "";
        QTest::newRow("clusters") << SampleDesign{DesignKind::Clustered, 4, 5, 3, 12} << true << "";
        QTest::newRow("cancelled") << SampleDesign{DesignKind::Systematic} << false << "";
        QTest::newRow("too many blocks")
            << SampleDesign{DesignKind::Stratified, 15} << true
            << "Il faut au moins 2 points par bloc : 20 points ne suffisent pas pour 15 blocs.";
    }
    void theChosenPlanLaysTheSample()
    {
        QFETCH(SampleDesign, design);
        QFETCH(bool, confirmed);
        QFETCH(QString, notice);
        OpenLandscape("20");
        ChoosePlan(design, confirmed);
        SurveyTally.PointsProbed = 3;
        boxes->Clear();
        boxes->Answers = QStringList{"Oui"};
        Form2->EdGraine->setText("2026");
        Click(Form2->BtnCalcul);
        if (!notice.isEmpty()) {
            QCOMPARE(boxes->Notices, QStringList{notice});
            QVERIFY(boxes->Questions.isEmpty());
            QCOMPARE(SurveyTally.PointsProbed, 3);
            return;
        }
        const SampleDesign laid = confirmed ? design : SampleDesign{};
        QCOMPARE(SurveyTally.Design, laid);
        uint32_t state = 2026;
        const DesignedSample expected = DrawDesign(laid, 20, QSize(600, 450), state);
        QCOMPARE(SurveyTally.SamplePoints(), int(expected.Points.size()));
        for (int point = 0; point < SurveyTally.SamplePoints(); ++point) {
            QCOMPARE(SurveyTally.Marks()[size_t(point)].Place, expected.Points[size_t(point)].Place);
            QCOMPARE(SurveyTally.Marks()[size_t(point)].Group, expected.Points[size_t(point)].Group);
        }
        QCOMPARE(Form2->LabelProgress->text().contains(QStringLiteral("N = %1 points placés").arg(expected.Points.size())),
                 laid.Kind != DesignKind::SimpleRandom);
        // On a white map, a block's edge shows as dots of grey, and only there.
        const QImage shown = Shown(Form2);
        const QRgb dot = qRgb(170, 170, 170);
        const TViewScale& view = Form2->Canvas.View();
        QCOMPARE(Count(shown, dot, view.ShownFrom(QRect(10, 10, 600, 450))) > 0, laid.Kind == DesignKind::Stratified);
        for (const QRect& block : expected.Blocks) {
            if (block.left() == 0)
                continue;
            const QRect edge = view.ShownFrom(QRect(10 + block.left(), 10 + block.top(), 1, block.height()));
            QVERIFY(Count(shown, dot, QRect(edge.topLeft(), QSize(1, edge.height()))) >= edge.height() / 2 - 20);
        }
    }

    // The seed box: empty, "Go" seeds from the clock, anew at every press; a number, "Go" begins
    // from it, so the same map, sample size and seed give the same points. The box keeps what was
    // typed; the seed used shows beside it. (test_numbers reads every form of seed.)
    void theSeedBoxGivesTheSamePoints_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("error");  // empty: accepted
        QTest::addColumn<uint>("seed");
        QTest::newRow("empty: the clock") << "" << "" << 777u;
        QTest::newRow("a number, leading blanks kept") << "  42" << "" << 42u;
        QTest::newRow("the largest") << "4294967295" << "" << 4294967295u;
        QTest::newRow("past the largest")
            << "4294967296" << "'4294967296' est hors des limites : la graine est un nombre entier de 0 à 4294967295." << 0u;
    }
    void theSeedBoxGivesTheSamePoints()
    {
        QFETCH(QString, typed);
        QFETCH(QString, error);
        QFETCH(uint, seed);
        OpenLandscape("1");
        goState = 777;
        GeneratorState = 5;
        SurveyTally.PointsProbed = 3;
        boxes->Answers = QStringList{"Oui"};
        Form2->EdGraine->setText(typed);
        Click(Form2->BtnCalcul);
        if (!error.isEmpty()) {
            // Refused before anything changed.
            QCOMPARE(boxes->Errors, QStringList{error});
            QCOMPARE(GeneratorState, 5u);
            QCOMPARE(SurveyTally.PointsProbed, 3);
            QCOMPARE(Form2->EdGraine->text(), typed);
            QCOMPARE(Count(Shown(Form2), Red), 0);
            return;
        }
        QCOMPARE(SurveyTally.Seed, seed);
        QCOMPARE(Form2->EdGraine->text(), typed);
        QCOMPARE(Form2->EdGraineUtilisee->text(), QString::number(seed));
        GeneratorState = seed;
        const int x = int(RandomBelow(600)), y = int(RandomBelow(450));
        QCOMPARE(Extent(Shown(Form2), Red), QRect(10 + x - 2, 10 + y - 2, 5, 5) & QRect(10, 10, 600, 450));

        // Pressed again: a typed seed gives the same points, an empty box new ones.
        goState = 778;
        Click(Form2->BtnCalcul);
        QCOMPARE(SurveyTally.Seed, typed.isEmpty() ? 778u : seed);
        QCOMPARE(Form2->EdGraineUtilisee->text(), QString::number(SurveyTally.Seed));
    }

    void theSeedBoxIsReachedByAltG()
    {
        if (QGuiApplication::platformName() == QLatin1String("wayland"))
            QSKIP("a compositor without a keyboard gives no window the keyboard focus");
        OpenLandscape("1");
        QTest::keyClick(Form2, Qt::Key_G, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form2->EdGraine));
    }

    // Every pass places a point, so "Go" stops after exactly two draws a point, also past the
    // 255 that an 8-bit counter would hold.
    void placesExactlyTheSampleSize_data()
    {
        QTest::addColumn<int>("sampleSize");
        for (int size : {1, 255, 256, 257, 10000})
            QTest::addRow("%d", size) << size;
    }
    void placesExactlyTheSampleSize()
    {
        QFETCH(int, sampleSize);
        OpenLandscape(QString::number(sampleSize));
        Click(Form2->BtnCalcul);
        const uint32_t stoppedAt = GeneratorState;
        GeneratorState = 0;
        for (int draw = 0; draw < 2 * sampleSize; ++draw)
            RandomBelow(600);
        QCOMPARE(stoppedAt, GeneratorState);
        QVERIFY(boxes->Notices.isEmpty());
    }
};

QTEST_MAIN(MapSamplingTest)
#include "test_map_sampling.moc"
