// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// sondelio-classe SEANCE.sondelio… [--reference SEANCE.sondelio | --legende RRGGBB=usage,…] [--usage NOM]
// A class's sessions pooled and checked, as the class window will show them: the class table
// (one row per student, a last row pooling the class) as CSV with the simulation command's
// conventions, then the pooled estimate of the chosen land use and how it was made, the number
// of intervals holding the reference's share, and Fleiss' kappa when students classified the same
// points. Each session set aside goes to stderr with its reason. The merges of the class file
// beside the sessions apply; nothing is written. --help or -h prints the usage.
// Errors: the French message on stderr, exit status 1 (no usable session, a reference that
// cannot be used, an output that cannot be written), 2 for a misused command line.

#include "core/ClassCsv.h"
#include "core/ClassSurveys.h"
#include "core/Errors.h"
#include "core/MapColours.h"
#include "core/MessageText.h"
#include "core/Numbers.h"
#include "picture/ClassFiles.h"
#include "tools/CommandLine.h"

#include <cstdio>
#include <memory>

namespace {

const QString usage = QStringLiteral(
    "usage : sondelio-classe SEANCE.sondelio… [--reference SEANCE.sondelio | --legende RRGGBB=usage,…] "
    "[--usage NOM]\n"
    "        sondelio-classe --help\n");

const QString help = usage + QStringLiteral(
    "\n"
    "Met en commun les séances des élèves d'une classe faites sur une même carte et écrit en CSV\n"
    "le tableau de la classe : pour chaque élève et pour la classe, les points, la fréquence et\n"
    "l'intervalle exact à 95 % de chaque usage du sol. Suivent l'estimation de la classe, le nombre\n"
    "d'intervalles qui contiennent la part de référence et, quand les élèves ont classé les mêmes\n"
    "points, le kappa de Fleiss. Les séances écartées sont nommées sur la sortie d'erreur.\n"
    "\n"
    "  --reference SEANCE    une séance qui sert de classement de référence\n"
    "  --legende RRGGBB=usage,…  les usages du sol des couleurs d'une carte en aplats : la part\n"
    "                        de référence se compte sur les pixels de la carte des séances\n"
    "  --usage NOM           l'usage du sol de l'estimation et des intervalles (sans elle : le\n"
    "                        premier du tableau)\n"
    "  --help, -h            ce texte\n");

struct CommandLine {
    QStringList sessions;
    QString reference;
    QString legend;
    QString use;
    bool hasLegend = false;
    bool help = false;
};

CommandLine Parse(const QStringList& arguments)
{
    CommandLine line;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("--help") || argument == QStringLiteral("-h")) {
            line.help = true;
            return line;
        }
        if (!argument.startsWith(QStringLiteral("--"))) {
            line.sessions << argument;
            continue;
        }
        const Option option = TakeOption(arguments, i, {"reference", "legende", "usage"});
        QString* target = option.Name == QStringLiteral("reference") ? &line.reference
                          : option.Name == QStringLiteral("legende") ? &line.legend
                          : option.Name == QStringLiteral("usage")   ? &line.use
                                                                     : nullptr;
        if (!target)
            throw MisusedCommandLine(QStringLiteral("Option inconnue : %1").arg(argument));
        *target = option.Value;
        line.hasLegend = line.hasLegend || option.Name == QStringLiteral("legende");
    }
    if (line.sessions.isEmpty())
        throw MisusedCommandLine(QStringLiteral("Quelles séances ? Donnez les fichiers .sondelio de la classe."));
    if (line.hasLegend && !line.reference.isEmpty())
        throw MisusedCommandLine(QStringLiteral("Une seule référence, s'il vous plaît : --reference ou --legende."));
    return line;
}

// "BE6E50=bâti,0000FF=eau": the colours as six hexadecimal digits, the names as typed.
ColourNames ParseLegendOption(const QString& text)
{
    ColourNames names;
    for (const QString& item : text.split(QLatin1Char(','))) {
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        if (equals < 0 || item.mid(equals + 1).trimmed().isEmpty())
            throw MisusedCommandLine(
                QStringLiteral("« %1 » n'est pas une couleur de légende : écrivez RRGGBB=usage du sol.").arg(MessageQuote(item)));
        uint32_t colour = 0;
        try {
            colour = ParseColour(item.left(equals).trimmed());
        } catch (const EConvertError& error) {
            throw MisusedCommandLine(error.Message);
        }
        if (!names.emplace(colour, item.mid(equals + 1)).second)
            throw MisusedCommandLine(QStringLiteral("La couleur %1 est nommée deux fois dans la légende.").arg(ColourText(colour)));
    }
    return names;
}

void TellSetAside(const QString& file, const QString& reason)
{
    Print(stderr, QStringLiteral("\"%1\" : %2\n").arg(MessageQuote(file), reason));
}

// The teacher's merges, kept beside the sessions; a class file that cannot be read costs only the
// merges.
LandUseMerges MergesOrNone(const QString& sessionFile)
{
    try {
        return ReadClassMerges(ClassFileBeside(sessionFile));
    } catch (const Exception& error) {
        Print(stderr, error.Message + QStringLiteral(" Les noms restent sans fusion.\n"));
        return {};
    }
}

int Analyse(const CommandLine& line)
{
    if (line.help) {
        Print(stdout, help);
        return 0;
    }
    const ColourNames legend = line.hasLegend ? ParseLegendOption(line.legend) : ColourNames();
    const std::vector<ClassSession> sessions = ReadClassSessions(line.sessions);
    const std::vector<ClassMap> maps = ClassMaps(sessions);
    if (maps.empty()) {
        for (const ClassSession& session : sessions)
            TellSetAside(session.File, session.Refusal);
        throw EReadError(QStringLiteral("Aucune séance utilisable : la classe ne peut pas être analysée."));
    }
    const ClassMap& map = maps.front();
    const ClassSession& first = sessions[std::size_t(map.Sessions.front())];
    const LandUseMerges merges = MergesOrNone(first.File);

    std::unique_ptr<ClassMapPicture> picture;
    std::vector<ClassSession> referenceSession;
    std::optional<ClassReference> reference;
    if (line.hasLegend) {
        picture = std::make_unique<ClassMapPicture>(first);
        reference = ClassReference::FromLegend(picture->View(), picture->DrawnView(), legend);
    } else if (!line.reference.isEmpty()) {
        referenceSession = ReadClassSessions({line.reference});
        const ClassSession& chosen = referenceSession.front();
        if (!chosen.Usable())
            throw EReadError(QStringLiteral("La séance de référence \"%1\" ne peut pas servir : %2")
                                 .arg(MessageQuote(chosen.File), chosen.Refusal));
        if (chosen.MapSha256 != map.MapSha256)
            throw EReadError(QStringLiteral("La séance de référence \"%1\" est faite sur une autre carte que la classe "
                                            "(\"%2\").")
                                 .arg(MessageQuote(chosen.File), MessageQuote(map.MapFile)));
        reference = ClassReference::FromSession(chosen);
    }
    const ClassAnalysis analysis =
        AnalyseClass(sessions, map.MapSha256, merges, reference ? &*reference : nullptr, line.use);
    if (!line.use.isEmpty() && analysis.ChosenUse < 0)
        throw EReadError(QStringLiteral("L'usage du sol « %1 » n'est ni dans les séances de la classe ni dans sa "
                                        "référence.")
                             .arg(MessageQuote(line.use)));
    for (const auto& [session, reason] : analysis.SetAside)
        TellSetAside(sessions[std::size_t(session)].File, reason);
    Print(stdout, ClassTableCsv(analysis) + QStringLiteral("\r\n") + ClassSummaryCsv(analysis));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    return RunTool(argc, argv, usage, [](const QStringList& arguments) { return Analyse(Parse(arguments)); });
}
