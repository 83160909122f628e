// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/SurveyLegend.h"

#include "core/Numbers.h"

#include <QFileInfo>

std::optional<uint32_t> SampleSeed(const TSurveyTally& tally)
{
    return tally.SamplePoints() > 0 ? std::optional(tally.Seed) : std::nullopt;
}

QString MapLegend(const TSurveyTally& tally, const QString& mapFile, const QDateTime& when)
{
    const std::optional<uint32_t> seed = SampleSeed(tally);
    QStringList parts{QStringLiteral("Carte : %1").arg(QFileInfo(mapFile).fileName()),
                      QStringLiteral("N = %1").arg(IntegerText(tally.ResultsSampleSize())),
                      seed ? QStringLiteral("graine %1").arg(IntegerText(*seed)) : QStringLiteral("sans graine"),
                      when.toString(QStringLiteral("yyyy-MM-dd HH:mm"))};
    // The picture of a sample laid otherwise than at random says how: its points' pattern is half
    // of what it shows.
    if (tally.Design.Kind != DesignKind::SimpleRandom)
        parts.insert(1, QStringLiteral("plan %1").arg(DesignText(tally.Design).toLower()));
    return parts.join(QStringLiteral(" — "));
}
