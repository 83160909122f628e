// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What each way of placing the points estimates of one land use's share of the map: the share,
// its standard error, its 95 % interval and how much the design gains or loses against as many
// points drawn at random. Points drawn at random or on a grid are read as a simple random
// sample; points drawn block by block are weighted by each block's area; points taken by
// segments are read segment by segment, the segment being the unit that varies.

#include "core/Interval.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <span>

class TSurveyTally;

// One block of the map: its area in whole pixels, the points drawn in it and, of them, those that
// fell on the land use.
struct StratumCounts {
    int64_t Area;
    int64_t Points;
    int64_t Count;
};

// One segment: the points of it that lie on the map (none when it falls wholly outside) and, of
// them, those that fell on the land use.
struct ClusterCounts {
    int64_t Points;
    int64_t Count;
};

struct DesignEstimate {
    double Share;  // the design's estimate, from 0 to 1
    // The rest is missing when the points cannot tell how much the estimate varies (Reason says
    // why): the standard error, the interval, the variance against that of as many points drawn
    // at random (missing too when the share is 0 or 1, where both are 0), and the size of the
    // simple random sample whose exact interval the design's interval is (for points drawn at
    // random, the points themselves).
    std::optional<double> StandardError;
    std::optional<ShareLimits> Limits;
    std::optional<double> DesignEffect;
    std::optional<double> EffectiveSize;
    QString Reason;  // empty when there is an interval
};

// What a design's counts tell before any interval is worked out: the share, its variance and the
// degrees of freedom the variance is known with, or why the points cannot tell how much the share
// varies (Reason, the variance then NaN). The estimates are made from it; the simulation decides
// from it whether a survey's interval holds the true share without working the limits out.
struct DesignVariance {
    double Share;  // exactly 0 or 1 when no point, or every point, is on the land use
    long double Variance;
    int64_t Points;
    int64_t DegreesOfFreedom;
    QString Reason;
};

// Points drawn at random or on a grid: the frequency `count` / `points`, its standard error
// √(f(1 − f)/n), the exact interval of the results grid, a design effect of 1. Nothing without a
// point or with a count outside 0 to `points`.
std::optional<DesignEstimate> EstimateSimple(int64_t count, int64_t points);

// Points drawn block by block: each block's frequency weighted by its share of the map's area,
// and the variance Σ W²f(1 − f)/(n − 1) summed over the blocks, with Satterthwaite's degrees of
// freedom: fewer when a few blocks carry the variance. A block of a single point gives
// the share but no variance. Nothing without a block, with a block of no area or no point, or a
// count outside 0 to its points.
std::optional<DesignEstimate> EstimateStratified(std::span<const StratumCounts> strata);
std::optional<DesignVariance> StratifiedVariance(std::span<const StratumCounts> strata);

// Points taken by segments: the points on the land use over the points on the map, its variance
// read from how far each segment's count lies from the share times its points. A segment with no
// point on the map still counts as a segment drawn. A single segment gives the share but no
// variance. Nothing without a point on the map or with a count outside 0 to its segment's points.
std::optional<DesignEstimate> EstimateClustered(std::span<const ClusterCounts> clusters);
std::optional<DesignVariance> ClusteredVariance(std::span<const ClusterCounts> clusters);

// The interval of a share estimated with the variance `variance` from `points` points by a design
// with `degreesOfFreedom` (Korn and Graubard's): the exact interval of the simple random sample
// that estimates the share as precisely, of p(1 − p)/V points — more than `points` where the
// design beats random points — made smaller by (t(n − 1) / t(df))² where df is below n − 1, so
// that few blocks or segments widen it as Student's law widens a mean's. A variance of 0 gives the
// exact interval of all the points. Nothing when the share is not from 0 to 1, the variance is
// negative, there is no point or no degree of freedom, or a variance with fewer than two points.
struct DesignInterval {
    ShareLimits Limits;
    double EffectiveSize;  // the simple random sample's size, seldom whole
};
std::optional<DesignInterval> DesignLimits95(double share, double variance, int64_t points, int64_t degreesOfFreedom);

// Whether that interval holds `truth`: 1 or 0, read from the beta laws' tails at `truth` rather
// than from the limits, which need the tails inverted and take several times as long; -1 when
// there is no interval. Agrees with comparing DesignLimits95's limits with `truth` but where
// `truth` lies within rounding of a limit.
int DesignIntervalHolds(const DesignVariance& variance, double truth);

// A land use's share (`landUse` from 1 to the land uses begun, or 0 for the points counted under
// none, "Autres") as the survey's design estimates it from the points counted under it: by block,
// by segment, or as a simple random sample. Nothing before "Go".
std::optional<DesignEstimate> LandUseEstimate(const TSurveyTally& tally, int landUse);
