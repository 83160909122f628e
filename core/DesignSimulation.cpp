// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/DesignSimulation.h"

#include "core/DesignEstimates.h"
#include "core/Errors.h"
#include "core/Numbers.h"

#include <QStringList>
#include <cmath>
#include <limits>

namespace {

// The largest number of points placed whose naive decisions are kept in a table for designs that
// place a number of points of their own: above it a table takes longer to make than a few hundred
// surveys' decisions.
constexpr int32_t tabledSampleSize = 1000;

CoverageFigures CoverageOf(int32_t holding, int32_t surveys)
{
    return {surveys, holding, surveys > 0 ? (long double)holding / surveys : 0.0L,
            ExactLimits95(holding, surveys).value_or(ShareLimits{0, 1})};
}

[[noreturn]] void RefusePlan(const QString& text)
{
    throw EConvertError(QStringLiteral("« %1 » n'est pas un plan : écrivez aleatoire, systematique, strates:B "
                                       "ou grappes:C,s,e (des nombres entiers).")
                            .arg(text));
}

}  // namespace

SampleDesign ParseDesign(const QString& text)
{
    const QString name = text.section(QLatin1Char(':'), 0, 0);
    const bool valued = text.contains(QLatin1Char(':'));
    const QStringList values = text.section(QLatin1Char(':'), 1).split(QLatin1Char(','));
    std::vector<int32_t> numbers;
    if (valued)
        for (const QString& value : values) {
            try {
                numbers.push_back(ParseInteger(value));
            } catch (const EConvertError&) {
                RefusePlan(text);
            }
        }
    SampleDesign design;
    if (name == QStringLiteral("aleatoire") && !valued)
        design.Kind = DesignKind::SimpleRandom;
    else if (name == QStringLiteral("systematique") && !valued)
        design.Kind = DesignKind::Systematic;
    else if (name == QStringLiteral("strates") && numbers.size() == 1)
        design = {DesignKind::Stratified, numbers[0]};
    else if (name == QStringLiteral("grappes") && numbers.size() == 3)
        design = {DesignKind::Clustered, design.Blocks, numbers[0], numbers[1], numbers[2]};
    else
        RefusePlan(text);
    return design;
}

DesignSimulation::DesignSimulation(const PixelView& map, const std::vector<uint32_t>& chosenColours,
                                   const SampleDesign& design, int32_t sampleSize, int32_t surveys, uint32_t seed)
    : chosen(MarkChosenPixels(map, chosenColours,
                              design.Kind == DesignKind::Clustered ? std::nullopt : std::optional(sampleSize), surveys)),
      seed(seed), state(seed)
{
    const QSize size(map.Width, map.Height);
    if (const std::optional<QString> misfit = DesignMisfit(design, sampleSize, size))
        throw EInvalidOperation(*misfit);
    layout = LayOutDesign(design, sampleSize, size);
    this->surveys.resize(size_t(surveys));
    groupPoints.resize(size_t(layout.Groups));
    groupCounts.resize(size_t(layout.Groups));
    naiveHolds.resize(size_t(MaxSampleSize) + 1);
}

void DesignSimulation::Run(const std::atomic<bool>& stop)
{
    const bool byGroup = layout.Design.Kind == DesignKind::Stratified || layout.Design.Kind == DesignKind::Clustered;
    for (int32_t survey = done.load(std::memory_order_relaxed); survey < Surveys(); ++survey) {
        if (stop.load(std::memory_order_relaxed))
            return;
        int32_t points = 0;
        int32_t count = 0;
        if (byGroup) {
            std::fill(groupPoints.begin(), groupPoints.end(), 0);
            std::fill(groupCounts.begin(), groupCounts.end(), 0);
            LayPoints(layout, state, [&](QPoint place, int32_t group) {
                ++groupPoints[size_t(group)];
                groupCounts[size_t(group)] += chosen.At(place);
            });
            for (size_t group = 0; group < groupPoints.size(); ++group) {
                points += int32_t(groupPoints[group]);
                count += int32_t(groupCounts[group]);
            }
        } else {
            LayPoints(layout, state, [&](QPoint place, int32_t) {
                ++points;
                count += chosen.At(place);
            });
        }
        surveys[size_t(survey)] = Estimate(points, count);
        done.store(survey + 1, std::memory_order_release);
    }
}

bool DesignSimulation::NaiveHolds(int32_t points, int32_t count)
{
    // Random points and blocks always place as many points; a grid and small segments a few
    // numbers of them, each table soon made. A large grid or many large segments seldom place the
    // same number twice, and a table of every count for each would cost more than deciding the
    // one count found.
    const DesignKind kind = layout.Design.Kind;
    if (points > tabledSampleSize && kind != DesignKind::SimpleRandom && kind != DesignKind::Stratified)
        return ExactIntervalHolds(count, points, chosen.Share);
    std::vector<uint8_t>& holds = naiveHolds[size_t(points)];
    if (holds.empty())
        holds = CountsWhoseIntervalHolds(IntervalMethod::ClopperPearson, CountDistribution(points, chosen.Share));
    return holds[size_t(count)] != 0;
}

DesignSurvey DesignSimulation::Estimate(int32_t points, int32_t count)
{
    std::optional<DesignVariance> known;
    switch (layout.Design.Kind) {
    case DesignKind::SimpleRandom:
    case DesignKind::Systematic: {
        // Points at random or on a grid are read as a simple random sample: the design's interval
        // is the naive one, whose holding is decided exactly once for each count, so its limits
        // need not be computed at each survey.
        const bool naive = NaiveHolds(points, count);
        const double f = double(count) / points;
        return {points, count, f, std::sqrt(f * (1 - f) / points), int8_t(naive), naive};
    }
    case DesignKind::Stratified:
        strata.clear();
        for (size_t block = 0; block < groupPoints.size(); ++block)
            strata.push_back({int64_t{layout.Blocks[block].width()} * layout.Blocks[block].height(), groupPoints[block],
                              groupCounts[block]});
        known = StratifiedVariance(strata);
        break;
    case DesignKind::Clustered:
        clusters.clear();
        for (size_t segment = 0; segment < groupPoints.size(); ++segment)
            clusters.push_back({groupPoints[segment], groupCounts[segment]});
        known = ClusteredVariance(clusters);
        break;
    }
    const bool naive = NaiveHolds(points, count);
    // The counts come from the map, within their points, and every block or segment has points on
    // it (DesignMisfit, and a segment always keeps its first column and row on the map). Korn and
    // Graubard's limits are not exact themselves: whether they hold the ratio of pixels is read
    // from the beta tails in double precision.
    return {points, count, known->Share, known->Reason.isEmpty() ? double(std::sqrt(known->Variance))
                                                                 : std::numeric_limits<double>::quiet_NaN(),
            int8_t(DesignIntervalHolds(*known, double(chosen.Share.Value()))), naive};
}

DesignFigures DesignSimulation::Figures() const
{
    const std::span<const DesignSurvey> found = Done();
    const auto k = int32_t(found.size());
    long double points = 0, shares = 0, errors = 0;
    int32_t withError = 0, withInterval = 0, designHolding = 0, naiveHolding = 0;
    for (const DesignSurvey& survey : found) {
        points += survey.Points;
        shares += survey.Share;
        if (!std::isnan(survey.StandardError)) {
            errors += survey.StandardError;
            ++withError;
        }
        withInterval += survey.DesignHolds >= 0;
        designHolding += survey.DesignHolds == 1;
        naiveHolding += survey.NaiveHolds;
    }
    const long double mean = k > 0 ? shares / k : 0.0L;
    long double squares = 0;
    for (const DesignSurvey& survey : found)
        squares += (survey.Share - mean) * (survey.Share - mean);
    const long double spread = k > 1 ? std::sqrt(squares / (k - 1)) : 0.0L;
    return {layout.Design,
            k,
            k > 0 ? points / k : 0.0L,
            mean,
            k > 0 ? spread / std::sqrt((long double)k) : 0.0L,
            spread,
            k > 1 ? spread / std::sqrt(2.0L * (k - 1)) : 0.0L,
            withError > 0 ? errors / withError : 0.0L,
            k - withInterval,
            CoverageOf(designHolding, withInterval),
            CoverageOf(naiveHolding, k)};
}
