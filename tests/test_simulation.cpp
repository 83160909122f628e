// The survey repeated on a map of flat colours: the colour census, the surveys drawn from the
// seed, the coverages against their known values, a stopped run, the command line, the refusals.

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

// `width` × `height` pixels of `background`, with rectangles of other colours on it.
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

// `map` written as a BMP file of that depth and read back through the picture layer.
QImage ThroughPictureFile(const QImage& map, int bitsPerPixel)
{
    QTemporaryDir folder;
    const QString file = folder.filePath("carte.bmp");
    WriteBmpFile(file, LayoutFor(bitsPerPixel == 8 ? map.convertToFormat(QImage::Format_Indexed8) : map, bitsPerPixel));
    TBitmap bitmap;
    bitmap.LoadPictureFile(file);
    const MapPixels pixels(bitmap);
    const PixelView view = pixels.View();
    return QImage(reinterpret_cast<const uchar*>(view.Pixels), view.Width, view.Height, view.Stride * 4,
                  QImage::Format_RGB32).copy();
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

struct ToolRun { int Status; QString Output, Errors; };

ToolRun RunTool(const QStringList& arguments)
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C.UTF-8");
    program.setProcessEnvironment(environment);
    program.start(SONDELIO_SIMULATION, arguments);
    if (!program.waitForFinished(10000))
        return {-1, {}, {}};
    return {program.exitCode(), QString::fromUtf8(program.readAllStandardOutput()),
            QString::fromUtf8(program.readAllStandardError())};
}

}  // namespace

class SimulationTest : public QObject {
    Q_OBJECT
    QTemporaryDir folder;
    QString mapFile;  // MapWithShare(37), for the command line

private slots:
    void initTestCase()
    {
        SetDecimalSeparator(QLatin1Char('.'));
        mapFile = folder.filePath("carte.bmp");
        WriteBmpFile(mapFile, MapWithShare(37));
    }

    void censusCountsEachColourExactly_data()
    {
        QTest::addColumn<QImage>("map");
        QTest::addColumn<QList<uint>>("colours");  // largest first
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
        // Rows are read where the stride puts them; the alpha byte is no colour.
        static QImage wide = FlatMap(10, 4, qRgb(200, 0, 0), {{QRect(2, 0, 3, 4), qRgb(0, 200, 0)}});
        reinterpret_cast<uint32_t*>(wide.scanLine(1))[2] = 0x0000C800;
        QTest::newRow("a window of a wider picture, one alpha of 0")
            << QImage(wide.constBits() + 8, 3, 4, wide.bytesPerLine(), QImage::Format_RGB32) << QList<uint>{0x00C800}
            << QList<qint64>{12};
        const QImage file = FlatMap(13, 7, qRgb(128, 128, 128), {{QRect(0, 0, 5, 7), qRgb(70, 130, 210)}});
        for (int bits : {8, 24})
            QTest::newRow(qPrintable(QStringLiteral("a file of %1 bits").arg(bits))) << ThroughPictureFile(file, bits)
                                                                                 << QList<uint>{0x808080, 0x4682D2}
                                                                                 << QList<qint64>{56, 35};
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

    // A colour given twice, or with an alpha byte as QRgb has, is the same land use.
    void chosenColoursCountOnceWhateverTheirAlpha()
    {
        const QImage map = MapWithShare(37);
        for (const std::vector<uint32_t>& colours : {std::vector<uint32_t>{0x123456}, {0x123456, 0x123456},
                                                     {0xFF123456}, {0xFF123456, 0x123456}})
            QCOMPARE(SurveySimulation(ViewOf(map), colours, 10, 1, 1).ChosenPixels(), 37);
    }

    // Survey after survey, the points are drawn as "Go" draws them from the same seed over the
    // map's pixels: x then y for each point from the program's generator.
    void surveysFollowTheProgramsGeneratorFromTheSeed()
    {
        const QImage town = FlatMap(800, 600, qRgb(95, 170, 75), {{QRect(0, 290, 800, 20), 0xFF123456},
                                                                   {QRect(100, 0, 30, 600), 0xFF123456}});
        // A town at 100 and 1000 points, seed 0, the largest seed, a map of odd size, one pixel wide.
        const struct { QImage map; int n, k; uint32_t seed; } runs[] = {
            {town, 100, 50, 12345}, {town, 1000, 5, 0}, {town, 10, 100, 4294967295u},
            {MapWithShare(37).copy(0, 0, 7, 9), 30, 200, 99}, {MapWithShare(5).copy(0, 0, 1, 10), 10000, 3, 7}};
        for (const auto& run : runs) {
            SurveySimulation simulation(ViewOf(run.map), {0x123456}, run.n, run.k, run.seed);
            simulation.Run(neverStop);
            QCOMPARE(simulation.SurveysDone(), run.k);
            GeneratorState = run.seed;
            for (int survey = 0; survey < run.k; ++survey) {
                int count = 0;
                for (int point = 0; point < run.n; ++point) {
                    const int x = int(RandomBelow(uint32_t(run.map.width())));
                    const int y = int(RandomBelow(uint32_t(run.map.height())));
                    count += (run.map.pixel(x, y) & 0xFFFFFF) == 0x123456;
                }
                const int32_t found = simulation.Counts()[size_t(survey)];
                QVERIFY2(found == count, qPrintable(QStringLiteral("seed %1, survey %2: %3 instead of %4")
                                                        .arg(run.seed).arg(survey).arg(found).arg(count)));
            }
        }
    }

    // Wald's interval at 10 points and a share of 10 % holds it only when 1 to 4 points fall on
    // the use, 64.97 % of the time; the exact interval 98.7 %. At one point each Wald interval is
    // a single point; f ± 0.5 at 4 points misses 0.6 only when no point falls on the use.
    void binomialFiguresHaveTheirKnownValues()
    {
        const struct { IntervalMethod method; int n; double share, coverage, tolerance; } coverages[] = {
            {IntervalMethod::Wald, 10, 0.1, 0.6497, 0.00005}, {IntervalMethod::ClopperPearson, 10, 0.1, 0.987, 0.0005},
            {IntervalMethod::Wald, 1, 0.5, 0.0, 0.0}, {IntervalMethod::RootN, 4, 0.6, 1 - 0.4 * 0.4 * 0.4 * 0.4, 1e-15}};
        for (const auto& c : coverages) {
            const double expected = double(ExpectedCoverage(LimitsOfEveryCount(c.method, c.n), c.share));
            QVERIFY2(std::abs(expected - c.coverage) <= c.tolerance,
                     qPrintable(QStringLiteral("%1, n = %2: %3").arg(MethodName(c.method)).arg(c.n).arg(expected, 0, 'f', 6)));
        }
        // The program's interval keeps its promise at every share.
        for (int n : {10, 30, 100}) {
            const std::vector<ShareLimits> limits = LimitsOfEveryCount(IntervalMethod::ClopperPearson, n);
            for (int step = 1; step < 2000; ++step) {
                const long double coverage = ExpectedCoverage(limits, step / 2000.0L);
                QVERIFY2(coverage >= 0.95L, qPrintable(QStringLiteral("n = %1, p = %2: %3").arg(n).arg(step / 2000.0).arg(double(coverage))));
            }
        }
        // The fluctuation interval's counts. n = 100, p = 0.5: P(X ≤ 39) = 0.018, P(X ≤ 40) = 0.028,
        // P(X ≤ 59) = 0.972, P(X ≤ 60) = 0.982. n = 10, p = 0.1: P(X = 0) = 0.349, P(X ≤ 2) = 0.930,
        // P(X ≤ 3) = 0.987.
        const struct { double share; int n, lowest, highest; } ranges[] = {
            {0.5, 100, 40, 60}, {0.1, 10, 0, 3}, {0.5, 1, 0, 1}, {0.0, 50, 0, 0}, {1.0, 50, 50, 50}};
        for (const auto& r : ranges) {
            const CountRange range = FluctuationCounts95(r.share, r.n);
            QCOMPARE(QPair(range.Lowest, range.Highest), QPair(r.lowest, r.highest));
        }
    }

    // 20000 surveys: each method's expected coverage lies within the simulated one's 95 %
    // interval, and the mean width is that of the counts found. Shares of 0.1, 0.37 and 0.03.
    void simulatedCoverageAgreesWithTheExpected()
    {
        for (const auto& [chosenPixels, sampleSize] : {std::pair{10, 10}, {37, 30}, {3, 100}}) {
            const QImage map = MapWithShare(chosenPixels);
            SurveySimulation simulation(ViewOf(map), {0x123456}, sampleSize, 20000, 2026);
            QVERIFY(simulation.TrueShare() == chosenPixels / 100.0L);
            simulation.Run(neverStop);
            for (const MethodFigures& row : simulation.Figures()) {
                QCOMPARE(row.Surveys, 20000);
                QVERIFY2(row.CoverageLimits.Lower <= row.ExpectedCoverage && row.ExpectedCoverage <= row.CoverageLimits.Upper,
                         qPrintable(QStringLiteral("%1, n = %2").arg(MethodName(row.Method)).arg(sampleSize)));
                long double widths = 0;
                for (int32_t count : simulation.Counts()) {
                    const ShareLimits limits = MethodLimits(row.Method, count, sampleSize);
                    widths += limits.Upper - limits.Lower;
                }
                QVERIFY(std::abs(double(row.MeanWidth - widths / 20000)) < 1e-12);
            }
        }
    }

    // A run on a worker thread stops within 100 ms of being asked, with the surveys done so far
    // readable; run again, it goes on with the surveys an unbroken run makes.
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
        QVERIFY(std::ranges::equal(simulation.Counts().first(size_t(more)), unbroken.Counts()));
    }

    void refusals()
    {
        const QImage map = MapWithShare(10);
        const QString sizes = "EInvalidOperation: Vous devez entrer un nombre de points d'échantillon compris entre 1 et 10000 !";
        const QString surveys = "EInvalidOperation: Vous devez entrer un nombre d'enquêtes compris entre 1 et 100000 !";
        const struct { QImage map; int n, k; std::vector<uint32_t> colours; QString message; } cases[] = {
            {map, 0, 10, {0x123456}, sizes}, {map, 10001, 10, {0x123456}, sizes},
            {map, 10, 0, {0x123456}, surveys}, {map, 10, 100001, {0x123456}, surveys},
            {map, 10, 10, {}, "EInvalidOperation: Choisissez au moins une couleur de la carte comme usage du sol !"},
            {map, 10, 10, {0x123456, 0xABCDEF}, "EInvalidOperation: La couleur ABCDEF n'est pas dans la carte."},
            {MapOfColours(65), 10, 10, {0x123456},
             "EInvalidGraphic: Cette carte a plus de 64 couleurs : c'est une photo ou un scan. La simulation demande une "
             "carte en aplats de couleurs, une couleur par usage du sol, comme la carte de démonstration rizo0346.bmp."}};
        for (const auto& c : cases)
            QCOMPARE(Message([&] {
                         ColourCensus(ViewOf(c.map));
                         SurveySimulation(ViewOf(c.map), c.colours, c.n, c.k, 1);
                     }),
                     c.message);
    }

    // The command line prints what the simulation computes from the same seed, and refuses with
    // the French message on its error stream, nothing on its output, and a non-zero status.
    void commandLine()
    {
        const QImage map = MapWithShare(37);
        SurveySimulation simulation(ViewOf(map), {0x123456}, 30, 500, 77);
        simulation.Run(neverStop);
        const struct { QStringList arguments; int status; QString output; } cases[] = {  // stderr's first line on failure
            {{"--couleur", "123456", "--n", "30", "--k", "500", "--graine", "77"}, 0, SimulationCsv(simulation, mapFile, {0x123456})},
            {{"--colonnes"}, 0, ColourCensusCsv(ColourCensus(ViewOf(map)))},
            {{"--couleur", "123456", "--n", "10001", "--k", "5"}, 1,
             "Vous devez entrer un nombre de points d'échantillon compris entre 1 et 10000 !"},
            {{"--couleur", "#123456,00ff00", "--n", "5", "--k", "5"}, 1, "La couleur 00FF00 n'est pas dans la carte."},
            {{"--couleur", "", "--n", "5", "--k", "5"}, 1, "Choisissez au moins une couleur de la carte comme usage du sol !"},
            {{"--couleur", "123456", "--n", "5"}, 2, "L'option --k manque."}};
        for (const auto& c : cases) {
            const ToolRun run = RunTool(QStringList{mapFile} + c.arguments);
            QCOMPARE(run.Status, c.status);
            QCOMPARE(c.status == 0 ? run.Output : run.Errors.section('\n', 0, 0), c.output);
            QVERIFY(c.status == 0 || run.Output.isEmpty());
        }
        // Without a seed the clock gives one, and the output names it so that the run can be made again.
        const QStringList unseeded{mapFile, "--couleur", "123456", "--n", "30", "--k", "100"};
        const ToolRun first = RunTool(unseeded);
        QCOMPARE(first.Status, 0);
        const QString seedLine = first.Output.split("\r\n").filter(QRegularExpression("^Graine;")).value(0);
        QVERIFY2(!seedLine.isEmpty(), qPrintable(first.Output));
        QCOMPARE(RunTool(unseeded + QStringList{"--graine", seedLine.mid(7)}).Output, first.Output);
    }
};

QTEST_MAIN(SimulationTest)
#include "test_simulation.moc"
