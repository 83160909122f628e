// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The in-memory state of one survey, shared by the main window (the sample size), the map
// window (the map's drawn size, the land uses, the counters and the marks on the map) and the
// results window. The handlers change it through the operations below; the map window draws
// its marks from it at every paint.

#include "core/MapColours.h"
#include "core/MapScale.h"
#include "core/SampleDesign.h"

#include <QPoint>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

struct LandUseEntry {
    static constexpr int MaxNameLength = 50;
    QString Name;
    int32_t Count = 0;
};

// A land use's name as the program keeps it: as typed, cut to its first 50 characters (code
// points, a surrogate pair never split).
QString KeptLandUseName(const QString& typed);

// A mark the survey leaves on its map, in the order made: the sample points that "Go" placed,
// then the points counted under a land use. Places are map pixels, (0, 0) being the map's
// top-left pixel; a counted point lies where its sample point does.
struct SurveyMark {
    enum class Kind { SamplePoint, CountedPoint };
    Kind What = Kind::SamplePoint;
    QPoint Place;
    int32_t Size = 0;  // a sample point: its size as drawn
    int LandUse = 0;   // a counted point: the land use it counted for
    int32_t Point = -1;  // a counted point: which sample point, by its place in the marks
    int32_t Group = 0;   // a sample point: its block or segment, under a design that has them
};

// The box a mark is drawn in, edges as left, top, right and bottom, kept in range whatever size
// was typed.
struct MarkBox {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

// How near a press must come to a sample point's disc to designate it, in map pixels.
inline constexpr double PressReach = 4;

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
    // How the last "Go" laid its points: at random, one by one, until another design is chosen.
    SampleDesign Design;
    // A land use is open: begun with "Sonder" and not yet finished. Presses count only then, so
    // that none goes to a land use the panel no longer shows.
    bool ProbingOn = false;
    // The student who made the survey, when a class's sessions need telling apart; empty when
    // nobody said.
    QString Student;
    // The land uses the map's flat colours stand for, when the map has a legend: the teacher's
    // session hands it to the students with the map, so that each can check their own points.
    ColourNames Legend;
    // What a pixel of the map as drawn covers on the ground, when the map's georeferencing or the
    // user's measure says: the land uses' areas follow from it.
    std::optional<MapScale> Scale;

    // Entries are numbered 1 to MaxLandUses; any other number is a programming error.
    LandUseEntry& LandUse(int number);
    const LandUseEntry& LandUse(int number) const;
    // Stores a land use's name as typed, cut to its first 50 characters (code points).
    void SetLandUseName(int number, const QString& name);

    // A new survey on a freshly drawn map: no land use begun yet, no mark on the map, nothing
    // counted. The entries and the sample size stay as they are.
    void BeginSurvey();
    // "Go": a new sample replaces the old one. Its points, the points counted on them and the
    // undo history go; the land uses begun stay, their counts back to 0.
    void BeginSample();
    void AddSamplePoint(QPoint place, int32_t size, int32_t group = 0);
    int32_t SamplePoints() const { return samplePoints; }
    // The sample size the results divide by: the points on the map once "Go" has placed them
    // (the box's number may have changed since), the number typed until then.
    int32_t ResultsSampleSize() const;
    // "Sonder": the next land use, named as typed, its count at 0, open for counting; false, and
    // nothing changed, when the table has no entry left.
    bool BeginLandUse(const QString& name);

    // The sample point a press at a map pixel designates: the nearest one not yet counted whose
    // disc holds the press or lies within PressReach of it; -1 when there is none.
    int32_t DesignatedPoint(QPoint press) const;
    bool IsCounted(int32_t point) const;
    // The sample point counted under the current land use; false, and nothing changed, when
    // no land use is open or the point is no uncounted sample point.
    bool CountPoint(int32_t point);
    // The last count taken back (its land use's entry goes down by one, the point is red
    // again), and put back. A new count forgets what was taken back.
    bool CanUndo() const;
    bool CanRedo() const { return !undone.empty(); }
    bool Undo();
    bool Redo();

    // "Autre usage ou Terminer": the current land use's count stored, if one has begun, and the
    // land use closed.
    void FinishLandUse();
    // The count of the open land use, 0 when none is open: what the count box shows.
    int32_t OpenUseCount() const { return ProbingOn ? PointsThisUse : 0; }

    // Where a mark is drawn, the map's top-left pixel at `origin`: a sample point is a red disc
    // centred on its pixel, its size across; a counted point a blue dot centred on its sample
    // point, 7 pixels across or the point's size if larger, so that it covers the red disc.
    MarkBox BoxOf(const SurveyMark& mark, QPoint origin) const;

    // Whether two surveys hold the same points, counts and land uses: what a file keeps of a
    // survey, whatever edits led there.
    bool SameSurvey(const TSurveyTally& other) const;

    // The marks in the order made. The generation changes whenever marks are taken away, so
    // that whoever drew them knows to start again.
    const std::vector<SurveyMark>& Marks() const { return marks; }
    quint64 Generation() const { return generation; }
    // Changes with every change of the points or their counts: whoever keeps the survey in a
    // file knows whether the file still holds it.
    quint64 Edits() const { return edits; }
    // A survey read back from its file: its marks as they were made, in that order. False, and
    // nothing changed, unless every sample point comes before the counted points and each
    // counted point lies where a sample point not yet counted does.
    bool RestoreMarks(std::vector<SurveyMark> kept);

    // Back to the state of start-up.
    void Reset();
    // Becomes another survey (one read from its file), in a new generation all the same.
    void Replace(TSurveyTally other);

private:
    void ApplyCount(const SurveyMark& count, int step);
    void Forget();

    std::array<LandUseEntry, MaxLandUses> table{};
    std::vector<SurveyMark> marks;
    int32_t samplePoints = 0;
    // Per sample point, whether it is counted.
    std::vector<bool> counted;
    // The counts taken back by Undo, the last one at the end.
    std::vector<SurveyMark> undone;
    quint64 generation = 0;
    quint64 edits = 0;
};

extern TSurveyTally SurveyTally;
