// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/ClassCsv.h"

#include "core/MapColours.h"
#include "core/Numbers.h"
#include "core/ResultsCsv.h"

namespace {

QStringList RowCells(const ClassRow& row)
{
    QStringList cells{CsvTypedText(row.Name), IntegerText(row.SampleSize), IntegerText(row.Classified)};
    for (const ResultRow& cell : row.Cells) {
        const std::optional<ShareLimits>& limits = cell.Limits();
        cells << IntegerText(cell.Count()) << FrequencyCell(cell) << (limits ? RealText(limits->Lower) : QString())
              << (limits ? RealText(limits->Upper) : QString());
    }
    return cells;
}

}  // namespace

QString ClassTableCsv(const ClassAnalysis& analysis)
{
    QString text = CsvLine({QStringLiteral("Carte"), CsvTypedText(analysis.MapFile)});
    text += QStringLiteral("\r\n");
    QStringList columns{QStringLiteral("Élève"), QStringLiteral("N"), QStringLiteral("Classés")};
    QStringList uses(analysis.Uses.begin(), analysis.Uses.end());
    uses << QStringLiteral("Autres");
    for (const QString& use : uses) {
        const QString shown = CsvTypedText(use);
        columns << QStringLiteral("%1 : points").arg(shown) << QStringLiteral("%1 : fréquence").arg(shown)
                << QStringLiteral("%1 : borne basse à 95 %").arg(shown)
                << QStringLiteral("%1 : borne haute à 95 %").arg(shown);
    }
    text += CsvLine(columns);
    for (const ClassRow& row : analysis.Rows)
        text += CsvLine(RowCells(row));
    text += CsvLine(RowCells(analysis.Pooled));
    return text;
}

QString ClassSummaryCsv(const ClassAnalysis& analysis)
{
    QString text;
    if (analysis.ChosenUse >= 0) {
        const ResultRow& pooled = analysis.Pooled.Cells[std::size_t(analysis.ChosenUse)];
        const std::optional<ShareLimits>& limits = pooled.Limits();
        text += CsvLine({QStringLiteral("Usage du sol"), CsvTypedText(analysis.Uses[std::size_t(analysis.ChosenUse)])});
        text += CsvLine({QStringLiteral("Estimation de la classe"), FrequencyCell(pooled),
                         limits ? RealText(limits->Lower) : QString(), limits ? RealText(limits->Upper) : QString()});
    }
    text += CsvLine({QStringLiteral("Mise en commun"), analysis.PoolingSentence});
    if (analysis.ReferenceName) {
        text += CsvLine({QStringLiteral("Référence"), CsvTypedText(*analysis.ReferenceName)});
        if (analysis.ChosenUse >= 0 && analysis.ReferenceShares[std::size_t(analysis.ChosenUse)]) {
            const PixelShare share = *analysis.ReferenceShares[std::size_t(analysis.ChosenUse)];
            text += CsvLine({QStringLiteral("Part de référence"), RealText(share.Value())});
            text += CsvLine({QStringLiteral("Intervalles"), analysis.HoldsSentence()});
        }
    }
    if (analysis.Agreement) {
        const ClassAgreement& agreement = *analysis.Agreement;
        text += CsvLine({QStringLiteral("Élèves aux mêmes points"), IntegerText(int64_t(agreement.Sessions.size()))});
        text += CsvLine({QStringLiteral("Points classés par tous"), IntegerText(agreement.PointsRatedByAll)});
        text += CsvLine({QStringLiteral("Kappa de Fleiss"), agreement.Kappa ? RealText(*agreement.Kappa) : QString()});
    }
    return text;
}
