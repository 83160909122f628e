// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The exact 95 % confidence limits of a share estimated from a sample (Clopper and Pearson's
// binomial limits). The chart's belts and the hint of each frequency in the results grid come
// from here, so the figure read by eye on the chart and the one shown in the grid agree.

#include <QString>
#include <cstdint>
#include <optional>

struct ShareLimits {
    double Lower;  // shares from 0 to 1
    double Upper;
};

// The limits for `successes` points out of `trials`. The count may be fractional: the chart
// draws its belts through every observed percentage, not only through whole counts. Nothing
// when there is no sample (trials below 1) or the count lies outside 0 to trials.
std::optional<ShareLimits> ExactLimits95(double successes, int64_t trials);
// The same limits for a sample size that need not be whole either: a stratified or a cluster
// design's interval is the one of the simple random sample that would estimate the share as
// precisely, whose size is seldom whole. Nothing when the size is not above 0 or the count lies
// outside 0 to the size.
std::optional<ShareLimits> FractionalLimits95(double successes, double sampleSize);

// "6,6 % à 65,3 %" for 3 points out of 10 (exactly 6.674 % to 65.245 %): each limit rounded
// outward, with the regional decimal separator; empty when there is no interval to give (no
// sample, or an over-count).
QString IntervalText(const std::optional<ShareLimits>& limits);
QString IntervalText(int64_t count, int64_t sampleSize);
// The same, as the hint of a frequency: "Intervalle de confiance à 95 % : 6,6 % à 65,3 %".
QString IntervalHint(const std::optional<ShareLimits>& limits);
