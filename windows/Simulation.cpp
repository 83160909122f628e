// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The simulation window's controls, the map it reads with its colours, and the run: launched on a
// worker thread, followed by the poll timer, stopped by "Arrêter", by another map or by closing.

#include "windows/Simulation.h"

#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/SampleGenerator.h"
#include "picture/DataFolder.h"
#include "picture/TBitmap.h"
#include "ui/Boxes.h"
#include "ui/Dispatch.h"
#include "ui/HouseStyle.h"
#include "ui/TextGrid.h"
#include "ui/WindowFrame.h"
#include "windows/ChartParts.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

TSimulation* Simulation = nullptr;

namespace {

const QString demoMap = QStringLiteral("rizo0346.bmp");
// Ten looks a second: the figures follow the run without the drawing slowing it.
constexpr int PollInterval = 100;

QIcon Swatch(uint32_t rgb)
{
    QPixmap swatch(24, 16);
    swatch.fill(QColor::fromRgb(rgb));
    QPainter painter(&swatch);
    painter.setPen(Qt::black);
    painter.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    // The colour stays while a run greys the list.
    QIcon icon(swatch);
    icon.addPixmap(swatch, QIcon::Disabled);
    return icon;
}

}  // namespace

TSimulation::TSimulation()
{
    SetUpWindow(this, QStringLiteral("Simulation"), 12, 30, 1000, 720,
                PixelFont(QStringLiteral("MS Sans Serif"), 13, false), palette().color(QPalette::WindowText));

    Label1 = MakeLabel(this, QStringLiteral("Simulation de sondages"), 8, 0,
                       PixelFont(QStringLiteral("Times New Roman"), 27, true), HouseBlue);
    LabelMap = MakeLabel(this, QString(), 8, 40, font(), HouseBlue);

    // Created in tab order.
    LabelColours = MakeLabel(this, QStringLiteral("&Usage du sol (une ou plusieurs couleurs) :"), 8, 64, font(),
                             palette().color(QPalette::WindowText));
    ListColours = new QListWidget(this);
    ListColours->setGeometry(8, 84, 480, 112);
    ListColours->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListColours->setIconSize(QSize(24, 16));
    SetToolTip(ListColours, QStringLiteral("Les couleurs de la carte, leur part vraie (pixels de la couleur sur "
                                           "pixels de la carte) et leur usage du sol quand la carte a une légende "
                                           "(fichier carte-legende.csv à côté). Ctrl+clic pour en choisir plusieurs."));
    LabelColours->setBuddy(ListColours);
    NameAfter(ListColours, LabelColours);
    LabelTrueShare = MakeLabel(this, QString(), 8, 200, font(), HouseBlue);
    MakeDesignControls();

    LabelSampleSize = MakeLabel(this, QStringLiteral("Taille de l'échantillon (&n) :"), 8, 288, font(),
                                palette().color(QPalette::WindowText));
    EdN = MakeEditBox(this, 176, 285, 73, 21, HouseBlue);
    EdN->setText(QStringLiteral("100"));
    EdN->setToolTip(QStringLiteral("Le nombre de points de chaque enquête, de 1 à %1").arg(MaxSampleSize));
    LabelSampleSize->setBuddy(EdN);
    LabelSurveys = MakeLabel(this, QStringLiteral("Nombre d'&enquêtes (K) :"), 264, 288, font(),
                             palette().color(QPalette::WindowText));
    EdK = MakeEditBox(this, 408, 285, 80, 21, HouseBlue);
    EdK->setText(QStringLiteral("1000"));
    EdK->setToolTip(QStringLiteral("Combien de fois l'enquête est refaite, de 1 à 100000"));
    LabelSurveys->setBuddy(EdK);
    LabelSeed = MakeLabel(this, QStringLiteral("&Graine :"), 8, 318, font(), palette().color(QPalette::WindowText));
    EdGraine = MakeEditBox(this, 176, 315, 113, 21, HouseBlue);
    EdGraine->setToolTip(QStringLiteral("Vide : des enquêtes au hasard ; un nombre : les mêmes enquêtes "
                                        "à chaque fois, les mêmes qu'en ligne de commande"));
    LabelSeed->setBuddy(EdGraine);

    ButtLancer = MakeButton(this, QStringLiteral("&Lancer"), 8, 348, 112, 25);
    ButtLancer->setToolTip(QStringLiteral("Refaire K fois l'enquête de n points sur la carte"));
    ButtArreter = MakeButton(this, QStringLiteral("&Arrêter"), 128, 348, 112, 25);
    ButtArreter->setToolTip(QStringLiteral("Arrêter les enquêtes : les figures restent celles des enquêtes faites"));
    ButtExporter = MakeButton(this, QStringLiteral("E&xporter…"), 248, 348, 112, 25);
    ButtExporter->setToolTip(QStringLiteral("Écrire les estimations et le tableau en CSV, et les trois graphiques "
                                            "en PNG à côté, sous le même nom"));
    ButtFermer = new TCloseButton(this, QStringLiteral("&Fermer"), 376, 348, 112, 25);
    ButtFermer->setToolTip(QStringLiteral("Fermer la simulation ; une série en cours s'arrête (Alt+F)"));

    ProgressRun = new QProgressBar(this);
    ProgressRun->setGeometry(8, 382, 480, 20);
    ProgressRun->setAccessibleName(QStringLiteral("Enquêtes faites"));
    ProgressRun->setToolTip(QStringLiteral("Combien des K enquêtes sont faites"));

    LabelInside = MakeLabel(this, QString(), 8, 410, font(), palette().color(QPalette::WindowText));

    GridMethods = new TTextGrid(this, 5, {24, 24, 24, 24, 24});
    GridMethods->setGeometry(8, 436, 480, 127);
    // The results grid's size: the longest method name fits its fixed column.
    GridMethods->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11, false));
    GridMethods->setAccessibleName(QStringLiteral("Couverture des quatre méthodes"));
    SetToolTip(GridMethods, QStringLiteral("Pour chaque méthode, la part des intervalles qui contiennent p"));
    GridMethods->SetCell(MethodColumn, 0, QStringLiteral("Méthode"));
    GridMethods->SetCell(CoverageColumn, 0, QStringLiteral("Couverture"));
    GridMethods->SetCellHint(CoverageColumn, 0, QStringLiteral("Part des K intervalles qui contiennent p"));
    GridMethods->SetCell(CoverageLimitsColumn, 0, QStringLiteral("IC à 95 %"));
    GridMethods->SetCellHint(CoverageLimitsColumn, 0,
                             QStringLiteral("Intervalle de confiance exact à 95 % de la couverture simulée"));
    GridMethods->SetCell(ExpectedColumn, 0, QStringLiteral("Attendue"));
    GridMethods->SetCellHint(ExpectedColumn, 0,
                             QStringLiteral("Couverture exacte, calculée par la loi binomiale pour ces n et p"));
    GridMethods->SetCell(WidthColumn, 0, QStringLiteral("Largeur moy."));
    GridMethods->SetCellHint(WidthColumn, 0, QStringLiteral("Largeur moyenne des intervalles"));
    for (size_t row = 0; row < IntervalMethods.size(); ++row)
        GridMethods->SetCell(MethodColumn, int(row) + 1, TaughtMethodName(IntervalMethods[row]));
    // The method column as wide as its longest name in the fixed cells' font, the four others
    // sharing the rest.
    int methodWidth = 0;
    for (IntervalMethod method : IntervalMethods)
        methodWidth = std::max(methodWidth,
                               GridMethods->verticalHeader()->fontMetrics().horizontalAdvance(TaughtMethodName(method)) + 8);
    GridMethods->verticalHeader()->setFixedWidth(methodWidth);
    GridMethods->horizontalHeader()->setDefaultSectionSize((GridMethods->width() - 2 * GridMethods->frameWidth()
                                                            - methodWidth) / (WidthColumn - MethodColumn));
    MakeDesignTable();

    LabelRun = MakeLabel(this, QString(), 8, 568, font(), palette().color(QPalette::WindowText));
    LabelRun->setWordWrap(true);
    LabelRun->setFixedWidth(480);
    LabelRun->setToolTip(QStringLiteral("Les réglages de la simulation que montrent le tableau et les graphiques"));
    LabelReading = MakeLabel(this, QString(), 8, 612, font(), palette().color(QPalette::WindowText));
    LabelReading->setWordWrap(true);
    LabelReading->setFixedWidth(480);

    ChartEstimates = MakeChartView(this, 496, 4, 496, 340);
    ChartEstimates->setAccessibleName(QStringLiteral("Histogramme des estimations"));
    ChartEstimates->setToolTip(QStringLiteral("Les estimations de p des K enquêtes, sur l'intervalle de fluctuation"));
    // Its height shared with the tabs under it, which put the coverage curve in its place.
    ChartIntervals = MakeChartView(this, 496, 348, 496, 314);
    ChartIntervals->setAccessibleName(QStringLiteral("Intervalles de confiance"));
    ChartIntervals->setToolTip(QStringLiteral("Les premiers intervalles de Clopper-Pearson : verts s'ils "
                                              "contiennent p, rouges sinon"));
    ChartCoverage = MakeChartView(this, 496, 348, 496, 314);
    BuildCoverageTab();

    pollTimer.setInterval(PollInterval);
    connect(&pollTimer, &QTimer::timeout, this, Guarded(this, &TSimulation::PollTimerTick));
    connect(ListColours, &QListWidget::itemSelectionChanged, this,
            Guarded(this, &TSimulation::ListColoursSelectionChanged));
    for (QLineEdit* box : {EdN, EdK, EdGraine})
        connect(box, &QLineEdit::textChanged, this, Guarded(this, &TSimulation::SettingsChanged));
    connect(ButtLancer, &QPushButton::clicked, this, Guarded(this, &TSimulation::ButtLancerClick));
    connect(ButtArreter, &QPushButton::clicked, this, Guarded(this, &TSimulation::ButtArreterClick));
    connect(ButtExporter, &QPushButton::clicked, this, Guarded(this, &TSimulation::ButtExporterClick));

    ShowRunState();
    ShowFigures();
}

TSimulation::~TSimulation()
{
    StopRun();
    StopCoverageCurve();
}

void TSimulation::OpenMap(const QString& name, const QString& sampleSizeText)
{
    const QString shownName = name.trimmed().isEmpty() ? demoMap : name;
    const QString path = PictureFilePath(shownName);
    TBitmap map;
    map.LoadPictureFile(path);
    auto newPixels = std::make_unique<MapPixels>(map);
    std::vector<MapColour> census = ColourCensus(newPixels->View());
    QString legendProblem;
    try {
        names = ReadLegendBeside(path);
    } catch (const Exception& error) {
        names.clear();
        legendProblem = error.Message;
    }

    // The same picture from the same file: the window stays as it was left, its run with it.
    const bool sameMap = pixels && QFileInfo(path).absoluteFilePath() == QFileInfo(mapPath).absoluteFilePath()
                         && SamePixels(newPixels->View(), pixels->View());
    if (!sameMap) {
        // The map is good: what was shown of the last one goes.
        StopRun();
        simulation.reset();
        designRuns.clear();
        simulatedDesigns.clear();
        simulatedColours.clear();
        mapName = shownName;
        mapPath = path;
        pixels = std::move(newPixels);
        colours = std::move(census);
        LabelMap->setText(QStringLiteral("Carte : %1").arg(QFileInfo(mapName).fileName()));
        LabelMap->adjustSize();
        const QSignalBlocker quiet(ListColours);
        ListColours->clear();
    }
    ListTheColours();
    if (!sameMap || sampleSizeText != offeredSampleSize) {
        try {
            const int32_t sampleSize = ParseInteger(sampleSizeText);
            if (sampleSize >= 1 && sampleSize <= MaxSampleSize)
                EdN->setText(IntegerText(sampleSize));
        } catch (const EConvertError&) {
            // The main window's box holds no sample size: n stays as it was.
        }
    }
    offeredSampleSize = sampleSizeText;
    ShowRunState();
    ListColoursSelectionChanged();
    if (!legendProblem.isEmpty())
        ShowNotice(legendProblem + QStringLiteral(" Les couleurs sont montrées sans noms d'usage du sol."));
}

// Each colour with its share in percent, and its land use when the legend names it. The items
// stay, their selection with them, when only their names change.
void TSimulation::ListTheColours()
{
    const QSignalBlocker quiet(ListColours);
    const int64_t mapPixels = int64_t(pixels->View().Width) * pixels->View().Height;
    if (ListColours->count() != int(colours.size())) {
        ListColours->clear();
        for (const MapColour& colour : colours)
            new QListWidgetItem(Swatch(colour.Rgb), QString(), ListColours);
    }
    for (size_t row = 0; row < colours.size(); ++row) {
        const MapColour& colour = colours[row];
        const auto name = names.find(colour.Rgb);
        const QString share = PercentText(colour.Pixels, mapPixels);
        ListColours->item(int(row))->setText(
            name != names.end() ? QStringLiteral("%1 — %2 (%3)").arg(name->second, share, ColourText(colour.Rgb))
                                : QStringLiteral("%1 — %2").arg(ColourText(colour.Rgb), share));
    }
}

std::vector<uint32_t> TSimulation::ChosenColours() const
{
    std::vector<uint32_t> chosen;
    for (int row = 0; row < ListColours->count(); ++row)
        if (ListColours->item(row)->isSelected())
            chosen.push_back(colours[size_t(row)].Rgb);
    return chosen;
}

void TSimulation::ListColoursSelectionChanged()
{
    const PixelShare share = ChosenShare(colours, ChosenColours());
    LabelTrueShare->setText(share.Chosen == 0
                                ? QStringLiteral("Part vraie p : choisissez une ou plusieurs couleurs")
                                : QStringLiteral("Part vraie p = %1").arg(RealText(share.Value())));
    LabelTrueShare->adjustSize();
    SettingsChanged();
}

void TSimulation::SettingsChanged()
{
    // The figures say at once whether they are still those of the settings shown.
    intervalsDrawn = -1;
    ShowFigures();
    ShowCoverageCurve();
}

void TSimulation::ButtLancerClick()
{
    const std::vector<uint32_t> chosen = ChosenColours();
    const int32_t sampleSize = ParseInteger(EdN->text());
    const int32_t surveys = ParseInteger(EdK->text());
    // A seed typed in the box gives the same surveys every time; none, the clock's.
    const uint32_t seed = SeedOrNew(TypedSeed(EdGraine->text()));
    if (!pixels)
        throw EInvalidOperation(QStringLiteral("Aucune carte n'est ouverte."));
    // Simple random alone is the four methods' simulation; other designs are compared one after
    // the other from the same seed, each refused or accepted before any runs.
    const std::vector<SampleDesign> designs = ChosenDesigns();
    const bool comparing = designs != std::vector<SampleDesign>{SampleDesign{}};
    std::unique_ptr<SurveySimulation> next;
    std::vector<std::unique_ptr<DesignSimulation>> nextDesigns;
    if (comparing)
        for (const SampleDesign& design : designs)
            nextDesigns.push_back(
                std::make_unique<DesignSimulation>(pixels->View(), chosen, design, sampleSize, surveys, seed));
    else
        next = std::make_unique<SurveySimulation>(pixels->View(), chosen, sampleSize, surveys, seed);

    StopRun();
    simulation = std::move(next);
    designRuns = std::move(nextDesigns);
    simulatedDesigns = designs;
    simulatedColours = chosen;
    intervalsDrawn = -1;
    EdGraine->setText(QString::number(seed));
    stopRequested = false;
    workerDone = false;
    std::vector<DesignSimulation*> runs;
    for (const auto& run : designRuns)
        runs.push_back(run.get());
    worker = std::thread([this, run = simulation.get(), runs] {
        if (run)
            run->Run(stopRequested);
        for (DesignSimulation* design : runs)
            design->Run(stopRequested);
        workerDone = true;
    });
    pollTimer.start();
    ShowRunState();
    ShowFigures();
}

void TSimulation::ButtArreterClick()
{
    StopRun();
    ShowRunState();
    ShowFigures();
}

void TSimulation::PollTimerTick()
{
    if (workerDone && worker.joinable()) {
        worker.join();
        pollTimer.stop();
        ShowRunState();
    }
    ShowFigures();
}

void TSimulation::closeEvent(QCloseEvent* event)
{
    StopRun();
    ShowRunState();
    QWidget::closeEvent(event);
}

void TSimulation::StopRun()
{
    if (!worker.joinable())
        return;
    stopRequested = true;
    worker.join();
    pollTimer.stop();
}

void TSimulation::ShowRunState()
{
    const bool running = Running();
    // The button just pressed hands the focus to the other one before it goes grey, so that
    // Return or Space stops a run and launches the next, and never falls on "Fermer".
    QPushButton* const usable = running ? ButtArreter : ButtLancer;
    QPushButton* const greyed = running ? ButtLancer : ButtArreter;
    const bool focusOnRunButtons = focusWidget() == ButtLancer || focusWidget() == ButtArreter;
    usable->setEnabled(true);
    if (focusOnRunButtons)
        usable->setFocus();
    greyed->setEnabled(false);
    ButtExporter->setEnabled(!running && Shown());
    QWidget* const settings[] = {ListColours,   EdN,       EdK,          EdGraine, CheckAleatoire, CheckSystematique,
                                       CheckStrates,  EdBlocs,   CheckGrappes, EdGrappes, EdCote,        EdEcart};
    for (QWidget* setting : settings)
        setting->setEnabled(!running);
}
