// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "windows/Carte2.h"

#include "core/Errors.h"
#include "core/FloatArith.h"
#include "core/Numbers.h"
#include "core/SampleGenerator.h"
#include "core/SurveyFile.h"
#include "core/SurveyLegend.h"
#include "core/SurveyTally.h"
#include "picture/DataFolder.h"
#include "picture/Magnifier.h"
#include "picture/PictureFile.h"
#include "picture/SavedFile.h"
#include "ui/Boxes.h"
#include "ui/Dispatch.h"
#include "ui/DroppedFile.h"
#include "ui/FileDialogs.h"
#include "ui/HouseStyle.h"
#include "ui/MapPicture.h"
#include "ui/WindowFrame.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStyleHints>
#include <algorithm>
#include <cmath>
#include <limits>

TForm2* Form2 = nullptr;

namespace {

const QString mapNeeded = QStringLiteral("La carte doit être dessinée !");
constexpr QPoint mapOrigin = TForm2::MapOrigin;

// The edges of a point's box, kept in range whatever size was typed.
int Saturated(int64_t value)
{
    return static_cast<int>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                std::numeric_limits<int32_t>::max()));
}

int32_t RoundHalfEven(long double value)
{
    return static_cast<int32_t>(std::nearbyint(value));
}

// The map is drawn 600 pixels wide, or 700 high when it is at least as high as wide. The ratio
// passes through a double, the fixed side is divided in extended precision.
QSize DrawnMapSize(int pictureWidth, int pictureHeight)
{
    if (pictureWidth > pictureHeight) {
        const double ratio = static_cast<double>(Divide(pictureWidth, pictureHeight));
        return QSize(600, RoundHalfEven(Divide(600, ratio)));
    }
    const double ratio = static_cast<double>(Divide(pictureHeight, pictureWidth));
    return QSize(RoundHalfEven(Divide(700, ratio)), 700);
}

}  // namespace

TForm2::TForm2()
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
    // The seed the sample on the map was drawn from, apart from the box: what the user typed
    // stays theirs, and an empty box draws anew at every "Go". Selectable, to be copied or read
    // out to the class.
    LabelGraineUtilisee = MakeLabel(Panel3, QStringLiteral("Graine utilisée :"), 8, 66, sans13, HouseBlue);
    EdGraineUtilisee = MakeEditBox(Panel3, 112, 64, 81, 21, HouseBlue);
    EdGraineUtilisee->setReadOnly(true);
    // Read only, and seen to be: the ground of a box that only shows a value.
    QPalette shownOnly = EdGraineUtilisee->palette();
    shownOnly.setColor(QPalette::Base, shownOnly.color(QPalette::Button));
    EdGraineUtilisee->setPalette(shownOnly);
    EdGraineUtilisee->setAccessibleName(QStringLiteral("Graine utilisée"));
    EdGraineUtilisee->setToolTip(QStringLiteral("La graine dont les points de la carte sont tirés : "
                                                "la taper dans « Graine » redonne les mêmes points"));
    LabelGraineUtilisee->setBuddy(EdGraineUtilisee);
    LabelProgress = MakeLabel(Panel3, QString(), 8, 90, sans13, HouseBlue);
    LabelProgress->setFixedSize(193, 32);
    LabelProgress->setWordWrap(true);
    ButtAnnuler = MakeButton(Panel3, QStringLiteral("&Annuler"), 8, 122, 93, 25);
    ButtAnnuler->setToolTip(QStringLiteral("Annuler le dernier point classé (Ctrl+Z)"));
    ButtRetablir = MakeButton(Panel3, QStringLiteral("&Rétablir"), 108, 122, 93, 25);
    ButtRetablir->setToolTip(QStringLiteral("Rétablir le dernier point annulé (Ctrl+Maj+Z ou Ctrl+Y)"));
    ButtLoupe = MakeButton(Panel3, QStringLiteral("&Loupe (Maj)"), 8, 154, 193, 25);
    ButtLoupe->setCheckable(true);
    ButtLoupe->setToolTip(QStringLiteral("Une loupe suit le pointeur sur la carte (ou tenez la touche Maj)"));
    ButtEnregistrer = MakeButton(Panel3, QStringLiteral("&Enregistrer la séance…"), 8, 186, 193, 25);
    ButtEnregistrer->setToolTip(QStringLiteral("Enregistrer les points et leur classement dans un fichier (Ctrl+S)"));
    ButtOuvrir = MakeButton(Panel3, QStringLiteral("&Ouvrir une séance…"), 8, 218, 193, 25);
    ButtOuvrir->setToolTip(QStringLiteral("Reprendre une séance enregistrée (Ctrl+O)"));
    ButtExporterImage = MakeButton(Panel3, QStringLiteral("E&xporter l'image…"), 8, 250, 193, 25);
    ButtExporterImage->setToolTip(QStringLiteral("Enregistrer la carte avec ses points en image PNG"));

    // The close button first, then step 2, then step 1; in step 2 the count box comes last.
    setTabOrder(BitBtnFermer, EdLandUse);
    setTabOrder(EdLandUse, ButtSonder);
    setTabOrder(ButtSonder, ButtFini);
    setTabOrder(ButtFini, EdNBPoints);
    setTabOrder(EdNBPoints, TaillePt);
    setTabOrder(TaillePt, BtnCalcul);
    setTabOrder(BtnCalcul, EdGraine);
    setTabOrder(EdGraine, EdGraineUtilisee);
    setTabOrder(EdGraineUtilisee, ButtAnnuler);
    setTabOrder(ButtAnnuler, ButtRetablir);
    setTabOrder(ButtRetablir, ButtLoupe);
    setTabOrder(ButtLoupe, ButtEnregistrer);
    setTabOrder(ButtEnregistrer, ButtOuvrir);
    setTabOrder(ButtOuvrir, ButtExporterImage);

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
    // The lens follows the pointer without a button held. The controls tell when the pointer
    // reaches one of them, which no move on the window does, and pass on Shift.
    setMouseTracking(true);
    for (QWidget* control : findChildren<QWidget*>())
        control->installEventFilter(this);
    setAcceptDrops(true);
    ShowSessionState();
}

bool TForm2::TakeMapFile(const QString& fileName)
{
    // Closing the window loses nothing: the survey waits for it to be shown again, and it is
    // that showing, or another map, that drops it.
    const bool newSurvey = isHidden() || FullFileName(PictureFilePath(fileName)) != surveyMap;
    if (newSurvey && !ConfirmLeavingSurvey())
        return false;
    mapFileName = fileName;
    surveyDue = surveyDue || isHidden();
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

void TForm2::paintEvent(QPaintEvent* event)
{
    Canvas.Paint(event->region(), [this] { FormPaint(); });
    PaintLoupe(event->region());
}

void TForm2::FormPaint()
{
    // Until the map is drawn, the survey's points stay off the screen and wait for it.
    mapShown = false;
    shownMap.Show(mapFileName, [this](const TBitmap& map, const QString& mapName) {
        ScaleToMap(map.Width(), map.Height());
        MapRect = {mapOrigin.x(), mapOrigin.y(), mapOrigin.x() + SurveyTally.MapWidth,
                   mapOrigin.y() + SurveyTally.MapHeight};
        // A survey belongs to the map's name: the same file rewritten, touched or put back keeps
        // its survey, and only another name or a new showing of the window begins a new one.
        // The old survey's marks go before the new map is drawn.
        if (surveyDue || surveyMap != mapName)
            BeginSurvey(mapName);
        Canvas.DrawScaled(MapRect, map, &markFigures);
        // A picture far wider than high can come out without a single row.
        mapShown = SurveyTally.MapWidth > 0 && SurveyTally.MapHeight > 0;
    });
}

QRect TForm2::MapArea() const
{
    return QRect(MapRect.Left, MapRect.Top, MapRect.Width(), MapRect.Height());
}

void TForm2::ScaleToMap(int pictureWidth, int pictureHeight)
{
    // Both divisions come before anything is stored, so a failing one leaves the old size.
    const QSize drawn = DrawnMapSize(pictureWidth, pictureHeight);
    SurveyTally.MapWidth = drawn.width();
    SurveyTally.MapHeight = drawn.height();
}

void TForm2::BeginSurvey(const QString& mapName)
{
    // The survey that goes was saved, let go, or had nothing counted.
    journal.Remove();
    surveyMap = mapName;
    surveyMapSha.clear();
    TaillePt->setText(IntegerText(5));
    SurveyTally.BeginSurvey();
    ButtSonder->setEnabled(false);
    surveyDue = false;
    ShowSessionState();
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
                                  "entre 1 et 10000 !"));
        return;
    }
    if (!mapShown) {
        ShowNotice(mapNeeded);
        return;
    }
    const int32_t mapWidth = SurveyTally.MapWidth;
    const int32_t mapHeight = SurveyTally.MapHeight;

    // Every box is read before anything is asked or erased: a typing mistake must not cost the
    // points already classified.
    const std::optional<int32_t> pointSize = TypedPointSize();
    if (!pointSize)
        return;
    // A seed typed in the box gives the same points on every machine; none, the clock's.
    const std::optional<uint32_t> typedSeed = TypedSeed(EdGraine->text());
    // The points counted so far belong to the sample that goes: the results must never count
    // points that are no longer on the map.
    if (SurveyTally.PointsProbed > 0
        && AskQuestion(QStringLiteral("Un nouveau tirage efface les points déjà classés. Continuer ?"),
                       {QStringLiteral("Oui"), QStringLiteral("Non")}, 1)
               != 0)
        return;
    const bool countsDropped = SurveyTally.PointsProbed > 0;
    SurveyTally.BeginSample();
    Canvas.Invalidate(MapArea());
    SurveyTally.Seed = SeedOrNew(typedSeed);
    GeneratorState = SurveyTally.Seed;
    for (int32_t placed = 0; placed < sampleSize; ++placed) {
        const QPoint at = QPoint(MapRect.Left, MapRect.Top) + SamplePlace(GeneratorState, uint32_t(mapWidth), uint32_t(mapHeight));
        DrawSamplePoint(at.x(), at.y(), *pointSize);
    }
    // From here on the classification is worth keeping through a crash, against the map as it
    // is now.
    surveyMapSha.clear();
    journal.Remove();
    KeepJournal();
    EdLandUse->setText(QString());
    if (countsDropped)
        EdNBPoints->setText(IntegerText(SurveyTally.OpenUseCount()));
    ShowSessionState();
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

// The sample point at the window point (x, y) joins the survey; the next paint draws it.
void TForm2::DrawSamplePoint(int x, int y, int32_t size)
{
    SurveyTally.AddSamplePoint(QPoint(x, y) - mapOrigin, size);
    Canvas.MovePenTo(x, y);
    Canvas.Invalidate(FigureOf(SurveyTally.Marks().back()).Visible);
}

void TForm2::EdLandUseChange()
{
    ButtSonder->setEnabled(true);
}

void TForm2::ButtSonderClick()
{
    KeepJournal();
    if (!SurveyTally.BeginLandUse(EdLandUse->text())) {
        ShowNotice(QStringLiteral("Vous ne pouvez pas sonder plus de 20 usages du sol !"));
        return;
    }
    journal.Record(JournalOperation::LandUseBegun(SurveyTally.LandUse(SurveyTally.LandUseCount).Name));
    EdNBPoints->setText(IntegerText(SurveyTally.OpenUseCount()));
    ShowSessionState();
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
    // A survey shown anew has no land use begun, even with probing on: a count would belong
    // to no land use and lower "Autres" unseen.
    if (!SurveyTally.ProbingOn || SurveyTally.LandUseCount < 1) {
        ShowNotice(QStringLiteral("Appuyez sur le bouton \"Sonder\""));
        return;
    }
    // The survey waits while its map cannot be drawn: nothing is counted blind.
    if (!mapShown) {
        ShowNotice(mapNeeded);
        return;
    }
    setCursor(CursorOf(crCross));
    // A press counts the sample point it falls on or beside, once; anywhere else it counts
    // nothing and says so.
    const int32_t point = SurveyTally.DesignatedPoint(Canvas.View().DesignedPixelAt(QPoint(x, y)) - mapOrigin);
    KeepJournal();
    if (!SurveyTally.CountPoint(point)) {
        QApplication::beep();
        return;
    }
    journal.Record(JournalOperation::PointCounted(point));
    const TFigure dot = FigureOf(SurveyTally.Marks().back());
    Canvas.MovePenTo(dot.Box.left(), dot.Box.top());
    Canvas.Invalidate(dot.Visible);
    EdNBPoints->setText(IntegerText(SurveyTally.OpenUseCount()));
    ShowSessionState();
}

void TForm2::ButtFiniClick()
{
    KeepJournal();
    SurveyTally.FinishLandUse();
    journal.Record(JournalOperation::LandUseFinished());
    EdNBPoints->setText(IntegerText(0));
    EdLandUse->setText(QString());
    ButtSonder->setEnabled(false);
    ShowSessionState();
}

void TForm2::ButtAnnulerClick()
{
    if (!SurveyTally.CanUndo()) {
        QApplication::beep();
        return;
    }
    // The dot goes: its box is drawn again from the picture and the points under it.
    const QRect dot = FigureOf(SurveyTally.Marks().back()).Visible;
    KeepJournal();
    SurveyTally.Undo();
    journal.Record(JournalOperation::CountUndone());
    ShowCountChange(dot);
}

void TForm2::ButtRetablirClick()
{
    if (!SurveyTally.CanRedo()) {
        QApplication::beep();
        return;
    }
    KeepJournal();
    SurveyTally.Redo();
    journal.Record(JournalOperation::CountRedone());
    ShowCountChange(FigureOf(SurveyTally.Marks().back()).Visible);
}

// After an undo or a redo: the dot that changed, the current land use's count, as a press
// shows it, and the panel.
void TForm2::ShowCountChange(const QRect& dot)
{
    Canvas.Invalidate(dot);
    EdNBPoints->setText(IntegerText(SurveyTally.OpenUseCount()));
    ShowSessionState();
}

void TForm2::ShowSessionState()
{
    const int32_t counted = SurveyTally.PointsProbed;
    const int32_t points = SurveyTally.SamplePoints();
    QString progress = QStringLiteral("Points classés : %1 / %2").arg(IntegerText(counted), IntegerText(points));
    if (points > 0 && counted == points)
        progress += QStringLiteral("\nTous les points sont classés.");
    LabelProgress->setText(progress);
    EdGraineUtilisee->setText(points > 0 ? QString::number(SurveyTally.Seed) : QString());
    ButtAnnuler->setEnabled(SurveyTally.CanUndo());
    ButtRetablir->setEnabled(SurveyTally.CanRedo());
    emit SurveyChanged();
}

void TForm2::ButtEnregistrerClick()
{
    SaveSurvey();
}

bool TForm2::SaveSurvey()
{
    if (surveyMap.isEmpty() || !mapShown) {
        ShowNotice(mapNeeded);
        return false;
    }
    const QString proposed =
        !sessionFile.isEmpty()
            ? sessionFile
            : QDir(FolderToSaveBeside(surveyMap)).filePath(QFileInfo(surveyMap).completeBaseName() + QStringLiteral(".sondelio"));
    const std::optional<QString> fileName =
        AskFileToSave(this, QStringLiteral("Enregistrer la séance"), proposed,
                      QStringLiteral("Séance Sondelio (*.sondelio)"), QStringLiteral("sondelio"));
    if (!fileName)
        return false;
    // The map's content as it is now: a class opening the file must find this very picture.
    surveyMapSha = FileSha256(surveyMap);
    SaveWholeFile(*fileName, WriteSurveyFile(SurveyTally, surveyMap, surveyMapSha));
    sessionFile = *fileName;
    keptSurvey = SurveyTally;
    journal.Remove();
    return true;
}

void TForm2::KeepJournal()
{
    if (!journal.Wanted() || SurveyTally.SamplePoints() == 0)
        return;
    // A survey the file format refuses (a sample size typed past its limits), or whose map can no
    // longer be read, goes unjournaled, as it would go unsaved: the classification carries on.
    try {
        if (surveyMapSha.isEmpty())
            surveyMapSha = FileSha256(surveyMap);
        journal.Begin(JournalFolder(), WriteSurveyFile(SurveyTally, surveyMap, surveyMapSha), sessionFile);
    } catch (const Exception&) {
        journal.GoWithout();
    }
}

void TForm2::LetSurveyGo()
{
    journal.Remove();
}

void TForm2::ButtOuvrirClick()
{
    if (!ConfirmLeavingSurvey())
        return;
    const QString folder = FolderBeside(!sessionFile.isEmpty() ? sessionFile : surveyMap);
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
    // Points placed on the map as drawn then must lie on it as drawn now. A picture whose header
    // tells no size is never drawn, and the survey waits for it as for any map.
    const QSize picture = PictureFileSize(map);
    if (!picture.isEmpty()) {
        const QSize drawn = DrawnMapSize(picture.width(), picture.height());
        if (drawn != QSize(content.Tally.MapWidth, content.Tally.MapHeight))
            throw EReadError(QStringLiteral("Cette séance est endommagée et ne peut pas être ouverte : elle "
                                            "dessine sa carte en %1 × %2 pixels, et non en %3 × %4.")
                                 .arg(content.Tally.MapWidth)
                                 .arg(content.Tally.MapHeight)
                                 .arg(drawn.width())
                                 .arg(drawn.height()));
    }

    // The next drawing finds the survey already belonging to its map.
    SurveyTally.Replace(std::move(content.Tally));
    mapFileName = map;
    surveyMap = FullFileName(map);
    surveyMapSha = content.MapSha256;
    surveyDue = false;
    sessionFile = sessionFileName;
    keptSurvey = saved ? SurveyTally : TSurveyTally();
    // A survey as its file holds it needs no journal until it changes; one brought back from a
    // journal is kept in a journal of this program's own.
    journal.Remove();
    if (!saved)
        KeepJournal();

    const bool sampled = SurveyTally.SamplePoints() > 0;
    TaillePt->setText(IntegerText(sampled ? SurveyTally.PointSize : 5));
    // A land use left open goes on where it was, its name in the box as after its "Sonder".
    const bool useOpen = SurveyTally.ProbingOn && SurveyTally.LandUseCount >= 1;
    EdLandUse->setText(useOpen ? SurveyTally.LandUse(SurveyTally.LandUseCount).Name : QString());
    ButtSonder->setEnabled(false);
    EdNBPoints->setText(IntegerText(SurveyTally.OpenUseCount()));
    ShowSessionState();
    update();
    emit SurveyOpened(map, SurveyTally.SampleSize);
}

bool TForm2::ConfirmLeavingSurvey()
{
    if (SurveyTally.PointsProbed == 0 || SurveyTally.SameSurvey(keptSurvey))
        return true;
    const int answer = AskQuestion(QStringLiteral("Enregistrer la séance ?"),
                                   {QStringLiteral("Enregistrer"), QStringLiteral("Ne pas enregistrer"),
                                    QStringLiteral("Annuler")});
    if (answer == 0)
        return SaveSurvey();
    if (answer == 1) {
        // Asked once: the same survey is not asked about again. Let go on purpose, it needs no
        // journal any more.
        keptSurvey = SurveyTally;
        journal.Remove();
        return true;
    }
    return false;
}

// A sample point is a red disc centred on its pixel, showing only on the map; a counted point
// a blue dot centred on it, 7 pixels across or the point's size if larger, covering its disc.
void TForm2::ButtExporterImageClick()
{
    // The map as the window shows it now, marks made since the last paint included, taken
    // before the dialog: the picture is what the user saw when pressing the button.
    const QRect mapArea = MapArea();
    repaint(mapArea);
    if (!mapShown) {
        ShowNotice(mapNeeded);
        return;
    }
    const QImage map = Canvas.Drawn(mapArea);
    const std::optional<QString> fileName = AskFileToSave(
        this, QStringLiteral("Exporter l'image de la carte"),
        QDir(FolderToSaveBeside(surveyMap)).filePath(QFileInfo(surveyMap).completeBaseName() + QStringLiteral("-points.png")),
        QStringLiteral("Image PNG (*.png)"), QStringLiteral("png"));
    if (!fileName)
        return;
    const QString legend = MapLegend(SurveyTally, surveyMap, QDateTime::currentDateTime());
    SaveWholeFile(*fileName, PngBytes(MapWithLegend(map, legend)));
}

// A sample point is a red disc centred on its pixel, showing only on the map; a counted press a
// blue dot 7 pixels across whose box starts 2 pixels left of and above the press.
TFigure TForm2::FigureOf(const SurveyMark& mark) const
{
    const QPoint at = mapOrigin + mark.Place;
    const bool counted = mark.What == SurveyMark::Kind::CountedPoint;
    const int64_t size = counted ? std::max<int64_t>(7, SurveyTally.Marks()[std::size_t(mark.Point)].Size) : mark.Size;
    const TColor colour = counted ? clBlue : clRed;
    const int64_t left = int64_t{at.x()} - size / 2;
    const int64_t top = int64_t{at.y()} - size / 2;
    return EllipseFigure(Saturated(left), Saturated(top), Saturated(left + size), Saturated(top + size), colour,
                         colour, MapRect);
}

quint64 TForm2::MarkFigures::Generation() const
{
    return SurveyTally.Generation();
}

size_t TForm2::MarkFigures::Count() const
{
    return SurveyTally.Marks().size();
}

TFigure TForm2::MarkFigures::Figure(size_t index) const
{
    return window.FigureOf(SurveyTally.Marks()[index]);
}

void TForm2::ButtLoupeClick()
{
    MoveLoupe();
}

void TForm2::mouseMoveEvent(QMouseEvent* event)
{
    loupePointer = event->position().toPoint();
    pointerOnSurface = true;
    // Shift pressed while another window had the keyboard reaches no key handler here.
    shiftHeld = event->modifiers().testFlag(Qt::ShiftModifier);
    MoveLoupe();
    QWidget::mouseMoveEvent(event);
}

void TForm2::keyPressEvent(QKeyEvent* event)
{
    FollowShift(*event);
    QWidget::keyPressEvent(event);
}

void TForm2::keyReleaseEvent(QKeyEvent* event)
{
    FollowShift(*event);
    QWidget::keyReleaseEvent(event);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event)
{
    // No control lies on the map. An edit box with the keyboard keeps every key release to
    // itself, Shift's too.
    if (event->type() == QEvent::Enter) {
        pointerOnSurface = false;
        MoveLoupe();
    } else if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        FollowShift(*static_cast<QKeyEvent*>(event));
    }
    return QWidget::eventFilter(watched, event);
}

void TForm2::FollowShift(const QKeyEvent& event)
{
    if (event.key() != Qt::Key_Shift)
        return;
    shiftHeld = event.type() == QEvent::KeyPress;
    MoveLoupe();
}

void TForm2::leaveEvent(QEvent* event)
{
    pointerOnSurface = false;
    MoveLoupe();
    QWidget::leaveEvent(event);
}

void TForm2::MoveLoupe()
{
    const bool wanted = ButtLoupe->isChecked() || shiftHeld;
    const bool onMap = ShownMapArea().contains(loupePointer);
    const std::optional<QRect> now =
        wanted && pointerOnSurface && onMap ? std::optional(MagnifierBox(loupePointer)) : std::nullopt;
    if (now == loupeBox)
        return;
    if (loupeBox)
        update(*loupeBox);
    if (now)
        update(*now);
    loupeBox = now;
}

void TForm2::PaintLoupe(const QRegion& region)
{
    if (!loupeBox || !mapShown || !region.intersects(*loupeBox))
        return;
    // A mark added under the lens, or taken away, changes the lens as a whole, not only the
    // place where the map shows the mark.
    if (!QRegion(*loupeBox).subtracted(region).isEmpty())
        update(*loupeBox);
    // The lens works in window pixels, on the map as the window shows it.
    const QImage& picture = shownMap.Picture().Image();
    const QRect mapArea = ShownMapArea();
    const QRectF magnified = MagnifiedArea(loupePointer, MagnifierZoom(picture.size(), mapArea.size()));
    std::vector<MagnifiedMark> marks;
    for (const SurveyMark& mark : SurveyTally.Marks()) {
        const TFigure figure = FigureOf(mark);
        const QRectF box = Canvas.View().ToWindow(QRectF(figure.Box));
        if (magnified.intersects(box))
            marks.push_back({box, ColourToRGB(figure.BrushColour)});
    }
    QPainter painter(this);
    painter.drawImage(QRectF(*loupeBox), RenderMagnifier(picture, mapArea, loupePointer, marks,
                                                    palette().window().color(), devicePixelRatioF()));
}
