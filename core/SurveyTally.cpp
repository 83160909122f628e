// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/SurveyTally.h"

#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <unordered_map>

TSurveyTally SurveyTally;

LandUseEntry& TSurveyTally::LandUse(int number)
{
    Q_ASSERT(number >= 1 && number <= MaxLandUses);
    return table.at(std::size_t(number - 1));
}

const LandUseEntry& TSurveyTally::LandUse(int number) const
{
    Q_ASSERT(number >= 1 && number <= MaxLandUses);
    return table.at(std::size_t(number - 1));
}

// Characters outside the basic plane take two UTF-16 units; a cut between them would keep half a
// character.
QString KeptLandUseName(const QString& typed)
{
    qsizetype end = 0;
    for (int kept = 0; kept < LandUseEntry::MaxNameLength && end < typed.size(); ++kept)
        end += typed.at(end).isHighSurrogate() && end + 1 < typed.size() && typed.at(end + 1).isLowSurrogate()
                   ? 2
                   : 1;
    return typed.left(end);
}

void TSurveyTally::SetLandUseName(int number, const QString& name)
{
    LandUse(number).Name = KeptLandUseName(name);
}

void TSurveyTally::BeginSurvey()
{
    LandUseCount = 0;
    ProbingOn = false;
    // The counts were those of the marks that go.
    PointsThisUse = 0;
    PointsProbed = 0;
    Forget();
}

void TSurveyTally::Forget()
{
    marks.clear();
    samplePoints = 0;
    counted.clear();
    undone.clear();
    ++generation;
    ++edits;
}

void TSurveyTally::BeginSample()
{
    PointsProbed = 0;
    PointsThisUse = 0;
    for (int number = 1; number <= std::min(LandUseCount, int32_t(MaxLandUses)); ++number)
        LandUse(number).Count = 0;
    Forget();
}

void TSurveyTally::AddSamplePoint(QPoint place, int32_t size, int32_t group)
{
    // Counted points refer to sample points by their place in the marks: these come first.
    Q_ASSERT(marks.size() == std::size_t(samplePoints));
    PointSize = size;
    marks.push_back({SurveyMark::Kind::SamplePoint, place, size, 0, -1, group});
    counted.push_back(false);
    ++samplePoints;
    ++edits;
}

int32_t TSurveyTally::ResultsSampleSize() const
{
    return samplePoints > 0 ? samplePoints : SampleSize;
}

bool TSurveyTally::BeginLandUse(const QString& name)
{
    if (LandUseCount >= MaxLandUses)
        return false;
    ++LandUseCount;
    ProbingOn = true;
    PointsThisUse = 0;
    SetLandUseName(LandUseCount, name);
    LandUse(LandUseCount).Count = 0;
    ++edits;
    return true;
}

// A point's disc is drawn in the box from its pixel minus half its size, that many pixels
// across; its centre is that box's centre. Distances are taken between pixel centres.
int32_t TSurveyTally::DesignatedPoint(QPoint press) const
{
    int32_t nearest = -1;
    double nearestDistance = std::numeric_limits<double>::infinity();
    for (int32_t point = 0; point < samplePoints; ++point) {
        if (counted[std::size_t(point)])
            continue;
        const SurveyMark& mark = marks[std::size_t(point)];
        const int64_t across = std::max<int64_t>(1, std::abs(int64_t{mark.Size}));
        const double centreX = double(int64_t{mark.Place.x()} - across / 2) + double(across) / 2;
        const double centreY = double(int64_t{mark.Place.y()} - across / 2) + double(across) / 2;
        const double distance = std::hypot(press.x() + 0.5 - centreX, press.y() + 0.5 - centreY);
        if (distance <= double(across) / 2 + PressReach && distance < nearestDistance) {
            nearest = point;
            nearestDistance = distance;
        }
    }
    return nearest;
}

bool TSurveyTally::IsCounted(int32_t point) const
{
    return point >= 0 && point < samplePoints && counted[std::size_t(point)];
}

bool TSurveyTally::CountPoint(int32_t point)
{
    if (!ProbingOn || LandUseCount < 1 || LandUseCount > MaxLandUses || point < 0 || point >= samplePoints
        || counted[std::size_t(point)])
        return false;
    const SurveyMark count{SurveyMark::Kind::CountedPoint, marks[std::size_t(point)].Place, 0, LandUseCount, point};
    marks.push_back(count);
    ApplyCount(count, +1);
    undone.clear();
    ++edits;
    return true;
}

void TSurveyTally::ApplyCount(const SurveyMark& count, int step)
{
    counted[std::size_t(count.Point)] = step > 0;
    PointsProbed += step;
    LandUse(count.LandUse).Count += step;
    if (count.LandUse == LandUseCount)
        PointsThisUse += step;
}

bool TSurveyTally::CanUndo() const
{
    return marks.size() > std::size_t(samplePoints);
}

bool TSurveyTally::Undo()
{
    if (!CanUndo())
        return false;
    const SurveyMark count = marks.back();
    marks.pop_back();
    ApplyCount(count, -1);
    undone.push_back(count);
    ++generation;
    ++edits;
    return true;
}

bool TSurveyTally::Redo()
{
    if (undone.empty())
        return false;
    const SurveyMark count = undone.back();
    undone.pop_back();
    marks.push_back(count);
    ApplyCount(count, +1);
    ++edits;
    return true;
}

void TSurveyTally::FinishLandUse()
{
    // Before any "Sonder" of this survey there is no land use to give the count to.
    if (LandUseCount >= 1)
        LandUse(LandUseCount).Count = PointsThisUse;
    ProbingOn = false;
    ++edits;
}

MarkBox TSurveyTally::BoxOf(const SurveyMark& mark, QPoint origin) const
{
    const auto saturated = [](int64_t value) {
        return static_cast<int>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
    };
    const bool counted = mark.What == SurveyMark::Kind::CountedPoint;
    const int64_t size = counted ? std::max<int64_t>(7, marks[std::size_t(mark.Point)].Size) : mark.Size;
    const int64_t left = int64_t{origin.x()} + mark.Place.x() - size / 2;
    const int64_t top = int64_t{origin.y()} + mark.Place.y() - size / 2;
    return {saturated(left), saturated(top), saturated(left + size), saturated(top + size)};
}

bool TSurveyTally::SameSurvey(const TSurveyTally& other) const
{
    const auto sameMark = [](const SurveyMark& a, const SurveyMark& b) {
        return a.What == b.What && a.Place == b.Place && a.Size == b.Size && a.LandUse == b.LandUse
               && a.Group == b.Group;
    };
    const auto sameEntry = [](const LandUseEntry& a, const LandUseEntry& b) {
        return a.Name == b.Name && a.Count == b.Count;
    };
    return SampleSize == other.SampleSize && MapWidth == other.MapWidth && MapHeight == other.MapHeight
           && PointSize == other.PointSize && LandUseCount == other.LandUseCount
           && PointsThisUse == other.PointsThisUse && PointsProbed == other.PointsProbed && Seed == other.Seed
           && ProbingOn == other.ProbingOn && Design == other.Design && Student == other.Student
           && std::equal(table.begin(), table.end(), other.table.begin(), sameEntry)
           && std::equal(marks.begin(), marks.end(), other.marks.begin(), other.marks.end(), sameMark);
}

bool TSurveyTally::RestoreMarks(std::vector<SurveyMark> kept)
{
    // Points at the same pixel look alike: a count goes to the first of them not yet counted.
    std::unordered_map<qint64, std::vector<int32_t>> uncountedAt;
    const auto key = [](QPoint place) { return (qint64(place.x()) << 32) ^ quint32(place.y()); };
    int32_t points = 0;
    for (std::size_t at = 0; at < kept.size(); ++at) {
        SurveyMark& mark = kept[at];
        if (mark.What == SurveyMark::Kind::SamplePoint) {
            if (points != int32_t(at))
                return false;
            mark.Point = -1;
            uncountedAt[key(mark.Place)].push_back(points++);
            continue;
        }
        if (mark.LandUse < 1 || mark.LandUse > MaxLandUses)
            return false;
        std::vector<int32_t>& candidates = uncountedAt[key(mark.Place)];
        if (candidates.empty())
            return false;
        mark.Point = candidates.front();
        candidates.erase(candidates.begin());
    }
    std::vector<bool> countedNow(std::size_t(points), false);
    for (const SurveyMark& mark : kept)
        if (mark.What == SurveyMark::Kind::CountedPoint)
            countedNow[std::size_t(mark.Point)] = true;
    marks = std::move(kept);
    samplePoints = points;
    counted = std::move(countedNow);
    undone.clear();
    ++generation;
    ++edits;
    return true;
}

void TSurveyTally::Reset()
{
    Replace(TSurveyTally());
}

void TSurveyTally::Replace(TSurveyTally other)
{
    // A fresh generation all the same: a drawing of the old marks must not pass for the new.
    const quint64 nextGeneration = std::max(generation, other.generation) + 1;
    const quint64 nextEdits = std::max(edits, other.edits) + 1;
    *this = std::move(other);
    generation = nextGeneration;
    edits = nextEdits;
}
