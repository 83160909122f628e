// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The exact coverage curve: its values against coverages worked out by hand, its pieces against
// the exact decision at shares all over [0, 1], and its value at a map's share against the
// simulation table's expected coverage.

#include "core/CoverageCurve.h"

#include <QImage>
#include <QTest>

Q_DECLARE_METATYPE(IntervalMethod)

namespace {

const std::atomic<bool> neverStop = false;

// The coverage on the piece strictly around `share`; nothing when the share is a piece's end.
std::optional<long double> CoverageBetweenLimits(const std::vector<HeldCounts>& pieces, int32_t sampleSize,
                                                 long double share)
{
    for (const HeldCounts& piece : pieces)
        if (piece.From < share && share < piece.To)
            return CountsProbability(sampleSize, share, piece.Lowest, piece.Highest);
    return std::nullopt;
}

}  // namespace

class CoverageCurveTest : public QObject {
    Q_OBJECT
private slots:
    // Binomial probabilities at p = 0.3 for n = 5: 0.16807, 0.36015, 0.3087, 0.1323, 0.02835,
    // 0.00243. For n = 1 the exact interval of 0 points is [0; 0.975], of 1 point [0.025; 1],
    // Wilson's [0; 0.7934] and [0.2066; 1], Wald's the points 0 and 1.
    void matchesCoveragesWorkedOutByHand_data()
    {
        QTest::addColumn<IntervalMethod>("method");
        QTest::addColumn<int>("sampleSize");
        QTest::addColumn<double>("share");
        QTest::addColumn<double>("coverage");
        using enum IntervalMethod;
        QTest::newRow("n = 1, exact, below 2.5 %") << ClopperPearson << 1 << 0.01 << 0.99;
        QTest::newRow("n = 1, exact, both counts hold") << ClopperPearson << 1 << 0.5 << 1.0;
        QTest::newRow("n = 1, exact, above 97.5 %") << ClopperPearson << 1 << 0.99 << 0.99;
        QTest::newRow("n = 1, score, only 0 holds") << Wilson << 1 << 0.1 << 0.9;
        QTest::newRow("n = 1, asymptotic, never") << Wald << 1 << 0.5 << 0.0;
        QTest::newRow("n = 1, 1/√n, always") << RootN << 1 << 0.3 << 1.0;
        QTest::newRow("n = 2, asymptotic, only 1 point") << Wald << 2 << 0.5 << 0.5;
        QTest::newRow("n = 2, 1/√n, 1 or 2 points") << RootN << 2 << 0.8 << 0.96;
        QTest::newRow("n = 2, score") << Wilson << 2 << 0.5 << 1.0;
        QTest::newRow("n = 5, exact, all but 5") << ClopperPearson << 5 << 0.3 << 0.99757;
        QTest::newRow("n = 5, score, 0 to 3") << Wilson << 5 << 0.3 << 0.96922;
        QTest::newRow("n = 5, asymptotic, 1 to 3") << Wald << 5 << 0.3 << 0.80115;
        QTest::newRow("n = 5, 1/√n, 0 to 3") << RootN << 5 << 0.3 << 0.96922;
    }
    void matchesCoveragesWorkedOutByHand()
    {
        QFETCH(IntervalMethod, method);
        QFETCH(int, sampleSize);
        QFETCH(double, share);
        QFETCH(double, coverage);
        const std::optional<long double> found =
            CoverageBetweenLimits(HeldCountsBetweenLimits(method, sampleSize, neverStop), sampleSize, share);
        QVERIFY(found);
        QVERIFY2(std::abs(*found - coverage) < 1e-12L, qPrintable(QString::number(double(*found), 'g', 17)));
    }

    // The held counts read from the limits drawn agree with the exact decision at 200 shares
    // k/997 spread over [0, 1], for every method.
    void piecesAgreeWithTheExactDecision_data()
    {
        QTest::addColumn<int>("sampleSize");
        for (int sampleSize : {1, 2, 5, 10, 37, 100, 1000})
            QTest::addRow("n = %d", sampleSize) << sampleSize;
    }
    void piecesAgreeWithTheExactDecision()
    {
        QFETCH(int, sampleSize);
        std::vector<std::vector<HeldCounts>> pieces;
        for (IntervalMethod method : IntervalMethods)
            pieces.push_back(HeldCountsBetweenLimits(method, sampleSize, neverStop));
        for (int64_t chosen = 1; chosen < 997; chosen += 5) {
            const CountDistribution counts(sampleSize, {chosen, 997});
            for (size_t m = 0; m < IntervalMethods.size(); ++m) {
                const std::optional<long double> found = CoverageBetweenLimits(pieces[m], sampleSize, chosen / 997.0L);
                QVERIFY(found);
                const long double exact = ExactCoverage(IntervalMethods[m], counts);
                QVERIFY2(std::abs(*found - exact) < 1e-12L,
                         qPrintable(QStringLiteral("%1 at %2/997: %3, exactly %4")
                                        .arg(MethodName(IntervalMethods[m]))
                                        .arg(chosen)
                                        .arg(double(*found), 0, 'g', 17)
                                        .arg(double(exact), 0, 'g', 17)));
            }
        }
    }

    // At the map's share the curve gives the table's expected coverage to the last bit, a share
    // on a limit included: 30 % at n = 100 for f ± 1/√n, 1/40 at n = 1 for the exact interval.
    void givesTheTablesExpectedCoverageAtTheMapsShare_data()
    {
        QTest::addColumn<int>("sampleSize");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<int>("pixels");
        QTest::newRow("30 % at n = 100, on a limit") << 100 << 30 << 100;
        QTest::newRow("1/40 at n = 1, on a limit") << 1 << 1 << 40;
        QTest::newRow("every pixel") << 10 << 7 << 7;
        QTest::newRow("7/13 at n = 250") << 250 << 7 << 13;
    }
    void givesTheTablesExpectedCoverageAtTheMapsShare()
    {
        QFETCH(int, sampleSize);
        QFETCH(int, chosen);
        QFETCH(int, pixels);
        QImage map(pixels, 1, QImage::Format_RGB32);
        map.fill(0xFFFFFFFF);
        for (int x = 0; x < chosen; ++x)
            map.setPixel(x, 0, 0xFF123456);
        const PixelView view{reinterpret_cast<const uint32_t*>(map.constBits()), map.width(), 1, map.width()};
        const SurveySimulation simulation(view, {0x123456}, sampleSize, 1, 1);
        const auto curves = ExactCoverageCurves(sampleSize, simulation.Share(), neverStop);
        QVERIFY(curves);
        const std::vector<MethodFigures> figures = simulation.Figures();
        for (size_t m = 0; m < IntervalMethods.size(); ++m) {
            QCOMPARE((*curves)[m].Method, figures[m].Method);
            QVERIFY((*curves)[m].AtShare == figures[m].ExpectedCoverage);
        }
    }

    // From 0 to 1 in order, thinned to at most four points a slice: n = 2000 has thousands of teeth.
    void runsFromZeroToOneThinned_data()
    {
        QTest::addColumn<int>("sampleSize");
        QTest::newRow("n = 3") << 3;
        QTest::newRow("n = 2000") << 2000;
    }
    void runsFromZeroToOneThinned()
    {
        QFETCH(int, sampleSize);
        const auto curves = ExactCoverageCurves(sampleSize, std::nullopt, neverStop);
        QVERIFY(curves);
        for (const MethodCoverage& method : *curves) {
            QVERIFY(!method.AtShare);
            QCOMPARE(method.Curve.front().Share, 0.0);
            QCOMPARE(method.Curve.back().Share, 1.0);
            QVERIFY(std::ranges::is_sorted(method.Curve, {}, &CoveragePoint::Share));
            QVERIFY(method.Curve.size() <= 4 * size_t(CoverageCurveSlices));
        }
    }
};

QTEST_MAIN(CoverageCurveTest)
#include "test_coverage_curve.moc"
