// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/SimulationCsv.h"

#include "core/Numbers.h"
#include "core/ResultsCsv.h"

QString ColourCensusCsv(const std::vector<MapColour>& colours, const ColourNames& names,
                        std::optional<long double> pixelArea)
{
    QStringList header{QStringLiteral("Couleur"), QStringLiteral("Pixels"), QStringLiteral("Part vraie"),
                       QStringLiteral("Usage du sol")};
    if (pixelArea)
        header << QStringLiteral("Aire (ha)");
    QString text = CsvLine(header);
    // Hectares from whole pixels: the map's area is the sum of its colours' exactly.
    const auto hectares = [&](int64_t pixels) { return RealText(pixels * *pixelArea / 10000); };
    int64_t mapPixels = 0;
    for (const MapColour& colour : colours) {
        const auto name = names.find(colour.Rgb);
        QStringList cells{ColourText(colour.Rgb), IntegerText(colour.Pixels), RealText(colour.Share),
                          name != names.end() ? CsvTypedText(name->second) : QString()};
        if (pixelArea)
            cells << hectares(colour.Pixels);
        text += CsvLine(cells);
        mapPixels += colour.Pixels;
    }
    if (pixelArea)
        text += CsvLine({QStringLiteral("Carte"), IntegerText(mapPixels), RealText(1), QString(), hectares(mapPixels)});
    return text;
}

namespace {

// The lines that name a run: the map, the chosen colours and their land use, the true share, n,
// the surveys done and the seed.
QString RunCsv(const QString& mapFile, const std::vector<uint32_t>& chosenColours, const ColourNames& names,
               long double trueShare, int32_t sampleSize, int32_t surveysDone, uint32_t seed)
{
    QStringList colours;
    for (uint32_t rgb : chosenColours)
        colours << ColourText(rgb);
    QString text;
    text += CsvLine({QStringLiteral("Carte"), CsvTypedText(mapFile)});
    text += CsvLine({QStringLiteral("Couleurs"), colours.join(QLatin1Char(','))});
    const QString use = LandUseOf(chosenColours, names);
    if (!use.isEmpty())
        text += CsvLine({QStringLiteral("Usage du sol"), CsvTypedText(use)});
    text += CsvLine({QStringLiteral("Part vraie"), RealText(trueShare)});
    text += CsvLine({QStringLiteral("Taille de l'échantillon"), IntegerText(sampleSize)});
    text += CsvLine({QStringLiteral("Enquêtes"), IntegerText(surveysDone)});
    text += CsvLine({QStringLiteral("Graine"), IntegerText(seed)});
    return text;
}

}  // namespace

QString SimulationCsv(const SurveySimulation& simulation, const QString& mapFile,
                      const std::vector<uint32_t>& chosenColours, const ColourNames& names)
{
    const std::vector<MethodFigures> figures = simulation.Figures();
    const CountRange fluctuation = simulation.Fluctuation();
    const long double n = simulation.SampleSize();
    QString text = RunCsv(mapFile, chosenColours, names, simulation.TrueShare(), simulation.SampleSize(),
                          figures.front().Surveys, simulation.Seed());
    text += CsvLine({QStringLiteral("Intervalle de fluctuation à 95 %"), RealText(fluctuation.Lowest / n),
                     RealText(fluctuation.Highest / n)});
    text += CsvLine({QStringLiteral("Probabilité d'y tomber"), RealText(fluctuation.Probability)});
    text += QStringLiteral("\r\n");
    text += CsvLine({QStringLiteral("Méthode"), QStringLiteral("Couverture simulée"),
                     QStringLiteral("Borne basse à 95 %"), QStringLiteral("Borne haute à 95 %"),
                     QStringLiteral("Couverture attendue"), QStringLiteral("Largeur moyenne")});
    for (const MethodFigures& row : figures)
        text += CsvLine({MethodName(row.Method), RealText(row.SimulatedCoverage), RealText(row.CoverageLimits.Lower),
                         RealText(row.CoverageLimits.Upper), RealText(row.ExpectedCoverage),
                         RealText(row.MeanWidth)});
    return text;
}

QString DesignsCsv(std::span<const DesignSimulation* const> runs, const QString& mapFile,
                   const std::vector<uint32_t>& chosenColours, const ColourNames& names)
{
    const DesignSimulation& first = *runs.front();
    QString text = RunCsv(mapFile, chosenColours, names, first.Share().Value(), first.SampleSize(), first.SurveysDone(),
                          first.Seed());
    text += QStringLiteral("\r\n");
    text += CsvLine({QStringLiteral("Plan"), QStringLiteral("Enquêtes"), QStringLiteral("Points placés (moyenne)"),
                     QStringLiteral("Moyenne des estimations"), QStringLiteral("Erreur Monte-Carlo de la moyenne"),
                     QStringLiteral("Écart-type des estimations"), QStringLiteral("Erreur Monte-Carlo de l'écart-type"),
                     QStringLiteral("Erreur type estimée (moyenne)"), QStringLiteral("Enquêtes sans intervalle"),
                     QStringLiteral("Couverture du plan"), QStringLiteral("Borne basse à 95 %"),
                     QStringLiteral("Borne haute à 95 %"), QStringLiteral("Couverture de l'intervalle simple"),
                     QStringLiteral("Borne basse à 95 %"), QStringLiteral("Borne haute à 95 %")});
    for (const DesignSimulation* run : runs) {
        const DesignFigures row = run->Figures();
        text += CsvLine({DesignText(row.Design), IntegerText(row.Surveys), RealText(row.MeanPoints),
                         RealText(row.MeanEstimate), RealText(row.MeanEstimateError), RealText(row.EstimateSpread),
                         RealText(row.EstimateSpreadError), RealText(row.MeanStandardError),
                         IntegerText(row.WithoutInterval), RealText(row.DesignCoverage.Share),
                         RealText(row.DesignCoverage.Limits.Lower), RealText(row.DesignCoverage.Limits.Upper),
                         RealText(row.NaiveCoverage.Share), RealText(row.NaiveCoverage.Limits.Lower),
                         RealText(row.NaiveCoverage.Limits.Upper)});
    }
    return text;
}

QString EstimatesCsv(const SurveySimulation& simulation)
{
    QString text = CsvLine({QStringLiteral("Enquête"), QStringLiteral("Points comptés"), QStringLiteral("Part estimée")});
    const std::span<const int32_t> counts = simulation.Counts();
    for (size_t survey = 0; survey < counts.size(); ++survey)
        text += CsvLine({IntegerText(int64_t(survey) + 1), IntegerText(counts[survey]),
                         RealText((long double)counts[survey] / simulation.SampleSize())});
    return text;
}
