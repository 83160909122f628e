// The survey repeated on a map of flat colours: the colours and their true shares counted
// exactly, the surveys those "Go" makes from the same seed, the coverages of the four kinds of
// interval against their known values, a run that stops when asked, the command line giving the
// same figures, and the refusals.

#include "core/Errors.h"
#include "core/MapColours.h"
#include "core/Numbers.h"
#include "core/SampleGenerator.h"
#include "core/Simulation.h"
#include "core/SimulationCsv.h"
#include "helpers/BmpWriter.h"
#include "picture/MapPixels.h"
#include "picture/TBitmap.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

namespace {

PixelView ViewOf(const QImage& rgb32)
{
    return {reinterpret_cast<const uint32_t*>(rgb32.constBits()), rgb32.width(), rgb32.height(),
            rgb32.bytesPerLine() / 4};
}

// A map of `width` × `height` pixels of `background`, with rectangles of other colours on it.
QImage FlatMap(int width, int height, QRgb background, const QList<QPair<QRect, QRgb>>& areas = {})
{
    QImage map(width, height, QImage::Format_RGB32);
    map.fill(background);
    QPainter painter(&map);
    for (const auto& [area, colour] : areas)
        painter.fillRect(area, QColor(colour));
    return map;
}

// 10 × 10 pixels of which `chosen` are the chosen colour 0x123456: a true share of chosen / 100.
QImage MapWithShare(int chosen)
{
    QImage map = FlatMap(10, 10, qRgb(255, 255, 255));
    for (int i = 0; i < chosen; ++i)
        map.setPixel(i % 10, i / 10, 0xFF123456);
    return map;
}

const std::atomic<bool> neverStop = false;

QString Message(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& error) {
        return error.ClassName + QStringLiteral(": ") + error.Message;
    }
    return {};
}

}  // namespace

class SimulationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SetDecimalSeparator(QLatin1Char('.')); }

    void censusCountsEachColourExactly_data()
    {
        QTest::addColumn<QImage>("map");
        QTest::addColumn<QList<uint>>("colours");    // largest first
        QTest::addColumn<QList<qint64>>("pixels");
        QTest::newRow("one colour") << FlatMap(7, 3, qRgb(1, 2, 3)) << QList<uint>{0x010203} << QList<qint64>{21};
        QTest::newRow("three colours, largest first")
            << FlatMap(20, 10, qRgb(0, 0, 255), {{QRect(0, 0, 10, 10), qRgb(255, 0, 0)}, {QRect(10, 0, 3, 2), qRgb(0, 255, 0)}})
            << QList<uint>{0xFF0000, 0x0000FF, 0x00FF00} << QList<qint64>{100, 94, 6};
        QTest::newRow("a tie goes by the colour's value")
            << FlatMap(4, 2, qRgb(9, 9, 9), {{QRect(0, 0, 2, 2), qRgb(1, 1, 1)}})
            << QList<uint>{0x010101, 0x090909} << QList<qint64>{4, 4};
        QTest::newRow("colours coming back along the rows")
            << FlatMap(9, 9, qRgb(5, 5, 5), {{QRect(0, 0, 1, 9), qRgb(6, 6, 6)}, {QRect(8, 0, 1, 9), qRgb(6, 6, 6)},
                                             {QRect(4, 4, 1, 1), qRgb(7, 7, 7)}})
            << QList<uint>{0x050505, 0x060606, 0x070707} << QList<qint64>{62, 18, 1};
        QTest::newRow("64 colours") << MapOfColours(64) << QList<uint>{} << QList<qint64>(64, 1);
    }

    void censusCountsEachColourExactly()
    {
        QFETCH(QImage, map);
        QFETCH(QList<uint>, colours);
        QFETCH(QList<qint64>, pixels);
        const std::vector<MapColour> census = ColourCensus(ViewOf(map));
        QCOMPARE(qsizetype(census.size()), pixels.size());
        const long double total = (long double)map.width() * map.height();
        for (qsizetype i = 0; i < pixels.size(); ++i) {
            if (!colours.isEmpty())
                QCOMPARE(census[size_t(i)].Rgb, colours[i]);
            QCOMPARE(census[size_t(i)].Pixels, pixels[i]);
            QVERIFY(census[size_t(i)].Share == pixels[i] / total);
        }
    }

    // The census reads the rows where the stride puts them, and the alpha byte is no colour.
    void censusReadsRowsByTheirStrideAndIgnoresAlpha()
    {
        QImage wide = FlatMap(10, 4, qRgb(200, 0, 0), {{QRect(2, 0, 3, 4), qRgb(0, 200, 0)}});
        wide.setPixel(2, 1, qRgba(0, 200, 0, 0) & 0x00FFFFFF);
        const PixelView window{reinterpret_cast<const uint32_t*>(wide.constBits()) + 2, 3, 4, wide.bytesPerLine() / 4};
        const std::vector<MapColour> census = ColourCensus(window);
        QCOMPARE(census.size(), size_t(1));
        QCOMPARE(census[0].Rgb, 0x00C800u);
        QCOMPARE(census[0].Pixels, 12);
    }

    // An indexed or 24-bit file reaches the census through the picture layer with its colours.
    void censusOfAMapFileOfEveryDepth_data()
    {
        QTest::addColumn<int>("bitsPerPixel");
        QTest::newRow("8 bits, indexed") << 8;
        QTest::newRow("24 bits") << 24;
    }

    void censusOfAMapFileOfEveryDepth()
    {
        QFETCH(int, bitsPerPixel);
        const QImage map = FlatMap(13, 7, qRgb(128, 128, 128), {{QRect(0, 0, 5, 7), qRgb(70, 130, 210)}});
        QTemporaryDir folder;
        const QString file = folder.filePath("carte.bmp");
        const QImage stored = bitsPerPixel == 8 ? map.convertToFormat(QImage::Format_Indexed8) : map;
        WriteBmpFile(file, bitsPerPixel == 8 ? LayoutFor(stored, 8) : LayoutFor(stored, 24));
        TBitmap bitmap;
        bitmap.LoadPictureFile(file);
        const MapPixels pixels(bitmap);
        const std::vector<MapColour> census = ColourCensus(pixels.View());
        QCOMPARE(census.size(), size_t(2));
        QCOMPARE(census[0].Rgb, 0x808080u);
        QCOMPARE(census[0].Pixels, 8 * 7);
        QCOMPARE(census[1].Rgb, 0x4682D2u);
        QCOMPARE(census[1].Pixels, 5 * 7);
    }

    // Survey after survey, the simulation draws its points as "Go" does from the same seed, over
    // the map's pixels: x then y for each point from the program's generator, the surveys one
    // after the other.
    void surveysFollowTheProgramsGeneratorFromTheSeed_data()
    {
        QTest::addColumn<QImage>("map");
        QTest::addColumn<int>("sampleSize");
        QTest::addColumn<int>("surveys");
        QTest::addColumn<uint>("seed");
        const QImage town = FlatMap(800, 600, qRgb(95, 170, 75), {{QRect(0, 290, 800, 20), 0xFF123456},
                                                                   {QRect(100, 0, 30, 600), 0xFF123456}});
        QTest::newRow("a town, 100 points") << town << 100 << 50 << 12345u;
        QTest::newRow("a town, seed 0") << town << 1000 << 5 << 0u;
        QTest::newRow("the largest seed") << town << 10 << 100 << 4294967295u;
        QTest::newRow("a map of odd size") << MapWithShare(37).copy(0, 0, 7, 9) << 30 << 200 << 99u;
        QTest::newRow("one pixel wide") << MapWithShare(5).copy(0, 0, 1, 10) << 10000 << 3 << 7u;
    }

    // A colour given twice, or with an alpha byte as QRgb has, is the same land use.
    void chosenColoursCountOnceWhateverTheirAlpha_data()
    {
        QTest::addColumn<QList<uint>>("colours");
        QTest::newRow("once") << QList<uint>{0x123456};
        QTest::newRow("twice") << QList<uint>{0x123456, 0x123456};
        QTest::newRow("with alpha") << QList<uint>{0xFF123456};
        QTest::newRow("with and without") << QList<uint>{0xFF123456, 0x123456};
    }

    void chosenColoursCountOnceWhateverTheirAlpha()
    {
        QFETCH(QList<uint>, colours);
        const QImage map = MapWithShare(37);
        const SurveySimulation simulation(ViewOf(map), {colours.begin(), colours.end()}, 10, 1, 1);
        QCOMPARE(simulation.ChosenPixels(), 37);
    }

    void surveysFollowTheProgramsGeneratorFromTheSeed()
    {
        QFETCH(QImage, map);
        QFETCH(int, sampleSize);
        QFETCH(int, surveys);
        QFETCH(uint, seed);
        SurveySimulation simulation(ViewOf(map), {0x123456}, sampleSize, surveys, seed);
        simulation.Run(neverStop);
        QCOMPARE(simulation.SurveysDone(), surveys);
        GeneratorState = seed;
        for (int survey = 0; survey < surveys; ++survey) {
            int count = 0;
            for (int point = 0; point < sampleSize; ++point) {
                const int x = int(RandomBelow(uint32_t(map.width())));
                const int y = int(RandomBelow(uint32_t(map.height())));
                count += (map.pixel(x, y) & 0xFFFFFF) == 0x123456;
            }
            QCOMPARE(simulation.Counts()[size_t(survey)], count);
        }
    }

    // Known values: Wald's interval at 10 points and a share of 10 % holds it only when 1 to 4
    // points fall on the use, 64.97 % of the time; the exact interval 98.7 % of the time.
    void expectedCoverageHasItsKnownValues_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("sampleSize");
        QTest::addColumn<double>("share");
        QTest::addColumn<double>("coverage");
        QTest::addColumn<double>("tolerance");
        QTest::newRow("Wald, n = 10, p = 0.1") << int(IntervalMethod::Wald) << 10 << 0.1 << 0.6497 << 0.00005;
        QTest::newRow("Clopper-Pearson, n = 10, p = 0.1") << int(IntervalMethod::ClopperPearson) << 10 << 0.1 << 0.987 << 0.0005;
        // Wald at a share of 0.5 and 1 point: the count is 0 or 1, each interval a single point.
        QTest::newRow("Wald, n = 1, p = 0.5") << int(IntervalMethod::Wald) << 1 << 0.5 << 0.0 << 0.0;
        // f ± 1/√n at 4 points is f ± 0.5: it misses 0.6 only when no point falls on the use.
        QTest::newRow("f ± 1/√n, n = 4, p = 0.6") << int(IntervalMethod::RootN) << 4 << 0.6 << 1 - 0.4 * 0.4 * 0.4 * 0.4 << 1e-15;
    }

    void expectedCoverageHasItsKnownValues()
    {
        QFETCH(int, method);
        QFETCH(int, sampleSize);
        QFETCH(double, share);
        QFETCH(double, coverage);
        QFETCH(double, tolerance);
        const long double expected =
            ExpectedCoverage(LimitsOfEveryCount(IntervalMethod(method), sampleSize), share);
        QVERIFY2(std::abs(double(expected) - coverage) <= tolerance, qPrintable(QString::number(double(expected), 'f', 6)));
    }

    // The program's interval keeps its promise at every share: its coverage never falls under 95 %.
    void exactIntervalCoversAtLeast95PercentEverywhere_data()
    {
        QTest::addColumn<int>("sampleSize");
        for (int n : {10, 30, 100})
            QTest::newRow(qPrintable(QString::number(n))) << n;
    }

    void exactIntervalCoversAtLeast95PercentEverywhere()
    {
        QFETCH(int, sampleSize);
        const std::vector<ShareLimits> limits = LimitsOfEveryCount(IntervalMethod::ClopperPearson, sampleSize);
        for (int step = 1; step < 2000; ++step) {
            const long double share = step / 2000.0L;
            const long double coverage = ExpectedCoverage(limits, share);
            QVERIFY2(coverage >= 0.95L, qPrintable(QStringLiteral("p = %1: %2").arg(double(share)).arg(double(coverage))));
        }
    }

    // 20000 surveys: each method's simulated coverage has its expected one within its own 95 %
    // interval, and the table's mean width is that of the counts found.
    void fluctuationIntervalHasItsBinomialCounts_data()
    {
        QTest::addColumn<double>("share");
        QTest::addColumn<int>("sampleSize");
        QTest::addColumn<int>("lowest");
        QTest::addColumn<int>("highest");
        // P(X ≤ 39) = 0.018, P(X ≤ 40) = 0.028; P(X ≤ 59) = 0.972, P(X ≤ 60) = 0.982.
        QTest::newRow("n = 100, p = 0.5") << 0.5 << 100 << 40 << 60;
        // P(X = 0) = 0.349 already; P(X ≤ 2) = 0.930, P(X ≤ 3) = 0.987.
        QTest::newRow("n = 10, p = 0.1") << 0.1 << 10 << 0 << 3;
        QTest::newRow("one point") << 0.5 << 1 << 0 << 1;
        QTest::newRow("p = 0") << 0.0 << 50 << 0 << 0;
        QTest::newRow("p = 1") << 1.0 << 50 << 50 << 50;
    }
    void fluctuationIntervalHasItsBinomialCounts()
    {
        QFETCH(double, share);
        QFETCH(int, sampleSize);
        QFETCH(int, lowest);
        QFETCH(int, highest);
        const CountRange range = FluctuationCounts95(share, sampleSize);
        QCOMPARE(range.Lowest, lowest);
        QCOMPARE(range.Highest, highest);
    }

    void simulatedCoverageAgreesWithTheExpected_data()
    {
        QTest::addColumn<int>("chosenPixels");
        QTest::addColumn<int>("sampleSize");
        QTest::newRow("p = 0.1, n = 10") << 10 << 10;
        QTest::newRow("p = 0.37, n = 30") << 37 << 30;
        QTest::newRow("p = 0.03, n = 100") << 3 << 100;
    }

    void simulatedCoverageAgreesWithTheExpected()
    {
        QFETCH(int, chosenPixels);
        QFETCH(int, sampleSize);
        const QImage map = MapWithShare(chosenPixels);
        SurveySimulation simulation(ViewOf(map), {0x123456}, sampleSize, 20000, 2026);
        QVERIFY(simulation.TrueShare() == chosenPixels / 100.0L);
        simulation.Run(neverStop);
        for (const MethodFigures& row : simulation.Figures()) {
            QCOMPARE(row.Surveys, 20000);
            QVERIFY2(row.CoverageLimits.Lower <= row.ExpectedCoverage && row.ExpectedCoverage <= row.CoverageLimits.Upper,
                     qPrintable(MethodName(row.Method)));
            long double widths = 0;
            for (int32_t count : simulation.Counts()) {
                const ShareLimits limits = MethodLimits(row.Method, count, sampleSize);
                widths += limits.Upper - limits.Lower;
            }
            QVERIFY(std::abs(double(row.MeanWidth - widths / 20000)) < 1e-12);
        }
    }

    // A run on a worker thread stops within 100 ms of being asked, with the surveys done so far
    // readable; run again, it finishes the same surveys an unbroken run makes.
    void runStopsWhenAskedAndGoesOnAfterwards()
    {
        const QImage map = MapWithShare(50);
        SurveySimulation simulation(ViewOf(map), {0x123456}, 10000, 100000, 42);
        std::atomic<bool> stop = false;
        std::thread worker([&] { simulation.Run(stop); });
        QTRY_VERIFY(simulation.SurveysDone() > 0);
        QElapsedTimer sinceAsked;
        sinceAsked.start();
        stop = true;
        worker.join();
        QVERIFY2(sinceAsked.elapsed() < 100, qPrintable(QString::number(sinceAsked.elapsed())));
        const int32_t done = simulation.SurveysDone();
        QVERIFY(done < 90000);
        QCOMPARE(simulation.Figures().front().Surveys, done);

        // Only the first surveys after the stop are compared: the whole run would take seconds.
        const int32_t more = done + 10;
        SurveySimulation unbroken(ViewOf(map), {0x123456}, 10000, more, 42);
        unbroken.Run(neverStop);
        std::atomic<bool> stopSoon = false;
        std::thread watcher([&] {
            while (simulation.SurveysDone() < more)
                std::this_thread::yield();
            stopSoon = true;
        });
        simulation.Run(stopSoon);
        watcher.join();
        QVERIFY(simulation.SurveysDone() >= more);
        for (int32_t survey = 0; survey < more; ++survey)
            QCOMPARE(simulation.Counts()[size_t(survey)], unbroken.Counts()[size_t(survey)]);
    }

    void refusals_data()
    {
        QTest::addColumn<int>("sampleSize");
        QTest::addColumn<int>("surveys");
        QTest::addColumn<QList<uint>>("colours");
        QTest::addColumn<QString>("message");
        const QList<uint> onMap = {0x123456};
        QTest::newRow("no point") << 0 << 10 << onMap << "EInvalidOperation: Vous devez entrer un nombre de points d'échantillon compris entre 1 et 10000 !";
        QTest::newRow("10001 points") << 10001 << 10 << onMap << "EInvalidOperation: Vous devez entrer un nombre de points d'échantillon compris entre 1 et 10000 !";
        QTest::newRow("no survey") << 10 << 0 << onMap << "EInvalidOperation: Vous devez entrer un nombre d'enquêtes compris entre 1 et 100000 !";
        QTest::newRow("100001 surveys") << 10 << 100001 << onMap << "EInvalidOperation: Vous devez entrer un nombre d'enquêtes compris entre 1 et 100000 !";
        QTest::newRow("no colour") << 10 << 10 << QList<uint>{} << "EInvalidOperation: Choisissez au moins une couleur de la carte comme usage du sol !";
        QTest::newRow("a colour the map lacks") << 10 << 10 << QList<uint>{0x123456, 0xABCDEF} << "EInvalidOperation: La couleur ABCDEF n'est pas dans la carte.";
    }

    void refusals()
    {
        QFETCH(int, sampleSize);
        QFETCH(int, surveys);
        QFETCH(QList<uint>, colours);
        QFETCH(QString, message);
        const QImage map = MapWithShare(10);
        QCOMPARE(Message([&] { SurveySimulation(ViewOf(map), {colours.begin(), colours.end()}, sampleSize, surveys, 1); }),
                 message);
    }

    void tooManyColoursAreRefused()
    {
        const QImage photo = MapOfColours(65);
        const QString message = Message([&] { ColourCensus(ViewOf(photo)); });
        QVERIFY2(message.startsWith("EInvalidGraphic: Cette carte a plus de 64 couleurs") && message.contains("aplats"),
                 qPrintable(message));
    }

    // The command line prints what the simulation computes from the same seed, and refuses with
    // the French message on its error stream and a non-zero status.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");  // stdout on success, stderr's first line otherwise
        const QImage map = MapWithShare(37);
        SurveySimulation simulation(ViewOf(map), {0x123456}, 30, 500, 77);
        simulation.Run(neverStop);
        QTest::newRow("simulation")
            << QStringList{"--couleur", "123456", "--n", "30", "--k", "500", "--graine", "77"} << 0
            << SimulationCsv(simulation, "MAP", {0x123456});
        QTest::newRow("colours") << QStringList{"--colonnes"} << 0 << ColourCensusCsv(ColourCensus(ViewOf(map)));
        QTest::newRow("n out of range")
            << QStringList{"--couleur", "123456", "--n", "10001", "--k", "5"} << 1
            << "Vous devez entrer un nombre de points d'échantillon compris entre 1 et 10000 !";
        QTest::newRow("a colour the map lacks") << QStringList{"--couleur", "#123456,00ff00", "--n", "5", "--k", "5"}
                                                << 1 << "La couleur 00FF00 n'est pas dans la carte.";
        QTest::newRow("no colour") << QStringList{"--couleur", "", "--n", "5", "--k", "5"} << 1
                                   << "Choisissez au moins une couleur de la carte comme usage du sol !";
        QTest::newRow("K missing") << QStringList{"--couleur", "123456", "--n", "5"} << 2 << "L'option --k manque.";
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, output);
        QTemporaryDir folder;
        const QString mapFile = folder.filePath("carte.bmp");
        WriteBmpFile(mapFile, MapWithShare(37));
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LC_ALL", "C.UTF-8");
        program.setProcessEnvironment(environment);
        program.start(SONDELIO_SIMULATION, QStringList{mapFile} + arguments);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), status);
        if (status == 0) {
            QCOMPARE(QString::fromUtf8(program.readAllStandardOutput()), QString(output).replace("MAP", mapFile));
        } else {
            QCOMPARE(QString::fromUtf8(program.readAllStandardError()).section('\n', 0, 0), output);
            QVERIFY(program.readAllStandardOutput().isEmpty());
        }
    }

    // Without a seed the clock gives one, and the output names it so that the run can be made again.
    void commandLineNamesTheClocksSeed()
    {
        QTemporaryDir folder;
        const QString mapFile = folder.filePath("carte.bmp");
        WriteBmpFile(mapFile, MapWithShare(37));
        QProcess program;
        program.start(SONDELIO_SIMULATION, {mapFile, "--couleur", "123456", "--n", "30", "--k", "100"});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 0);
        const QString printed = QString::fromUtf8(program.readAllStandardOutput());
        const QString seedLine = printed.split("\r\n").filter(QRegularExpression("^Graine;")).value(0);
        QVERIFY2(!seedLine.isEmpty(), qPrintable(printed));
        QProcess again;
        again.start(SONDELIO_SIMULATION, {mapFile, "--couleur", "123456", "--n", "30", "--k", "100", "--graine", seedLine.mid(7)});
        QVERIFY(again.waitForFinished(10000));
        QCOMPARE(QString::fromUtf8(again.readAllStandardOutput()), printed);
    }
};

QTEST_MAIN(SimulationTest)
#include "test_simulation.moc"
