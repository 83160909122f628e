// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/CoverageCurve.h"

#include <boost/math/special_functions/gamma.hpp>
#include <algorithm>
#include <cmath>

namespace {

// A term this much smaller than the sum so far cannot change it in extended precision, and the
// terms only shrink further from the mode.
constexpr long double negligible = 1e-22L;

// Keeps, of the points of each slice, the first, the lowest, the highest and the last, in order.
std::vector<CoveragePoint> Thinned(const std::vector<CoveragePoint>& points)
{
    std::vector<CoveragePoint> kept;
    const auto sliceOf = [](double share) { return std::min(int(share * CoverageCurveSlices), CoverageCurveSlices - 1); };
    for (size_t first = 0; first < points.size();) {
        size_t last = first, lowest = first, highest = first;
        while (last + 1 < points.size() && sliceOf(points[last + 1].Share) == sliceOf(points[first].Share)) {
            ++last;
            if (points[last].Coverage < points[lowest].Coverage)
                lowest = last;
            if (points[last].Coverage > points[highest].Coverage)
                highest = last;
        }
        std::array<size_t, 4> chosen = {first, lowest, highest, last};
        std::sort(chosen.begin(), chosen.end());
        for (size_t i = 0; i < chosen.size(); ++i)
            if (i == 0 || chosen[i] != chosen[i - 1])
                kept.push_back(points[chosen[i]]);
        first = last + 1;
    }
    return kept;
}

std::vector<CoveragePoint> CurveOf(int32_t sampleSize, const std::vector<HeldCounts>& pieces)
{
    std::vector<CoveragePoint> points;
    for (const HeldCounts& piece : pieces) {
        const int steps = std::max(1, int(std::ceil((piece.To - piece.From) * CoverageCurveSlices)));
        for (int step = 0; step <= steps; ++step) {
            const double share = step == steps ? piece.To : piece.From + (piece.To - piece.From) * step / steps;
            points.push_back({share, double(CountsProbability(sampleSize, share, piece.Lowest, piece.Highest))});
        }
    }
    return Thinned(points);
}

}  // namespace

std::vector<HeldCounts> HeldCountsBetweenLimits(IntervalMethod method, int32_t sampleSize,
                                                const std::atomic<bool>& stop)
{
    std::vector<ShareLimits> limits;
    std::vector<double> ends = {0.0, 1.0};
    for (int32_t count = 0; count <= sampleSize; ++count) {
        if (stop.load(std::memory_order_relaxed))
            return {};
        limits.push_back(MethodLimits(method, count, sampleSize));
        ends.push_back(limits.back().Lower);
        ends.push_back(limits.back().Upper);
    }
    std::sort(ends.begin(), ends.end());
    ends.erase(std::unique(ends.begin(), ends.end()), ends.end());

    // Both limits of every method grow with the count (Wald's lower one dips below 0 before it
    // grows, and is cut there), so the counts that hold p on a piece run from the first whose
    // upper limit reaches the piece's end to the last whose lower limit is at its start, and both
    // only move up from one piece to the next.
    std::vector<HeldCounts> pieces;
    int32_t lowest = 0, highest = -1;
    for (size_t end = 0; end + 1 < ends.size(); ++end) {
        const double from = ends[end], to = ends[end + 1];
        while (highest < sampleSize && limits[size_t(highest + 1)].Lower <= from)
            ++highest;
        while (lowest <= sampleSize && limits[size_t(lowest)].Upper < to)
            ++lowest;
        pieces.push_back({from, to, lowest, highest});
    }
    return pieces;
}

long double CountsProbability(int32_t sampleSize, long double share, int32_t lowest, int32_t highest)
{
    if (lowest > highest)
        return 0;
    if (share <= 0)
        return lowest == 0 ? 1 : 0;
    if (share >= 1)
        return highest == sampleSize ? 1 : 0;
    // From the count of the range nearest the mode, where the probability is largest, outwards,
    // each term from the last: P(k + 1) = P(k) (n − k) p / ((k + 1)(1 − p)).
    const long double n = sampleSize;
    const auto start = std::clamp(int32_t(std::floor((n + 1) * share)), lowest, highest);
    using boost::math::lgamma;
    const long double first = std::exp(lgamma(n + 1) - lgamma(start + 1.0L) - lgamma(n - start + 1)
                                       + start * std::log(share) + (n - start) * std::log1p(-share));
    const long double odds = share / (1 - share);
    long double sum = first;
    long double term = first;
    for (int32_t count = start; count < highest && term > sum * negligible; ++count) {
        term *= (n - count) * odds / (count + 1);
        sum += term;
    }
    term = first;
    for (int32_t count = start; count > lowest && term > sum * negligible; --count) {
        term *= count / ((n - count + 1) * odds);
        sum += term;
    }
    return sum;
}

long double ExactCoverage(IntervalMethod method, const CountDistribution& counts)
{
    return counts.ProbabilityOf(CountsWhoseIntervalHolds(method, counts));
}

std::optional<std::array<MethodCoverage, IntervalMethods.size()>>
ExactCoverageCurves(int32_t sampleSize, std::optional<PixelShare> share, const std::atomic<bool>& stop)
{
    std::array<MethodCoverage, IntervalMethods.size()> curves;
    const std::optional<CountDistribution> atShare =
        share ? std::optional<CountDistribution>(std::in_place, sampleSize, *share) : std::nullopt;
    for (size_t m = 0; m < IntervalMethods.size(); ++m) {
        const std::vector<HeldCounts> pieces = HeldCountsBetweenLimits(IntervalMethods[m], sampleSize, stop);
        if (pieces.empty())
            return std::nullopt;
        curves[m] = {IntervalMethods[m], CurveOf(sampleSize, pieces),
                     atShare ? std::optional(ExactCoverage(IntervalMethods[m], *atShare)) : std::nullopt};
    }
    return curves;
}
