// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the simulation's two charts show, worked out from the surveys done so far: the histogram
// of the estimates over the fluctuation interval, and the first intervals, each caught or missed.
// The window only draws them.

#include "core/Interval.h"
#include "core/Simulation.h"

#include <cstdint>
#include <span>
#include <vector>

// The intervals drawn one above the other: enough to see the misses, few enough to tell apart.
constexpr int ShownIntervals = 100;
// About as many bars as the histogram's width shows distinctly.
constexpr int HistogramBars = 50;

// The estimates in bars of whole counts, spanning the counts found and the whole fluctuation
// interval, so that the belt always shows whole under them.
struct EstimateHistogram {
    int32_t Lowest;   // the lowest count found or in the interval: where the first bar starts
    int32_t Highest;  // the highest count found or in the interval: in the last bar
    int32_t BarCounts;  // how many counts one bar spans, at least 1
    std::vector<int64_t> Bars;  // the surveys of each bar, the first from Lowest up
    int64_t Tallest;  // the most surveys in one bar, 0 without any
    int32_t Surveys;  // the estimates read
    int64_t Inside;   // of them, those in the fluctuation interval

    // The share of the estimates in the interval, in percent; 0 without any estimate.
    long double InsidePercent() const { return Surveys > 0 ? 100.0L * Inside / Surveys : 0.0L; }
};
EstimateHistogram HistogramOfEstimates(std::span<const int32_t> counts, CountRange fluctuation);

// One survey's Clopper-Pearson interval as drawn, and whether it holds p as the table counts it:
// the exact decision, which a limit rounded to a double may contradict when it equals p.
struct DrawnInterval {
    ShareLimits Limits;
    bool Holds;
};

// The intervals of the first ShownIntervals surveys of `counts` (found by `simulation`), in order,
// with the span of shares an axis needs to show them all and the true share.
struct FirstIntervals {
    std::vector<DrawnInterval> Intervals;
    int Missing;     // those that miss p
    double Lowest;   // the lowest lower limit, or p when it lies lower
    double Highest;  // the highest upper limit, or p when it lies higher
};
FirstIntervals FirstIntervalsOf(const SurveySimulation& simulation, std::span<const int32_t> counts);

// The estimates of several designs counted in the same bars of equal width, so that their
// histograms can lie over one another: from the lowest estimate to the highest in `bars` bars
// (one bar a hundredth wide when they are all equal), an estimate on a bar's edge in the bar above
// it, the highest in the last.
struct SharedHistogram {
    double From;      // where the first bar starts
    double BarWidth;
    std::vector<std::vector<int64_t>> Bars;  // per design, the estimates in each bar
    int64_t Tallest;  // the most estimates in one bar of one design, 0 without any
};
SharedHistogram HistogramsOfShares(const std::vector<std::vector<double>>& shares, int bars);
