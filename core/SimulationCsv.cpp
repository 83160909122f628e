#include "core/SimulationCsv.h"

#include "core/Numbers.h"
#include "core/ResultsCsv.h"

QString ColourCensusCsv(const std::vector<MapColour>& colours)
{
    QString text = CsvLine({QStringLiteral("Couleur"), QStringLiteral("Pixels"), QStringLiteral("Part vraie")});
    for (const MapColour& colour : colours)
        text += CsvLine({ColourText(colour.Rgb), IntegerText(colour.Pixels), RealText(colour.Share)});
    return text;
}

QString SimulationCsv(const SurveySimulation& simulation, const QString& mapFile,
                      const std::vector<uint32_t>& chosenColours)
{
    QStringList colours;
    for (uint32_t rgb : chosenColours)
        colours << ColourText(rgb);
    const std::vector<MethodFigures> figures = simulation.Figures();
    QString text;
    text += CsvLine({QStringLiteral("Carte"), CsvTypedText(mapFile)});
    text += CsvLine({QStringLiteral("Couleurs"), colours.join(QLatin1Char(','))});
    text += CsvLine({QStringLiteral("Part vraie"), RealText(simulation.TrueShare())});
    text += CsvLine({QStringLiteral("Taille de l'échantillon"), IntegerText(simulation.SampleSize())});
    text += CsvLine({QStringLiteral("Enquêtes"), IntegerText(figures.front().Surveys)});
    text += CsvLine({QStringLiteral("Graine"), IntegerText(simulation.Seed())});
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

QString EstimatesCsv(const SurveySimulation& simulation)
{
    QString text = CsvLine({QStringLiteral("Enquête"), QStringLiteral("Points comptés"), QStringLiteral("Part estimée")});
    const std::span<const int32_t> counts = simulation.Counts();
    for (size_t survey = 0; survey < counts.size(); ++survey)
        text += CsvLine({IntegerText(int64_t(survey) + 1), IntegerText(counts[survey]),
                         RealText((long double)counts[survey] / simulation.SampleSize())});
    return text;
}
