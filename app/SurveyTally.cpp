#include "app/SurveyTally.h"

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

void TSurveyTally::SetLandUseName(int number, const QString& name)
{
    LandUse(number).Name = name.left(LandUseEntry::MaxNameLength);
}

void TSurveyTally::Reset()
{
    *this = TSurveyTally();
}
