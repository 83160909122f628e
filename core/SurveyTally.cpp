#include "core/SurveyTally.h"

#include <QtGlobal>

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
void TSurveyTally::SetLandUseName(int number, const QString& name)
{
    qsizetype end = 0;
    for (int kept = 0; kept < LandUseEntry::MaxNameLength && end < name.size(); ++kept)
        end += name.at(end).isHighSurrogate() && end + 1 < name.size() && name.at(end + 1).isLowSurrogate()
                   ? 2
                   : 1;
    LandUse(number).Name = name.left(end);
}

void TSurveyTally::BeginSurvey()
{
    LandUseCount = 0;
    marks.clear();
    ++generation;
}

void TSurveyTally::BeginSample()
{
    PointsProbed = 0;
}

void TSurveyTally::AddSamplePoint(QPoint place, int32_t size)
{
    PointSize = size;
    marks.push_back({SurveyMark::Kind::SamplePoint, place, size, 0});
}

bool TSurveyTally::BeginLandUse(const QString& name)
{
    if (LandUseCount >= MaxLandUses)
        return false;
    ++LandUseCount;
    ProbingOn = true;
    PointsThisUse = 0;
    SetLandUseName(LandUseCount, name);
    return true;
}

void TSurveyTally::CountPress(QPoint place)
{
    ++PointsThisUse;
    ++PointsProbed;
    marks.push_back({SurveyMark::Kind::CountedPress, place, 0, LandUseCount});
}

void TSurveyTally::FinishLandUse()
{
    // Before any "Sonder" of this survey there is no land use to give the count to.
    if (LandUseCount >= 1)
        LandUse(LandUseCount).Count = PointsThisUse;
}

void TSurveyTally::RestoreMarks(std::vector<SurveyMark> kept)
{
    marks = std::move(kept);
    ++generation;
}

void TSurveyTally::Reset()
{
    // A fresh generation all the same: a drawing of the old marks must not pass for the new.
    const quint64 next = generation + 1;
    *this = TSurveyTally();
    generation = next;
}
