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

}  // namespace

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
    const QString method = QStringLiteral("Clopper-Pearson");
    QString text;
    text += CsvLine({QStringLiteral("Carte"), CsvTypedText(mapFile)});
    text += CsvLine({QStringLiteral("Date"), when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
    text += CsvLine({QStringLiteral("Taille de l'échantillon"), IntegerText(tally.ResultsSampleSize())});
    const std::optional<uint32_t> seed = SampleSeed(tally);
    text += CsvLine({QStringLiteral("Graine"), seed ? IntegerText(*seed) : QString()});
    text += CsvLine({QStringLiteral("Intervalle de confiance"), QStringLiteral("95 % exact (%1)").arg(method)});
    text += QStringLiteral("\r\n");
    text += CsvLine({QStringLiteral("Usage"), QStringLiteral("Nombre"), QStringLiteral("Fréquence"),
                  QStringLiteral("Borne basse à 95 % (%1)").arg(method),
                  QStringLiteral("Borne haute à 95 % (%1)").arg(method)});
    for (const ResultRow& row : ResultRows(tally)) {
        const std::optional<ShareLimits>& limits = row.Limits();
        text += CsvLine({CsvTypedText(row.Use()), IntegerText(row.Count()), FrequencyCell(row),
                      limits ? RealText(limits->Lower) : QString(), limits ? RealText(limits->Upper) : QString()});
    }
    return SpreadsheetBytes(text);
}
