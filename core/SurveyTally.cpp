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

void TSurveyTally::Reset()
{
    *this = TSurveyTally();
}
