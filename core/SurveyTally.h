#pragma once
// The in-memory state of one survey, shared by the main window (the sample size), the map
// window (the map's drawn size, the land uses and the counters) and the results window.

#include <QString>
#include <array>
#include <cstdint>

struct LandUseEntry {
    static constexpr int MaxNameLength = 50;
    QString Name;
    int32_t Count = 0;
};

class TSurveyTally {
public:
    static constexpr int MaxLandUses = 20;

    int32_t SampleSize = 0;
    int32_t MapWidth = 0;
    int32_t MapHeight = 0;
    int32_t PointSize = 0;
    int32_t LandUseCount = 0;
    int32_t PointsThisUse = 0;
    int32_t PointsProbed = 0;
    bool ProbingOn = false;

    // Entries are numbered 1 to MaxLandUses; any other number is a programming error.
    LandUseEntry& LandUse(int number);
    const LandUseEntry& LandUse(int number) const;
    // Stores a land use's name as typed, cut to its first 50 characters (code points).
    void SetLandUseName(int number, const QString& name);

    // Back to the state of start-up.
    void Reset();

private:
    std::array<LandUseEntry, MaxLandUses> table{};
};

extern TSurveyTally SurveyTally;
