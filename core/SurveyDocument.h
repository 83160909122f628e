// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The survey as a document: the tally and its marks, the map the survey belongs to, the seed
// its sample was drawn from, the file it was last saved to and whether it has changed since, and
// the journal that keeps it through a crash. The map window calls its operations and shows its
// state whenever it says it changed; the results window reads it. The rules the windows follow
// (how large a map is drawn, whether a session fits its map, when to ask before a survey goes)
// are here, where they are tested without a window.

#include "core/SurveyFile.h"
#include "core/SurveyJournal.h"
#include "core/SurveyTally.h"

#include <QObject>
#include <QSize>
#include <QString>
#include <optional>

// The size a picture is drawn at in the map window: 600 pixels wide, or 700 high when it is at
// least as high as wide, the other side in proportion. EZeroDivide for a picture with no row or
// no column.
QSize DrawnMapSize(QSize picture);

// Why a survey read from a file cannot lie on its map as drawn now (its points were placed on
// the map as drawn then); nothing when it fits, or when the picture tells no size (such a map
// is never drawn, and the survey waits for it as for any map).
std::optional<QString> SessionMisfit(const TSurveyTally& survey, QSize picture);

class TSurveyDocument : public QObject {
    Q_OBJECT
public:
    // The document over a tally that outlives it: the program's is the program-wide SurveyTally.
    explicit TSurveyDocument(TSurveyTally& tally);

    TSurveyTally& Tally;

    // The absolute name of the map the survey belongs to; empty before any map is drawn.
    const QString& MapName() const { return mapName; }
    // The file the survey was last saved to or read from; empty when it never was.
    const QString& SessionFile() const { return sessionFile; }
    // Whether the sample's seed was typed by the user, or taken from the clock.
    bool SeedTyped() const { return seedTyped; }

    // The next drawing of a map begins a new survey, whatever its name: the window was shown
    // anew.
    void BeginOnNextDrawing() { surveyDue = true; }
    // The map, named `name`, is drawn from a picture of `picture` pixels: the survey takes its
    // drawn size, and a new survey begins when the map is another, or when one is due. A survey
    // belongs to the map's name: the same file rewritten or touched keeps its survey. True when a
    // new survey began.
    bool MapDrawn(const QString& name, QSize picture);

    // "Go": a new sample of Tally.SampleSize points of `pointSize` pixels laid by `design`, from
    // the seed typed or else the clock's; the design becomes the survey's, as the points it laid.
    // The points counted on the old sample go, and from here on the survey is kept in a journal
    // against the map as it is now. EInvalidOperation, and nothing changed, for a design that
    // cannot be laid on the map.
    void DrawSample(int32_t pointSize, std::optional<uint32_t> typedSeed, const SampleDesign& design = {});
    // The survey's edits, each kept in the journal as it is made; false, and nothing changed,
    // where the tally refuses it.
    bool BeginLandUse(const QString& name);
    bool CountPoint(int32_t point);
    void FinishLandUse();
    bool Undo();
    bool Redo();
    // "Élève": the student's name, made sound for the file (SoundStudentName), kept with the
    // survey and in its journal. A new survey keeps it: the student is the same.
    void NameStudent(const QString& typed);
    // "Échelle…", or the map's georeferencing read when the map is drawn: what a pixel of the map
    // covers, kept with the survey and in its journal; nothing for no scale.
    void SetScale(const std::optional<MapScale>& scale);
    // The legend found beside the map: a survey that has none of its own takes it, made sound for
    // its file (SoundLegend). A session opened keeps the one it brought, the teacher's.
    void KnowLegend(const ColourNames& legend);

    // Before a survey goes: a point is counted and the survey differs from what was last saved
    // or last let go.
    bool AsksBeforeLeaving() const;
    // The survey as a session file holds it, naming its map by the map's content as it is now.
    QByteArray SessionBytes();
    // The survey was written to `file`: leaving it loses nothing, and it needs no journal.
    void Saved(const QString& file);
    // The user chose not to save it: it is not asked about again while it stays the same, and
    // needs no journal.
    void LetGo();
    // The program ends without the survey: its journal goes with it.
    void Dismiss();

    // A survey read from a file becomes this one, the map named `map` its map, whose picture is
    // of `picture` pixels; `sessionFile` is the session it belongs to, `saved` whether the file
    // holds it as it is (a session opened) or not (a journal recovered). EReadError, and nothing
    // changed, when the survey does not fit the map.
    void Take(SurveyFileContent content, const QString& map, QSize picture, const QString& sessionFile, bool saved);

signals:
    // The survey changed: its points, counts, land uses, or a new survey. Whoever shows it shows
    // it anew.
    void Changed();

private:
    void BeginSurvey(const QString& name);
    // Before an edit: the journal holds the survey as it stands, for the edit to be replayed on.
    void KeepJournal();
    void Edited(const QJsonArray& operation);
    // The last count taken back (`back`) or put back, journaled; false when there is none.
    bool Retrace(bool back);

    QString mapName;
    bool surveyDue = true;
    bool seedTyped = false;
    // The file the survey was last saved to or read from, and the survey as it was then or as
    // the user last chose not to save it.
    QString sessionFile;
    TSurveyTally keptSurvey;
    // The survey's operations since it was last saved, on disk as they are made; and the map's
    // SHA-256, which the journal's copy of the survey names.
    TSurveyJournal journal;
    QByteArray mapSha;
};

// The program's survey, made with its windows.
extern TSurveyDocument* Survey;
