// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The survey repeated on a map of flat colours: the colour census, the surveys drawn from the
// seed, the coverages against their known values, what the charts show, a stopped run, the
// command line, the refusals.

#include "core/DesignSimulation.h"
#include "core/Errors.h"
#include "core/MapColours.h"
#include "core/Numbers.h"
#include "core/SampleGenerator.h"
#include "core/Simulation.h"
#include "core/SimulationCharts.h"
#include "core/SimulationCsv.h"
#include "helpers/BmpWriter.h"
#include "helpers/CommandTool.h"
#include "helpers/Files.h"
#include "picture/MapPixels.h"
#include "picture/TBitmap.h"

#include <boost/math/distributions/normal.hpp>
#include <boost/multiprecision/cpp_dec_float.hpp>
#include <boost/multiprecision/cpp_int.hpp>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
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

// The lowest and the highest of a run of counts.
using CountSpan = QPair<int, int>;

using boost::multiprecision::cpp_int;
using boost::multiprecision::cpp_rational;
using Float50 = boost::multiprecision::cpp_dec_float_50;

// C(n, k) aᵏ (b − a)ⁿ⁻ᵏ: the chance of k chosen pixels out of n at the share a/b, times bⁿ.
cpp_int BinomialWeight(int n, int k, int64_t a, int64_t b)
{
    cpp_int binomial = 1;
    for (int i = 0; i < k; ++i)
        binomial = binomial * (n - i) / (i + 1);
    return binomial * pow(cpp_int(a), unsigned(k)) * pow(cpp_int(b - a), unsigned(n - k));
}

struct ExactCoverage {
    std::vector<bool> Holds;  // for each count from 0 to n
    cpp_rational Coverage;
};

// The definitions of the four intervals, in rational arithmetic, with z² to 50 digits from the
// normal distribution itself: Clopper and Pearson's holds p when neither tail at p falls below
// 2.5 %, the others when n(f − p)² is at most 1, z²f(1 − f) or z²p(1 − p).
ExactCoverage ExactlyComputed(IntervalMethod method, int n, int64_t a, int64_t b)
{
    static const Float50 z = quantile(boost::math::normal_distribution<Float50>(), Float50("0.975"));
    const cpp_rational p(a, b);
    std::vector<cpp_int> weights;
    for (int k = 0; k <= n; ++k)
        weights.push_back(BinomialWeight(n, k, a, b));
    const cpp_int all = pow(cpp_int(b), unsigned(n));
    const auto toFloat = [](const cpp_rational& r) { return Float50(numerator(r)) / Float50(denominator(r)); };
    ExactCoverage exact;
    for (int c = 0; c <= n; ++c) {
        const cpp_rational f(c, n);
        const cpp_rational spread = n * (f - p) * (f - p);
        bool holds = false;
        switch (method) {
        case IntervalMethod::RootN:
            holds = spread <= 1;
            break;
        case IntervalMethod::Wald:
            holds = toFloat(spread) <= z * z * toFloat(f * (1 - f));
            break;
        case IntervalMethod::Wilson:
            holds = toFloat(spread) <= z * z * toFloat(p * (1 - p));
            break;
        case IntervalMethod::ClopperPearson: {
            cpp_int atMost = 0, atLeast = 0;
            for (int k = 0; k <= n; ++k)
                (k <= c ? atMost : atLeast) += weights[size_t(k)];
            atLeast += weights[size_t(c)];
            holds = 40 * atMost >= all && 40 * atLeast >= all;
            break;
        }
        }
        exact.Holds.push_back(holds);
        if (holds)
            exact.Coverage += cpp_rational(weights[size_t(c)], all);
    }
    return exact;
}

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
    QTemporaryDir folder;
    QString mapFile;  // MapWithShare(37), for the command line

private slots:
    void initTestCase()
    {
        SetDecimalSeparator(QLatin1Char('.'));
        mapFile = folder.filePath("carte.bmp");
        WriteBmpFile(mapFile, MapWithShare(37));
        WriteFile(folder.filePath("carte-legende.csv"), "Couleur;Usage du sol\r\n123456;rues\r\n");
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

    // A colour's share as the list shows it: two decimals rounded half up in whole numbers, more
    // near 0 % and 100 % so that no colour reads as 0 % or 100 %.
    void percentText_data()
    {
        QTest::addColumn<qint64>("part");
        QTest::addColumn<qint64>("whole");
        QTest::addColumn<QString>("text");
        QTest::newRow("a half exactly at the second decimal") << qint64(74760) << qint64(480000) << "15,58 %";
        QTest::newRow("a third") << qint64(1) << qint64(3) << "33,33 %";
        QTest::newRow("two thirds") << qint64(2) << qint64(3) << "66,67 %";
        QTest::newRow("one pixel in 1600") << qint64(1) << qint64(1600) << "0,063 %";
        QTest::newRow("one pixel of 800 x 600") << qint64(1) << qint64(480000) << "0,00021 %";
        QTest::newRow("all but one pixel") << qint64(479999) << qint64(480000) << "99,99979 %";
        QTest::newRow("the whole map") << qint64(7) << qint64(7) << "100,00 %";
        QTest::newRow("a photo's worth of pixels") << qint64(1) << (qint64(1) << 60) << "0,000000000000000087 %";
    }
    void percentText()
    {
        QFETCH(qint64, part);
        QFETCH(qint64, whole);
        QFETCH(QString, text);
        SetDecimalSeparator(QLatin1Char(','));
        const QString shown = PercentText(part, whole);
        SetDecimalSeparator(QLatin1Char('.'));
        QCOMPARE(shown, text);
    }

    // A legend as a spreadsheet saves it, and the legends refused with the line at fault.
    void legendsAreReadAsSpreadsheetsWriteThem_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<ColourNames>("names");
        QTest::addColumn<QString>("error");  // empty: read
        const ColourNames town{{0x808080, "trafic"}, {0xBE6E50, "bâti"}};
        QTest::newRow("as the demo map's") << QByteArray("\xEF\xBB\xBF" "Couleur;Usage du sol\r\n808080;trafic\r\nBE6E50;bâti\r\n")
                                           << town << "";
        QTest::newRow("no heading, # and lower case, blank lines, blanks around")
            << QByteArray("\n#808080 ; trafic \n\n be6e50;bâti;;\n;;\n") << town << "";
        QTest::newRow("quoted fields") << QByteArray("\"808080\";\"rues; places et \"\"ponts\"\"\"\n")
                                       << ColourNames{{0x808080, "rues; places et \"ponts\""}} << "";
        QTest::newRow("empty") << QByteArray() << ColourNames{} << "";
        QTest::newRow("not a colour") << QByteArray("808080;trafic\nrouge;bâti\n") << ColourNames{}
                                      << "La légende \"carte-legende.csv\", ligne 2 : 'rouge' n'est pas une couleur : écrivez-la "
                                         "en six chiffres hexadécimaux, rouge, vert, bleu (par exemple 808080).";
        QTest::newRow("no name") << QByteArray("Couleur;Usage\n808080; \n") << ColourNames{}
                                 << "La légende \"carte-legende.csv\", ligne 2 : la couleur 808080 n'a pas de nom d'usage du sol.";
        QTest::newRow("a colour named twice") << QByteArray("808080;trafic\nBE6E50;bâti\n808080;rues\n") << ColourNames{}
                                              << "La légende \"carte-legende.csv\", ligne 3 : la couleur 808080 est déjà "
                                                 "nommée à la ligne 1.";
        QTest::newRow("too large") << QByteArray(MaxLegendBytes + 1, '\n') << ColourNames{}
                                   << "La légende \"carte-legende.csv\" est trop grande : plus de 65536 octets.";
    }
    void legendsAreReadAsSpreadsheetsWriteThem()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(ColourNames, names);
        QFETCH(QString, error);
        QCOMPARE(LegendFileFor("/cours/carte.bmp"), QStringLiteral("/cours/carte-legende.csv"));
        QCOMPARE(Message([&] { QVERIFY(ParseLegend(bytes, "/cours/carte-legende.csv") == names); }).section(": ", 1),
                 error);
    }

    // What the window and the command line name a run's colours by.
    void chosenColoursAreNamedByTheLegend()
    {
        const ColourNames names{{0x808080, "trafic"}, {0xBE6E50, "bâti"}, {0x965546, "bâti"}};
        QCOMPARE(ChosenColoursText({0xBE6E50, 0x965546}, names), QStringLiteral("bâti (BE6E50, 965546)"));
        QCOMPARE(ChosenColoursText({0x808080, 0x123456, 0xBE6E50}, names), QStringLiteral("trafic + 123456 + bâti (808080, 123456, BE6E50)"));
        QCOMPARE(ChosenColoursText({0x123456}, names), QStringLiteral("123456"));
    }

    // The charts' share axes: round ticks, within 0 and 1, around the range asked.
    void shareAxesHaveRoundTicks_data()
    {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("decimals");
        QTest::newRow("a histogram at n = 100") << 0.145 << 0.240 << 0.14 << 0.24 << 0.01 << 2;
        QTest::newRow("below 0 and above 1") << -0.05 << 1.05 << 0.0 << 1.0 << 0.1 << 1;
        QTest::newRow("a narrow range at n = 10000") << 0.1517 << 0.1598 << 0.151 << 0.16 << 0.001 << 3;
        QTest::newRow("0.3 is a tick of 0.1") << 0.3 << 0.9 << 0.3 << 0.9 << 0.1 << 1;
        QTest::newRow("a range of 0.25") << 0.3 << 0.55 << 0.3 << 0.55 << 0.05 << 2;
    }
    void shareAxesHaveRoundTicks()
    {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(double, step);
        QFETCH(int, decimals);
        const ShareAxis axis = RoundShareAxis(low, high);
        QCOMPARE(axis.From, from);
        QCOMPARE(axis.To, to);
        QCOMPARE(axis.Step, step);
        QCOMPARE(axis.Decimals, decimals);
    }

    // The histogram's bars span the counts found and the whole fluctuation interval (here 3 to 7
    // unless told), one count a bar up to 50 counts, then as many a bar as keep about 50 bars.
    void histogramSpansTheCountsAndTheBand_data()
    {
        QTest::addColumn<QList<int>>("counts");
        QTest::addColumn<CountSpan>("band");
        QTest::addColumn<CountSpan>("span");
        QTest::addColumn<int>("barCounts");
        QTest::addColumn<QList<qint64>>("bars");
        QTest::addColumn<qint64>("inside");
        QTest::addColumn<QString>("percent");  // inside, as the window writes it
        // `size` bars, empty but those given.
        const auto bars = [](int size, const QMap<int, qint64>& filled) {
            QList<qint64> all(size, 0);
            for (auto bar = filled.begin(); bar != filled.end(); ++bar)
                all[bar.key()] = bar.value();
            return all;
        };
        const CountSpan band{3, 7};
        QTest::newRow("no survey done") << QList<int>{} << band << band << 1 << bars(5, {}) << qint64(0) << "0.0";
        QTest::newRow("every count the same") << QList<int>{5, 5, 5, 5} << band << band << 1 << bars(5, {{2, 4}})
                                              << qint64(4) << "100.0";
        QTest::newRow("counts below the band") << QList<int>{1, 4, 5} << band << QPair(1, 7) << 1
                                               << bars(7, {{0, 1}, {3, 1}, {4, 1}}) << qint64(2) << "66.7";
        QTest::newRow("counts above the band") << QList<int>{9, 6} << band << QPair(3, 9) << 1
                                               << bars(7, {{3, 1}, {6, 1}}) << qint64(1) << "50.0";
        QTest::newRow("49 counts apart: one a bar") << QList<int>{100, 149} << QPair(100, 149) << QPair(100, 149) << 1
                                                    << bars(50, {{0, 1}, {49, 1}}) << qint64(2) << "100.0";
        QTest::newRow("50 counts apart: two a bar") << QList<int>{100, 101, 150} << QPair(100, 150) << QPair(100, 150)
                                                    << 2 << bars(26, {{0, 2}, {25, 1}}) << qint64(3) << "100.0";
        QTest::newRow("found far below a wide band: four a bar")
            << QList<int>{310, 313, 314, 460} << QPair(400, 460) << QPair(310, 460) << 4
            << bars(38, {{0, 2}, {1, 1}, {37, 1}}) << qint64(1) << "25.0";
    }
    void histogramSpansTheCountsAndTheBand()
    {
        QFETCH(QList<int>, counts);
        QFETCH(CountSpan, band);
        QFETCH(CountSpan, span);
        QFETCH(int, barCounts);
        QFETCH(QList<qint64>, bars);
        QFETCH(qint64, inside);
        QFETCH(QString, percent);
        const std::vector<int32_t> found(counts.begin(), counts.end());
        const EstimateHistogram histogram = HistogramOfEstimates(found, {band.first, band.second, 0.95L});
        QCOMPARE(QPair(histogram.Lowest, histogram.Highest), span);
        QCOMPARE(histogram.BarCounts, barCounts);
        QCOMPARE(QList<qint64>(histogram.Bars.begin(), histogram.Bars.end()), bars);
        QCOMPARE(histogram.Tallest, *std::max_element(bars.begin(), bars.end()));
        QCOMPARE(histogram.Surveys, counts.size());
        QCOMPARE(histogram.Inside, inside);
        QCOMPARE(FixedText(histogram.InsidePercent(), 1), percent);
    }

    // The first hundred intervals, green or red by the exact decision, and the span an axis needs
    // to show them and p. Clopper and Pearson's limits for no point and for every point of n are
    // 1 − 0.025^(1/n) and 0.025^(1/n).
    void firstIntervalsAreDecidedExactly_data()
    {
        QTest::addColumn<QImage>("map");  // its colour 0x123456 is the land use
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<int>>("counts");
        QTest::addColumn<QList<bool>>("holds");
        QTest::addColumn<double>("lowest");
        QTest::addColumn<double>("highest");
        const double noPointOfTen = 1 - std::pow(0.025, 0.1), everyPointOfTen = std::pow(0.025, 0.1);
        const QImage half = MapWithShare(50);
        QTest::newRow("no survey done") << half << 10 << QList<int>{} << QList<bool>{} << 0.5 << 0.5;
        QTest::newRow("both ends missed") << half << 10 << QList<int>{0, 5, 10} << QList<bool>{false, true, false} << 0.0
                                          << 1.0;
        QTest::newRow("all below p: the span reaches p") << half << 10 << QList<int>{0, 0} << QList<bool>{false, false}
                                                         << 0.0 << 0.5;
        QTest::newRow("all above p: the span reaches p") << MapWithShare(5) << 10 << QList<int>{10} << QList<bool>{false}
                                                         << 0.05 << 1.0;
        QTest::newRow("no point found, p inside") << MapWithShare(5) << 10 << QList<int>{0} << QList<bool>{true} << 0.0
                                                  << noPointOfTen;
        // n = 1 and p = 1/40: a point found puts the lower limit at p itself, which holds it.
        QImage fortieth = FlatMap(40, 1, qRgb(255, 255, 255));
        fortieth.setPixel(0, 0, 0xFF123456);
        QTest::newRow("a limit equal to p") << fortieth << 1 << QList<int>{1, 0} << QList<bool>{true, true} << 0.0 << 1.0;
        QTest::newRow("only the first hundred of 250")
            << MapWithShare(100) << 10 << QList<int>(100, 10) + QList<int>(150, 0) << QList<bool>(100, true)
            << everyPointOfTen << 1.0;
    }
    void firstIntervalsAreDecidedExactly()
    {
        QFETCH(QImage, map);
        QFETCH(int, n);
        QFETCH(QList<int>, counts);
        QFETCH(QList<bool>, holds);
        QFETCH(double, lowest);
        QFETCH(double, highest);
        const SurveySimulation simulation(ViewOf(map), {0x123456}, n, 1, 1);
        const std::vector<int32_t> found(counts.begin(), counts.end());
        const FirstIntervals first = FirstIntervalsOf(simulation, found);
        QList<bool> shown;
        for (size_t survey = 0; survey < first.Intervals.size(); ++survey) {
            const DrawnInterval& interval = first.Intervals[survey];
            shown << interval.Holds;
            const ShareLimits limits = MethodLimits(IntervalMethod::ClopperPearson, found[survey], n);
            QCOMPARE(QPair(interval.Limits.Lower, interval.Limits.Upper), QPair(limits.Lower, limits.Upper));
        }
        QCOMPARE(shown, holds);
        QCOMPARE(first.Missing, holds.count(false));
        QVERIFY2(std::abs(first.Lowest - lowest) < 1e-12 && std::abs(first.Highest - highest) < 1e-12,
                 qPrintable(QStringLiteral("%1 to %2").arg(first.Lowest, 0, 'g', 17).arg(first.Highest, 0, 'g', 17)));
    }

    // The true share the colour list shows is the one the run sets its estimates against; a colour
    // given twice, or with an alpha byte as QRgb has, is the same land use.
    void chosenColoursHaveOneShareListedAndRun_data()
    {
        QTest::addColumn<QImage>("map");
        QTest::addColumn<QList<uint>>("colours");
        QTest::addColumn<qint64>("chosen");
        QTest::addColumn<qint64>("total");
        const QImage map = MapWithShare(37);
        QTest::newRow("one colour") << map << QList<uint>{0x123456} << qint64(37) << qint64(100);
        QTest::newRow("given twice") << map << QList<uint>{0x123456, 0x123456} << qint64(37) << qint64(100);
        QTest::newRow("with an alpha byte") << map << QList<uint>{0xFF123456} << qint64(37) << qint64(100);
        QTest::newRow("with and without") << map << QList<uint>{0xFF123456, 0x123456} << qint64(37) << qint64(100);
        const QImage three = FlatMap(20, 10, qRgb(128, 128, 128), {{QRect(10, 0, 6, 10), qRgb(0, 160, 0)},
                                                                   {QRect(16, 0, 4, 10), qRgb(0, 0, 255)}});
        QTest::newRow("two colours of three") << three << QList<uint>{0x0000FF, 0x00A000} << qint64(100) << qint64(200);
        QTest::newRow("the whole map") << three << QList<uint>{0x808080, 0x0000FF, 0x00A000} << qint64(200) << qint64(200);
    }
    void chosenColoursHaveOneShareListedAndRun()
    {
        QFETCH(QImage, map);
        QFETCH(QList<uint>, colours);
        QFETCH(qint64, chosen);
        QFETCH(qint64, total);
        const std::vector<uint32_t> chosenColours(colours.begin(), colours.end());
        const PixelShare listed = ChosenShare(ColourCensus(ViewOf(map)), chosenColours);
        QCOMPARE(listed.Chosen, chosen);
        QCOMPARE(listed.Total, total);
        const SurveySimulation run(ViewOf(map), chosenColours, 10, 1, 1);
        QCOMPARE(run.ChosenPixels(), chosen);
        QVERIFY(run.TrueShare() == listed.Value());
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

    // Whether each count's interval holds p, and the expected coverage, against the same figures
    // computed from the definitions in rational arithmetic: every share k/100 at n = 1, 25 (where
    // f ± 1/√n has limits that can equal p) and 100; n = 1 at the shares 1/40 and 39/40, where a
    // Clopper-Pearson limit is p itself; p = 0 and 1, where Wilson's limits are exactly 0 and 1.
    void holdingIsDecidedExactly_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<qint64>("chosen");
        QTest::addColumn<qint64>("total");
        for (int n : {1, 25, 100})
            for (int k = 0; k <= 100; ++k)
                QTest::addRow("n = %d, p = %d/100", n, k) << n << qint64(k) << qint64(100);
        QTest::newRow("n = 1, p = 1/40") << 1 << qint64(1) << qint64(40);
        QTest::newRow("n = 1, p = 39/40") << 1 << qint64(39) << qint64(40);
        for (int n : {29, 30, 35})
            QTest::addRow("n = %d, p = 1", n) << n << qint64(7) << qint64(7);
        QTest::newRow("n = 35, p = 0") << 35 << qint64(0) << qint64(7);
        QTest::newRow("n = 250, a map of 800 x 600") << 250 << qint64(74760) << qint64(480000);
    }
    void holdingIsDecidedExactly()
    {
        QFETCH(int, n);
        QFETCH(qint64, chosen);
        QFETCH(qint64, total);
        const CountDistribution law(n, {chosen, total});
        for (IntervalMethod method : IntervalMethods) {
            const ExactCoverage exact = ExactlyComputed(method, n, chosen, total);
            const std::vector<uint8_t> holds = CountsWhoseIntervalHolds(method, law);
            for (int count = 0; count <= n; ++count)
                QVERIFY2(bool(holds[size_t(count)]) == exact.Holds[size_t(count)],
                         qPrintable(QStringLiteral("%1, count %2").arg(MethodName(method)).arg(count)));
            const auto expected = exact.Coverage.convert_to<long double>();
            QVERIFY2(std::abs(law.ProbabilityOf(holds) - expected) < 1e-15L,
                     qPrintable(QStringLiteral("%1: %2 instead of %3").arg(MethodName(method))
                                    .arg(double(law.ProbabilityOf(holds)), 0, 'g', 17).arg(double(expected), 0, 'g', 17)));
        }
    }

    // Every method's limits are exactly 0 for no point found and 1 for every point, at each n.
    void limitsAtTheEndsAreExact()
    {
        for (IntervalMethod method : IntervalMethods)
            for (int n = 1; n <= MaxSampleSize; ++n)
                if (MethodLimits(method, 0, n).Lower != 0.0 || MethodLimits(method, n, n).Upper != 1.0)
                    QFAIL(qPrintable(QStringLiteral("%1, n = %2").arg(MethodName(method)).arg(n)));
    }

    // A tail that equals the fraction compared with is told as equal, and one a 2⁻⁶⁰ away as
    // smaller or larger, beyond what extended precision can see.
    void tailsAreComparedExactly_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<qint64>("chosen");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("atMost");
        for (const auto& [n, chosen, total] : {std::tuple{60, 1, 2}, {30, 1, 3}, {30, 2, 3}, {1, 1, 40}})
            for (int count : {0, 1, n / 3, n - 1, n})
                for (bool atMost : {true, false})
                    QTest::addRow("n = %d, p = %d/%d, P(count %s %d)", n, chosen, total, atMost ? "<=" : ">=", count)
                        << n << qint64(chosen) << qint64(total) << count << atMost;
    }
    void tailsAreComparedExactly()
    {
        QFETCH(int, n);
        QFETCH(qint64, chosen);
        QFETCH(qint64, total);
        QFETCH(int, count);
        QFETCH(bool, atMost);
        // The tail as a fraction over bⁿ, which these shares keep within 64 bits.
        int64_t tail = 0, all = 1;
        for (int k = 0; k < n; ++k)
            all *= total;
        for (int k = atMost ? 0 : count; k <= (atMost ? count : n); ++k)
            tail += BinomialWeight(n, k, chosen, total).convert_to<int64_t>();
        const CountDistribution law(n, {chosen, total});
        const auto compare = [&](int64_t numerator) {
            return atMost ? law.CompareAtMost(count, numerator, all) : law.CompareAtLeast(count, numerator, all);
        };
        QCOMPARE(compare(tail), 0);
        QCOMPARE(compare(tail + 1), -1);
        if (tail > 0)
            QCOMPARE(compare(tail - 1), 1);
    }

    // Wald's interval at 10 points and a share of 10 % holds it only when 1 to 4 points fall on
    // the use, 64.97 % of the time; the exact interval 98.7 %. The program's interval keeps its
    // promise at every share. The fluctuation interval's counts and their exact chance:
    // n = 100, p = 0.5: P(X ≤ 39) = 0.018, P(X ≤ 40) = 0.028, P(X ≤ 59) = 0.972, P(X ≤ 60) = 0.982;
    // n = 10, p = 0.1: P(X = 0) = 0.349, P(X ≤ 2) = 0.930, P(X ≤ 3) = 0.987; n = 1, p = 1/40:
    // P(X = 0) is 97.5 % exactly.
    void binomialFiguresHaveTheirKnownValues()
    {
        const CountDistribution tenPoints(10, {1, 10});
        const auto coverage = [&](IntervalMethod method) {
            return double(tenPoints.ProbabilityOf(CountsWhoseIntervalHolds(method, tenPoints)));
        };
        QVERIFY(std::abs(coverage(IntervalMethod::Wald) - 0.6497) < 0.00005);
        QVERIFY(std::abs(coverage(IntervalMethod::ClopperPearson) - 0.987) < 0.0005);
        for (int n : {10, 30, 100})
            for (int step = 1; step < 2000; ++step) {
                const CountDistribution law(n, {step, 2000});
                const long double promise = law.ProbabilityOf(CountsWhoseIntervalHolds(IntervalMethod::ClopperPearson, law));
                QVERIFY2(promise >= 0.95L, qPrintable(QStringLiteral("n = %1, p = %2/2000: %3").arg(n).arg(step).arg(double(promise))));
            }
        const struct { int64_t chosen, total; int n, lowest, highest; double probability; } ranges[] = {
            {1, 2, 100, 40, 60, 0.9647997997822}, {1, 10, 10, 0, 3, 0.9872048016}, {1, 2, 1, 0, 1, 1.0},
            {0, 5, 50, 0, 0, 1.0}, {5, 5, 50, 50, 50, 1.0}, {1, 40, 1, 0, 0, 0.975}};
        for (const auto& r : ranges) {
            const CountRange range = FluctuationCounts95(CountDistribution(r.n, {r.chosen, r.total}));
            QCOMPARE(QPair(range.Lowest, range.Highest), QPair(r.lowest, r.highest));
            QVERIFY2(std::abs(double(range.Probability) - r.probability) < 1e-10, qPrintable(QString::number(double(range.Probability), 'g', 15)));
        }
    }

    // 20000 surveys: each method's expected coverage lies within the simulated one's 95 %
    // interval, the surveys counted as holding p are those whose count holds it exactly, and the
    // mean width is that of the counts found. Shares of 0.1, 0.37, 0.03, and 0.45 on a map of
    // 100 × 1 pixels, where f ± 1/√n at n = 100 holds p 96.57 % of the time.
    void simulatedCoverageAgreesWithTheExpected()
    {
        const QImage line = FlatMap(100, 1, qRgb(255, 255, 255), {{QRect(0, 0, 45, 1), 0xFF123456}});
        for (const auto& [map, sampleSize] : {std::pair{MapWithShare(10), 10}, {MapWithShare(37), 30}, {MapWithShare(3), 100},
                                             {line, 100}}) {
            SurveySimulation simulation(ViewOf(map), {0x123456}, sampleSize, 20000, 2026);
            const int64_t chosen = simulation.ChosenPixels();
            QVERIFY(simulation.TrueShare() == chosen / 100.0L);
            simulation.Run(neverStop);
            for (const MethodFigures& row : simulation.Figures()) {
                QCOMPARE(row.Surveys, 20000);
                QVERIFY2(row.CoverageLimits.Lower <= row.ExpectedCoverage && row.ExpectedCoverage <= row.CoverageLimits.Upper,
                         qPrintable(QStringLiteral("%1, n = %2").arg(MethodName(row.Method)).arg(sampleSize)));
                const ExactCoverage exact = ExactlyComputed(row.Method, sampleSize, chosen, 100);
                int32_t containing = 0;
                long double widths = 0;
                for (int32_t count : simulation.Counts()) {
                    containing += exact.Holds[size_t(count)];
                    const ShareLimits limits = MethodLimits(row.Method, count, sampleSize);
                    widths += limits.Upper - limits.Lower;
                }
                QCOMPARE(row.Containing, containing);
                QVERIFY(std::abs(double(row.MeanWidth - widths / 20000)) < 1e-12);
            }
            if (chosen == 45)
                QCOMPARE(QString::number(double(simulation.Figures()[3].ExpectedCoverage), 'f', 4), QStringLiteral("0.9657"));
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

    // The command line prints what the simulation computes from the same seed, with the names of
    // the map's legend, and refuses with the French message on its error stream, nothing on its
    // output, and a non-zero status.
    void commandLine()
    {
        const QImage map = MapWithShare(37);
        SurveySimulation simulation(ViewOf(map), {0x123456}, 30, 500, 77);
        simulation.Run(neverStop);
        const ColourNames names{{0x123456, "rues"}};
        // Two designs from the same seed, one row each.
        DesignSimulation grid(ViewOf(map), {0x123456}, {DesignKind::Systematic}, 30, 500, 77);
        DesignSimulation segments(ViewOf(map), {0x123456}, {DesignKind::Clustered, 4, 3, 2, 4}, 30, 500, 77);
        grid.Run(neverStop);
        segments.Run(neverStop);
        const std::vector<const DesignSimulation*> designs{&grid, &segments};
        const QString range = "est hors des limites : la graine est un nombre entier de 0 à 4294967295";
        const struct { QStringList arguments; int status; QString output; } cases[] = {  // stderr's first line on failure
            {{"--couleur", "123456", "--n", "30", "--k", "500", "--graine", "77"}, 0, SimulationCsv(simulation, mapFile, {0x123456}, names)},
            {{"--couleur", "123456", "--n", "30", "--k", "500", "--graine", "77", "--plan", "systematique", "--plan=grappes:3,2,4"},
             0, DesignsCsv(designs, mapFile, {0x123456}, names)},
            {{"--couleur", "123456", "--n", "30", "--k", "5", "--plan", "grappes:3,2"}, 2,
             "« grappes:3,2 » n'est pas un plan : écrivez aleatoire, systematique, strates:B ou grappes:C,s,e (des nombres entiers)."},
            {{"--couleur", "123456", "--n", "30", "--k", "5", "--plan", "strates:20"}, 1,
             "Il faut au moins 2 points par bloc : 30 points ne suffisent pas pour 20 blocs."},
            {{"--colonnes"}, 0, ColourCensusCsv(ColourCensus(ViewOf(map)), names)},
            {{"--couleur", "123456", "--n", "10001", "--k", "5"}, 1,
             "Vous devez entrer un nombre de points d'échantillon compris entre 1 et 10000 !"},
            {{"--couleur", "#123456,00ff00", "--n", "5", "--k", "5"}, 1, "La couleur 00FF00 n'est pas dans la carte."},
            {{"--couleur", "", "--n", "5", "--k", "5"}, 1, "Choisissez au moins une couleur de la carte comme usage du sol !"},
            {{"--couleur", QString::fromUtf8("١٢٣٤٥٦"), "--n", "5", "--k", "5"}, 1,
             QString::fromUtf8("'١٢٣٤٥٦' n'est pas une couleur : écrivez-la en six chiffres hexadécimaux, rouge, vert, bleu "
                               "(par exemple 808080).")},
            {{"--couleur", "123456", "--n", "5", "--k", "5", "--graine", "4294967296"}, 1, "'4294967296' " + range},
            {{"--couleur", "123456", "--n", "5", "--k", "5", "--graine", "-3"}, 1, "'-3' " + range},
            {{"--couleur", "123456", "--n", "5"}, 2, "L'option --k manque."},
            {{"--aide"}, 2, "Option inconnue : --aide"}};
        for (const auto& c : cases) {
            const ToolRun run = RunTool(SONDELIO_SIMULATION, QStringList{mapFile} + c.arguments);
            QCOMPARE(run.Status, c.status);
            QCOMPARE(c.status == 0 ? run.Output : run.Errors.section('\n', 0, 0), c.output);
            QVERIFY(c.status == 0 || run.Output.isEmpty());
        }
        // The usage on its output, with or without a map.
        for (const QStringList& help : {QStringList{"--help"}, {"-h"}, {mapFile, "--help"}}) {
            const ToolRun run = RunTool(SONDELIO_SIMULATION, help);
            QCOMPARE(run.Status, 0);
            QVERIFY2(run.Output.startsWith("usage : sondelio-simulation CARTE") && run.Output.contains("--graine S"),
                     qPrintable(run.Output));
        }
        // An output that cannot be written is a failure, told.
        const ToolRun full = RunTool(SONDELIO_SIMULATION, {mapFile, "--colonnes"}, "/dev/full");
        QCOMPARE(full.Status, 1);
        QCOMPARE(full.Errors, QStringLiteral("Impossible d'écrire les résultats sur la sortie : No space left on device\n"));
        // A legend that is no legend costs only the names.
        const QString unnamed = folder.filePath("autre.bmp");
        WriteBmpFile(unnamed, map);
        QFile badLegend(folder.filePath("autre-legende.csv"));
        QVERIFY(badLegend.open(QIODevice::WriteOnly));
        badLegend.write("123456;rues\nrouge;bâti\n");
        badLegend.close();
        const ToolRun withoutNames = RunTool(SONDELIO_SIMULATION, {unnamed, "--colonnes"});
        QCOMPARE(withoutNames.Status, 0);
        QCOMPARE(withoutNames.Output, ColourCensusCsv(ColourCensus(ViewOf(map)), {}));
        QCOMPARE(withoutNames.Errors, QStringLiteral("La légende \"autre-legende.csv\", ligne 2 : 'rouge' n'est pas une couleur : "
                                                     "écrivez-la en six chiffres hexadécimaux, rouge, vert, bleu (par exemple "
                                                     "808080). Les couleurs restent sans noms.\n"));
        // A georeferenced map's colours come with their areas: 0.5 m pixels, a quarter of a square
        // metre each; a world file that is none costs only the areas, told.
        const QString placed = folder.filePath("placee.bmp");
        WriteBmpFile(placed, map);
        WriteFile(folder.filePath("placee.bpw"), "0.5\n0\n0\n-0.5\n650000\n6860000\n");
        const ToolRun withAreas = RunTool(SONDELIO_SIMULATION, {placed, "--colonnes"});
        QCOMPARE(withAreas.Output, ColourCensusCsv(ColourCensus(ViewOf(map)), {}, 0.25L));
        QVERIFY(withAreas.Output.contains(QStringLiteral(";Aire (ha)\r\n")));
        QVERIFY(withAreas.Output.endsWith(QStringLiteral("Carte;%1;1;;%2\r\n").arg(map.width() * map.height()).arg(RealText(map.width() * map.height() * 0.25L / 10000))));
        WriteFile(folder.filePath("placee.bpw"), "0.5\n0\n0\n");
        const ToolRun withoutAreas = RunTool(SONDELIO_SIMULATION, {placed, "--colonnes"});
        QCOMPARE(withoutAreas.Output, ColourCensusCsv(ColourCensus(ViewOf(map)), {}));
        QVERIFY(withoutAreas.Errors.startsWith("Le géoréférencement \"placee.bpw\" ne peut pas être lu : il a 3 lignes"));
        // Without a seed the clock gives one, and the output names it so that the run can be made again.
        const QStringList unseeded{mapFile, "--couleur", "123456", "--n", "30", "--k", "100"};
        const ToolRun first = RunTool(SONDELIO_SIMULATION, unseeded);
        QCOMPARE(first.Status, 0);
        const QString seedLine = first.Output.split("\r\n").filter(QRegularExpression("^Graine;")).value(0);
        QVERIFY2(!seedLine.isEmpty(), qPrintable(first.Output));
        QCOMPARE(RunTool(SONDELIO_SIMULATION, unseeded + QStringList{"--graine", seedLine.mid(7)}).Output, first.Output);
    }
};

QTEST_MAIN(SimulationTest)
#include "test_simulation.moc"
