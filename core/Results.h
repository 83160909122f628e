// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The results of a survey as rows: each land use with its count, its share of the sample and the
// exact 95 % limits of that share, then the points counted on no named use, then the total. The
// results window shows them; whatever else presents the results takes them from here too.

#include "core/DesignEstimates.h"
#include "core/Interval.h"
#include "core/MapScale.h"
#include "core/SurveyTally.h"

#include <QString>
#include <cstdint>
#include <exception>
#include <optional>
#include <vector>

class ResultRow {
public:
    // A row that is a share of the sample: a land use, or the points counted on no named use.
    ResultRow(QString use, int64_t count, int32_t sampleSize);
    // A row that is a sum and has no share of its own: the total.
    ResultRow(QString use, int64_t count);

    const QString& Use() const { return use; }
    int64_t Count() const { return count; }
    // False on the total, whose frequency is left blank.
    bool HasFrequency() const { return hasFrequency; }
    // Count ÷ sample size in extended precision: its fifteenth digit depends on it. Where that
    // division failed (no sample size) this raises its floating-point error, so that whoever
    // presents the rows stops at the very row where the division did.
    long double Frequency() const;
    // Nothing without a sample, for a count outside 0 to the sample size, and on the total.
    const std::optional<ShareLimits>& Limits() const { return limits; }
    // Under a design other than simple random, the share as that design estimates it, with its
    // standard error, interval and design effect; nothing at random, and on the total.
    const std::optional<DesignEstimate>& Estimate() const { return estimate; }
    void SetEstimate(std::optional<DesignEstimate> designed) { estimate = std::move(designed); }

private:
    QString use;
    int64_t count;
    bool hasFrequency;
    long double frequency = 0;
    std::exception_ptr frequencyFailure;
    std::optional<ShareLimits> limits;
    std::optional<DesignEstimate> estimate;
};

// One row per land use listed (at most the 20 entries of the table, whatever the count says),
// then "Autres", then "Total": always at least those last two rows. Raises nothing: a failed
// division is kept in its row.
std::vector<ResultRow> ResultRows(const TSurveyTally& tally);

// What the mouse over a row's share tells: at random, its exact interval as it always did; under
// another design, the design, the estimate and its standard error, the design's interval and the
// design effect, or why the points give no interval. Empty for a row that is no share.
QString ResultHint(const ResultRow& row, const SampleDesign& design);

// A land use's area on a map with a scale: the map's area times the share (the design's estimate
// of it under another design), and its interval the share's limits scaled, in the map's unit.
struct LandUseArea {
    long double Area;  // square metres
    std::optional<ShareLimits> Limits;  // the share's
    long double MapArea;
    AreaUnit Unit;

    // "12,35 ha"; "11,26 ha à 110,11 ha", limits rounded outward (empty without an interval).
    QString Text() const { return AreaText(Area, Unit); }
    QString IntervalText() const { return AreaIntervalText(Limits, MapArea, Unit); }
    // "Aire estimée : 12,35 ha" and, on a second line, its interval.
    QString Hint() const;
};
// Nothing without a scale, for a row that is no share (the total), and without a sample.
std::optional<LandUseArea> AreaOf(const ResultRow& row, const TSurveyTally& tally);
// The same on a map drawn at `drawn` with that scale: a class's rows, whose survey is each
// student's.
std::optional<LandUseArea> AreaOf(const ResultRow& row, const MapScale& scale, QSize drawn);
