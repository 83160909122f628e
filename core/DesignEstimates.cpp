// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/DesignEstimates.h"

#include "core/SurveyTally.h"

#include <boost/math/distributions/students_t.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace {

// Student's 97.5 % quantile: 95 % of a mean's spread between -t and t. Kept per thread once
// worked out: a simulation asks for the same few degrees of freedom survey after survey, and
// Boost's inverse takes longer than the rest of an estimate.
double StudentQuantile(int64_t degreesOfFreedom)
{
    thread_local std::unordered_map<int64_t, double> known;
    const auto [entry, added] = known.try_emplace(degreesOfFreedom, 0.0);
    if (added)
        entry->second = quantile(boost::math::students_t_distribution<double>(double(degreesOfFreedom)), 0.975);
    return entry->second;
}

bool CountWithin(int64_t count, int64_t points)
{
    return count >= 0 && count <= points;
}

// The share as shown: exactly 0 or 1 when the counts say so (no point on the land use, every point
// on it), whatever the weighted sum gives in floating point.
double SettledShare(long double share, bool none, bool all)
{
    return none ? 0.0 : all ? 1.0 : double(share);
}

DesignVariance WithoutVariance(long double share, bool none, bool all, int64_t points, QString reason)
{
    return {SettledShare(share, none, all), std::numeric_limits<long double>::quiet_NaN(), points, 0, std::move(reason)};
}

// The estimate of a design: its standard error, its interval and how it compares with as many
// points drawn at random.
DesignEstimate EstimateFrom(const DesignVariance& known)
{
    const double p = known.Share;
    DesignEstimate estimate{p, std::nullopt, std::nullopt, std::nullopt, std::nullopt, known.Reason};
    if (!known.Reason.isEmpty())
        return estimate;
    estimate.StandardError = double(std::sqrt(known.Variance));
    if (const std::optional<DesignInterval> interval =
            DesignLimits95(p, double(known.Variance), known.Points, known.DegreesOfFreedom)) {
        estimate.Limits = interval->Limits;
        estimate.EffectiveSize = interval->EffectiveSize;
    } else {
        estimate.Reason = QStringLiteral("Ces points ne permettent pas de donner un intervalle.");
    }
    if (p > 0 && p < 1)
        estimate.DesignEffect = double(known.Variance / (p * (1 - p) / known.Points));
    return estimate;
}

// The size of the simple random sample whose exact interval is the design's (see DesignLimits95).
std::optional<double> EffectiveSize(double share, double variance, int64_t points, int64_t degreesOfFreedom)
{
    if (!(share >= 0 && share <= 1) || !(variance >= 0) || !std::isfinite(variance) || points < 1 ||
        degreesOfFreedom < 1)
        return std::nullopt;
    if (variance == 0)
        return double(points);
    if (points < 2)
        return std::nullopt;
    // Fewer degrees of freedom than the points' own widen the interval; more never narrow it.
    const double widening = StudentQuantile(points - 1) / StudentQuantile(std::min(degreesOfFreedom, points - 1));
    return share * (1 - share) / variance * widening * widening;
}

}  // namespace

std::optional<DesignEstimate> EstimateSimple(int64_t count, int64_t points)
{
    const std::optional<ShareLimits> limits = ExactLimits95(double(count), points);
    if (!limits)
        return std::nullopt;
    const double f = double(count) / double(points);
    return DesignEstimate{f, std::sqrt(f * (1 - f) / double(points)), limits, 1.0, double(points), {}};
}

std::optional<DesignVariance> StratifiedVariance(std::span<const StratumCounts> strata)
{
    if (strata.empty())
        return std::nullopt;
    int64_t area = 0;
    int64_t points = 0;
    bool none = true;
    bool all = true;
    bool single = false;
    for (const StratumCounts& stratum : strata) {
        if (stratum.Area < 1 || stratum.Points < 1 || !CountWithin(stratum.Count, stratum.Points))
            return std::nullopt;
        area += stratum.Area;
        points += stratum.Points;
        none = none && stratum.Count == 0;
        all = all && stratum.Count == stratum.Points;
        single = single || stratum.Points == 1;
    }
    long double share = 0;
    long double variance = 0;
    // Satterthwaite's degrees of freedom: when a few blocks carry all the variance, it is known
    // from their few points only, and the interval widens as for them.
    long double spreadOfVariance = 0;
    for (const StratumCounts& stratum : strata) {
        const long double weight = (long double)stratum.Area / area;
        const long double f = (long double)stratum.Count / stratum.Points;
        share += weight * f;
        if (stratum.Points > 1) {
            const long double part = weight * weight * f * (1 - f) / (stratum.Points - 1);
            variance += part;
            spreadOfVariance += part * part / (stratum.Points - 1);
        }
    }
    if (single)
        return WithoutVariance(share, none, all, points,
                               QStringLiteral("Un bloc n'a qu'un point : il en faut deux par bloc au moins pour "
                                              "savoir combien l'estimation varie, et donner un intervalle."));
    const int64_t designFreedom = points - int64_t(strata.size());
    const int64_t freedom =
        spreadOfVariance > 0
            ? std::clamp<int64_t>(int64_t(std::floor(variance * variance / spreadOfVariance)), 1, designFreedom)
            : designFreedom;
    return DesignVariance{SettledShare(share, none, all), variance, points, freedom, {}};
}

std::optional<DesignEstimate> EstimateStratified(std::span<const StratumCounts> strata)
{
    const std::optional<DesignVariance> known = StratifiedVariance(strata);
    return known ? std::optional(EstimateFrom(*known)) : std::nullopt;
}

std::optional<DesignVariance> ClusteredVariance(std::span<const ClusterCounts> clusters)
{
    int64_t points = 0;
    int64_t count = 0;
    for (const ClusterCounts& cluster : clusters) {
        if (!CountWithin(cluster.Count, cluster.Points))
            return std::nullopt;
        points += cluster.Points;
        count += cluster.Count;
    }
    if (points == 0)
        return std::nullopt;
    const long double share = (long double)count / points;
    const bool none = count == 0;
    const bool all = count == points;
    const int64_t segments = int64_t(clusters.size());
    if (segments == 1)
        return WithoutVariance(share, none, all, points,
                               QStringLiteral("Un seul segment : il en faut deux au moins pour savoir combien "
                                              "l'estimation varie, et donner un intervalle."));
    // Σ (y − p̂m)² / (C(C − 1) m̄²) with p̂ = Y / M and m̄ = M / C is C Σ (yM − Ym)² / ((C − 1) M⁴): each
    // segment's gap is then a whole number, 0 exactly when its share is the design's.
    long double gaps = 0;
    for (const ClusterCounts& cluster : clusters) {
        const __int128 gap = __int128(cluster.Count) * points - __int128(count) * cluster.Points;
        gaps += (long double)gap * (long double)gap;
    }
    const long double total = points;
    const long double variance = segments * gaps / ((segments - 1) * total * total * total * total);
    return DesignVariance{SettledShare(share, none, all), variance, points, segments - 1, {}};
}

std::optional<DesignEstimate> EstimateClustered(std::span<const ClusterCounts> clusters)
{
    const std::optional<DesignVariance> known = ClusteredVariance(clusters);
    return known ? std::optional(EstimateFrom(*known)) : std::nullopt;
}

std::optional<DesignInterval> DesignLimits95(double share, double variance, int64_t points, int64_t degreesOfFreedom)
{
    const std::optional<double> size = EffectiveSize(share, variance, points, degreesOfFreedom);
    if (!size)
        return std::nullopt;
    const std::optional<ShareLimits> limits = FractionalLimits95(share == 1 ? *size : *size * share, *size);
    if (!limits)
        return std::nullopt;
    return DesignInterval{*limits, *size};
}

int DesignIntervalHolds(const DesignVariance& known, double truth)
{
    if (!known.Reason.isEmpty())
        return -1;
    const double share = known.Share;
    const std::optional<double> size = EffectiveSize(share, double(known.Variance), known.Points, known.DegreesOfFreedom);
    if (!size)
        return -1;
    // The lower limit is the 2.5 % quantile of Beta(x, n − x + 1), at most the truth when that law
    // gives the truth at least 2.5 %; the upper limit mirrors it (see FractionalLimits95).
    // In double precision, as the limits are worked out: Boost's default, long double, takes
    // twice as long for digits the decision does not need.
    using InDouble = boost::math::policies::policy<boost::math::policies::promote_double<false>>;
    const double x = share == 1 ? *size : *size * share;
    const bool lowerHolds = x == 0 || boost::math::ibeta(x, *size - x + 1, truth, InDouble()) >= 0.025;
    const bool upperHolds = x == *size || boost::math::ibeta(x + 1, *size - x, truth, InDouble()) <= 0.975;
    return lowerHolds && upperHolds ? 1 : 0;
}

std::optional<DesignEstimate> LandUseEstimate(const TSurveyTally& tally, int landUse)
{
    const SampleDesign& design = tally.Design;
    const bool stratified = design.Kind == DesignKind::Stratified;
    const bool clustered = design.Kind == DesignKind::Clustered;
    const bool others = landUse == 0;
    if (!stratified && !clustered) {
        const int64_t count = others ? int64_t{tally.SamplePoints()} - tally.PointsProbed : tally.LandUse(landUse).Count;
        return EstimateSimple(count, tally.SamplePoints());
    }
    // Points and counts of each block or segment, a count going to its sample point's group;
    // "Autres" holds a group's points that no land use counted.
    const auto groups = size_t(stratified ? design.Blocks : design.Clusters);
    std::vector<int64_t> points(groups, 0);
    std::vector<int64_t> counts(groups, 0);
    for (const SurveyMark& mark : tally.Marks()) {
        if (mark.What == SurveyMark::Kind::SamplePoint)
            ++points[size_t(mark.Group)];
        else if (others || mark.LandUse == landUse)
            ++counts[size_t(tally.Marks()[size_t(mark.Point)].Group)];
    }
    if (others)
        for (size_t group = 0; group < groups; ++group)
            counts[group] = points[group] - counts[group];
    if (clustered) {
        std::vector<ClusterCounts> clusters;
        for (size_t group = 0; group < groups; ++group)
            clusters.push_back({points[group], counts[group]});
        return EstimateClustered(clusters);
    }
    const std::vector<QRect> blocks = MapBlocks(QSize(tally.MapWidth, tally.MapHeight), design.Blocks);
    std::vector<StratumCounts> strata;
    for (size_t group = 0; group < groups; ++group)
        strata.push_back({int64_t{blocks[group].width()} * blocks[group].height(), points[group], counts[group]});
    return EstimateStratified(strata);
}
