// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The exact coverage of the four methods as a function of the true share p, for one sample size:
// the chance that a survey's interval holds p, drawn from p = 0 to 1 with all its teeth.
//
// Coverage is a sum of binomial probabilities over the counts whose interval holds p, and that
// set of counts only changes where p crosses the limit of some count's interval. So the curve is
// not sampled on a grid, which would alias the teeth once n is large: the limits of the n + 1
// intervals cut [0, 1] into pieces, on each piece the held counts are fixed and the coverage is a
// smooth polynomial, evaluated at both ends (the two sides of every jump) and every
// 1/CoverageCurveSlices in between.

#include "core/MapColours.h"
#include "core/Simulation.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

// The curve keeps at most its first, lowest, highest and last point in each of this many equal
// slices of p: more than a chart's pixels, so that the drawing is the same, while n = 10000 gives
// each method some 20000 teeth.
constexpr int CoverageCurveSlices = 500;

// The counts from Lowest to Highest hold p for every p strictly between From and To, two
// consecutive limits of the method's intervals; Lowest > Highest when none does.
struct HeldCounts {
    double From;
    double To;
    int32_t Lowest;
    int32_t Highest;
};
// The pieces from 0 to 1, in order; empty when `stop` was set meanwhile. The limits are those
// drawn (MethodLimits): the held counts of a piece are decided away from its ends, where a limit
// rounded to a double cannot be on the wrong side of p.
std::vector<HeldCounts> HeldCountsBetweenLimits(IntervalMethod method, int32_t sampleSize,
                                                const std::atomic<bool>& stop);

// P(lowest ≤ count ≤ highest) for n points at the share p, in extended precision; 0 when lowest
// is above highest.
long double CountsProbability(int32_t sampleSize, long double share, int32_t lowest, int32_t highest);

// The chance that the method's interval holds the share of `counts`, decided exactly: the
// expected coverage of the simulation's table.
long double ExactCoverage(IntervalMethod method, const CountDistribution& counts);

struct CoveragePoint {
    double Share;
    double Coverage;
};
struct MethodCoverage {
    IntervalMethod Method;
    std::vector<CoveragePoint> Curve;  // p from 0 to 1; a jump is two points at one p
    std::optional<long double> AtShare;  // ExactCoverage at the share asked, if one was
};
// One entry a method, in the order of IntervalMethods; nothing when `stop` was set meanwhile.
// A few hundred milliseconds at n = 10000: run it off the interface thread.
std::optional<std::array<MethodCoverage, IntervalMethods.size()>>
ExactCoverageCurves(int32_t sampleSize, std::optional<PixelShare> share, const std::atomic<bool>& stop);
