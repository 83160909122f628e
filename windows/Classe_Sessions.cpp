// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The class window's sessions: gathered (chosen, a folder, dropped) and listed, the map chosen with
// its picture and the references it offers, and the class analysed again whenever a choice changes.

#include "windows/Classe.h"

#include "core/Errors.h"
#include "core/MessageText.h"
#include "core/Numbers.h"
#include "picture/MapPixels.h"
#include "picture/SavedFile.h"
#include "ui/Boxes.h"
#include "ui/Dispatch.h"
#include "ui/DroppedFile.h"
#include "ui/FileDialogs.h"
#include "ui/TextGrid.h"

#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QPushButton>

namespace {

const QString sessionSuffix = QStringLiteral("sondelio");

// A blank map of the session's size when its picture cannot be found: the points still show
// where they lie.
QImage BlankMap(const TSurveyTally& tally)
{
    QImage blank(std::max(1, int(tally.MapWidth)), std::max(1, int(tally.MapHeight)), QImage::Format_RGB32);
    blank.fill(Qt::white);
    return blank;
}

}  // namespace

void TClasse::AddSessionFiles(const QStringList& given)
{
    QStringList added;
    QStringList emptyFolders;
    for (const QString& name : given) {
        const QFileInfo file(name);
        QStringList found;
        if (file.isDir()) {
            const QDir folder(file.absoluteFilePath());
            for (const QString& entry : folder.entryList({QStringLiteral("*.") + sessionSuffix}, QDir::Files, QDir::Name))
                found << folder.filePath(entry);
            if (found.isEmpty())
                emptyFolders << QStringLiteral("\"%1\"").arg(MessageQuote(QDir::toNativeSeparators(name)));
        } else {
            found << file.absoluteFilePath();
        }
        for (const QString& session : std::as_const(found))
            if (!files.contains(session) && !added.contains(session))
                added << session;
    }
    if (!added.isEmpty()) {
        // The class file is the one beside the first session: the class is where its sessions are.
        if (files.isEmpty()) {
            classFile = ClassFileBeside(added.constFirst());
            classFileWritable = true;
            try {
                merges = ReadClassMerges(classFile);
            } catch (const Exception& error) {
                merges = {};
                classFileWritable = false;
                ShowNotice(QStringLiteral("Le fichier de la classe \"%1\" ne peut pas être lu : %2 Les noms réunis ne "
                                          "seront pas enregistrés, pour ne pas l'écraser.")
                               .arg(MessageQuote(QDir::toNativeSeparators(classFile)), error.Message));
            }
        }
        files << added;
        sessions = ReadClassSessions(files);
        ShowSessions();
        ShowMaps();
        ChooseMap();
    }
    if (!emptyFolders.isEmpty())
        ShowNotice(QStringLiteral("Aucune séance (fichier .sondelio) dans %1.").arg(emptyFolders.join(QStringLiteral(", "))));
}

void TClasse::ButtAjouterClick()
{
    const QStringList chosen = AskFilesToOpen(
        this, QStringLiteral("Ajouter des séances"), files.isEmpty() ? QDir::homePath() : FolderBeside(files.constLast()),
        {QStringLiteral("Séances Sondelio (*.sondelio)"), QStringLiteral("Tous les fichiers (*)")});
    AddSessionFiles(chosen);
}

void TClasse::ButtDossierClick()
{
    if (const std::optional<QString> folder = AskFolder(
            this, QStringLiteral("Ajouter les séances d'un dossier"),
            files.isEmpty() ? QDir::homePath() : QFileInfo(files.constLast()).absolutePath()))
        AddSessionFiles({*folder});
}

void TClasse::ButtNouvelleClick()
{
    files.clear();
    sessions.clear();
    merges = {};
    classFile.clear();
    classFileWritable = true;
    chosenMap.clear();
    ShowSessions();
    ShowMaps();
    ChooseMap();
}

void TClasse::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedLocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TClasse::dropEvent(QDropEvent* event)
{
    const QStringList dropped = DroppedLocalFiles(event->mimeData());
    if (dropped.isEmpty())
        return;
    event->acceptProposedAction();
    RunHandler([this, dropped] { AddSessionFiles(dropped); });
}

// One row per file, refused ones with their reason; nothing is hidden from the teacher.
void TClasse::ShowSessions()
{
    GridSeances->SetRowCount(std::max<int>(2, int(sessions.size()) + 1));
    for (int column = 0; column < GridSeances->ColCount(); ++column)
        GridSeances->SetCell(column, 1, QString());
    for (std::size_t at = 0; at < sessions.size(); ++at) {
        const ClassSession& session = sessions[at];
        const int row = int(at) + 1;
        const bool read = !session.MapSha256.isEmpty();
        GridSeances->SetCell(FileColumn, row, QFileInfo(session.File).fileName());
        GridSeances->SetCellHint(FileColumn, row, QDir::toNativeSeparators(session.File));
        GridSeances->SetCell(StudentColumn, row, session.Name);
        GridSeances->SetCell(MapColumn, row, read ? QFileInfo(session.MapFile).fileName() : QString());
        GridSeances->SetCell(SeedColumn, row, read ? QString::number(session.Seed) : QString());
        GridSeances->SetCell(SizeColumn, row, read ? IntegerText(session.SampleSize) : QString());
        GridSeances->SetCell(ProgressColumn, row,
                             read ? QStringLiteral("%1 / %2").arg(IntegerText(session.Classified), IntegerText(session.SampleSize))
                                  : QString());
        GridSeances->SetCell(StateColumn, row, session.Usable() ? QStringLiteral("Lue") : QStringLiteral("Refusée : ") + session.Refusal);
        GridSeances->SetCellHint(StateColumn, row, session.Refusal);
    }
}

void TClasse::ShowMaps()
{
    maps = ClassMaps(sessions);
    const QSignalBlocker quiet(ComboCarte);
    ComboCarte->clear();
    int chosen = 0;
    for (std::size_t at = 0; at < maps.size(); ++at) {
        const ClassMap& map = maps[at];
        ComboCarte->addItem(QStringLiteral("%1 (%2 séance%3)")
                                .arg(QFileInfo(map.MapFile).fileName(), IntegerText(int64_t(map.Sessions.size())),
                                     map.Sessions.size() > 1 ? QStringLiteral("s") : QString()));
        if (map.MapSha256 == chosenMap)
            chosen = int(at);
    }
    ComboCarte->setCurrentIndex(maps.empty() ? -1 : chosen);
    ComboCarte->setEnabled(maps.size() > 1);
}

void TClasse::ComboCarteChange()
{
    ChooseMap();
}

void TClasse::ChooseMap()
{
    const int at = ComboCarte->currentIndex();
    const QByteArray map = at >= 0 && at < int(maps.size()) ? maps[std::size_t(at)].MapSha256 : QByteArray();
    const bool sameMap = map == chosenMap && (mapPicture || !mapImage.isNull());
    chosenMap = map;
    if (!sameMap) {
        reference.reset();
        mapPicture.reset();
        legend.clear();
        census.clear();
        mapImage = QImage();
        if (!map.isEmpty())
            ReadMap(maps[std::size_t(at)]);
        ShowLegend();
    }
    ShowReferences();
    Analyse();
}

void TClasse::ReadMap(const ClassMap& map)
{
    const ClassSession& first = sessions[std::size_t(map.Sessions.front())];
    // Without its picture the map is drawn blank: the table and the checks against a session need
    // no pixels, only the legend does.
    try {
        mapPicture = std::make_unique<ClassMapPicture>(first);
    } catch (const Exception&) {
        mapImage = BlankMap(first.Tally);
        censusProblem = QStringLiteral("L'image de la carte est introuvable : ses couleurs ne peuvent pas être nommées.");
        return;
    }
    // The map as the students saw it drawn: their points lie on its pixels.
    const PixelView view = mapPicture->DrawnView();
    mapImage = QImage(reinterpret_cast<const uchar*>(view.Pixels), view.Width, view.Height,
                      qsizetype(view.Stride) * 4, QImage::Format_RGB32).copy();
    try {
        census = ColourCensus(mapPicture->View());
        censusProblem.clear();
    } catch (const EInvalidGraphic&) {
        censusProblem = QStringLiteral("Cette carte a plus de %1 couleurs : c'est une photo ou un scan, dont les couleurs "
                                       "ne disent pas l'usage du sol. Prenez pour référence la séance d'un élève ou "
                                       "la vôtre.").arg(MaxMapColours);
        return;
    }
    // A legend that cannot be read is said, and the one the sessions carry taken in its place.
    try {
        legend = ReadLegendBeside(mapPicture->File());
    } catch (const Exception& error) {
        ShowNotice(error.Message);
    }
    // Without a file beside the map, the legend the teacher's session handed out.
    for (int session : map.Sessions)
        if (legend.empty())
            legend = sessions[std::size_t(session)].Tally.Legend;
}

// The references the map offers: its legend when it has one beside it, and each of its sessions.
// The one chosen stays chosen while it is still offered.
void TClasse::ShowReferences()
{
    const QString kept = ComboReference->currentData().toString();
    const QSignalBlocker quiet(ComboReference);
    ComboReference->clear();
    ComboReference->addItem(QStringLiteral("Aucune"), QString());
    if (!legend.empty())
        ComboReference->addItem(QStringLiteral("La légende de la carte"), QStringLiteral("légende"));
    for (const ClassMap& map : maps)
        if (map.MapSha256 == chosenMap)
            for (int session : map.Sessions)
                ComboReference->addItem(QStringLiteral("La séance « %1 »").arg(sessions[std::size_t(session)].Name),
                                        sessions[std::size_t(session)].File);
    ComboReference->setCurrentIndex(std::max(0, ComboReference->findData(kept)));
    ComboReferenceChange();
}

void TClasse::ComboReferenceChange()
{
    const QString chosen = ComboReference->currentData().toString();
    reference.reset();
    if (chosen == QStringLiteral("légende") && mapPicture) {
        // A photo has too many colours to be a map of flat colours: its legend cannot be a reference.
        try {
            reference = ClassReference::FromLegend(mapPicture->View(), mapPicture->DrawnView(), legend);
        } catch (const Exception& error) {
            const QSignalBlocker quiet(ComboReference);
            ComboReference->setCurrentIndex(0);
            ShowNotice(error.Message);
        }
    } else if (!chosen.isEmpty()) {
        for (const ClassSession& session : sessions)
            if (session.File == chosen && session.Usable())
                reference = ClassReference::FromSession(session);
    }
    if (ComboReference->signalsBlocked())
        return;
    Analyse();
}

void TClasse::ComboUsageChange()
{
    Analyse();
}

void TClasse::Analyse()
{
    const QString chosenUse = ComboUsage->currentText();
    analysis = AnalyseClass(sessions, chosenMap, merges, reference ? &*reference : nullptr, chosenUse);
    // A land use chosen before merges changed its name: the first one then.
    if (analysis.ChosenUse < 0 && !chosenUse.isEmpty())
        analysis = AnalyseClass(sessions, chosenMap, merges, reference ? &*reference : nullptr);
    ShowUses();
    ShowTable();
    ShowIntervals();
    ShowCheck();
    ShowAgreement();
    ShowNames();
    const bool analysed = !analysis.Rows.empty();
    for (QPushButton* button : {ButtExporterTableau, ButtExporterGraphique, ButtExporterAccord})
        button->setEnabled(analysed);
    ButtExporterMatrice->setEnabled(ChosenCheck() != nullptr);
    ButtExporterCarte->setEnabled(ChosenCheck() != nullptr);
}
