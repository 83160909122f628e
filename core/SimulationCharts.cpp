// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/SimulationCharts.h"

#include <algorithm>

EstimateHistogram HistogramOfEstimates(std::span<const int32_t> counts, CountRange fluctuation)
{
    EstimateHistogram histogram{fluctuation.Lowest, fluctuation.Highest, 1, {}, 0, int32_t(counts.size()), 0};
    for (int32_t count : counts) {
        histogram.Lowest = std::min(histogram.Lowest, count);
        histogram.Highest = std::max(histogram.Highest, count);
        histogram.Inside += count >= fluctuation.Lowest && count <= fluctuation.Highest;
    }
    // One count a bar up to HistogramBars counts; past that, as many whole counts a bar as keep
    // the bars about that many.
    const int32_t span = histogram.Highest - histogram.Lowest;
    histogram.BarCounts = std::max(1, (span + HistogramBars) / HistogramBars);
    histogram.Bars.assign(size_t(span / histogram.BarCounts + 1), 0);
    for (int32_t count : counts)
        ++histogram.Bars[size_t((count - histogram.Lowest) / histogram.BarCounts)];
    histogram.Tallest = *std::max_element(histogram.Bars.begin(), histogram.Bars.end());
    return histogram;
}

FirstIntervals FirstIntervalsOf(const SurveySimulation& simulation, std::span<const int32_t> counts)
{
    const auto share = double(simulation.TrueShare());
    FirstIntervals first{{}, 0, share, share};
    for (int32_t count : counts.first(std::min<size_t>(counts.size(), ShownIntervals))) {
        const DrawnInterval interval{MethodLimits(IntervalMethod::ClopperPearson, count, simulation.SampleSize()),
                                     simulation.Holds(IntervalMethod::ClopperPearson, count)};
        first.Intervals.push_back(interval);
        first.Missing += !interval.Holds;
        first.Lowest = std::min(first.Lowest, interval.Limits.Lower);
        first.Highest = std::max(first.Highest, interval.Limits.Upper);
    }
    return first;
}

SharedHistogram HistogramsOfShares(const std::vector<std::vector<double>>& shares, int bars)
{
    double lowest = 1, highest = 0;
    for (const std::vector<double>& design : shares)
        for (double share : design) {
            lowest = std::min(lowest, share);
            highest = std::max(highest, share);
        }
    if (lowest > highest)
        lowest = highest = 0;
    const double width = highest > lowest ? (highest - lowest) / bars : 0.01;
    SharedHistogram histogram{lowest, width, {}, 0};
    for (const std::vector<double>& design : shares) {
        std::vector<int64_t>& counted = histogram.Bars.emplace_back(size_t(highest > lowest ? bars : 1), 0);
        for (double share : design) {
            const auto bar = std::min(counted.size() - 1, size_t((share - lowest) / width));
            histogram.Tallest = std::max(histogram.Tallest, ++counted[bar]);
        }
    }
    return histogram;
}
