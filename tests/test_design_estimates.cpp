// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// Each design's estimate of a share against figures worked out apart, in exact fractions and with
// beta and Student quantiles to 40 digits: the share, its standard error, its interval, its design
// effect and the simple random sample its interval stands for; why there is no interval; nothing
// without a share.

#include "core/DesignEstimates.h"
#include "core/SurveyTally.h"
#include "helpers/SurveyScript.h"

#include <QTest>
#include <cmath>
#include <functional>

using Estimator = std::function<std::optional<DesignEstimate>()>;
Q_DECLARE_METATYPE(Estimator)

namespace {
const double missing = std::nan("");
Estimator Simple(int64_t count, int64_t points) { return [=] { return EstimateSimple(count, points); }; }
Estimator Strata(std::vector<StratumCounts> s) { return [=] { return EstimateStratified(s); }; }
Estimator Clusters(std::vector<ClusterCounts> c) { return [=] { return EstimateClustered(c); }; }

void CompareFigure(std::optional<double> actual, double expected, const char* what)
{
    QVERIFY2(actual.has_value() == !std::isnan(expected), what);
    if (actual && !std::isnan(expected))
        QVERIFY2(std::abs(*actual - expected) < 1e-9, qPrintable(QStringLiteral("%1: %2").arg(what).arg(*actual, 0, 'g', 15)));
}
}  // namespace

class DesignEstimatesTest : public QObject {
    Q_OBJECT
private slots:
    // No figures: nothing to estimate; a share alone: no interval, for the reason given.
    void estimates_data()
    {
        QTest::addColumn<Estimator>("design");
        QTest::addColumn<QList<double>>("figures");  // share, error, lower, upper, design effect, size
        QTest::addColumn<QString>("reason");
        const QList<double> none;
        QTest::newRow("simple, 3 of 10") << Simple(3, 10) << QList{0.3, 0.144913767461894, 0.0667395111777345, 0.652452850059997, 1.0, 10.0} << "";
        QTest::newRow("blocks all off and all on") << Strata({{300, 5, 0}, {100, 5, 5}}) << QList{0.25, 0.0, 0.0440594135526308, 0.605818318148671, 0.0, 10.0} << "";
        QTest::newRow("blocks alike: the overall frequency") << Strata({{200, 10, 3}, {200, 10, 5}, {200, 10, 4}}) << QList{0.4, 0.0929622251704528, 0.219360894106263, 0.60302496537661, 1.08024691358025, 27.4938130661955} << "";
        QTest::newRow("blocks of unequal areas") << Strata({{500, 8, 2}, {300, 6, 3}, {200, 6, 5}}) << QList{0.441666666666667, 0.110939351370646, 0.219117058358791, 0.682908932807365, 0.998189644768073, 19.0808256729696} << "";
        QTest::newRow("a block all off") << Strata({{100, 4, 0}, {300, 12, 6}}) << QList{0.375, 0.113066754216661, 0.158639319153419, 0.635801789722188, 0.872727272727273, 17.1932239255621} << "";
        QTest::newRow("blocks none on") << Strata({{100, 4, 0}, {300, 6, 0}}) << QList{0.0, 0.0, 0.0, 0.308497107818761, missing, 10.0} << "";
        QTest::newRow("blocks all on") << Strata({{100, 4, 4}, {300, 6, 6}}) << QList{1.0, 0.0, 0.691502892181239, 1.0, missing, 10.0} << "";
        QTest::newRow("blocks beating random points: a larger sample's interval") << Strata({{1, 10, 1}, {1, 10, 9}}) << QList{0.5, 0.0707106781186548, 0.354719921336243, 0.645280078663757, 0.4, 49.6247771096595} << "";
        QTest::newRow("a block of one point") << Strata({{100, 1, 1}, {300, 4, 1}}) << QList{0.4375, missing, missing, missing, missing, missing} << "Un bloc n'a qu'un point";
        QTest::newRow("segments of unequal sizes, one empty") << Clusters({{4, 1}, {0, 0}, {6, 3}, {10, 2}}) << QList{0.3, 0.090921211313239, 0.0737743928255039, 0.635566079225057, 0.787301587301587, 10.9879111236543} << "";
        QTest::newRow("segments of one share") << Clusters({{2, 1}, {4, 2}, {6, 3}}) << QList{0.5, 0.0, 0.210944638239297, 0.789055361760703, 0.0, 12.0} << "";
        QTest::newRow("segments all on") << Clusters({{3, 3}, {5, 5}}) << QList{1.0, 0.0, 0.630583352447181, 1.0, missing, 8.0} << "";
        QTest::newRow("more segments than points: never narrowed by them") << Clusters({{1, 1}, {1, 0}, {0, 0}, {0, 0}}) << QList{0.5, 0.408248290463863, 0.00400009655855189, 0.995999903441448, 1.33333333333333, 1.5} << "";
        QTest::newRow("two segments far apart") << Clusters({{5, 4}, {5, 1}}) << QList{0.5, 0.3, 0.0, 1.0, 3.6, 0.0880463485683464} << "";
        QTest::newRow("one segment") << Clusters({{10, 3}}) << QList{0.3, missing, missing, missing, missing, missing} << "Un seul segment";
        QTest::newRow("no point") << Simple(0, 0) << none << "";
        QTest::newRow("over-count") << Simple(11, 10) << none << "";
        QTest::newRow("no block") << Strata({}) << none << "";
        QTest::newRow("a block of no area") << Strata({{0, 4, 1}, {300, 4, 1}}) << none << "";
        QTest::newRow("a block without points") << Strata({{100, 0, 0}, {300, 4, 1}}) << none << "";
        QTest::newRow("every segment off the map") << Clusters({{0, 0}, {0, 0}}) << none << "";
        QTest::newRow("a segment over-counted") << Clusters({{3, 4}, {5, 1}}) << none << "";
    }
    void estimates()
    {
        QFETCH(Estimator, design);
        QFETCH(QList<double>, figures);
        QFETCH(QString, reason);
        const std::optional<DesignEstimate> estimate = design();
        QCOMPARE(estimate.has_value(), !figures.isEmpty());
        if (!estimate)
            return;
        const std::optional<ShareLimits> limits = estimate->Limits;
        CompareFigure(estimate->Share, figures[0], "share");
        CompareFigure(estimate->StandardError, figures[1], "standard error");
        CompareFigure(limits ? std::optional(limits->Lower) : std::nullopt, figures[2], "lower");
        CompareFigure(limits ? std::optional(limits->Upper) : std::nullopt, figures[3], "upper");
        CompareFigure(estimate->DesignEffect, figures[4], "design effect");
        CompareFigure(estimate->EffectiveSize, figures[5], "size");
        QCOMPARE(estimate->Reason.section(QStringLiteral(" : "), 0, 0), reason);
    }

    // With the variance of points drawn at random and their degrees of freedom, the design's
    // interval is the exact one of those points.
    void designIntervalOfRandomPointsIsExact_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("points");
        QTest::newRow("3 of 10") << 3 << 10;
        QTest::newRow("50 of 100") << 50 << 100;
        QTest::newRow("1 of 2") << 1 << 2;
        QTest::newRow("none of 7") << 0 << 7;
    }
    void designIntervalOfRandomPointsIsExact()
    {
        QFETCH(int, count);
        QFETCH(int, points);
        const double f = double(count) / points;
        const std::optional<DesignInterval> design = DesignLimits95(f, f * (1 - f) / points, points, points - 1);
        const std::optional<ShareLimits> exact = ExactLimits95(count, points);
        QVERIFY(design && exact);
        QCOMPARE(design->EffectiveSize, double(points));
        QVERIFY(std::abs(design->Limits.Lower - exact->Lower) < 1e-12 && std::abs(design->Limits.Upper - exact->Upper) < 1e-12);
    }

    // A survey's land use is estimated from the counts of its points block by block or segment by
    // segment: on a 20 × 10 map, points 0 to 3 in the first block or segment, 4 and 5 in the
    // second; points 0, 1 and 4 counted under "eau", 2 under "bois", 3 and 5 under none.
    void aLandUseIsEstimatedByTheSurveysDesign_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("landUse");
        QTest::addColumn<Estimator>("expected");
        QTest::newRow("simple random") << int(DesignKind::SimpleRandom) << 2 << Simple(3, 6);
        QTest::newRow("two blocks") << int(DesignKind::Stratified) << 2 << Strata({{100, 4, 2}, {100, 2, 1}});
        QTest::newRow("two segments") << int(DesignKind::Clustered) << 2 << Clusters({{4, 2}, {2, 1}});
        QTest::newRow("others at random") << int(DesignKind::SimpleRandom) << 0 << Simple(2, 6);
        QTest::newRow("others by blocks") << int(DesignKind::Stratified) << 0 << Strata({{100, 4, 1}, {100, 2, 1}});
        QTest::newRow("others by segments") << int(DesignKind::Clustered) << 0 << Clusters({{4, 1}, {2, 1}});
    }
    void aLandUseIsEstimatedByTheSurveysDesign()
    {
        QFETCH(int, kind);
        QFETCH(int, landUse);
        QFETCH(Estimator, expected);
        TSurveyTally tally;
        LayTwoGroups(tally, DesignKind(kind));
        tally.BeginLandUse(QStringLiteral("bois"));
        tally.CountPoint(2);
        tally.FinishLandUse();
        tally.BeginLandUse(QStringLiteral("eau"));
        for (int point : {0, 1, 4})
            tally.CountPoint(point);
        const std::optional<DesignEstimate> survey = LandUseEstimate(tally, landUse);
        const std::optional<DesignEstimate> want = expected();
        QVERIFY(survey && want);
        QCOMPARE(survey->Share, want->Share);
        QCOMPARE(survey->Limits.has_value(), want->Limits.has_value());
        QCOMPARE(survey->Limits->Lower, want->Limits->Lower);
        QCOMPARE(survey->Limits->Upper, want->Limits->Upper);
    }
};

QTEST_GUILESS_MAIN(DesignEstimatesTest)
#include "test_design_estimates.moc"
