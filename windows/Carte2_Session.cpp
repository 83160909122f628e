// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The map window's session: the survey saved to its file, opened from it or brought back from a
// journal, and the question asked before a survey with counts not saved goes.

#include "windows/Carte2.h"

#include "core/Errors.h"
#include "core/Numbers.h"
#include "picture/PictureFile.h"
#include "picture/SavedFile.h"
#include "picture/TBitmap.h"
#include "ui/Boxes.h"
#include "ui/FileDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

void TForm2::ButtEnregistrerClick()
{
    SaveSurvey();
}

bool TForm2::SaveSurvey()
{
    const QString& map = Survey->MapName();
    if (map.isEmpty() || !mapShown) {
        ShowNotice(MapNeeded);
        return false;
    }
    const QString proposed =
        !Survey->SessionFile().isEmpty()
            ? Survey->SessionFile()
            : QDir(FolderToSaveBeside(map)).filePath(QFileInfo(map).completeBaseName() + QStringLiteral(".sondelio"));
    const std::optional<QString> fileName =
        AskFileToSave(this, QStringLiteral("Enregistrer la séance"), proposed,
                      QStringLiteral("Séance Sondelio (*.sondelio)"), QStringLiteral("sondelio"));
    if (!fileName)
        return false;
    SaveWholeFile(*fileName, Survey->SessionBytes());
    Survey->Saved(*fileName);
    return true;
}

void TForm2::LetSurveyGo()
{
    Survey->Dismiss();
}

bool TForm2::ConfirmLeavingSurvey()
{
    if (!Survey->AsksBeforeLeaving())
        return true;
    const int answer = AskQuestion(QStringLiteral("Enregistrer la séance ?"),
                                   {QStringLiteral("Enregistrer"), QStringLiteral("Ne pas enregistrer"),
                                    QStringLiteral("Annuler")});
    if (answer == 0)
        return SaveSurvey();
    if (answer == 1) {
        // Asked once: the same survey is not asked about again.
        Survey->LetGo();
        return true;
    }
    return false;
}

void TForm2::ButtOuvrirClick()
{
    if (!ConfirmLeavingSurvey())
        return;
    const QString folder = FolderBeside(!Survey->SessionFile().isEmpty() ? Survey->SessionFile() : Survey->MapName());
    if (const std::optional<QString> fileName =
            AskFileToOpen(this, QStringLiteral("Ouvrir une séance"), folder,
                          {QStringLiteral("Séance Sondelio (*.sondelio)"), QStringLiteral("Tous les fichiers (*)")}))
        OpenSurvey(*fileName);
}

void TForm2::OpenSurvey(const QString& fileName)
{
    ShowReadSurvey(ReadSurveyFile(ReadSmallFile(fileName, SurveyFileLimits::MaxFileBytes)), fileName, fileName, true);
}

void TForm2::RecoverSurvey(const RecoveredSurvey& recovered)
{
    // The map is looked for beside the session the survey was saved to, if ever, as when it is
    // opened.
    const QString besideOf = !recovered.SessionFile.isEmpty() ? recovered.SessionFile : recovered.Content.MapFile;
    ShowReadSurvey(recovered.Content, besideOf, recovered.SessionFile, false);
}

void TForm2::ShowReadSurvey(SurveyFileContent content, const QString& surveyFile, const QString& sessionFileName,
                            bool saved)
{
    // Everything is read and checked before anything changes: a refused file leaves the survey
    // in progress as it was.
    const QString map = FindSurveyMap(content, surveyFile);
    StopChecking();
    StopMeasuring();
    Survey->Take(std::move(content), FullFileName(map), PictureFileSize(map), sessionFileName, saved);
    mapFileName = map;
    // Where the map says where it lies, that scale stands over the session's.
    ReadMapScale(map, PictureFileSize(map));
    // A session without the teacher's legend takes the one beside its map, if any.
    try {
        Survey->KnowLegend(ReadLegendBeside(map));
    } catch (const Exception&) {
    }

    const bool sampled = SurveyTally.SamplePoints() > 0;
    // Drawn again with the seed shown, the survey's design gives the same points.
    if (sampled)
        ChooseDesign(SurveyTally.Design);
    TaillePt->setText(IntegerText(sampled ? SurveyTally.PointSize : 5));
    // A land use left open goes on where it was, its name in the box as after its "Sonder".
    const bool useOpen = SurveyTally.ProbingOn && SurveyTally.LandUseCount >= 1;
    EdLandUse->setText(useOpen ? SurveyTally.LandUse(SurveyTally.LandUseCount).Name : QString());
    ButtSonder->setEnabled(false);
    update();
    emit SurveyOpened(map, SurveyTally.SampleSize);
}
