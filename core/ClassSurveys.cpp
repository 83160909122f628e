// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/ClassSurveys.h"

#include "core/Errors.h"
#include "core/FloatArith.h"
#include "core/MessageText.h"
#include "core/Numbers.h"
#include "core/Simulation.h"
#include "core/SurveyFile.h"

#include <QFileInfo>
#include <algorithm>
#include <map>

namespace {

qint64 PlaceKey(QPoint place)
{
    return (qint64(place.x()) << 32) ^ quint32(place.y());
}

// The land use each sample point was counted under (its number in the session's table), 0 for a
// point not counted.
std::vector<int> LandUseOfPoints(const TSurveyTally& tally)
{
    std::vector<int> uses(std::size_t(tally.SamplePoints()), 0);
    for (const SurveyMark& mark : tally.Marks())
        if (mark.What == SurveyMark::Kind::CountedPoint)
            uses[std::size_t(mark.Point)] = mark.LandUse;
    return uses;
}

QString Plural(int64_t count, const QString& one, const QString& many)
{
    return IntegerText(count) + QLatin1Char(' ') + (count == 1 ? one : many);
}

// The table's land uses as the analysis builds them: each name goes to the land use its merge
// or its spelling makes it.
class UseColumns {
public:
    UseColumns(ClassAnalysis& analysis, const LandUseMerges& merges) : analysis(analysis), merges(merges) {}

    int Of(const QString& found)
    {
        const QString used = merges.Used(found);
        const QString key = NameKey(used);
        const auto known = byKey.find(key);
        if (known != byKey.end())
            return known->second;
        const QString shown = used.simplified();
        analysis.Uses.push_back(shown.isEmpty() ? QStringLiteral("(sans nom)") : shown);
        return byKey[key] = int(analysis.Uses.size()) - 1;
    }

private:
    ClassAnalysis& analysis;
    const LandUseMerges& merges;
    std::map<QString, int> byKey;
};

// Per sample point, the land use of the table each session gave it (-1: not counted).
using PointClasses = std::vector<int>;

PointClasses ClassesOf(const TSurveyTally& tally, const std::vector<int>& columnOfLandUse)
{
    PointClasses classes;
    for (int use : LandUseOfPoints(tally))
        classes.push_back(use == 0 ? -1 : columnOfLandUse[std::size_t(use)]);
    return classes;
}

ClassRow RowOf(const QString& name, int session, int32_t sampleSize, const std::vector<int64_t>& counts,
               const std::vector<QString>& uses)
{
    ClassRow row{name, session, sampleSize, 0, {}};
    for (std::size_t use = 0; use < uses.size(); ++use) {
        row.Cells.emplace_back(uses[use], counts[use], sampleSize);
        row.Classified += int32_t(counts[use]);
    }
    row.Cells.emplace_back(QStringLiteral("Autres"), int64_t(sampleSize) - row.Classified, sampleSize);
    return row;
}

// The most frequent land use among `classes` of the point, -1 on a tie; `top` how many gave it.
int MostFrequent(const std::vector<int>& votes, int& top)
{
    top = 0;
    int most = -1;
    for (std::size_t use = 0; use < votes.size(); ++use) {
        if (votes[use] > top) {
            top = votes[use];
            most = int(use);
        } else if (votes[use] == top && top > 0) {
            most = -1;
        }
    }
    return most;
}

// Fleiss' kappa from the votes per point, each point rated by the same `raters`:
// κ = (P̄ − P̄e) / (1 − P̄e), with P̄ = (S − D) / (D(m − 1)), P̄e = Q / D², D = N m, S the sum of the
// squared votes and Q that of the squared totals per land use. Multiplied through by D², only
// whole numbers are formed; the one division is the last.
std::optional<long double> FleissKappa(const std::vector<std::vector<int>>& votesPerPoint, int raters)
{
    if (votesPerPoint.empty() || raters < 2)
        return std::nullopt;
    __int128 squaredVotes = 0;
    std::vector<__int128> totals(votesPerPoint.front().size(), 0);
    for (const std::vector<int>& votes : votesPerPoint)
        for (std::size_t use = 0; use < votes.size(); ++use) {
            squaredVotes += __int128(votes[use]) * votes[use];
            totals[use] += votes[use];
        }
    __int128 squaredTotals = 0;
    for (__int128 total : totals)
        squaredTotals += total * total;
    const __int128 answers = __int128(votesPerPoint.size()) * raters;
    const __int128 chance = answers * answers - squaredTotals;
    if (chance == 0)
        return std::nullopt;
    const __int128 numerator = (squaredVotes - answers) * answers - squaredTotals * (raters - 1);
    return Divide((long double)numerator, (long double)(chance * (raters - 1)));
}

QString TiesText(int32_t ties)
{
    if (ties == 0)
        return QStringLiteral("aucun point n'est à égalité");
    return ties == 1 ? QStringLiteral("1 point à égalité reste dans « Autres »")
                     : QStringLiteral("%1 points à égalité restent dans « Autres »").arg(IntegerText(ties));
}

}  // namespace

std::vector<ClassSession> ExamineSessions(const std::vector<SessionSource>& sources)
{
    std::vector<ClassSession> sessions;
    sessions.reserve(sources.size());
    for (const SessionSource& source : sources) {
        ClassSession session;
        session.File = source.File;
        session.Name = QFileInfo(source.File).completeBaseName();
        session.Refusal = source.ReadFailure;
        if (session.Usable()) {
            try {
                SurveyFileContent content = ReadSurveyFile(source.Bytes);
                session.Tally = std::move(content.Tally);
                session.MapFile = content.MapFile;
                session.MapSha256 = content.MapSha256;
                session.Seed = session.Tally.Seed;
                session.SampleSize = session.Tally.ResultsSampleSize();
                session.Classified = session.Tally.PointsProbed;
                if (!session.Tally.Student.simplified().isEmpty())
                    session.Name = session.Tally.Student.simplified();
            } catch (const Exception& error) {
                session.Refusal = error.Message;
            }
        }
        // A survey counted twice would weigh twice in the pooled figures.
        for (const ClassSession& earlier : sessions) {
            if (!session.Usable() || !earlier.Usable() || earlier.MapSha256 != session.MapSha256
                || earlier.Seed != session.Seed || !earlier.Tally.SameSurvey(session.Tally))
                continue;
            session.Refusal = QStringLiteral("Cette séance est la même que \"%1\" : elle ne compte qu'une fois.")
                                  .arg(MessageQuote(earlier.File));
        }
        sessions.push_back(std::move(session));
    }
    return sessions;
}

std::vector<ClassMap> ClassMaps(const std::vector<ClassSession>& sessions)
{
    std::vector<ClassMap> maps;
    for (int at = 0; at < int(sessions.size()); ++at) {
        const ClassSession& session = sessions[std::size_t(at)];
        if (!session.Usable())
            continue;
        auto map = std::find_if(maps.begin(), maps.end(),
                                [&](const ClassMap& each) { return each.MapSha256 == session.MapSha256; });
        if (map == maps.end())
            map = maps.insert(maps.end(), ClassMap{session.MapFile, session.MapSha256, {}});
        map->Sessions.push_back(at);
    }
    std::stable_sort(maps.begin(), maps.end(),
                     [](const ClassMap& a, const ClassMap& b) { return a.Sessions.size() > b.Sessions.size(); });
    return maps;
}

ClassReference ClassReference::FromLegend(const PixelView& map, const PixelView& drawn, const ColourNames& legend)
{
    ClassReference reference;
    reference.description = QStringLiteral("la légende de la carte");
    reference.pixels = drawn;
    reference.legend = legend;
    for (const MapColour& colour : ColourCensus(map)) {
        const auto named = legend.find(colour.Rgb);
        const QString use = named != legend.end() ? named->second : ColourText(colour.Rgb);
        const auto share = std::find_if(reference.shares.begin(), reference.shares.end(),
                                        [&](const Share& each) { return each.Use == use; });
        if (share == reference.shares.end())
            reference.shares.push_back({use, colour.Pixels});
        else
            share->Part += colour.Pixels;
        reference.whole += colour.Pixels;
    }
    return reference;
}

ClassReference ClassReference::FromSession(const ClassSession& session)
{
    ClassReference reference;
    reference.description = QStringLiteral("la séance « %1 »").arg(session.Name);
    const TSurveyTally& tally = session.Tally;
    for (int number = 1; number <= tally.LandUseCount; ++number)
        reference.shares.push_back({tally.LandUse(number).Name, tally.LandUse(number).Count});
    reference.whole = tally.ResultsSampleSize();
    const std::vector<int> uses = LandUseOfPoints(tally);
    for (std::size_t point = 0; point < uses.size(); ++point)
        if (uses[point] != 0)
            reference.classAt.emplace(PlaceKey(tally.Marks()[point].Place), tally.LandUse(uses[point]).Name);
    return reference;
}

std::optional<QString> ClassReference::ClassAt(QPoint place) const
{
    if (pixels.Pixels) {
        if (place.x() < 0 || place.y() < 0 || place.x() >= pixels.Width || place.y() >= pixels.Height)
            return std::nullopt;
        const uint32_t rgb = pixels.Rgb(place.x(), place.y());
        const auto named = legend.find(rgb);
        return named != legend.end() ? named->second : ColourText(rgb);
    }
    const auto found = classAt.find(PlaceKey(place));
    return found != classAt.end() ? std::optional(found->second) : std::nullopt;
}

long double ReferenceCheck::Agreement() const
{
    return Divide(Agreeing, Checked);
}

std::optional<long double> ReferenceCheck::RowShare(int student, int reference) const
{
    int64_t total = 0;
    for (int64_t count : Counts[std::size_t(student)])
        total += count;
    if (total == 0)
        return std::nullopt;
    return Divide(Counts[std::size_t(student)][std::size_t(reference)], total);
}

std::optional<long double> ReferenceCheck::ColumnShare(int student, int reference) const
{
    int64_t total = 0;
    for (const std::vector<int64_t>& row : Counts)
        total += row[std::size_t(reference)];
    if (total == 0)
        return std::nullopt;
    return Divide(Counts[std::size_t(student)][std::size_t(reference)], total);
}

std::vector<PointAgreement> ClassAgreement::MostDisputed(int count) const
{
    std::vector<PointAgreement> disputed;
    std::copy_if(Points.begin(), Points.end(), std::back_inserter(disputed),
                 [](const PointAgreement& point) { return point.Top < point.Raters; });
    // Shares compared as whole numbers: 2/3 against 4/6 is a tie, kept in the points' order.
    std::stable_sort(disputed.begin(), disputed.end(), [](const PointAgreement& a, const PointAgreement& b) {
        return int64_t(a.Top) * b.Raters < int64_t(b.Top) * a.Raters;
    });
    if (int(disputed.size()) > count)
        disputed.resize(std::size_t(std::max(count, 0)));
    return disputed;
}

QString ClassAnalysis::HoldsSentence() const
{
    // Without a reference there are no shares at all.
    if (ChosenUse < 0 || ChosenUse >= int(ReferenceShares.size()) || !ReferenceShares[std::size_t(ChosenUse)])
        return {};
    const int64_t holding = std::count_if(Holds.begin(), Holds.end(), [](const IntervalHold& hold) { return hold.Holds; });
    const PixelShare share = *ReferenceShares[std::size_t(ChosenUse)];
    return QStringLiteral("%1 sur %2 %3 la part de référence de « %4 » (%5).")
        .arg(Plural(holding, QStringLiteral("intervalle"), QStringLiteral("intervalles")), IntegerText(int64_t(Holds.size())),
             holding > 1 ? QStringLiteral("contiennent") : QStringLiteral("contient"), Uses[std::size_t(ChosenUse)],
             PercentText(share.Chosen, share.Total));
}

std::optional<LandUseArea> ClassAnalysis::PooledArea() const
{
    if (!Scale || ChosenUse < 0)
        return std::nullopt;
    return AreaOf(Pooled.Cells[std::size_t(ChosenUse)], *Scale, Drawn);
}

int ClassAnalysis::UseNamed(const QString& name, const LandUseMerges& merges) const
{
    const QString key = NameKey(merges.Used(name));
    for (std::size_t use = 0; use < Uses.size(); ++use)
        if (NameKey(Uses[use]) == key)
            return int(use);
    return -1;
}

bool SamePoints(const TSurveyTally& one, const TSurveyTally& other)
{
    if (one.Seed != other.Seed || one.SamplePoints() != other.SamplePoints() || !(one.Design == other.Design)
        || one.SamplePoints() == 0)
        return false;
    for (int32_t point = 0; point < one.SamplePoints(); ++point)
        if (one.Marks()[std::size_t(point)].Place != other.Marks()[std::size_t(point)].Place)
            return false;
    return true;
}

ClassAnalysis AnalyseClass(const std::vector<ClassSession>& sessions, const QByteArray& mapSha256,
                           const LandUseMerges& merges, const ClassReference* reference, const QString& chosenUse)
{
    ClassAnalysis analysis;
    analysis.MapSha256 = mapSha256;
    std::vector<int> members;
    for (int at = 0; at < int(sessions.size()); ++at) {
        const ClassSession& session = sessions[std::size_t(at)];
        if (!session.Usable())
            analysis.SetAside.emplace_back(at, session.Refusal);
        else if (session.MapSha256 != mapSha256)
            analysis.SetAside.emplace_back(
                at, QStringLiteral("Cette séance est faite sur une autre carte (\"%1\") : la classe est analysée "
                                   "carte par carte.")
                        .arg(MessageQuote(session.MapFile)));
        else
            members.push_back(at);
    }
    if (!members.empty())
        analysis.MapFile = sessions[std::size_t(members.front())].MapFile;
    for (int member : members) {
        const TSurveyTally& tally = sessions[std::size_t(member)].Tally;
        if (tally.Scale && !analysis.Scale) {
            analysis.Scale = tally.Scale;
            analysis.Drawn = QSize(tally.MapWidth, tally.MapHeight);
        }
    }

    // The land uses: the students' names first, in the order met, then the reference's.
    UseColumns columns(analysis, merges);
    std::vector<PointClasses> classes;
    for (int member : members) {
        const TSurveyTally& tally = sessions[std::size_t(member)].Tally;
        std::vector<int> columnOfLandUse(TSurveyTally::MaxLandUses + 1, -1);
        for (int number = 1; number <= tally.LandUseCount; ++number) {
            const QString& found = tally.LandUse(number).Name;
            columnOfLandUse[std::size_t(number)] = columns.Of(found);
            if (std::none_of(analysis.FoundNames.begin(), analysis.FoundNames.end(),
                             [&](const auto& each) { return each.first == found; }))
                analysis.FoundNames.emplace_back(found, columnOfLandUse[std::size_t(number)]);
        }
        classes.push_back(ClassesOf(tally, columnOfLandUse));
    }
    std::vector<int64_t> referenceParts;
    if (reference) {
        analysis.ReferenceName = reference->Description();
        for (const ClassReference::Share& share : reference->Shares()) {
            const int use = columns.Of(share.Use);
            referenceParts.resize(analysis.Uses.size(), 0);
            referenceParts[std::size_t(use)] += share.Part;
        }
    }
    const std::size_t uses = analysis.Uses.size();

    for (std::size_t at = 0; at < members.size(); ++at) {
        const ClassSession& session = sessions[std::size_t(members[at])];
        std::vector<int64_t> counts(uses, 0);
        for (int use : classes[at])
            if (use >= 0)
                ++counts[std::size_t(use)];
        analysis.Rows.push_back(RowOf(session.Name, members[at], session.SampleSize, counts, analysis.Uses));
    }

    // The samples: the sessions that classified the same points make one.
    std::vector<std::vector<std::size_t>> samples;
    for (std::size_t at = 0; at < members.size(); ++at) {
        const TSurveyTally& tally = sessions[std::size_t(members[at])].Tally;
        const auto shared = std::find_if(samples.begin(), samples.end(), [&](const std::vector<std::size_t>& sample) {
            return SamePoints(sessions[std::size_t(members[sample.front()])].Tally, tally);
        });
        if (shared != samples.end())
            shared->push_back(at);
        else
            samples.push_back({at});
    }
    std::vector<int64_t> pooled(uses, 0);
    int32_t pooledSize = 0;
    std::size_t largestShared = 0;
    for (std::size_t sample = 0; sample < samples.size(); ++sample) {
        const std::vector<std::size_t>& sharing = samples[sample];
        pooledSize += analysis.Rows[sharing.front()].SampleSize;
        if (sharing.size() > samples[largestShared].size())
            largestShared = sample;
        const std::size_t points = classes[sharing.front()].size();
        std::vector<int> votes(uses);
        for (std::size_t point = 0; point < points; ++point) {
            std::fill(votes.begin(), votes.end(), 0);
            for (std::size_t at : sharing)
                if (classes[at][point] >= 0)
                    ++votes[std::size_t(classes[at][point])];
            int top = 0;
            const int most = MostFrequent(votes, top);
            if (most >= 0)
                ++pooled[std::size_t(most)];
            else if (top > 0)
                ++analysis.TiedPoints;
        }
    }
    const bool allApart = std::all_of(samples.begin(), samples.end(), [](const auto& s) { return s.size() == 1; });
    analysis.PooledBy = allApart ? Pooling::Independent : samples.size() == 1 ? Pooling::SamePoints : Pooling::Mixed;
    analysis.Pooled = RowOf(QStringLiteral("Classe"), -1, pooledSize, pooled, analysis.Uses);
    switch (analysis.PooledBy) {
    case Pooling::Independent:
        analysis.PoolingSentence =
            QStringLiteral("Chaque élève a tiré ses propres points : les comptes de la classe s'additionnent, sur "
                           "n = %1 points, car des échantillons indépendants forment ensemble un échantillon plus grand.")
                .arg(IntegerText(pooledSize));
        break;
    case Pooling::SamePoints:
        analysis.PoolingSentence =
            QStringLiteral("Les élèves ont classé les mêmes %1 points : chaque point prend le nom que la majorité lui "
                           "a donné (%2), et l'intervalle est celui d'un seul échantillon de %1 points, car classer "
                           "plusieurs fois les mêmes points n'en fait pas de nouveaux.")
                .arg(IntegerText(pooledSize), TiesText(analysis.TiedPoints));
        break;
    case Pooling::Mixed:
        analysis.PoolingSentence =
            QStringLiteral("Certains élèves ont classé les mêmes points : chaque échantillon partagé ne compte qu'une "
                           "fois, chaque point sous le nom que la majorité lui a donné (%1), puis les %2 échantillons "
                           "s'additionnent, sur n = %3 points.")
                .arg(TiesText(analysis.TiedPoints), IntegerText(int64_t(samples.size())), IntegerText(pooledSize));
        break;
    }

    // The agreement of the largest group of students who classified the same points.
    if (!samples.empty() && samples[largestShared].size() >= 2) {
        const std::vector<std::size_t>& sharing = samples[largestShared];
        ClassAgreement agreement;
        for (std::size_t at : sharing)
            agreement.Sessions.push_back(members[at]);
        const TSurveyTally& first = sessions[std::size_t(members[sharing.front()])].Tally;
        std::vector<std::vector<int>> ratedByAll;
        std::vector<int> votes(uses);
        for (std::size_t point = 0; point < classes[sharing.front()].size(); ++point) {
            std::fill(votes.begin(), votes.end(), 0);
            int raters = 0;
            for (std::size_t at : sharing)
                if (classes[at][point] >= 0) {
                    ++votes[std::size_t(classes[at][point])];
                    ++raters;
                }
            if (raters == 0)
                continue;
            PointAgreement shown{first.Marks()[point].Place, raters, 0, -1};
            shown.TopUse = MostFrequent(votes, shown.Top);
            agreement.Points.push_back(shown);
            if (raters == int(sharing.size()))
                ratedByAll.push_back(votes);
        }
        agreement.PointsRatedByAll = int32_t(ratedByAll.size());
        agreement.Kappa = FleissKappa(ratedByAll, int(sharing.size()));
        analysis.Agreement = std::move(agreement);
    }

    analysis.ChosenUse = chosenUse.isEmpty() ? (uses > 0 ? 0 : -1) : analysis.UseNamed(chosenUse, merges);
    if (!reference)
        return analysis;
    referenceParts.resize(uses, 0);
    for (std::size_t use = 0; use < uses; ++use)
        analysis.ReferenceShares.push_back(reference->Whole() > 0 ? std::optional(PixelShare{referenceParts[use], reference->Whole()})
                                                                   : std::nullopt);
    if (analysis.ChosenUse >= 0 && analysis.ReferenceShares[std::size_t(analysis.ChosenUse)]) {
        const PixelShare share = *analysis.ReferenceShares[std::size_t(analysis.ChosenUse)];
        for (const ClassRow& row : analysis.Rows)
            if (row.SampleSize >= 1)
                analysis.Holds.push_back(
                    {row.Session, ExactIntervalHolds(int32_t(row.Cells[std::size_t(analysis.ChosenUse)].Count()),
                                                     row.SampleSize, share)});
    }
    // The reference names a few land uses, at many points: each name is matched once.
    std::map<QString, int> useOfReferenceName;
    const auto expectedUse = [&](const QString& name) {
        const auto known = useOfReferenceName.find(name);
        return known != useOfReferenceName.end() ? known->second
                                                 : useOfReferenceName[name] = analysis.UseNamed(name, merges);
    };
    for (std::size_t at = 0; at < members.size(); ++at) {
        const TSurveyTally& tally = sessions[std::size_t(members[at])].Tally;
        ReferenceCheck check;
        check.Session = members[at];
        check.Counts.assign(uses, std::vector<int64_t>(uses, 0));
        // In the order the student counted them.
        for (const SurveyMark& mark : tally.Marks()) {
            if (mark.What != SurveyMark::Kind::CountedPoint)
                continue;
            const std::optional<QString> named = reference->ClassAt(mark.Place);
            const int expected = named ? expectedUse(*named) : -1;
            if (expected < 0)
                continue;
            const int given = classes[at][std::size_t(mark.Point)];
            ++check.Counts[std::size_t(given)][std::size_t(expected)];
            ++check.Checked;
            if (given == expected)
                ++check.Agreeing;
            else
                check.Disagreements.push_back({mark.Place, given, expected});
        }
        if (check.Checked > 0)
            analysis.Checks.push_back(std::move(check));
    }
    return analysis;
}

ClassAnalysis CheckSurvey(const TSurveyTally& survey, const ClassReference& reference)
{
    std::vector<ClassSession> alone(1);
    alone.front().Tally = survey;
    alone.front().SampleSize = survey.ResultsSampleSize();
    alone.front().Classified = survey.PointsProbed;
    // Any name of a map will do: the class has this one survey.
    alone.front().MapSha256 = QByteArrayLiteral("carte");
    return AnalyseClass(alone, alone.front().MapSha256, {}, &reference);
}
