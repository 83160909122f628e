// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// sondelio-simulation MAP --couleur RRGGBB[,RRGGBB…] --n N --k K [--graine S] [--plan PLAN]… [--colonnes]
// The survey repeated K times on a map of flat colours, as the simulation window runs it: prints
// the true share of the chosen colours and, for each way of giving a 95 % interval, how often
// the intervals held it (with its own exact 95 % limits), how often they should, and their mean
// width, as CSV with the results export's conventions, without a byte-order mark. Each --plan
// runs the K surveys by that sampling design instead, one design after the other from the same
// seed, and prints one row per design. --colonnes lists the map's colours and their shares
// instead, named by the map's legend when it has one, with their areas when the map is
// georeferenced.
// Without --graine the clock gives the seed; the output names it. --help or -h prints the usage.
// Errors: the French message on stderr, exit status 1 (2 for a misused command line), an output
// that cannot be written included.

#include "core/DesignSimulation.h"
#include "core/Errors.h"
#include "core/MapColours.h"
#include "core/Numbers.h"
#include "core/SampleGenerator.h"
#include "core/Simulation.h"
#include "core/SimulationCsv.h"
#include "picture/DataFolder.h"
#include "picture/Georeference.h"
#include "picture/MapPixels.h"
#include "picture/TBitmap.h"
#include "tools/CommandLine.h"

#include <QMap>
#include <cstdio>
#include <memory>

namespace {

const QString usage = QStringLiteral(
    "usage : sondelio-simulation CARTE --couleur RRGGBB[,RRGGBB…] --n N --k K [--graine S] [--plan PLAN]…\n"
    "        sondelio-simulation CARTE --colonnes\n"
    "        sondelio-simulation --help\n");

const QString help = usage + QStringLiteral(
    "\n"
    "Répète K fois un sondage de N points sur une carte en aplats de couleurs et écrit en CSV,\n"
    "pour quatre intervalles de confiance à 95 %, la part des intervalles qui contiennent la\n"
    "part vraie des couleurs choisies, la part attendue et la largeur moyenne.\n"
    "\n"
    "  --couleur RRGGBB[,…]  les couleurs de l'usage du sol, en six chiffres hexadécimaux\n"
    "  --n N                 la taille de chaque échantillon, de 1 à 10000\n"
    "  --k K                 le nombre de sondages, de 1 à 100000\n"
    "  --graine S            la graine du générateur, de 0 à 4294967295 (sans elle : l'horloge)\n"
    "  --plan PLAN           un plan de sondage, à répéter pour en comparer plusieurs sur la même\n"
    "                        carte et la même graine : aleatoire, systematique, strates:B (B blocs)\n"
    "                        ou grappes:C,s,e (C grappes de s × s points espacés de e pixels) ;\n"
    "                        une ligne par plan : moyenne et écart-type des estimations, erreur\n"
    "                        type estimée moyenne, couverture de l'intervalle du plan et de\n"
    "                        l'intervalle aléatoire simple\n"
    "  --colonnes            les couleurs de la carte, leurs pixels, leur part vraie et leur nom,\n"
    "                        et leur aire en hectares quand la carte est géoréférencée\n"
    "  --help, -h            ce texte\n");

struct CommandLine {
    QString map;
    QMap<QString, QString> values;  // option name → value
    std::vector<SampleDesign> designs;  // --plan, in the order given
    bool listColours = false;
    bool help = false;
};

CommandLine Parse(const QStringList& arguments)
{
    static const QStringList valued = {"couleur", "n", "k", "graine", "plan"};
    CommandLine line;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("--help") || argument == QStringLiteral("-h")) {
            line.help = true;
            return line;
        }
        if (!argument.startsWith(QStringLiteral("--"))) {
            if (!line.map.isEmpty())
                throw MisusedCommandLine(QStringLiteral("Une seule carte, s'il vous plaît : « %1 » est de trop.").arg(argument));
            line.map = argument;
            continue;
        }
        const Option option = TakeOption(arguments, i, valued);
        if (option.Name == QStringLiteral("colonnes") && !option.Written) {
            line.listColours = true;
            continue;
        }
        if (!valued.contains(option.Name))
            throw MisusedCommandLine(QStringLiteral("Option inconnue : %1").arg(argument));
        if (option.Name == QStringLiteral("plan")) {
            try {
                line.designs.push_back(ParseDesign(option.Value));
            } catch (const EConvertError& error) {
                throw MisusedCommandLine(error.Message);
            }
            continue;
        }
        line.values[option.Name] = option.Value;
    }
    if (line.map.isEmpty())
        throw MisusedCommandLine(QStringLiteral("Quelle carte ? Donnez le fichier de la carte."));
    if (!line.listColours)
        for (const char* needed : {"couleur", "n", "k"})
            if (!line.values.contains(QString::fromLatin1(needed)))
                throw MisusedCommandLine(QStringLiteral("L'option --%1 manque.").arg(QString::fromLatin1(needed)));
    return line;
}

// A legend that cannot be read costs only the names: the figures do not need them.
ColourNames LegendOrNone(const QString& mapFile)
{
    try {
        return ReadLegendBeside(mapFile);
    } catch (const Exception& error) {
        Print(stderr, error.Message + QStringLiteral(" Les couleurs restent sans noms.\n"));
        return {};
    }
}

// A georeferencing that cannot be read costs only the areas.
std::optional<long double> PixelAreaOrNone(const QString& mapFile)
{
    try {
        if (const std::optional<MapGeoreference> georeference = ReadGeoreference(mapFile))
            return georeference->PixelArea;
    } catch (const Exception& error) {
        Print(stderr, error.Message + QStringLiteral("\n"));
    }
    return std::nullopt;
}

int Simulate(const CommandLine& line)
{
    if (line.help) {
        Print(stdout, help);
        return 0;
    }
    TBitmap map;
    const QString mapFile = PictureFilePath(line.map);
    map.LoadPictureFile(mapFile);
    const MapPixels pixels(map);
    // A photo is refused before anything else: its "colours" are no land uses.
    const std::vector<MapColour> colours = ColourCensus(pixels.View());
    const ColourNames names = LegendOrNone(mapFile);
    if (line.listColours) {
        Print(stdout, ColourCensusCsv(colours, names, PixelAreaOrNone(mapFile)));
        return 0;
    }
    std::vector<uint32_t> chosen;
    for (const QString& colour : line.values.value("couleur").split(QLatin1Char(','), Qt::SkipEmptyParts))
        chosen.push_back(ParseColour(colour));
    const int32_t sampleSize = ParseInteger(line.values.value("n"));
    const int32_t surveys = ParseInteger(line.values.value("k"));
    const uint32_t seed =
        SeedOrNew(line.values.contains("graine") ? std::optional(ParseUnsigned(line.values.value("graine"))) : std::nullopt);
    const std::atomic<bool> never = false;
    if (line.designs.empty()) {
        SurveySimulation simulation(pixels.View(), chosen, sampleSize, surveys, seed);
        simulation.Run(never);
        Print(stdout, SimulationCsv(simulation, line.map, chosen, names));
        return 0;
    }
    // Every design is refused or accepted before the first runs.
    std::vector<std::unique_ptr<DesignSimulation>> runs;
    for (const SampleDesign& design : line.designs)
        runs.push_back(std::make_unique<DesignSimulation>(pixels.View(), chosen, design, sampleSize, surveys, seed));
    std::vector<const DesignSimulation*> rows;
    for (const auto& run : runs) {
        run->Run(never);
        rows.push_back(run.get());
    }
    Print(stdout, DesignsCsv(rows, line.map, chosen, names));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    return RunTool(argc, argv, usage, [](const QStringList& arguments) { return Simulate(Parse(arguments)); });
}
