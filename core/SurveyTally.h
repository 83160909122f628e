#pragma once
// The in-memory state of one survey, shared by the main window (the sample size), the map
// window (the map's drawn size, the land uses, the counters and the marks on the map) and the
// results window. The handlers change it through the operations below; the map window draws
// its marks from it at every paint.

#include <QPoint>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

struct LandUseEntry {
    static constexpr int MaxNameLength = 50;
    QString Name;
    int32_t Count = 0;
};

// A mark the survey leaves on its map, in the order made: a sample point that "Go" placed, or a
// press counted under a land use. Places are map pixels, (0, 0) being the map's top-left pixel; a
// press can lie beside the map.
struct SurveyMark {
    enum class Kind { SamplePoint, CountedPress };
    Kind What = Kind::SamplePoint;
    QPoint Place;
    int32_t Size = 0;  // a sample point: its size as drawn
    int LandUse = 0;   // a counted press: the land use it counted for, 0 before any "Sonder"
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
    // The generator's state that the last "Go" began from: the same map, sample size and seed
    // give the same points.
    uint32_t Seed = 0;
    bool ProbingOn = false;

    // Entries are numbered 1 to MaxLandUses; any other number is a programming error.
    LandUseEntry& LandUse(int number);
    const LandUseEntry& LandUse(int number) const;
    // Stores a land use's name as typed, cut to its first 50 characters (code points).
    void SetLandUseName(int number, const QString& name);

    // A new survey on a freshly drawn map: no land use begun yet, no mark on the map. The
    // entries, the counters and the sample size stay as they are.
    void BeginSurvey();
    // "Go": the points counted so far are forgotten, then each sample point is placed.
    void BeginSample();
    void AddSamplePoint(QPoint place, int32_t size);
    // "Sonder": the next land use, named as typed; false, and nothing changed, when the table
    // has no entry left.
    bool BeginLandUse(const QString& name);
    // A press counted under the current land use.
    void CountPress(QPoint place);
    // "Autre usage ou Terminer": the current land use's count stored, if one has begun.
    void FinishLandUse();

    // The marks in the order made. The generation changes whenever marks are taken away, so
    // that whoever drew them knows to start again.
    const std::vector<SurveyMark>& Marks() const { return marks; }
    quint64 Generation() const { return generation; }
    // A survey read back from its file: its marks as they were made, in that order.
    void RestoreMarks(std::vector<SurveyMark> kept);

    // Back to the state of start-up.
    void Reset();

private:
    std::array<LandUseEntry, MaxLandUses> table{};
    std::vector<SurveyMark> marks;
    quint64 generation = 0;
};

extern TSurveyTally SurveyTally;
