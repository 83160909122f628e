// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The recovery journal: a survey under way kept on disk as it goes, so that a program killed or
// crashed loses no classification. A journal holds the survey as a session file holds it, taken
// when the journal begins, then one line per operation made since, written at once; replaying
// the operations on that survey gives the survey as it was at the last one. It is removed when
// the survey is saved or let go on purpose.
//
// Each running program keeps its own journal, locked while the program lives: at start-up the
// journals that no program holds are those of programs that ended without removing them.

#include "core/SurveyFile.h"

#include <QByteArray>
#include <QJsonArray>
#include <QString>
#include <QStringList>

// The operations, as the journal writes them.
namespace JournalOperation {
QJsonArray LandUseBegun(const QString& name);  // "Sonder"
QJsonArray PointCounted(int32_t point);
QJsonArray CountUndone();
QJsonArray CountRedone();
QJsonArray LandUseFinished();  // "Autre usage ou Terminer"
QJsonArray StudentNamed(const QString& name);  // "Élève"
QJsonArray ScaleSet(const std::optional<MapScale>& scale);  // "Échelle…", or the map's georeferencing
}  // namespace JournalOperation

// Where the journals are kept: $XDG_STATE_HOME/sondelio, or ~/.local/state/sondelio.
QString JournalFolder();

class TSurveyJournal {
public:
    TSurveyJournal() = default;
    // Lets go of the journal's lock and keeps its file: a journal is removed only on purpose.
    ~TSurveyJournal();
    TSurveyJournal(const TSurveyJournal&) = delete;
    TSurveyJournal& operator=(const TSurveyJournal&) = delete;

    bool IsOpen() const { return descriptor >= 0; }
    // No journal is open, and none failed to begin since the last removal: a journal that
    // cannot be written is not tried again at every count, which would cost each one the whole
    // survey written.
    bool Wanted() const { return descriptor < 0 && !failed; }
    // This survey goes without a journal until the next removal.
    void GoWithout();
    // A new journal in `folder`, from `survey` (a session file's bytes) and the session file it
    // belongs to (empty when never saved), in place of this one's earlier file. A journal that
    // cannot be written is no journal: the survey goes on without it.
    void Begin(const QString& folder, const QByteArray& survey, const QString& sessionFile);
    // One operation made on the survey since, written at once. Nothing while no journal is open.
    void Record(const QJsonArray& operation);
    // The journal's file goes: the survey was saved or let go on purpose.
    void Remove();

private:
    void Close();

    int descriptor = -1;
    QString path;
    bool failed = false;
};

// The journals in `folder` that no running program holds, the most recent first.
QStringList AbandonedJournals(const QString& folder);

struct RecoveredSurvey {
    SurveyFileContent Content;
    QString SessionFile;  // the file it was last saved to, if any
};

// The survey a journal holds, its operations replayed as far as they go (a line cut by the end
// of the program is left out). EFOpenError, or EReadError when it holds no readable survey.
RecoveredSurvey ReadJournal(const QString& path);
