// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/SurveyDocument.h"

#include "core/Errors.h"
#include "core/FloatArith.h"
#include "core/SampleGenerator.h"

#include <cmath>

TSurveyDocument* Survey = nullptr;

namespace {

int32_t RoundHalfEven(long double value)
{
    return static_cast<int32_t>(std::nearbyint(value));
}

}  // namespace

// The ratio passes through a double, the fixed side is divided in extended precision: the
// sizes sessions were saved with come out the same.
QSize DrawnMapSize(QSize picture)
{
    if (picture.width() > picture.height()) {
        const double ratio = static_cast<double>(Divide(picture.width(), picture.height()));
        return QSize(600, RoundHalfEven(Divide(600, ratio)));
    }
    const double ratio = static_cast<double>(Divide(picture.height(), picture.width()));
    return QSize(RoundHalfEven(Divide(700, ratio)), 700);
}

std::optional<QString> SessionMisfit(const TSurveyTally& survey, QSize picture)
{
    if (picture.isEmpty())
        return std::nullopt;
    const QSize drawn = DrawnMapSize(picture);
    if (drawn == QSize(survey.MapWidth, survey.MapHeight))
        return std::nullopt;
    return QStringLiteral("Cette séance est endommagée et ne peut pas être ouverte : elle "
                          "dessine sa carte en %1 × %2 pixels, et non en %3 × %4.")
        .arg(survey.MapWidth)
        .arg(survey.MapHeight)
        .arg(drawn.width())
        .arg(drawn.height());
}

TSurveyDocument::TSurveyDocument(TSurveyTally& tally) : Tally(tally) {}

bool TSurveyDocument::MapDrawn(const QString& name, QSize picture)
{
    // The size is worked out before anything is stored: a division that fails leaves the old.
    const QSize drawn = DrawnMapSize(picture);
    Tally.MapWidth = drawn.width();
    Tally.MapHeight = drawn.height();
    if (!surveyDue && name == mapName)
        return false;
    BeginSurvey(name);
    return true;
}

void TSurveyDocument::BeginSurvey(const QString& name)
{
    // The survey that goes was saved, let go, or had nothing counted; the new one has no file
    // yet, and is proposed to be saved beside its own map.
    journal.Remove();
    mapName = name;
    mapSha.clear();
    sessionFile.clear();
    keptSurvey = TSurveyTally();
    surveyDue = false;
    Tally.BeginSurvey();
    // Its map's legend and georeferencing, if any, are the window's to find.
    Tally.Legend.clear();
    Tally.Scale.reset();
    emit Changed();
}

void TSurveyDocument::DrawSample(int32_t pointSize, std::optional<uint32_t> typedSeed, const SampleDesign& design)
{
    const QSize map(Tally.MapWidth, Tally.MapHeight);
    if (const std::optional<QString> misfit = DesignMisfit(design, Tally.SampleSize, map))
        throw EInvalidOperation(*misfit);
    Tally.BeginSample();
    Tally.Design = design;
    Tally.Seed = SeedOrNew(typedSeed);
    seedTyped = typedSeed.has_value();
    GeneratorState = Tally.Seed;
    for (const DesignedPoint& point : DrawDesign(Tally.Design, Tally.SampleSize, map, GeneratorState).Points)
        Tally.AddSamplePoint(point.Place, pointSize, point.Group);
    // From here on the classification is worth keeping through a crash, against the map as it
    // is now.
    mapSha.clear();
    journal.Remove();
    KeepJournal();
    emit Changed();
}

bool TSurveyDocument::BeginLandUse(const QString& name)
{
    KeepJournal();
    if (!Tally.BeginLandUse(name))
        return false;
    Edited(JournalOperation::LandUseBegun(Tally.LandUse(Tally.LandUseCount).Name));
    return true;
}

bool TSurveyDocument::CountPoint(int32_t point)
{
    KeepJournal();
    if (!Tally.CountPoint(point))
        return false;
    Edited(JournalOperation::PointCounted(point));
    return true;
}

void TSurveyDocument::FinishLandUse()
{
    KeepJournal();
    Tally.FinishLandUse();
    Edited(JournalOperation::LandUseFinished());
}

bool TSurveyDocument::Undo()
{
    return Retrace(true);
}

bool TSurveyDocument::Redo()
{
    return Retrace(false);
}

bool TSurveyDocument::Retrace(bool back)
{
    if (back ? !Tally.CanUndo() : !Tally.CanRedo())
        return false;
    KeepJournal();
    back ? Tally.Undo() : Tally.Redo();
    Edited(back ? JournalOperation::CountUndone() : JournalOperation::CountRedone());
    return true;
}

void TSurveyDocument::NameStudent(const QString& typed)
{
    const QString name = SoundStudentName(typed);
    if (name == Tally.Student)
        return;
    KeepJournal();
    Tally.Student = name;
    Edited(JournalOperation::StudentNamed(name));
}

void TSurveyDocument::SetScale(const std::optional<MapScale>& scale)
{
    if (scale == Tally.Scale)
        return;
    KeepJournal();
    Tally.Scale = scale;
    Edited(JournalOperation::ScaleSet(scale));
}

void TSurveyDocument::KnowLegend(const ColourNames& legend)
{
    if (!Tally.Legend.empty())
        return;
    Tally.Legend = SoundLegend(legend);
    emit Changed();
}

void TSurveyDocument::Edited(const QJsonArray& operation)
{
    journal.Record(operation);
    emit Changed();
}

void TSurveyDocument::KeepJournal()
{
    if (!journal.Wanted() || Tally.SamplePoints() == 0)
        return;
    // A survey the file format refuses (a sample size typed past its limits), or whose map can no
    // longer be read, goes unjournaled, as it would go unsaved: the classification carries on.
    try {
        if (mapSha.isEmpty())
            mapSha = FileSha256(mapName);
        journal.Begin(JournalFolder(), WriteSurveyFile(Tally, mapName, mapSha), sessionFile);
    } catch (const Exception&) {
        journal.GoWithout();
    }
}

bool TSurveyDocument::AsksBeforeLeaving() const
{
    return Tally.PointsProbed > 0 && !Tally.SameSurvey(keptSurvey);
}

QByteArray TSurveyDocument::SessionBytes()
{
    // The map's content as it is now: a class opening the file must find this very picture.
    mapSha = FileSha256(mapName);
    return WriteSurveyFile(Tally, mapName, mapSha);
}

void TSurveyDocument::Saved(const QString& file)
{
    sessionFile = file;
    keptSurvey = Tally;
    journal.Remove();
}

void TSurveyDocument::LetGo()
{
    keptSurvey = Tally;
    journal.Remove();
}

void TSurveyDocument::Dismiss()
{
    journal.Remove();
}

void TSurveyDocument::Take(SurveyFileContent content, const QString& map, QSize picture, const QString& session,
                           bool saved)
{
    if (const std::optional<QString> misfit = SessionMisfit(content.Tally, picture))
        throw EReadError(*misfit);
    // The next drawing finds the survey already belonging to its map.
    Tally.Replace(std::move(content.Tally));
    mapName = map;
    mapSha = content.MapSha256;
    surveyDue = false;
    sessionFile = session;
    keptSurvey = saved ? Tally : TSurveyTally();
    // A survey as its file holds it needs no journal until it changes; one brought back from a
    // journal is kept in a journal of this program's own.
    journal.Remove();
    if (!saved)
        KeepJournal();
    emit Changed();
}
