// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/WindowSet.h"

#include "app/X11Windows.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/SurveyDocument.h"
#include "core/SurveyJournal.h"
#include "ui/Boxes.h"
#include "ui/ApplicationFrame.h"
#include "ui/Dispatch.h"
#include "windows/Abaquez.h"
#include "windows/Carte2.h"
#include "windows/Classe.h"
#include "windows/Explic.h"
#include "windows/Fich_1.h"
#include "windows/Simulation.h"
#include "windows/TabResultats.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <QWindowStateChangeEvent>

namespace {

QList<QWidget*> SecondaryWindows()
{
    return {Form2, TabRes, Form3, Abaque, Simulation, Classe};
}

// Minimising the main window minimises the program: the windows open with it go too, and
// come back when it is restored. A window that the user had minimised on its own is left so.
class MinimisedTogether : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != Page_1 || event->type() != QEvent::WindowStateChange)
            return false;
        const bool wasMinimised =
            static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowMinimized;
        if (Page_1->isMinimized() && !wasMinimised) {
            minimisedAlong.clear();
            for (QWidget* window : SecondaryWindows()) {
                if (window->isVisible() && !window->isMinimized()) {
                    minimisedAlong << window;
                    window->setWindowState(window->windowState() | Qt::WindowMinimized);
                }
            }
        } else if (!Page_1->isMinimized() && wasMinimised) {
            for (const QPointer<QWidget>& window : std::as_const(minimisedAlong))
                if (window && window->isVisible())
                    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
            minimisedAlong.clear();
        }
        return false;
    }

private:
    QList<QPointer<QWidget>> minimisedAlong;
};

}  // namespace

void CreateWindowSet()
{
    Survey = new TSurveyDocument(SurveyTally);
    Page_1 = new TPage_1;
    Form2 = new TForm2;
    TabRes = new TTabRes;
    Form3 = new TForm3;
    Abaque = new TAbaque;
    Simulation = new TSimulation;
    Classe = new TClasse;

    // The map window draws the file the main window names when "3)-" is pressed; a file
    // dropped on the map, or the map of a survey opened, is named in the main window in turn.
    QObject::connect(Form2, &TForm2::MapFileDropped, Page_1->EdFich, &QLineEdit::setText);
    QObject::connect(Form2, &TForm2::SurveyOpened, Page_1, [](const QString& mapFile, int sampleSize) {
        Page_1->EdFich->setText(mapFile);
        Page_1->EdNPoints->setText(IntegerText(sampleSize));
        ShowWindow(Form2);
    });
    // The results shown follow the survey as it changes.
    // Queued: the survey also changes inside the map window's paint, where no box may open.
    QObject::connect(Survey, &TSurveyDocument::Changed, TabRes, &TTabRes::FollowSurvey, Qt::QueuedConnection);
    // "Simuler" in the explanations: the simulation on the map and the n the main window names.
    QObject::connect(Form3, &TForm3::SimulationWanted, Simulation, [] {
        RunHandler([] {
            Simulation->OpenMap(Page_1->EdFich->text(), Page_1->EdNPoints->text());
            ShowWindow(Simulation);
        });
    });

    // A window with a parent belongs to it on the desktop: it has no task-bar entry of its own,
    // stays above it and goes with it.
    for (QWidget* window : SecondaryWindows()) {
        window->setParent(Page_1, window->windowFlags() | Qt::Window);
        BelongToParentOnX11(window);
    }
    Page_1->installEventFilter(new MinimisedTogether(Page_1));
}

void TakeFileArgument(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return;
    const QString file = arguments.at(1);
    if (file.endsWith(QStringLiteral(".sondelio"), Qt::CaseInsensitive))
        RunHandler([&file] { Form2->OpenSurvey(file); });
    else
        Page_1->EdFich->setText(file);
}

void OfferRecovery()
{
    for (const QString& journal : AbandonedJournals(JournalFolder())) {
        RunHandler([&journal] {
            const RecoveredSurvey recovered = [&journal] {
                // A journal that holds no survey any more is of no use to anyone.
                try {
                    return ReadJournal(journal);
                } catch (const Exception&) {
                    QFile::remove(journal);
                    throw;
                }
            }();
            const TSurveyTally& survey = recovered.Content.Tally;
            if (survey.PointsProbed == 0) {
                QFile::remove(journal);
                return;
            }
            const int answer = AskQuestion(
                QStringLiteral("Une séance n'a pas été enregistrée avant la fin du programme : %1 points classés "
                               "sur %2, carte « %3 ». La reprendre ?")
                    .arg(survey.PointsProbed)
                    .arg(survey.SamplePoints())
                    .arg(QFileInfo(recovered.Content.MapFile).fileName()),
                {QStringLiteral("Reprendre"), QStringLiteral("Ne pas reprendre"), QStringLiteral("Plus tard")});
            if (answer == 2)
                return;
            if (answer == 0 && !Form2->ConfirmLeavingSurvey())
                return;
            if (answer == 0)
                Form2->RecoverSurvey(recovered);
            QFile::remove(journal);
        });
    }
}

void DestroyWindowSet()
{
    delete Classe;
    Classe = nullptr;
    // First: its run stops before the windows it reads from go.
    delete Simulation;
    Simulation = nullptr;
    delete Abaque;
    delete Form3;
    delete TabRes;
    delete Form2;
    delete Page_1;
    delete Survey;
    Abaque = nullptr;
    Form3 = nullptr;
    TabRes = nullptr;
    Form2 = nullptr;
    Page_1 = nullptr;
    Survey = nullptr;
}
