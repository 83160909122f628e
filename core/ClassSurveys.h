// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A class's surveys pooled and checked: each student's session read and listed, the class's
// table of land uses (one row per student, a last row pooling the class), the check of each
// student against a reference (a legend on a map of flat colours, or a session chosen as the
// reference classification), the agreement between students who classified the same points, and
// the class's pooled estimate. No window here: the command line `sondelio-classe` prints what
// this gives, the class window shows it.
//
// The order of work: ExamineSessions (one entry per file, refused ones with their reason), then
// ClassMaps (the sessions grouped by map), then AnalyseClass for one map at a time.

#include "core/LandUseNames.h"
#include "core/MapColours.h"
#include "core/Results.h"
#include "core/SurveyTally.h"

#include <QByteArray>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

// A session file as it was read from the disk: its bytes, or why it could not be read.
struct SessionSource {
    QString File;
    QByteArray Bytes;
    QString ReadFailure;  // in French; empty when the bytes were read
};

// One session of the class, listed whether it can be used or not.
struct ClassSession {
    QString File;
    // The student's name the session holds, else the file's base name.
    QString Name;
    QString MapFile;
    QByteArray MapSha256;  // 32 bytes once read; empty for a file that could not be read
    uint32_t Seed = 0;
    int32_t SampleSize = 0;  // N: the points on the map (the number typed while there are none)
    int32_t Classified = 0;  // k: the points counted under a land use
    // Why the session cannot be used, in French (damaged, written by a newer version, the same
    // content as another one); empty when it can.
    QString Refusal;
    TSurveyTally Tally;

    bool Usable() const { return Refusal.isEmpty(); }
};

// Each file in the order given, read through ReadSurveyFile. A file that cannot be used stays
// listed with its reason and costs the others nothing; a file whose survey is the same as an
// earlier one's (the same file given twice, or a copy) is refused, so that no survey counts twice.
std::vector<ClassSession> ExamineSessions(const std::vector<SessionSource>& sources);

// The usable sessions of one map, known by the SHA-256 the sessions hold.
struct ClassMap {
    QString MapFile;  // as the first of its sessions names it
    QByteArray MapSha256;
    std::vector<int> Sessions;  // indexes into the sessions, in their order
};
// The maps of the class, the one with the most sessions first (ties: the one met first).
std::vector<ClassMap> ClassMaps(const std::vector<ClassSession>& sessions);

// What the class's result is set against. Made on the class's map: the caller makes sure the
// pixels or the session are of the map analysed.
class ClassReference {
public:
    // A map of flat colours and its legend (0xRRGGBB → land use): the true share of each land use
    // exact from the pixels, each point's class its pixel's colour's name (a colour the legend
    // does not name stands for itself, "RRGGBB"). The pixels must outlive the reference; the map's
    // colours are counted once here (EInvalidGraphic for a photo).
    // `drawn` is the map as the survey drew it, whose pixel under each point gives its class;
    // `map` its picture, whose pixels give the true shares.
    static ClassReference FromLegend(const PixelView& map, const PixelView& drawn, const ColourNames& legend);
    // A session chosen as the reference classification: a land use's share its count over its N,
    // each point's class the land use it counted for (its unclassified points have none).
    static ClassReference FromSession(const ClassSession& session);

    // "la légende de la carte", "la séance « Zoé »": what the sentences name.
    const QString& Description() const { return description; }
    // Each land use the reference names, as named, with its part of the whole.
    struct Share {
        QString Use;
        int64_t Part;
    };
    const std::vector<Share>& Shares() const { return shares; }
    int64_t Whole() const { return whole; }
    // The reference's class of the point at `place`, as named; nothing where it has none.
    std::optional<QString> ClassAt(QPoint place) const;

private:
    QString description;
    std::vector<Share> shares;
    int64_t whole = 0;
    // The legend's way.
    PixelView pixels;
    ColourNames legend;
    // The session's way: the land use named at each classified point's place.
    std::unordered_map<qint64, QString> classAt;
};

// One student's row of the class table, or the class's pooled row.
struct ClassRow {
    QString Name;
    int Session = -1;  // the session's index; -1 on the pooled row
    int32_t SampleSize = 0;
    int32_t Classified = 0;
    // One cell per land use of the table, then "Autres" (the points counted under no land use):
    // each with its count, its share of N and the exact 95 % interval, as in the results window.
    std::vector<ResultRow> Cells;
};

// A point on which a student and the reference part: where it is, and both classes (indexes
// into ClassAnalysis::Uses).
struct DisagreedPoint {
    QPoint Place;
    int Student;
    int Reference;
};

// A student's classification against the reference's, over the points both classified.
struct ReferenceCheck {
    int Session = -1;
    // Counts[student's class][reference's class], both indexes into ClassAnalysis::Uses.
    std::vector<std::vector<int64_t>> Counts;
    int64_t Checked = 0;
    int64_t Agreeing = 0;
    std::vector<DisagreedPoint> Disagreements;  // in the order of the student's counts

    // Agreeing over checked: EInvalidOp (Divide) when nothing was checked.
    long double Agreement() const;
    // A cell over its row's total (the student's class) or its column's (the reference's);
    // nothing when that total is 0.
    std::optional<long double> RowShare(int student, int reference) const;
    std::optional<long double> ColumnShare(int student, int reference) const;
};

// How far the students who classified the same points agree on each of them.
struct PointAgreement {
    QPoint Place;
    int Raters = 0;  // the students who classified it
    int Top = 0;     // of them, those who gave the most frequent name
    int TopUse = -1;  // that name, an index into ClassAnalysis::Uses; -1 on a tie
    long double Share() const { return (long double)Top / Raters; }
};

struct ClassAgreement {
    std::vector<int> Sessions;  // the sessions sharing the points, at least two
    std::vector<PointAgreement> Points;  // every point classified by one of them at least
    // Fleiss' kappa over the points every one of them classified; nothing when there are none, or
    // when every answer is the same name (the chance agreement is then 1 and kappa has no value).
    std::optional<long double> Kappa;
    int32_t PointsRatedByAll = 0;
    // The points with the smallest share of the most frequent name, fewest first (ties: in the
    // points' order), `count` at most, only those where someone disagreed.
    std::vector<PointAgreement> MostDisputed(int count) const;
};

// How the class's pooled row was made.
enum class Pooling {
    Independent,  // every student drew points of their own: the counts add up, n = Σ nᵢ
    SamePoints,   // the students classified the same points: the majority per point, n of one sample
    Mixed,        // some of each: a majority per sample shared, then the samples added up
};

// Whether a student's interval holds the reference's share of the chosen land use.
struct IntervalHold {
    int Session;
    bool Holds;
};

struct ClassAnalysis {
    QString MapFile;
    QByteArray MapSha256;
    // The land uses of the table, as they are named: the merge's name or the first spelling met,
    // in the order first met, then those only the reference names.
    std::vector<QString> Uses;
    // Each name found in the sessions, as typed, and the land use it is counted under (index into
    // Uses): the table the teacher merges names from.
    std::vector<std::pair<QString, int>> FoundNames;
    // The sessions not analysed with their reason: refused ones, and those of another map.
    std::vector<std::pair<int, QString>> SetAside;

    std::vector<ClassRow> Rows;  // one per usable session of the map, in the order given
    ClassRow Pooled;
    Pooling PooledBy = Pooling::Independent;
    int32_t TiedPoints = 0;  // points of a shared sample without one most frequent name
    // In French: what was pooled, how, and why.
    QString PoolingSentence;

    // With a reference: its share of each land use of the table, 0 where it names none (nothing
    // when it has no whole: a reference session without points)…
    std::optional<QString> ReferenceName;
    std::vector<std::optional<PixelShare>> ReferenceShares;
    // …the chosen land use (an index into Uses, -1 when there is none) and which students'
    // intervals hold its reference share (those with an interval)…
    int ChosenUse = -1;
    std::vector<IntervalHold> Holds;
    // …and each student checked against it (those with points it classifies).
    std::vector<ReferenceCheck> Checks;

    // With students who classified the same points.
    std::optional<ClassAgreement> Agreement;

    // The map's scale, as the first session that has one gives it, and the map's size as drawn:
    // with it, the class's estimate of the chosen land use as an area (nothing without a scale,
    // a land use chosen or a pooled sample).
    std::optional<MapScale> Scale;
    QSize Drawn;
    std::optional<LandUseArea> PooledArea() const;

    // "17 intervalles sur 20 contiennent la part de référence de « bâti » (15,57 %)."; empty without
    // a reference share for the chosen land use.
    QString HoldsSentence() const;
    // The index in Uses of the land use named like `name` (NameKey, merges applied); -1 if none.
    int UseNamed(const QString& name, const LandUseMerges& merges) const;
};

// The class's sessions of the map `mapSha256` analysed: the names matched and merged, the table,
// the pooled row, and, with a reference, the check of each student. `chosenUse` names the land use
// whose reference share the intervals are set against (matched as the names are); empty: the
// table's first land use.
ClassAnalysis AnalyseClass(const std::vector<ClassSession>& sessions, const QByteArray& mapSha256,
                           const LandUseMerges& merges, const ClassReference* reference = nullptr,
                           const QString& chosenUse = {});

// One survey checked on its own against a reference, as a student checks their points in the map
// window: the analysis of a class of one, whose Checks hold its check when the reference
// classifies any of its counted points.
ClassAnalysis CheckSurvey(const TSurveyTally& survey, const ClassReference& reference);

// Whether two sessions classified the same points: the same seed, size and design, and the
// sample points at the same places in the same order.
bool SamePoints(const TSurveyTally& one, const TSurveyTally& other);
