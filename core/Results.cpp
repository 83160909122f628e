// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/Results.h"

#include "core/FloatArith.h"
#include "core/Numbers.h"

#include <QStringList>
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
    const bool designed = tally.Design.Kind != DesignKind::SimpleRandom && tally.SamplePoints() > 0;
    const auto designEstimate = [&tally](int landUse) {
        std::optional<DesignEstimate> estimate = LandUseEstimate(tally, landUse);
        // One grid tells nothing of its own variance: its points are read as random ones, and
        // how much better or worse the grid does is not known from them.
        if (estimate && tally.Design.Kind == DesignKind::Systematic)
            estimate->DesignEffect.reset();
        return estimate;
    };
    for (int number = 1; number <= uses; ++number) {
        const LandUseEntry& entry = tally.LandUse(number);
        rows.emplace_back(entry.Name, entry.Count, tally.ResultsSampleSize());
        if (designed)
            rows.back().SetEstimate(designEstimate(number));
    }
    // Formed in full: a survey beyond 255 points counts right, and more presses than points
    // show as a negative count instead of wrapping round to a plausible one.
    rows.emplace_back(QStringLiteral("Autres"), int64_t(tally.ResultsSampleSize()) - tally.PointsProbed,
                      tally.ResultsSampleSize());
    if (designed)
        rows.back().SetEstimate(designEstimate(0));
    rows.emplace_back(QStringLiteral("Total"), tally.PointsProbed);
    return rows;
}

QString ResultHint(const ResultRow& row, const SampleDesign& design)
{
    if (!row.HasFrequency())
        return {};
    const std::optional<DesignEstimate>& estimate = row.Estimate();
    if (!estimate)
        return IntervalHint(row.Limits());
    QStringList lines{QStringLiteral("Plan : ") + DesignText(design).toLower(),
                      QStringLiteral("Estimation : %1 %").arg(FixedText(100 * estimate->Share, 1))};
    if (estimate->StandardError)
        lines.back() += QStringLiteral(" ; erreur-type : %1 %").arg(FixedText(100 * *estimate->StandardError, 1));
    if (!estimate->Limits) {
        lines << estimate->Reason;
        return lines.join(QLatin1Char('\n'));
    }
    lines << IntervalHint(estimate->Limits);
    // One grid has no variance of its own: its interval is the random sample's, which a map
    // whose land uses lie in patches makes wider than the grid needs.
    if (design.Kind == DesignKind::Systematic)
        lines << QStringLiteral("(celui d'un échantillon aléatoire simple, en général prudent\n"
                                "sur une carte où les usages forment des taches)");
    else
        lines.back() += QStringLiteral(" (Korn-Graubard)");
    if (estimate->DesignEffect)
        lines << QStringLiteral("Effet de plan : %1").arg(FixedText(*estimate->DesignEffect, 2));
    return lines.join(QLatin1Char('\n'));
}

QString LandUseArea::Hint() const
{
    QString hint = QStringLiteral("Aire estimée : %1").arg(Text());
    if (const QString interval = IntervalText(); !interval.isEmpty())
        hint += QStringLiteral("\nIntervalle de confiance à 95 % : ") + interval;
    return hint;
}

std::optional<LandUseArea> AreaOf(const ResultRow& row, const TSurveyTally& tally)
{
    if (!tally.Scale)
        return std::nullopt;
    return AreaOf(row, *tally.Scale, QSize(tally.MapWidth, tally.MapHeight));
}

std::optional<LandUseArea> AreaOf(const ResultRow& row, const MapScale& scale, QSize drawn)
{
    // A row without a sample has no share to scale (its frequency failed).
    if (!row.HasFrequency() || (!row.Estimate() && !row.Limits()))
        return std::nullopt;
    const long double mapArea = MapArea(scale, drawn);
    const std::optional<DesignEstimate>& estimate = row.Estimate();
    const long double share = estimate ? (long double)estimate->Share : row.Frequency();
    return LandUseArea{mapArea * share, estimate ? estimate->Limits : row.Limits(), mapArea, AreaUnitFor(mapArea)};
}
