// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/ResultsCsv.h"

#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/Results.h"
#include "core/SurveyLegend.h"

#include <algorithm>

namespace {

// A field holding the separator, a quote or a line break goes between quotes, its quotes
// doubled, so that a land use named "Rues; places" stays one cell.
QString Field(const QString& text, QChar separator)
{
    const bool quoted = std::any_of(text.begin(), text.end(), [separator](QChar c) {
        return c == separator || c == QLatin1Char('"') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
    });
    if (!quoted)
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

}  // namespace

QString FrequencyCell(const ResultRow& row)
{
    if (!row.HasFrequency())
        return {};
    // Without a sample size the share does not exist; the file still holds every other cell.
    try {
        return RealText(row.Frequency());
    } catch (const Exception&) {
        return {};
    }
}

QString CsvTypedText(const QString& text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!text.isEmpty() && formulaStarts.contains(text.front()))
        return QLatin1Char('\'') + text;
    return text;
}

QByteArray SpreadsheetBytes(const QString& text)
{
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QString JoinedFields(const QStringList& fields, QChar separator)
{
    QStringList cells;
    for (const QString& field : fields)
        cells << Field(field, separator);
    return cells.join(separator);
}

QString CsvLine(const QStringList& fields)
{
    return JoinedFields(fields, QLatin1Char(';')) + QStringLiteral("\r\n");
}

QByteArray ResultsCsv(const TSurveyTally& tally, const QString& mapFile, const QDateTime& when)
{
    // Points drawn at random or on a grid keep the exact interval; blocks and segments have their
    // own, and a file of them says so and adds the design's figures.
    const bool designed = tally.Design.Kind != DesignKind::SimpleRandom;
    const bool weighted = tally.Design.Kind == DesignKind::Stratified || tally.Design.Kind == DesignKind::Clustered;
    const QString method = weighted ? QStringLiteral("Korn-Graubard") : QStringLiteral("Clopper-Pearson");
    QString text;
    text += CsvLine({QStringLiteral("Carte"), CsvTypedText(mapFile)});
    text += CsvLine({QStringLiteral("Date"), when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
    text += CsvLine({QStringLiteral("Taille de l'échantillon"), IntegerText(tally.ResultsSampleSize())});
    const std::optional<uint32_t> seed = SampleSeed(tally);
    text += CsvLine({QStringLiteral("Graine"), seed ? IntegerText(*seed) : QString()});
    if (designed)
        text += CsvLine({QStringLiteral("Plan d'échantillonnage"), DesignText(tally.Design)});
    text += CsvLine({QStringLiteral("Intervalle de confiance"),
                     weighted ? QStringLiteral("95 % (%1)").arg(method) : QStringLiteral("95 % exact (%1)").arg(method)});
    // With a scale, each land use's area beside its share, in the map's unit.
    const std::optional<AreaUnit> unit =
        tally.Scale ? std::optional(AreaUnitFor(MapArea(*tally.Scale, QSize(tally.MapWidth, tally.MapHeight)))) : std::nullopt;
    if (unit)
        text += CsvLine({QStringLiteral("Aire de la carte (%1)").arg(unit->Symbol),
                         RealText(MapArea(*tally.Scale, QSize(tally.MapWidth, tally.MapHeight)) / unit->SquareMetres)});
    text += QStringLiteral("\r\n");
    QStringList columns{QStringLiteral("Usage"), QStringLiteral("Nombre"),
                        weighted ? QStringLiteral("Estimation") : QStringLiteral("Fréquence"),
                        QStringLiteral("Borne basse à 95 % (%1)").arg(method),
                        QStringLiteral("Borne haute à 95 % (%1)").arg(method)};
    if (designed) {
        columns.insert(3, QStringLiteral("Erreur-type"));
        columns << QStringLiteral("Effet de plan");
    }
    if (unit)
        columns << QStringLiteral("Aire (%1)").arg(unit->Symbol) << QStringLiteral("Aire borne basse (%1)").arg(unit->Symbol)
                << QStringLiteral("Aire borne haute (%1)").arg(unit->Symbol);
    text += CsvLine(columns);
    const auto optionalText = [](const std::optional<double>& value) { return value ? RealText(*value) : QString(); };
    for (const ResultRow& row : ResultRows(tally)) {
        const std::optional<DesignEstimate>& estimate = row.Estimate();
        const std::optional<ShareLimits>& limits = estimate ? estimate->Limits : row.Limits();
        QStringList cells{CsvTypedText(row.Use()), IntegerText(row.Count()),
                          estimate ? RealText(estimate->Share) : FrequencyCell(row),
                          limits ? RealText(limits->Lower) : QString(), limits ? RealText(limits->Upper) : QString()};
        if (designed) {
            cells.insert(3, estimate ? optionalText(estimate->StandardError) : QString());
            cells << (estimate ? optionalText(estimate->DesignEffect) : QString());
        }
        if (unit) {
            const std::optional<LandUseArea> area = AreaOf(row, tally);
            const auto inUnit = [&](long double squareMetres) { return RealText(squareMetres / unit->SquareMetres); };
            cells << (area ? inUnit(area->Area) : QString())
                  << (area && area->Limits ? inUnit(area->MapArea * area->Limits->Lower) : QString())
                  << (area && area->Limits ? inUnit(area->MapArea * area->Limits->Upper) : QString());
        }
        text += CsvLine(cells);
    }
    return SpreadsheetBytes(text);
}
