// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The map window, a view of the survey document: the map with the survey's marks, the sample
// drawn by "Go", the land uses probed by pressing on their points, and the session's panel.
// Carte2.cpp holds the window and the survey's steps, Carte2_Session.cpp saving and opening,
// Carte2_Export.cpp the picture of the map, Carte2_Loupe.cpp the lens, Carte2_Layout.cpp the
// layout on small screens.

#include "core/ClassSurveys.h"
#include "core/SurveyDocument.h"
#include "picture/MapPixels.h"
#include "picture/ShownPicture.h"
#include "ui/MapLoupe.h"
#include "ui/TCanvas.h"
#include "ui/WindowFit.h"

#include <QWidget>
#include <memory>
#include <optional>

class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMouseEvent;
class QPushButton;
class TCloseButton;

class TForm2 : public QWidget, public TFittingWindow {
    Q_OBJECT
public:
    TForm2();

    // Where the room is smaller than the design, the map is shown smaller with the panels in
    // columns beside it; the survey keeps the map's own pixels (see Carte2_Layout.cpp).
    void LayOutWithin(QSize room) override;

    TCloseButton* BitBtnFermer;
    QFrame* Panel1;
    QFrame* Panel2;
    // Step 1, on Panel2.
    QLabel* Label10;
    QLabel* Label1;
    QLineEdit* TaillePt;
    QPushButton* ButtPlan;
    QPushButton* BtnCalcul;
    // Step 2, on Panel1.
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label2;
    QLineEdit* EdLandUse;
    QLabel* Label6;
    QPushButton* ButtSonder;
    QLabel* Label9;
    QLabel* Label3;
    QLineEdit* EdNBPoints;
    QLabel* Label8;
    QPushButton* ButtFini;
    // The survey's session, under the two steps.
    QFrame* Panel3;
    QLabel* Label11;
    QLabel* Label12;
    QLineEdit* EdGraine;
    QLabel* LabelEleve;
    QLineEdit* EdEleve;
    QLabel* LabelGraineUtilisee;
    QLineEdit* EdGraineUtilisee;
    QLabel* LabelProgress;
    QPushButton* ButtAnnuler;
    QPushButton* ButtRetablir;
    QPushButton* ButtLoupe;
    QPushButton* ButtVerifier;
    QPushButton* ButtEnregistrer;
    QPushButton* ButtOuvrir;
    QPushButton* ButtExporterImage;
    // The map's scale, under the map: set by hand, or read from the map's georeferencing.
    QFrame* Panel4;
    QPushButton* ButtEchelle;
    QLabel* LabelEchelle;
    // Beside it, the sample points written for a GIS or a spreadsheet.
    QFrame* Panel5;
    QPushButton* ButtExporterPoints;

    // The map's top-left corner in the window, and the side of the largest square a map is
    // drawn in: 600 wide or 700 high, so never more than 700 either way.
    static constexpr QPoint MapOrigin{10, 10};
    static constexpr int LargestMapSide = 700;
    // What "Go", a press, a save and an export say until the map is drawn.
    static inline const QString MapNeeded = QStringLiteral("La carte doit être dessinée !");

    TCanvas Canvas{this};
    // Where the map is drawn as designed: from (10, 10), MapWidth by MapHeight. The survey's
    // marks and presses are placed in these coordinates; the canvas's view shows them smaller
    // where the window is laid out smaller.
    TRect MapRect;

    // "3)-" in the main window, or a file dropped: the map file the window draws from its next
    // paint. Showing the window anew, or drawing another file, begins a new survey: when that
    // would drop counted points not saved, asks first, and false when the user chooses to stay
    // (nothing then changes).
    bool TakeMapFile(const QString& fileName);
    void FormPaint();
    // "Plan…": how the next "Go" lays its points, chosen in a dialog.
    void ButtPlanClick();
    // The design the next "Go" lays; the survey's own is the one its points were laid by.
    const SampleDesign& ChosenDesign() const { return chosenDesign; }
    void ChooseDesign(const SampleDesign& design);
    void BtnCalculClick();
    void EdLandUseChange();
    void ButtSonderClick();
    void Image1MouseDown(int x, int y);
    // "Élève": the name typed becomes the survey's.
    void EdEleveChange();
    void ButtFiniClick();
    void ButtAnnulerClick();
    void ButtRetablirClick();
    void ButtEnregistrerClick();
    void ButtOuvrirClick();
    // The survey kept in the file, shown as it was saved, ready to go on.
    void OpenSurvey(const QString& fileName);
    // A survey a journal kept when the program ended without saving it, shown as it was and
    // still to be saved.
    void RecoverSurvey(const RecoveredSurvey& recovered);
    // The program ends: the survey in progress is let go on purpose, its journal with it.
    void LetSurveyGo();
    // Before the survey goes (a new survey begun, another survey opened, the program ending):
    // once a point is counted and the survey differs from what was last saved or last let go,
    // asks whether to save it. False when the user chooses to stay.
    bool ConfirmLeavingSurvey();
    void ButtLoupeClick();
    // "Vérifier": while down, the counted points whose land use differs from the map's legend
    // are ringed in red, following the survey as it goes on; pressed, a box sums the check up.
    void ButtVerifierClick();
    // The points "Vérifier" rings, in the order counted: each count, and what the student and
    // the legend call its point.
    struct CheckedMistake {
        SurveyMark Count;
        QString Said;
    };
    const std::vector<CheckedMistake>& Mistakes() const { return mistakes; }
    void ButtExporterImageClick();
    // "Échelle…": the scale typed in a dialog, by the map's width or a scale bar's length
    // measured by two clicks on the map, which the dialog waits for.
    void ButtEchelleClick();
    bool MeasuringScale() const { return measuringScale; }
    // "Exporter les points…": every sample point with its land use, as a GeoPackage, a GeoJSON or
    // a CSV file, by the name's suffix.
    void ButtExporterPointsClick();
    // The map's picture file as the window shows it and reads it whole.
    const TShownPicture& ShownMap() const { return shownMap; }

signals:
    // A file dropped on the window, to become the map file as if typed in the main window.
    void MapFileDropped(const QString& fileName);
    // A survey read from its file: its map and sample size become the main window's.
    void SurveyOpened(const QString& mapFile, int sampleSize);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A ringed point's hint: the two names it goes by.
    bool event(QEvent* event) override;

private:
    // The file an export of the map goes to, asked of the user; nothing when refused.
    std::optional<QString> AskExportFile(const QString& title, const QString& filters, const QString& suffix);
    // The survey's marks as the canvas draws them over the map, taken from the survey at each
    // paint that needs them.
    class MarkFigures : public TFigureSource {
    public:
        explicit MarkFigures(const TForm2& window) : window(window) {}
        quint64 Generation() const override;
        size_t Count() const override;
        TFigure Figure(size_t index) const override;
        std::vector<QLine> Guides() const override;

    private:
        const TForm2& window;
    };

    TFigure FigureOf(const SurveyMark& mark) const;
    // The lines between the survey's blocks, faint on the map.
    std::vector<QLine> BlockBoundaries() const;
    // The ring "Vérifier" draws around a mistaken count: a red disc under the count drawn again.
    TFigure RingOf(const CheckedMistake& mistake, bool ring) const;
    // The mistakes found anew against the legend, while "Vérifier" is down: the survey's check.
    ClassAnalysis CheckPoints();
    // "Vérifier" let up, its rings gone: the survey or its map changed under it.
    void StopChecking();
    // The scale dialog, `measured` pixels between the bar's ends just clicked, if any.
    void OpenScaleDialog(std::optional<double> measured);
    // A press while the scale bar is measured: one of its ends, at a map pixel.
    void TakeScaleEnd(QPoint place);
    void StopMeasuring();
    // The map `mapFile`, a picture of `picture` pixels, georeferenced: its scale becomes the
    // survey's. A georeferencing that cannot be read is said once the paint is over.
    void ReadMapScale(const QString& mapFile, QSize picture);
    void ShowScale();
    // MapRect as Qt's rectangle, and where the window shows it.
    QRect MapArea() const;
    QRect ShownMapArea() const;
    // The survey's state, shown anew whenever it changes: the count of the land use open, how
    // far the classifying has gone, the seed of the sample, what undo and redo can do.
    void ShowSurvey();
    // The point size typed for "Go": 5 when the box is empty; EConvertError for a text that is
    // no integer, a notice and nothing for a size below 1 pixel.
    std::optional<int32_t> TypedPointSize() const;
    // A press that goes on a double or triple click counts nothing more.
    bool ContinuesMultiClick(const QMouseEvent& event);
    // False when the user cancels the file dialog.
    bool SaveSurvey();
    // A survey read from `surveyFile` (a session, or a journal's), its map found and checked,
    // becomes the one shown; `saved` when the file holds it as it is.
    void ShowReadSurvey(SurveyFileContent content, const QString& surveyFile, const QString& sessionFile, bool saved);

    // The file that each paint shows, and the map as last read: a repaint reads no file unless
    // its name, or the file itself, changed, and reports a failing file only once until the
    // file or its name changes or the window is shown anew.
    QString mapFileName;
    // A photo comes whole after it is shown: the lens then shows it at its own resolution.
    TShownPicture shownMap{[this] { update(); }};
    // Whether the last paint drew the map: "Go" and presses wait for it.
    bool mapShown = false;
    MarkFigures markFigures{*this};
    // The last press on the surface: a press soon after, close by, goes on a multi-click.
    ulong lastPressTime = 0;
    QPoint lastPressAt;
    bool pressedBefore = false;
    TMapLoupe loupe;
    SampleDesign chosenDesign;
    // What "Vérifier" checks against, made when it is pressed: the map's pixels and the map as
    // drawn, which the legend reference reads, and the points found mistaken. The rings change
    // the figures' generation, so that the canvas draws them afresh.
    struct LegendCheck {
        MapPixels Picture;
        MapPixels Drawn;
        std::optional<ClassReference> Reference;  // made on the two above, once they are in place
    };
    std::unique_ptr<LegendCheck> legendCheck;
    std::vector<CheckedMistake> mistakes;
    // The scale bar's ends clicked so far, in map pixels, while it is measured; they are drawn
    // over the map like the rings, and change the figures' generation as they do.
    bool measuringScale = false;
    std::vector<QPoint> scaleEnds;
    quint64 checkGeneration = 0;
    // The file that said where the map lies, for "Échelle…" to name.
    QString georeferenceSource;

    // The places the constructor gave the panels and the close button, for the layout as designed.
    QList<QPoint> designedPlaces;
};

extern TForm2* Form2;
