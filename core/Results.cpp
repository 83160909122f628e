// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/Results.h"

#include "core/FloatArith.h"

#include <algorithm>

ResultRow::ResultRow(QString use, int64_t count, int32_t sampleSize)
    : use(std::move(use)), count(count), hasFrequency(true), limits(ExactLimits95(double(count), sampleSize))
{
    // Kept rather than raised: the rows are all formed before any is shown, yet the failure must
    // surface where the frequency is read, after the cells that come before it.
    try {
        frequency = Divide(static_cast<long double>(count), sampleSize);
    } catch (...) {
        frequencyFailure = std::current_exception();
    }
}

ResultRow::ResultRow(QString use, int64_t count) : use(std::move(use)), count(count), hasFrequency(false) {}

long double ResultRow::Frequency() const
{
    if (frequencyFailure)
        std::rethrow_exception(frequencyFailure);
    return frequency;
}

std::vector<ResultRow> ResultRows(const TSurveyTally& tally)
{
    // The table holds 20 land uses; a larger count must not send us past its last entry.
    const int uses = std::clamp(tally.LandUseCount, 0, int(TSurveyTally::MaxLandUses));
    std::vector<ResultRow> rows;
    rows.reserve(std::size_t(uses) + 2);
    for (int number = 1; number <= uses; ++number) {
        const LandUseEntry& entry = tally.LandUse(number);
        rows.emplace_back(entry.Name, entry.Count, tally.ResultsSampleSize());
    }
    // Formed in full: a survey beyond 255 points counts right, and more presses than points
    // show as a negative count instead of wrapping round to a plausible one.
    rows.emplace_back(QStringLiteral("Autres"), int64_t(tally.ResultsSampleSize()) - tally.PointsProbed,
                      tally.ResultsSampleSize());
    rows.emplace_back(QStringLiteral("Total"), tally.PointsProbed);
    return rows;
}
