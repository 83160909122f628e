// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The survey repeated by one sampling design: K surveys laid by the design over the map's own
// pixels, each estimating the chosen colours' share as the design estimates it, with its standard
// error and its 95 % interval, beside the interval a reader would give if the points had been
// drawn at random (Clopper and Pearson's, of the count over the points placed). Run design after
// design from the same seed on the same map, they show a class which designs narrow the spread
// of the estimates and which break the simple interval.

#include "core/DesignEstimates.h"
#include "core/Interval.h"
#include "core/SampleDesign.h"
#include "core/Simulation.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

// The design as the command line writes it: "aleatoire", "systematique", "strates:B" or
// "grappes:C,s,e"; EConvertError, in French, for anything else. Whether it fits a map is
// DesignMisfit's question.
SampleDesign ParseDesign(const QString& text);

// One survey of a design.
struct DesignSurvey {
    int32_t Points;        // the points placed on the map
    int32_t Count;         // of them, on the chosen colours
    double Share;          // the design's estimate
    double StandardError;  // its estimated standard error; NaN when the design gives none
    int8_t DesignHolds;    // whether the design's interval holds the true share: 1, 0, or -1 without one
    bool NaiveHolds;       // whether Clopper and Pearson's interval of Count / Points holds it
};

// How often intervals held the true share, with the exact 95 % limits of that share.
struct CoverageFigures {
    int32_t Surveys;  // the surveys that gave an interval
    int32_t Holding;
    long double Share;  // Holding / Surveys, 0 without any
    ShareLimits Limits;
};

// One design's row, over the surveys done so far. The Monte-Carlo errors are the standard errors
// of the mean (sd / √K) and of the standard deviation (sd / √(2(K − 1)), as for a normal law).
struct DesignFigures {
    SampleDesign Design;
    int32_t Surveys;
    long double MeanPoints;
    long double MeanEstimate;
    long double MeanEstimateError;
    long double EstimateSpread;  // the standard deviation of the estimates: the true spread
    long double EstimateSpreadError;
    long double MeanStandardError;  // over the surveys that gave one
    int32_t WithoutInterval;        // surveys where the design could give no interval
    CoverageFigures DesignCoverage;
    CoverageFigures NaiveCoverage;
};

class DesignSimulation {
public:
    // The refusals of SurveySimulation, then the design's own (DesignMisfit), as EInvalidOperation.
    // Clusters place C × s² points, whatever `sampleSize` says.
    DesignSimulation(const PixelView& map, const std::vector<uint32_t>& chosenColours, const SampleDesign& design,
                     int32_t sampleSize, int32_t surveys, uint32_t seed);

    const SampleDesign& Design() const { return layout.Design; }
    int32_t SampleSize() const { return layout.SampleSize; }
    int32_t Surveys() const { return static_cast<int32_t>(surveys.size()); }
    uint32_t Seed() const { return seed; }
    PixelShare Share() const { return chosen.Share; }

    // As SurveySimulation::Run: the surveys still to do, until all are done or `stop` is set,
    // looked at after each survey; the points as DrawDesign lays them from the seed, survey after
    // survey in the generator's sequence, so that the simple random design finds the very counts
    // SurveySimulation finds. Others may read meanwhile what the surveys done give.
    void Run(const std::atomic<bool>& stop);

    int32_t SurveysDone() const { return done.load(std::memory_order_acquire); }
    std::span<const DesignSurvey> Done() const { return {surveys.data(), size_t(SurveysDone())}; }
    DesignFigures Figures() const;

private:
    DesignSurvey Estimate(int32_t points, int32_t count);
    // Whether Clopper and Pearson's interval of `count` out of `points` holds the true share: from
    // a table of every count, worked out the first time that many points are placed, where the
    // design places few numbers of points or few points; else decided for the one count.
    bool NaiveHolds(int32_t points, int32_t count);

    MarkedMap chosen;
    DesignLayout layout;
    uint32_t seed;
    uint32_t state;
    std::vector<DesignSurvey> surveys;  // all K, filled in order
    std::atomic<int32_t> done = 0;
    // The worker's own: one table per number of points placed, and each block's or segment's
    // points and count, reused survey after survey.
    std::vector<std::vector<uint8_t>> naiveHolds;
    std::vector<int64_t> groupPoints;
    std::vector<int64_t> groupCounts;
    std::vector<StratumCounts> strata;
    std::vector<ClusterCounts> clusters;
};
