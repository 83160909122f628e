// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/ClassCsv.h"

#include "core/MapColours.h"
#include "core/Numbers.h"
#include "core/ResultsCsv.h"

namespace {

// With a scale, each land use's area after its share, in the map's unit.
QStringList RowCells(const ClassRow& row, const ClassAnalysis& analysis)
{
    QStringList cells{CsvTypedText(row.Name), IntegerText(row.SampleSize), IntegerText(row.Classified)};
    for (const ResultRow& cell : row.Cells) {
        const std::optional<ShareLimits>& limits = cell.Limits();
        cells << IntegerText(cell.Count()) << FrequencyCell(cell) << (limits ? RealText(limits->Lower) : QString())
              << (limits ? RealText(limits->Upper) : QString());
        if (!analysis.Scale)
            continue;
        const std::optional<LandUseArea> area = AreaOf(cell, *analysis.Scale, analysis.Drawn);
        const auto inUnit = [&](long double squareMetres) { return RealText(squareMetres / area->Unit.SquareMetres); };
        cells << (area ? inUnit(area->Area) : QString()) << (area ? inUnit(area->MapArea * area->Limits->Lower) : QString())
              << (area ? inUnit(area->MapArea * area->Limits->Upper) : QString());
    }
    return cells;
}

}  // namespace

std::vector<int> CheckedUses(const ReferenceCheck& check)
{
    std::vector<int> uses;
    for (std::size_t use = 0; use < check.Counts.size(); ++use) {
        bool named = false;
        for (std::size_t other = 0; other < check.Counts.size(); ++other)
            named = named || check.Counts[use][other] > 0 || check.Counts[other][use] > 0;
        if (named)
            uses.push_back(int(use));
    }
    return uses;
}

int RowOfSession(const ClassAnalysis& analysis, int session)
{
    for (std::size_t row = 0; row < analysis.Rows.size(); ++row)
        if (analysis.Rows[row].Session == session)
            return int(row);
    return -1;
}

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
        if (analysis.Scale) {
            const QString unit = AreaUnitFor(MapArea(*analysis.Scale, analysis.Drawn)).Symbol;
            columns << QStringLiteral("%1 : aire (%2)").arg(shown, unit) << QStringLiteral("%1 : aire basse (%2)").arg(shown, unit)
                    << QStringLiteral("%1 : aire haute (%2)").arg(shown, unit);
        }
    }
    text += CsvLine(columns);
    for (const ClassRow& row : analysis.Rows)
        text += CsvLine(RowCells(row, analysis));
    text += CsvLine(RowCells(analysis.Pooled, analysis));
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
        if (const std::optional<LandUseArea> area = analysis.PooledArea()) {
            const auto inUnit = [&](long double squareMetres) { return RealText(squareMetres / area->Unit.SquareMetres); };
            text += CsvLine({QStringLiteral("Aire estimée (%1)").arg(area->Unit.Symbol), inUnit(area->Area),
                             inUnit(area->MapArea * area->Limits->Lower), inUnit(area->MapArea * area->Limits->Upper)});
        }
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

QString ConfusionCsv(const ClassAnalysis& analysis, const ReferenceCheck& check)
{
    const std::vector<int> uses = CheckedUses(check);
    const auto useName = [&](int use) { return CsvTypedText(analysis.Uses[std::size_t(use)]); };
    QString text = CsvLine({QStringLiteral("Élève"), CsvTypedText(analysis.Rows[std::size_t(RowOfSession(analysis, check.Session))].Name)});
    text += CsvLine({QStringLiteral("Référence"), CsvTypedText(analysis.ReferenceName.value_or(QString()))});
    text += CsvLine({QStringLiteral("Points vérifiés"), IntegerText(check.Checked)});
    text += CsvLine({QStringLiteral("Accord"), check.Checked > 0 ? RealText(check.Agreement()) : QString()});
    const QStringList blocks{QStringLiteral("Points"), QStringLiteral("Part de la ligne"), QStringLiteral("Part de la colonne")};
    for (int block = 0; block < blocks.size(); ++block) {
        text += QStringLiteral("\r\n");
        QStringList header{blocks[block] + QStringLiteral(" (élève \\ référence)")};
        for (int use : uses)
            header << useName(use);
        if (block == 0)
            header << QStringLiteral("Total");
        text += CsvLine(header);
        std::vector<int64_t> columnTotals(uses.size(), 0);
        for (int student : uses) {
            QStringList cells{useName(student)};
            int64_t rowTotal = 0;
            for (std::size_t at = 0; at < uses.size(); ++at) {
                const int64_t count = check.Counts[std::size_t(student)][std::size_t(uses[at])];
                rowTotal += count;
                columnTotals[at] += count;
                const std::optional<long double> share = block == 1   ? check.RowShare(student, uses[at])
                                                         : block == 2 ? check.ColumnShare(student, uses[at])
                                                                      : std::nullopt;
                cells << (block == 0 ? IntegerText(count) : share ? RealText(*share) : QString());
            }
            if (block == 0)
                cells << IntegerText(rowTotal);
            text += CsvLine(cells);
        }
        if (block == 0) {
            QStringList totals{QStringLiteral("Total")};
            for (int64_t total : columnTotals)
                totals << IntegerText(total);
            text += CsvLine(totals << IntegerText(check.Checked));
        }
    }
    return text;
}

QString LegendCsv(const ColourNames& legend)
{
    QString text = CsvLine({QStringLiteral("Couleur"), QStringLiteral("Usage du sol")});
    for (const auto& [colour, use] : legend)
        text += CsvLine({ColourText(colour), use});
    return text;
}
