// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/SamplePoints.h"

#include "core/Numbers.h"
#include "core/ResultsCsv.h"
#include "core/SurveyLegend.h"

std::vector<SamplePointRow> SamplePointRows(const TSurveyTally& tally)
{
    std::vector<SamplePointRow> rows;
    rows.reserve(std::size_t(tally.SamplePoints()));
    int32_t counted = 0;
    for (const SurveyMark& mark : tally.Marks()) {
        if (mark.What == SurveyMark::Kind::SamplePoint) {
            rows.push_back({int32_t(rows.size()) + 1, mark.Place, QString(), 0});
        } else {
            SamplePointRow& row = rows[std::size_t(mark.Point)];
            row.Use = tally.LandUse(mark.LandUse).Name;
            row.CountOrder = ++counted;
        }
    }
    return rows;
}

QByteArray SamplePointsCsv(const TSurveyTally& tally)
{
    const std::optional<uint32_t> seed = SampleSeed(tally);
    QString text = CsvLine({QStringLiteral("Point"), QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Usage du sol"),
                            QStringLiteral("Compté"), QStringLiteral("Ordre"), QStringLiteral("Graine")});
    for (const SamplePointRow& row : SamplePointRows(tally))
        text += CsvLine({IntegerText(row.Number), IntegerText(row.Place.x()), IntegerText(row.Place.y()), CsvTypedText(row.Use),
                         row.CountOrder > 0 ? QStringLiteral("oui") : QStringLiteral("non"),
                         row.CountOrder > 0 ? IntegerText(row.CountOrder) : QString(), seed ? IntegerText(*seed) : QString()});
    return SpreadsheetBytes(text);
}
