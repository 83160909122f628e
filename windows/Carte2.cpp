// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "windows/Carte2.h"

#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/SampleGenerator.h"
#include "picture/DataFolder.h"
#include "picture/PictureFile.h"
#include "ui/Boxes.h"
#include "ui/Dispatch.h"
#include "ui/DroppedFile.h"
#include "ui/HouseStyle.h"
#include "ui/WindowFrame.h"
#include "windows/PlanDialog.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPushButton>
#include <QShortcut>
#include <QStyleHints>

TForm2* Form2 = nullptr;

TForm2::TForm2()
    : loupe(*this, [this] { return ButtLoupe->isChecked(); }, [this] { return ShownMapArea(); })
{
    SetUpWindow(this, QStringLiteral("Fond de Carte"), 224, 115, 1042, 779,
                PixelFont(QStringLiteral("MS Sans Serif"), 11), HouseBlue);
    const QFont times13 = PixelFont(QStringLiteral("Times New Roman"), 13);
    const QFont times16Bold = PixelFont(QStringLiteral("Times New Roman"), 16, true);
    const QFont sans13 = PixelFont(QStringLiteral("MS Sans Serif"), 13);

    BitBtnFermer = new TCloseButton(this, QStringLiteral("Pour voir les résultats"), 880, 712, 145, 25);
    BitBtnFermer->setCursor(CursorOf(crDefault));
    BitBtnFermer->setToolTip(QStringLiteral("Fermer la carte ; les résultats s'affichent dans la fenêtre principale"));

    Panel1 = MakePanel(this, 816, 144, 209, 273, clSkyBlue);
    Label4 = MakeLabel(Panel1, QStringLiteral("2 - Pour chaque usage du sol"), 8, 8, times16Bold, HouseBlue);
    NameAfter(Panel1, Label4);
    Label5 = MakeLabel(Panel1, QStringLiteral("1)- Indiquez le type sondé"), 26, 32, times13, HouseBlue);
    Label2 = MakeLabel(Panel1, QStringLiteral(" Quel usage du sol ?"), 56, 48,
                       PixelFont(QStringLiteral("MS Sans Serif"), 11), HouseBlue);
    EdLandUse = MakeEditBox(Panel1, 32, 64, 137, 21, HouseBlue);
    NameAfter(EdLandUse, Label2);
    EdLandUse->setToolTip(QStringLiteral("Le nom de l'usage du sol à sonder, par exemple trafic"));
    Label6 = MakeLabel(Panel1, QStringLiteral("2)-  cliquez sur \"Sonder\""), 26, 96, times13, HouseBlue);
    ButtSonder = MakeButton(Panel1, QStringLiteral("Sonder"), 64, 120, 65, 25);
    ButtSonder->setToolTip(QStringLiteral("Commencer à cliquer les points de cet usage du sol"));
    Label9 = MakeLabel(Panel1, QStringLiteral("3 - Cliquez sur les points "), 24, 152, times13, HouseBlue);
    Label3 = MakeLabel(Panel1, QStringLiteral("Points relevés :"), 8, 176, sans13, HouseBlue);
    EdNBPoints = MakeEditBox(Panel1, 112, 176, 49, 21, HouseBlue);
    NameAfter(EdNBPoints, Label3);
    EdNBPoints->setToolTip(QStringLiteral("Le nombre de points cliqués pour cet usage du sol"));
    Label8 = MakeLabel(Panel1, QStringLiteral("4)- autre usage ?"), 26, 208, times13, HouseBlue);
    ButtFini = MakeButton(Panel1, QStringLiteral("Autre usage ou Terminer"), 32, 232, 137, 25);
    ButtFini->setToolTip(QStringLiteral("Clore cet usage du sol, pour en sonder un autre ou finir"));

    Panel2 = MakePanel(this, 816, 8, 209, 129, clSilver);
    Label10 = MakeLabel(Panel2, QStringLiteral("1 - Echantillonner "), 8, 8, times16Bold, HouseBlue);
    NameAfter(Panel2, Label10);
    Label1 = MakeLabel(Panel2, QStringLiteral("Taille des Points (en pixels)"), 8, 32, sans13, HouseBlue);
    TaillePt = MakeEditBox(Panel2, 72, 56, 41, 21, HouseBlue);
    NameAfter(TaillePt, Label1);
    TaillePt->setToolTip(QStringLiteral("Le diamètre des points rouges, en pixels de la carte"));
    // Beside the point size, the other choice "Go" reads: how its points are laid.
    ButtPlan = MakeButton(Panel2, QStringLiteral("&Plan…"), 124, 56, 77, 21);
    ButtPlan->setAccessibleName(QStringLiteral("Plan d'échantillonnage"));
    BtnCalcul = MakeButton(Panel2, QStringLiteral("Go"), 48, 88, 97, 25);
    BtnCalcul->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 16));
    BtnCalcul->setToolTip(QStringLiteral("Tirer les points d'échantillonnage au hasard sur la carte"));

    // The session, in the free space under the steps: the seed that gives a whole class the
    // same points, how far the classifying has gone, undo, the magnifier, the session's file
    // and the picture of the map.
    Panel3 = MakePanel(this, 816, 424, 209, 283, clMoneyGreen);
    Label11 = MakeLabel(Panel3, QStringLiteral("3 - Séance"), 8, 8, times16Bold, HouseBlue);
    NameAfter(Panel3, Label11);
    Label12 = MakeLabel(Panel3, QStringLiteral("1)- &Graine :"), 8, 40, times13, HouseBlue);
    EdGraine = MakeEditBox(Panel3, 80, 38, 113, 21, HouseBlue);
    Label12->setBuddy(EdGraine);
    EdGraine->setToolTip(QStringLiteral("Vide : des points nouveaux à chaque « Go » ; un nombre : les mêmes points "
                                        "pour toute la classe"));
    // The student's name, kept in the session so that the teacher's class window knows whose
    // work it is.
    LabelEleve = MakeLabel(Panel3, QStringLiteral("Élè&ve :"), 8, 66, sans13, HouseBlue);
    EdEleve = MakeEditBox(Panel3, 80, 64, 113, 21, HouseBlue);
    LabelEleve->setBuddy(EdEleve);
    EdEleve->setAccessibleName(QStringLiteral("Élève"));
    EdEleve->setToolTip(QStringLiteral("Votre nom : il est enregistré avec la séance, pour que le professeur "
                                       "reconnaisse votre travail"));
    // The seed the sample on the map was drawn from, apart from the box: what the user typed
    // stays theirs, and an empty box draws anew at every "Go". Selectable, to be copied or read
    // out to the class.
    LabelGraineUtilisee = MakeLabel(Panel3, QStringLiteral("Graine utilisée :"), 8, 92, sans13, HouseBlue);
    EdGraineUtilisee = MakeEditBox(Panel3, 112, 90, 81, 21, HouseBlue);
    EdGraineUtilisee->setReadOnly(true);
    // Read only, and seen to be: the ground of a box that only shows a value.
    QPalette shownOnly = EdGraineUtilisee->palette();
    shownOnly.setColor(QPalette::Base, shownOnly.color(QPalette::Button));
    EdGraineUtilisee->setPalette(shownOnly);
    EdGraineUtilisee->setAccessibleName(QStringLiteral("Graine utilisée"));
    EdGraineUtilisee->setToolTip(QStringLiteral("La graine dont les points de la carte sont tirés : "
                                                "la taper dans « Graine » redonne les mêmes points"));
    LabelGraineUtilisee->setBuddy(EdGraineUtilisee);
    LabelProgress = MakeLabel(Panel3, QString(), 8, 116, sans13, HouseBlue);
    LabelProgress->setFixedSize(193, 32);
    LabelProgress->setWordWrap(true);
    ButtAnnuler = MakeButton(Panel3, QStringLiteral("&Annuler"), 8, 148, 93, 23);
    ButtAnnuler->setToolTip(QStringLiteral("Annuler le dernier point classé (Ctrl+Z)"));
    ButtRetablir = MakeButton(Panel3, QStringLiteral("&Rétablir"), 108, 148, 93, 23);
    ButtRetablir->setToolTip(QStringLiteral("Rétablir le dernier point annulé (Ctrl+Maj+Z ou Ctrl+Y)"));
    ButtLoupe = MakeButton(Panel3, QStringLiteral("&Loupe (Maj)"), 8, 174, 93, 23);
    ButtLoupe->setCheckable(true);
    ButtLoupe->setToolTip(QStringLiteral("Une loupe suit le pointeur sur la carte (ou tenez la touche Maj)"));
    ButtVerifier = MakeButton(Panel3, QStringLiteral("Vér&ifier"), 108, 174, 93, 23);
    ButtVerifier->setCheckable(true);
    ButtVerifier->setAccessibleName(QStringLiteral("Vérifier mes points"));
    ButtVerifier->setToolTip(QStringLiteral("Entourer de rouge vos points classés autrement que la légende de la "
                                            "carte (la légende vient avec la séance du professeur)"));
    ButtEnregistrer = MakeButton(Panel3, QStringLiteral("&Enregistrer la séance…"), 8, 200, 193, 23);
    ButtEnregistrer->setToolTip(QStringLiteral("Enregistrer les points et leur classement dans un fichier (Ctrl+S)"));
    ButtOuvrir = MakeButton(Panel3, QStringLiteral("&Ouvrir une séance…"), 8, 226, 193, 23);
    ButtOuvrir->setToolTip(QStringLiteral("Reprendre une séance enregistrée (Ctrl+O)"));
    ButtExporterImage = MakeButton(Panel3, QStringLiteral("E&xporter l'image…"), 8, 252, 193, 23);
    ButtExporterImage->setToolTip(QStringLiteral("Enregistrer la carte avec ses points en image PNG"));

    // Under the map, its scale: what a pixel covers, and the map's area.
    Panel4 = MakePanel(this, 10, 716, 209, 34, clSilver);
    Panel4->setAccessibleName(QStringLiteral("Échelle de la carte"));
    ButtEchelle = MakeButton(Panel4, QStringLiteral("É&chelle…"), 4, 4, 77, 25);
    ButtEchelle->setToolTip(QStringLiteral("Donner l'échelle de la carte : une barre d'échelle mesurée ou sa largeur "
                                           "réelle ; les résultats donnent alors les aires"));
    LabelEchelle = MakeLabel(Panel4, QString(), 86, 2, PixelFont(QStringLiteral("MS Sans Serif"), 11), HouseBlue);
    LabelEchelle->setFixedSize(119, 30);
    LabelEchelle->setWordWrap(true);

    Panel5 = MakePanel(this, 225, 716, 209, 34, clSilver);
    Panel5->setAccessibleName(QStringLiteral("Points pour un SIG"));
    ButtExporterPoints = MakeButton(Panel5, QStringLiteral("Exporter les poin&ts…"), 4, 4, 201, 25);
    ButtExporterPoints->setToolTip(QStringLiteral("Écrire chaque point et son usage du sol pour un SIG (GeoPackage, "
                                                  "GeoJSON) ou un tableur (CSV)"));

    // The close button first, then step 2, then step 1; in step 2 the count box comes last.
    setTabOrder(BitBtnFermer, EdLandUse);
    setTabOrder(EdLandUse, ButtSonder);
    setTabOrder(ButtSonder, ButtFini);
    setTabOrder(ButtFini, EdNBPoints);
    setTabOrder(EdNBPoints, TaillePt);
    setTabOrder(TaillePt, ButtPlan);
    setTabOrder(ButtPlan, BtnCalcul);
    setTabOrder(BtnCalcul, EdGraine);
    setTabOrder(EdGraine, EdEleve);
    setTabOrder(EdEleve, EdGraineUtilisee);
    setTabOrder(EdGraineUtilisee, ButtAnnuler);
    setTabOrder(ButtAnnuler, ButtRetablir);
    setTabOrder(ButtRetablir, ButtLoupe);
    setTabOrder(ButtLoupe, ButtVerifier);
    setTabOrder(ButtVerifier, ButtEnregistrer);
    setTabOrder(ButtEnregistrer, ButtOuvrir);
    setTabOrder(ButtOuvrir, ButtExporterImage);
    setTabOrder(ButtExporterImage, ButtEchelle);
    setTabOrder(ButtEchelle, ButtExporterPoints);

    // A press on the map takes the keyboard from the boxes, so that Ctrl+Z then undoes the
    // count rather than the typing.
    setFocusPolicy(Qt::ClickFocus);
    const auto shortcut = [this](const QKeySequence& keys, void (TForm2::*handler)()) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, Guarded(this, handler));
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), &TForm2::ButtAnnulerClick);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &TForm2::ButtRetablirClick);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Y), &TForm2::ButtRetablirClick);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_S), &TForm2::ButtEnregistrerClick);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_O), &TForm2::ButtOuvrirClick);

    connect(ButtPlan, &QPushButton::clicked, this, Guarded(this, &TForm2::ButtPlanClick));
    connect(BtnCalcul, &QPushButton::clicked, this, Guarded(this, &TForm2::BtnCalculClick));
    connect(EdLandUse, &QLineEdit::textChanged, this, Guarded(this, &TForm2::EdLandUseChange));
    connect(ButtSonder, &QPushButton::clicked, this, Guarded(this, &TForm2::ButtSonderClick));
    connect(ButtFini, &QPushButton::clicked, this, Guarded(this, &TForm2::ButtFiniClick));
    connect(ButtAnnuler, &QPushButton::clicked, this, Guarded(this, &TForm2::ButtAnnulerClick));
    connect(ButtRetablir, &QPushButton::clicked, this, Guarded(this, &TForm2::ButtRetablirClick));
    connect(ButtEnregistrer, &QPushButton::clicked, this, Guarded(this, &TForm2::ButtEnregistrerClick));
    connect(ButtOuvrir, &QPushButton::clicked, this, Guarded(this, &TForm2::ButtOuvrirClick));
    connect(ButtExporterImage, &QPushButton::clicked, this, Guarded(this, &TForm2::ButtExporterImageClick));
    connect(ButtLoupe, &QPushButton::toggled, this, Guarded(this, &TForm2::ButtLoupeClick));
    connect(ButtVerifier, &QPushButton::clicked, this, Guarded(this, &TForm2::ButtVerifierClick));
    connect(ButtEchelle, &QPushButton::clicked, this, Guarded(this, &TForm2::ButtEchelleClick));
    connect(ButtExporterPoints, &QPushButton::clicked, this, Guarded(this, &TForm2::ButtExporterPointsClick));
    connect(EdEleve, &QLineEdit::textEdited, this, Guarded(this, &TForm2::EdEleveChange));
    // The lens follows the pointer without a button held. The controls tell when the pointer
    // reaches one of them, which no move on the window does, and pass on Shift.
    setMouseTracking(true);
    for (QWidget* control : findChildren<QWidget*>())
        control->installEventFilter(this);
    setAcceptDrops(true);
    connect(Survey, &TSurveyDocument::Changed, this, &TForm2::ShowSurvey);
    ChooseDesign(chosenDesign);
    ShowSurvey();
}

bool TForm2::TakeMapFile(const QString& fileName)
{
    // Closing the window loses nothing: the survey waits for it to be shown again, and it is
    // that showing, or another map, that drops it.
    const bool newSurvey = isHidden() || FullFileName(PictureFilePath(fileName)) != Survey->MapName();
    if (newSurvey && !ConfirmLeavingSurvey())
        return false;
    mapFileName = fileName;
    if (isHidden())
        Survey->BeginOnNextDrawing();
    return true;
}

void TForm2::showEvent(QShowEvent* event)
{
    // A show asked by the program, not a restore from minimised: a failing map is worth
    // reporting again.
    if (!event->spontaneous())
        shownMap.ShownAnew();
    QWidget::showEvent(event);
}

void TForm2::closeEvent(QCloseEvent* event)
{
    // A photo still being read whole is read again when the window is shown anew.
    shownMap.WindowClosed();
    QWidget::closeEvent(event);
}

void TForm2::paintEvent(QPaintEvent* event)
{
    Canvas.Paint(event->region(), [this] { FormPaint(); });
    if (!mapShown)
        return;
    loupe.Paint(event->region(), shownMap.Sharpest().Image(), ShownMapArea(), [this](const QRectF& area) {
        std::vector<MagnifiedMark> marks;
        for (const SurveyMark& mark : SurveyTally.Marks()) {
            const TFigure figure = FigureOf(mark);
            const QRectF box = Canvas.View().ToWindow(QRectF(figure.Box));
            if (area.intersects(box))
                marks.push_back({box, ColourToRGB(figure.BrushColour)});
        }
        return marks;
    });
}

void TForm2::FormPaint()
{
    // Until the map is drawn, the survey's points stay off the screen and wait for it.
    mapShown = false;
    // A photo may be decoded reduced, no smaller than the screen shows it drawn.
    shownMap.Show(mapFileName, [this](const TBitmap& map, QSize mapSize, const QString& mapName) {
        // The old survey's marks go before a new map is drawn.
        if (Survey->MapDrawn(mapName, mapSize)) {
            TaillePt->setText(IntegerText(5));
            ButtSonder->setEnabled(false);
            StopChecking();
            StopMeasuring();
            ReadMapScale(mapName, mapSize);
            // A legend that cannot be read is told when "Vérifier" asks for it.
            try {
                Survey->KnowLegend(ReadLegendBeside(mapName));
            } catch (const Exception&) {
            }
        }
        MapRect = {MapOrigin.x(), MapOrigin.y(), MapOrigin.x() + SurveyTally.MapWidth,
                   MapOrigin.y() + SurveyTally.MapHeight};
        Canvas.DrawScaled(MapRect, map, &markFigures);
        // A picture far wider than high can come out without a single row.
        mapShown = SurveyTally.MapWidth > 0 && SurveyTally.MapHeight > 0;
    }, [this](QSize mapSize) { return DrawnMapSize(mapSize) * devicePixelRatioF(); });
}

QRect TForm2::MapArea() const
{
    return QRect(MapRect.Left, MapRect.Top, MapRect.Width(), MapRect.Height());
}

void TForm2::ButtPlanClick()
{
    TPlanDialog dialog(chosenDesign, this);
    if (dialog.exec() == QDialog::Accepted)
        ChooseDesign(dialog.Design());
}

void TForm2::ChooseDesign(const SampleDesign& design)
{
    chosenDesign = design;
    ButtPlan->setToolTip(QStringLiteral("Plan d'échantillonnage du prochain « Go » : %1").arg(DesignText(design).toLower()));
}

void TForm2::BtnCalculClick()
{
    const int32_t sampleSize = SurveyTally.SampleSize;
    if (sampleSize <= 0) {
        ShowNotice(QStringLiteral("Vous devez entrer le nombre de points d'echantillon !"));
        return;
    }
    if (sampleSize > MaxSampleSize) {
        ShowNotice(QStringLiteral("Vous devez entrer un nombre de points d'échantillon compris "
                                  "entre 1 et %1 !")
                       .arg(MaxSampleSize));
        return;
    }
    if (!mapShown) {
        ShowNotice(MapNeeded);
        return;
    }
    // Every box is read before anything is asked or erased: a typing mistake must not cost the
    // points already classified. A seed typed gives the same points on every machine; none, the
    // clock's.
    const std::optional<int32_t> pointSize = TypedPointSize();
    if (!pointSize)
        return;
    const std::optional<uint32_t> typedSeed = TypedSeed(EdGraine->text());
    if (const std::optional<QString> misfit =
            DesignMisfit(chosenDesign, sampleSize, QSize(SurveyTally.MapWidth, SurveyTally.MapHeight))) {
        ShowNotice(*misfit);
        return;
    }
    // The points counted so far belong to the sample that goes: the results must never count
    // points that are no longer on the map.
    if (SurveyTally.PointsProbed > 0
        && AskQuestion(QStringLiteral("Un nouveau tirage efface les points déjà classés. Continuer ?"),
                       {QStringLiteral("Oui"), QStringLiteral("Non")}, 1)
               != 0)
        return;
    Survey->DrawSample(*pointSize, typedSeed, chosenDesign);
    if (!SurveyTally.Marks().empty()) {
        const QPoint last = MapOrigin + SurveyTally.Marks().back().Place;
        Canvas.MovePenTo(last.x(), last.y());
    }
    Canvas.Invalidate(MapArea());
    EdLandUse->setText(QString());
}

std::optional<int32_t> TForm2::TypedPointSize() const
{
    const QString typed = TaillePt->text();
    const int32_t size = typed.isEmpty() ? 5 : ParseInteger(typed);
    // A point of no size draws nothing, and a student would count points no one can see.
    if (size < 1) {
        ShowNotice(QStringLiteral("La taille des points doit être d'au moins 1 pixel !"));
        return std::nullopt;
    }
    return size;
}

void TForm2::EdLandUseChange()
{
    ButtSonder->setEnabled(true);
}

void TForm2::ButtSonderClick()
{
    if (!Survey->BeginLandUse(EdLandUse->text()))
        ShowNotice(QStringLiteral("Vous ne pouvez pas sonder plus de 20 usages du sol !"));
}

void TForm2::mousePressEvent(QMouseEvent* event)
{
    // A press that a child control let through (a right press on a button, say) is not a
    // press on the map.
    const QPoint at = event->position().toPoint();
    if (childAt(at) || ContinuesMultiClick(*event))
        return;
    RunHandler([this, at] { Image1MouseDown(at.x(), at.y()); });
}

void TForm2::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Qt reports the second press of a double-click here. The first press counted the point:
    // the second must not count a neighbour of it.
    ContinuesMultiClick(*event);
    event->accept();
}

// Qt tells a double click, not a triple one: a third quick press close by would count a
// neighbour of the point the first counted. A press within the double-click time and distance
// of the press before it goes on the same click.
bool TForm2::ContinuesMultiClick(const QMouseEvent& event)
{
    const QStyleHints* hints = QGuiApplication::styleHints();
    const QPoint at = event.position().toPoint();
    const bool continues = pressedBefore && event.timestamp() - lastPressTime < ulong(hints->mouseDoubleClickInterval())
                           && (at - lastPressAt).manhattanLength() <= hints->mouseDoubleClickDistance();
    pressedBefore = true;
    lastPressTime = event.timestamp();
    lastPressAt = at;
    return continues;
}

void TForm2::dragEnterEvent(QDragEnterEvent* event)
{
    if (DroppedLocalFile(event->mimeData()))
        event->acceptProposedAction();
}

void TForm2::dropEvent(QDropEvent* event)
{
    const std::optional<QString> file = DroppedLocalFile(event->mimeData());
    if (!file)
        return;
    event->acceptProposedAction();
    // Drawn under its name, a new map begins a new survey, as the draw button does; the main
    // window's box names it too.
    RunHandler([this, &file] {
        if (!TakeMapFile(*file))
            return;
        emit MapFileDropped(*file);
        update();
    });
}

void TForm2::Image1MouseDown(int x, int y)
{
    if (measuringScale)
        return TakeScaleEnd(Canvas.View().DesignedPixelAt(QPoint(x, y)) - MapOrigin);
    // A survey shown anew has no land use begun, even with probing on: a count would belong
    // to no land use and lower "Autres" unseen.
    if (!SurveyTally.ProbingOn || SurveyTally.LandUseCount < 1) {
        ShowNotice(QStringLiteral("Appuyez sur le bouton \"Sonder\""));
        return;
    }
    // The survey waits while its map cannot be drawn: nothing is counted blind.
    if (!mapShown) {
        ShowNotice(MapNeeded);
        return;
    }
    setCursor(CursorOf(crCross));
    // A press counts the sample point it falls on or beside, once; anywhere else it counts
    // nothing and says so.
    const int32_t point = SurveyTally.DesignatedPoint(Canvas.View().DesignedPixelAt(QPoint(x, y)) - MapOrigin);
    if (!Survey->CountPoint(point)) {
        QApplication::beep();
        return;
    }
    const TFigure dot = FigureOf(SurveyTally.Marks().back());
    Canvas.MovePenTo(dot.Box.left(), dot.Box.top());
    Canvas.Invalidate(dot.Visible);
}

void TForm2::EdEleveChange()
{
    Survey->NameStudent(EdEleve->text());
}

void TForm2::ButtFiniClick()
{
    Survey->FinishLandUse();
    EdNBPoints->setText(IntegerText(0));
    EdLandUse->setText(QString());
    ButtSonder->setEnabled(false);
}

void TForm2::ButtAnnulerClick()
{
    if (!SurveyTally.CanUndo()) {
        QApplication::beep();
        return;
    }
    // The dot goes: its box is drawn again from the picture and the points under it.
    const QRect dot = FigureOf(SurveyTally.Marks().back()).Visible;
    Survey->Undo();
    Canvas.Invalidate(dot);
}

void TForm2::ButtRetablirClick()
{
    if (!Survey->Redo()) {
        QApplication::beep();
        return;
    }
    Canvas.Invalidate(FigureOf(SurveyTally.Marks().back()).Visible);
}

void TForm2::ShowSurvey()
{
    // The count box stays empty until the first "Sonder" or "Autre usage ou Terminer", and shows
    // the open land use's count from then on: 0 when none is open.
    if (SurveyTally.LandUseCount > 0 || !EdNBPoints->text().isEmpty())
        EdNBPoints->setText(IntegerText(SurveyTally.OpenUseCount()));
    const int32_t counted = SurveyTally.PointsProbed;
    const int32_t points = SurveyTally.SamplePoints();
    QString progress = QStringLiteral("Points classés : %1 / %2").arg(IntegerText(counted), IntegerText(points));
    if (points > 0 && counted == points)
        progress += QStringLiteral("\nTous les points sont classés.");
    // A grid or segments place about the number asked, never exactly: say how many.
    else if (points > 0 && SurveyTally.Design.Kind != DesignKind::SimpleRandom)
        progress += QStringLiteral("\nN = %1 points placés").arg(IntegerText(points));
    LabelProgress->setText(progress);
    EdGraineUtilisee->setText(points > 0 ? QString::number(SurveyTally.Seed) : QString());
    // Only a name that differs is put back: the box keeps its cursor while the user types.
    if (SoundStudentName(EdEleve->text()) != SurveyTally.Student)
        EdEleve->setText(SurveyTally.Student);
    ButtAnnuler->setEnabled(SurveyTally.CanUndo());
    ButtRetablir->setEnabled(SurveyTally.CanRedo());
    CheckPoints();
    ShowScale();
}

TFigure TForm2::FigureOf(const SurveyMark& mark) const
{
    const MarkBox box = SurveyTally.BoxOf(mark, MapOrigin);
    const TColor colour = mark.What == SurveyMark::Kind::CountedPoint ? clBlue : clRed;
    return EllipseFigure(box.Left, box.Top, box.Right, box.Bottom, colour, colour, MapRect);
}

quint64 TForm2::MarkFigures::Generation() const
{
    // Both only grow: the sum changes whenever either does.
    return SurveyTally.Generation() + window.checkGeneration;
}

size_t TForm2::MarkFigures::Count() const
{
    return SurveyTally.Marks().size() + 2 * window.mistakes.size() + window.scaleEnds.size();
}

std::vector<QLine> TForm2::BlockBoundaries() const
{
    // Each block's left and top edges that lie inside the map: every boundary once, on the
    // first column or row of the block after it.
    std::vector<QLine> lines;
    if (SurveyTally.Design.Kind != DesignKind::Stratified || SurveyTally.SamplePoints() == 0)
        return lines;
    for (const QRect& block : MapBlocks(QSize(SurveyTally.MapWidth, SurveyTally.MapHeight), SurveyTally.Design.Blocks)) {
        const QRect shown = block.translated(MapOrigin);
        if (block.left() > 0)
            lines.emplace_back(shown.topLeft(), shown.bottomLeft());
        if (block.top() > 0)
            lines.emplace_back(shown.topLeft(), shown.topRight());
    }
    return lines;
}

std::vector<QLine> TForm2::MarkFigures::Guides() const
{
    return window.BlockBoundaries();
}

TFigure TForm2::MarkFigures::Figure(size_t index) const
{
    const size_t marks = SurveyTally.Marks().size();
    if (index < marks)
        return window.FigureOf(SurveyTally.Marks()[index]);
    const size_t rings = 2 * window.mistakes.size();
    if (index < marks + rings)
        return window.RingOf(window.mistakes[(index - marks) / 2], (index - marks) % 2 == 0);
    const QPoint end = window.scaleEnds[index - marks - rings] + MapOrigin;
    return EllipseFigure(end.x() - 3, end.y() - 3, end.x() + 4, end.y() + 4, clBlack, clYellow, window.MapRect);
}
