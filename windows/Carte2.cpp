#include "windows/Carte2.h"

#include "core/FloatArith.h"
#include "core/Numbers.h"
#include "core/SampleGenerator.h"
#include "core/SurveyTally.h"
#include "picture/Magnifier.h"
#include "ui/Boxes.h"
#include "ui/Dispatch.h"
#include "ui/DroppedFile.h"
#include "ui/HouseStyle.h"
#include "ui/WindowFrame.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <limits>

TForm2* Form2 = nullptr;

namespace {

// "Go" runs its loop to the end inside the handler: beyond this many points the wait would be
// felt, and no class counts that many by hand.
constexpr int32_t MaxSampleSize = 10000;

const QString mapNeeded = QStringLiteral("La carte doit être dessinée !");
// The map's top-left pixel, in the window.
constexpr QPoint mapOrigin(10, 10);

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

    Panel1 = MakePanel(this, 816, 144, 209, 273, clSkyBlue);
    Label4 = MakeLabel(Panel1, QStringLiteral("2 - Pour chaque usage du sol"), 8, 8, times16Bold, HouseBlue);
    Label5 = MakeLabel(Panel1, QStringLiteral("1)- Indiquez le type sondé"), 26, 32, times13, HouseBlue);
    Label2 = MakeLabel(Panel1, QStringLiteral(" Quel usage du sol ?"), 56, 48,
                       PixelFont(QStringLiteral("MS Sans Serif"), 11), HouseBlue);
    EdLandUse = MakeEditBox(Panel1, 32, 64, 137, 21, HouseBlue);
    Label6 = MakeLabel(Panel1, QStringLiteral("2)-  cliquez sur \"Sonder\""), 26, 96, times13, HouseBlue);
    ButtSonder = MakeButton(Panel1, QStringLiteral("Sonder"), 64, 120, 65, 25);
    Label9 = MakeLabel(Panel1, QStringLiteral("3 - Cliquez sur les points "), 24, 152, times13, HouseBlue);
    Label3 = MakeLabel(Panel1, QStringLiteral("Points relevés :"), 8, 176, sans13, HouseBlue);
    EdNBPoints = MakeEditBox(Panel1, 112, 176, 49, 21, HouseBlue);
    Label8 = MakeLabel(Panel1, QStringLiteral("4)- autre usage ?"), 26, 208, times13, HouseBlue);
    ButtFini = MakeButton(Panel1, QStringLiteral("Autre usage ou Terminer"), 32, 232, 137, 25);

    Panel2 = MakePanel(this, 816, 8, 209, 129, clSilver);
    Label10 = MakeLabel(Panel2, QStringLiteral("1 - Echantillonner "), 8, 8, times16Bold, HouseBlue);
    Label1 = MakeLabel(Panel2, QStringLiteral("Taille des Points (en pixels)"), 8, 32, sans13, HouseBlue);
    TaillePt = MakeEditBox(Panel2, 72, 56, 41, 21, HouseBlue);
    BtnCalcul = MakeButton(Panel2, QStringLiteral("Go"), 48, 88, 97, 25);
    BtnCalcul->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 16));

    // The session, in the free space under the steps: the seed that gives a whole class the
    // same points.
    Panel3 = MakePanel(this, 816, 424, 209, 261, clMoneyGreen);
    Label11 = MakeLabel(Panel3, QStringLiteral("3 - Séance"), 8, 8, times16Bold, HouseBlue);
    Label12 = MakeLabel(Panel3, QStringLiteral("1)- &Graine :"), 8, 40, times13, HouseBlue);
    EdGraine = MakeEditBox(Panel3, 80, 38, 113, 21, HouseBlue);
    Label12->setBuddy(EdGraine);
    EdGraine->setToolTip(QStringLiteral("Vide : des points au hasard ; un nombre : les mêmes points "
                                        "pour toute la classe (la graine utilisée s'affiche après « Go »)"));
    LabelProgress = MakeLabel(Panel3, QString(), 8, 66, sans13, HouseBlue);
    LabelProgress->setFixedSize(193, 32);
    LabelProgress->setWordWrap(true);
    ButtAnnuler = MakeButton(Panel3, QStringLiteral("&Annuler"), 8, 100, 93, 25);
    ButtAnnuler->setToolTip(QStringLiteral("Annuler le dernier point classé (Ctrl+Z)"));
    ButtRetablir = MakeButton(Panel3, QStringLiteral("&Rétablir"), 108, 100, 93, 25);
    ButtRetablir->setToolTip(QStringLiteral("Rétablir le dernier point annulé (Ctrl+Maj+Z ou Ctrl+Y)"));
    ButtLoupe = MakeButton(Panel3, QStringLiteral("&Loupe (Maj)"), 8, 132, 193, 25);
    ButtLoupe->setCheckable(true);
    ButtLoupe->setToolTip(QStringLiteral("Une loupe suit le pointeur sur la carte (ou tenez la touche Maj)"));
    ButtEnregistrer = MakeButton(Panel3, QStringLiteral("&Enregistrer la séance…"), 8, 164, 193, 25);
    ButtEnregistrer->setToolTip(QStringLiteral("Enregistrer les points et leur classement dans un fichier (Ctrl+S)"));
    ButtOuvrir = MakeButton(Panel3, QStringLiteral("&Ouvrir une séance…"), 8, 196, 193, 25);
    ButtOuvrir->setToolTip(QStringLiteral("Reprendre une séance enregistrée (Ctrl+O)"));
    ButtExporterImage = MakeButton(Panel3, QStringLiteral("E&xporter l'image…"), 8, 228, 193, 25);
    ButtExporterImage->setToolTip(QStringLiteral("Enregistrer la carte avec ses points en image PNG"));

    // The close button first, then step 2, then step 1; in step 2 the count box comes last.
    setTabOrder(BitBtnFermer, EdLandUse);
    setTabOrder(EdLandUse, ButtSonder);
    setTabOrder(ButtSonder, ButtFini);
    setTabOrder(ButtFini, EdNBPoints);
    setTabOrder(EdNBPoints, TaillePt);
    setTabOrder(TaillePt, BtnCalcul);
    setTabOrder(BtnCalcul, EdGraine);
    setTabOrder(EdGraine, ButtAnnuler);
    setTabOrder(ButtAnnuler, ButtRetablir);
    setTabOrder(ButtRetablir, ButtLoupe);
    setTabOrder(ButtLoupe, ButtEnregistrer);
    setTabOrder(ButtEnregistrer, ButtOuvrir);
    setTabOrder(ButtOuvrir, ButtExporterImage);

    connect(BtnCalcul, &QPushButton::clicked, this, Guarded(this, &TForm2::BtnCalculClick));
    connect(EdLandUse, &QLineEdit::textChanged, this, Guarded(this, &TForm2::EdLandUseChange));
    connect(ButtSonder, &QPushButton::clicked, this, Guarded(this, &TForm2::ButtSonderClick));
    connect(ButtFini, &QPushButton::clicked, this, Guarded(this, &TForm2::ButtFiniClick));
    connect(ButtLoupe, &QPushButton::toggled, this, Guarded(this, &TForm2::ButtLoupeClick));
    // The lens follows the pointer without a button held. The controls tell when the pointer
    // reaches one of them, which no move on the window does, and pass on Shift.
    setMouseTracking(true);
    for (QWidget* control : findChildren<QWidget*>())
        control->installEventFilter(this);
    setAcceptDrops(true);
}

void TForm2::SetMapFileName(const QString& fileName)
{
    mapFileName = fileName;
}

void TForm2::showEvent(QShowEvent* event)
{
    // A show asked by the program, not a restore from minimised: a new survey on a fresh map.
    if (!event->spontaneous()) {
        surveyDue = true;
        shownMap.ShownAnew();
    }
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

void TForm2::ScaleToMap(int pictureWidth, int pictureHeight)
{
    // The ratio passes through a double, the fixed side is divided in extended precision; both
    // divisions come before anything is stored, so a failing one leaves the old size.
    if (pictureWidth > pictureHeight) {
        const double ratio = static_cast<double>(Divide(pictureWidth, pictureHeight));
        const int32_t height = RoundHalfEven(Divide(600, ratio));
        SurveyTally.MapWidth = 600;
        SurveyTally.MapHeight = height;
    } else {
        const double ratio = static_cast<double>(Divide(pictureHeight, pictureWidth));
        const int32_t width = RoundHalfEven(Divide(700, ratio));
        SurveyTally.MapHeight = 700;
        SurveyTally.MapWidth = width;
    }
}

void TForm2::BeginSurvey(const QString& mapName)
{
    surveyMap = mapName;
    TaillePt->setText(IntegerText(5));
    SurveyTally.BeginSurvey();
    ButtSonder->setEnabled(false);
    surveyDue = false;
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

    // A seed typed in the box gives the same points on every machine; none, the clock's.
    const QString typedSeed = EdGraine->text();
    const bool seedTyped = !typedSeed.trimmed().isEmpty();
    const uint32_t seed = seedTyped ? ParseUnsigned(typedSeed) : 0;
    SurveyTally.BeginSample();
    if (seedTyped)
        GeneratorState = seed;
    else
        SeedGenerator();
    SurveyTally.Seed = GeneratorState;
    EdGraine->setText(QString::number(SurveyTally.Seed));
    // Every pixel of the map is as likely as any other, its edges included: an estimate of a
    // land use along the border must not come out short.
    for (int32_t placed = 0; placed < sampleSize; ++placed) {
        const auto x = static_cast<int32_t>(RandomBelow(static_cast<uint32_t>(mapWidth)));
        const auto y = static_cast<int32_t>(RandomBelow(static_cast<uint32_t>(mapHeight)));
        DrawSamplePoint(MapRect.Left + x, MapRect.Top + y);
    }
    EdLandUse->setText(QString());
}

// The sample point at the window point (x, y) joins the survey; the next paint draws it.
void TForm2::DrawSamplePoint(int x, int y)
{
    const QString size = TaillePt->text();
    SurveyTally.AddSamplePoint(QPoint(x, y) - mapOrigin, size.isEmpty() ? 5 : ParseInteger(size));
    Canvas.MovePenTo(x, y);
    Canvas.Invalidate(FigureOf(SurveyTally.Marks().back()).Visible);
}

void TForm2::EdLandUseChange()
{
    ButtSonder->setEnabled(true);
}

void TForm2::ButtSonderClick()
{
    if (!SurveyTally.BeginLandUse(EdLandUse->text())) {
        ShowNotice(QStringLiteral("Vous ne pouvez pas sonder plus de 20 usages du sol !"));
        return;
    }
    EdNBPoints->setText(IntegerText(SurveyTally.PointsThisUse));
}

void TForm2::mousePressEvent(QMouseEvent* event)
{
    // A press that a child control let through (a right press on a button, say) is not a
    // press on the map.
    const QPoint at = event->position().toPoint();
    if (childAt(at))
        return;
    RunHandler([this, at] { Image1MouseDown(at.x(), at.y()); });
}

void TForm2::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Qt reports the second press of a double-click here: it is a press like any other.
    mousePressEvent(event);
}

void TForm2::dragEnterEvent(QDragEnterEvent* event)
{
    if (DroppedLocalFile(event->mimeData()))
        event->acceptProposedAction();
}

void TForm2::dropEvent(QDropEvent* event)
{
    if (const std::optional<QString> file = DroppedLocalFile(event->mimeData())) {
        event->acceptProposedAction();
        // The name comes back through the main window; drawn under it, a new map begins a new
        // survey, as the draw button does.
        emit MapFileDropped(*file);
        update();
    }
}

void TForm2::Image1MouseDown(int x, int y)
{
    if (!SurveyTally.ProbingOn) {
        ShowNotice(QStringLiteral("Appuyez sur le bouton \"Sonder\""));
        return;
    }
    // The survey waits while its map cannot be drawn: nothing is counted blind.
    if (!mapShown) {
        ShowNotice(mapNeeded);
        return;
    }
    setCursor(CursorOf(crCross));
    SurveyTally.CountPress(QPoint(x, y) - mapOrigin);
    Canvas.MovePenTo(x - 2, y - 2);
    Canvas.Invalidate(FigureOf(SurveyTally.Marks().back()).Visible);
    EdNBPoints->setText(IntegerText(SurveyTally.PointsThisUse));
}

void TForm2::ButtFiniClick()
{
    SurveyTally.FinishLandUse();
    EdNBPoints->setText(IntegerText(0));
    EdLandUse->setText(QString());
    ButtSonder->setEnabled(false);
}

// A sample point is a red disc centred on its pixel, showing only on the map; a counted press a
// blue dot 7 pixels across whose box starts 2 pixels left of and above the press.
TFigure TForm2::FigureOf(const SurveyMark& mark) const
{
    const QPoint at = mapOrigin + mark.Place;
    if (mark.What == SurveyMark::Kind::CountedPress)
        return EllipseFigure(at.x() - 2, at.y() - 2, at.x() + 5, at.y() + 5, clBlue, clBlue);
    const int64_t left = int64_t{at.x()} - mark.Size / 2;
    const int64_t top = int64_t{at.y()} - mark.Size / 2;
    return EllipseFigure(Saturated(left), Saturated(top), Saturated(left + mark.Size),
                         Saturated(top + mark.Size), clRed, clRed, MapRect);
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
    const bool onMap = loupePointer.x() >= MapRect.Left && loupePointer.x() < MapRect.Right &&
                       loupePointer.y() >= MapRect.Top && loupePointer.y() < MapRect.Bottom;
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
    const QImage& picture = shownMap.Picture().Image();
    const QRect mapArea(MapRect.Left, MapRect.Top, MapRect.Width(), MapRect.Height());
    const QRectF magnified = MagnifiedArea(loupePointer, MagnifierZoom(picture.size(), mapArea.size()));
    std::vector<MagnifiedMark> marks;
    for (const SurveyMark& mark : SurveyTally.Marks()) {
        const TFigure figure = FigureOf(mark);
        if (magnified.intersects(QRectF(figure.Box)))
            marks.push_back({QRectF(figure.Box), ColourToRGB(figure.BrushColour)});
    }
    QPainter painter(this);
    painter.drawImage(QRectF(*loupeBox), RenderMagnifier(picture, mapArea, loupePointer, marks,
                                                    palette().window().color(), devicePixelRatioF()));
}
