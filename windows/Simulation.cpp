#include "windows/Simulation.h"

#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/ResultsCsv.h"
#include "core/SampleGenerator.h"
#include "core/SimulationCsv.h"
#include "picture/DataFolder.h"
#include "picture/SavedFile.h"
#include "picture/TBitmap.h"
#include "ui/Dispatch.h"
#include "ui/FileDialogs.h"
#include "ui/HouseStyle.h"
#include "ui/TextGrid.h"
#include "ui/WindowFrame.h"

#include <QAreaSeries>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

TSimulation* Simulation = nullptr;

namespace {

const QString demoMap = QStringLiteral("rizo0346.bmp");
// Ten looks a second: the figures follow the run without the drawing slowing it.
constexpr int PollInterval = 100;
// The intervals drawn one above the other: enough to see the misses, few enough to tell apart.
constexpr int ShownIntervals = 100;
// About as many bars as the histogram's width shows distinctly.
constexpr int HistogramBars = 50;

enum Column { MethodColumn, CoverageColumn, CoverageLimitsColumn, ExpectedColumn, WidthColumn };

// A share with `decimals` digits after the regional decimal separator, as the table shows it.
QString FixedText(long double value, int decimals)
{
    return QString::number(double(value), 'f', decimals).replace(QLatin1Char('.'), DecimalSeparator());
}

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

QChartView* MakeChartView(QWidget* parent, int left, int top, int width, int height)
{
    auto* view = new QChartView(parent);
    view->setGeometry(left, top, width, height);
    view->setRenderHint(QPainter::Antialiasing);
    view->chart()->setMargins(QMargins(4, 4, 4, 4));
    view->chart()->legend()->setAlignment(Qt::AlignBottom);
    // The axes' numbers with the regional decimal separator, as everywhere else, and without a
    // thousands separator that would read as a decimal one.
    QLocale numbers;
    numbers.setNumberOptions(QLocale::OmitGroupSeparator);
    view->chart()->setLocale(numbers);
    view->chart()->setLocalizeNumbers(true);
    view->setFocusPolicy(Qt::NoFocus);
    return view;
}

// Series and axes of the last drawing go: a chart is drawn anew from the surveys done so far.
void ClearChart(QChart* chart)
{
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}

QValueAxis* AddAxis(QChart* chart, Qt::Alignment side, const QString& title, qreal low, qreal high)
{
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setRange(low, high);
    chart->addAxis(axis, side);
    return axis;
}

void Attach(QChart* chart, QAbstractSeries* series, QValueAxis* x, QValueAxis* y)
{
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

QLineSeries* Segment(QPointF from, QPointF to, const QColor& colour, qreal width, Qt::PenStyle style = Qt::SolidLine)
{
    auto* segment = new QLineSeries;
    segment->append(from);
    segment->append(to);
    segment->setPen(QPen(colour, width, style));
    return segment;
}

void HideFromLegend(QChart* chart, QAbstractSeries* series)
{
    for (QLegendMarker* marker : chart->legend()->markers(series))
        marker->setVisible(false);
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
    ListColours->setGeometry(8, 84, 480, 168);
    ListColours->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListColours->setIconSize(QSize(24, 16));
    ListColours->setToolTip(QStringLiteral("Les couleurs de la carte et leur part vraie (pixels de la couleur sur "
                                           "pixels de la carte). Ctrl+clic pour en choisir plusieurs."));
    LabelColours->setBuddy(ListColours);
    LabelTrueShare = MakeLabel(this, QString(), 8, 258, font(), HouseBlue);

    LabelSampleSize = MakeLabel(this, QStringLiteral("Taille de l'échantillon (&n) :"), 8, 288, font(),
                                palette().color(QPalette::WindowText));
    EdN = MakeEditBox(this, 176, 285, 73, 21, HouseBlue);
    EdN->setText(QStringLiteral("100"));
    EdN->setToolTip(QStringLiteral("Le nombre de points de chaque enquête, de 1 à 10000"));
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
    ButtExporter->setToolTip(QStringLiteral("Écrire les estimations et le tableau en CSV, et les deux graphiques "
                                            "en PNG à côté, sous le même nom"));
    ButtFermer = new TCloseButton(this, QStringLiteral("&Fermer"), 376, 348, 112, 25);

    ProgressRun = new QProgressBar(this);
    ProgressRun->setGeometry(8, 382, 480, 20);
    ProgressRun->setFormat(QStringLiteral("%v / %m enquêtes"));
    ProgressRun->setRange(0, 1);
    ProgressRun->setValue(0);

    LabelInside = MakeLabel(this, QString(), 8, 410, font(), palette().color(QPalette::WindowText));

    GridMethods = new TTextGrid(this, 5, {24, 24, 24, 24, 24});
    GridMethods->setGeometry(8, 436, 480, 127);
    // The results grid's size: the longest method name fits its fixed column.
    GridMethods->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11, false));
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
        GridMethods->SetCell(MethodColumn, int(row) + 1, MethodName(IntervalMethods[row]));

    LabelReading = MakeLabel(this, QStringLiteral(
        "Lecture : 95 % des estimations au moins doivent tomber dans l'intervalle de fluctuation "
        "(en jaune). Une méthode qui tient sa promesse donne un intervalle qui contient p dans 95 % "
        "des enquêtes au moins : comparez les colonnes « Couverture » et « Attendue » à %1.")
                                 .arg(FixedText(0.95L, 2)),
                             8, 576, font(), palette().color(QPalette::WindowText));
    LabelReading->setWordWrap(true);
    LabelReading->setFixedWidth(480);
    LabelReading->adjustSize();

    ChartEstimates = MakeChartView(this, 496, 4, 496, 340);
    ChartIntervals = MakeChartView(this, 496, 348, 496, 340);

    pollTimer.setInterval(PollInterval);
    connect(&pollTimer, &QTimer::timeout, this, Guarded(this, &TSimulation::PollTimerTick));
    connect(ListColours, &QListWidget::itemSelectionChanged, this,
            Guarded(this, &TSimulation::ListColoursSelectionChanged));
    connect(ButtLancer, &QPushButton::clicked, this, Guarded(this, &TSimulation::ButtLancerClick));
    connect(ButtArreter, &QPushButton::clicked, this, Guarded(this, &TSimulation::ButtArreterClick));
    connect(ButtExporter, &QPushButton::clicked, this, Guarded(this, &TSimulation::ButtExporterClick));

    ShowRunState();
}

TSimulation::~TSimulation()
{
    StopRun();
}

void TSimulation::OpenMap(const QString& name, const QString& sampleSizeText)
{
    const QString shownName = name.trimmed().isEmpty() ? demoMap : name;
    TBitmap map;
    map.LoadPictureFile(PictureFilePath(shownName));
    auto newPixels = std::make_unique<MapPixels>(map);
    std::vector<MapColour> census = ColourCensus(newPixels->View());

    // The map is good: what was shown of the last one goes.
    StopRun();
    simulation.reset();
    simulatedColours.clear();
    mapName = shownName;
    pixels = std::move(newPixels);
    colours = std::move(census);
    LabelMap->setText(QStringLiteral("Carte : %1").arg(QFileInfo(mapName).fileName()));
    LabelMap->adjustSize();
    {
        const QSignalBlocker quiet(ListColours);
        ListColours->clear();
        for (const MapColour& colour : colours)
            new QListWidgetItem(Swatch(colour.Rgb),
                                QStringLiteral("%1    %2").arg(ColourText(colour.Rgb), RealText(colour.Share)),
                                ListColours);
    }
    try {
        const int32_t sampleSize = ParseInteger(sampleSizeText);
        if (sampleSize >= 1 && sampleSize <= MaxSimulatedSampleSize)
            EdN->setText(IntegerText(sampleSize));
    } catch (const EConvertError&) {
        // The main window's box holds no sample size: n stays as it was.
    }
    ListColoursSelectionChanged();
    ShowRunState();
    ShowFigures();
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
    // Whole pixel counts over the map's pixels: the share with all its digits, not a sum of
    // rounded shares.
    int64_t chosenPixels = 0;
    int64_t mapPixels = 0;
    for (int row = 0; row < ListColours->count(); ++row) {
        mapPixels += colours[size_t(row)].Pixels;
        if (ListColours->item(row)->isSelected())
            chosenPixels += colours[size_t(row)].Pixels;
    }
    LabelTrueShare->setText(
        chosenPixels == 0 ? QStringLiteral("Part vraie p : choisissez une ou plusieurs couleurs")
                          : QStringLiteral("Part vraie p = %1").arg(RealText((long double)chosenPixels / mapPixels)));
    LabelTrueShare->adjustSize();
}

void TSimulation::ButtLancerClick()
{
    const std::vector<uint32_t> chosen = ChosenColours();
    const int32_t sampleSize = ParseInteger(EdN->text());
    const int32_t surveys = ParseInteger(EdK->text());
    // A seed typed in the box gives the same surveys every time; none, the clock's.
    const QString typedSeed = EdGraine->text();
    uint32_t seed;
    if (typedSeed.trimmed().isEmpty()) {
        SeedGenerator();
        seed = GeneratorState;
    } else {
        seed = ParseUnsigned(typedSeed);
    }
    if (!pixels)
        throw EInvalidOperation(QStringLiteral("Aucune carte n'est ouverte."));
    auto next = std::make_unique<SurveySimulation>(pixels->View(), chosen, sampleSize, surveys, seed);

    StopRun();
    simulation = std::move(next);
    simulatedColours = chosen;
    fluctuation = FluctuationCounts95(simulation->TrueShare(), sampleSize);
    intervalsDrawn = -1;
    EdGraine->setText(QString::number(seed));
    stopRequested = false;
    workerDone = false;
    worker = std::thread([this, run = simulation.get()] {
        run->Run(stopRequested);
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

void TSimulation::ButtExporterClick()
{
    if (!simulation)
        throw EInvalidOperation(QStringLiteral("Lancez d'abord une simulation : il n'y a rien à exporter."));
    const std::optional<QString> fileName =
        AskFileToSave(this, QStringLiteral("Exporter la simulation"),
                      QDir(FolderToSaveBeside(PictureFilePath(mapName))).filePath(QStringLiteral("simulation.csv")),
                      QStringLiteral("Tableur CSV (*.csv)"), QStringLiteral("csv"));
    if (!fileName)
        return;
    // The figures as they stand now, the surveys stopped early included.
    const QString text = SimulationCsv(*simulation, mapName, simulatedColours) + QStringLiteral("\r\n")
                         + EstimatesCsv(*simulation);
    SaveWholeFile(*fileName, QByteArray("\xEF\xBB\xBF") + text.toUtf8());
    const QFileInfo csv(*fileName);
    const QString stem = csv.dir().filePath(csv.completeBaseName());
    for (const auto& [view, suffix] : {std::pair{ChartEstimates, QStringLiteral("-estimations.png")},
                                       std::pair{ChartIntervals, QStringLiteral("-intervalles.png")}}) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        view->grab().save(&buffer, "PNG");
        SaveWholeFile(stem + suffix, png);
    }
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
    ButtLancer->setEnabled(!running);
    ButtArreter->setEnabled(running);
    ButtExporter->setEnabled(!running && simulation);
    ListColours->setEnabled(!running);
    EdN->setEnabled(!running);
    EdK->setEnabled(!running);
    EdGraine->setEnabled(!running);
}

void TSimulation::ShowFigures()
{
    if (!simulation) {
        ProgressRun->setRange(0, 1);
        ProgressRun->setValue(0);
        LabelInside->clear();
        for (int row = 1; row <= int(IntervalMethods.size()); ++row)
            for (int column = CoverageColumn; column <= WidthColumn; ++column)
                GridMethods->SetCell(column, row, QString());
        ClearChart(ChartEstimates->chart());
        ClearChart(ChartIntervals->chart());
        ChartEstimates->chart()->setTitle(QStringLiteral("Estimations de la part"));
        ChartIntervals->chart()->setTitle(QStringLiteral("Les %1 premiers intervalles").arg(ShownIntervals));
        return;
    }
    const std::vector<MethodFigures> figures = simulation->Figures();
    ProgressRun->setRange(0, simulation->Surveys());
    ProgressRun->setValue(figures.front().Surveys);
    ShowTable(figures);
    ShowEstimates(figures);
    ShowIntervals();
}

void TSimulation::ShowTable(const std::vector<MethodFigures>& figures)
{
    for (size_t row = 0; row < figures.size(); ++row) {
        const MethodFigures& method = figures[row];
        const int gridRow = int(row) + 1;
        const bool any = method.Surveys > 0;
        GridMethods->SetCell(CoverageColumn, gridRow, any ? FixedText(method.SimulatedCoverage, 3) : QString());
        GridMethods->SetCell(CoverageLimitsColumn, gridRow,
                             any ? QStringLiteral("%1 à %2").arg(FixedText(method.CoverageLimits.Lower, 3),
                                                                 FixedText(method.CoverageLimits.Upper, 3))
                                 : QString());
        GridMethods->SetCell(ExpectedColumn, gridRow, FixedText(method.ExpectedCoverage, 3));
        GridMethods->SetCellHint(ExpectedColumn, gridRow, RealText(method.ExpectedCoverage));
        GridMethods->SetCell(WidthColumn, gridRow, any ? FixedText(method.MeanWidth, 3) : QString());
    }
}

void TSimulation::ShowEstimates(const std::vector<MethodFigures>& figures)
{
    QChart* chart = ChartEstimates->chart();
    ClearChart(chart);
    const std::span<const int32_t> counts = simulation->Counts();
    const int32_t sampleSize = simulation->SampleSize();
    const auto n = double(sampleSize);
    const auto share = double(simulation->TrueShare());

    // The bars span the counts found and the whole fluctuation interval, each bar a run of
    // whole counts centred on their shares.
    int32_t lowest = fluctuation.Lowest;
    int32_t highest = fluctuation.Highest;
    int64_t inside = 0;
    for (int32_t count : counts) {
        lowest = std::min(lowest, count);
        highest = std::max(highest, count);
        inside += count >= fluctuation.Lowest && count <= fluctuation.Highest;
    }
    const int32_t barCounts = std::max(1, (highest - lowest + HistogramBars) / HistogramBars);
    std::vector<int64_t> bars(size_t((highest - lowest) / barCounts + 1), 0);
    for (int32_t count : counts)
        ++bars[size_t((count - lowest) / barCounts)];
    const int64_t tallest = bars.empty() ? 0 : *std::max_element(bars.begin(), bars.end());
    const double left = (lowest - 0.5) / n;
    const double right = (lowest + double(bars.size()) * barCounts - 0.5) / n;

    QValueAxis* x = AddAxis(chart, Qt::AlignBottom, QStringLiteral("Part estimée f"), left, right);
    QValueAxis* y = AddAxis(chart, Qt::AlignLeft, QStringLiteral("Enquêtes"), 0,
                            std::max<double>(4, double(tallest) * 1.05));
    y->setLabelFormat(QStringLiteral("%.0f"));
    y->applyNiceNumbers();
    const double top = y->max();

    // The belt under the bars, as on the chart: where 95 % of the estimates should fall.
    const double beltLow = (fluctuation.Lowest - 0.5) / n;
    const double beltHigh = (fluctuation.Highest + 0.5) / n;
    auto* beltTop = new QLineSeries;
    beltTop->append(beltLow, top);
    beltTop->append(beltHigh, top);
    auto* belt = new QAreaSeries(beltTop);
    // An area owns no line of its own: this one goes with it.
    beltTop->setParent(belt);
    belt->setName(QStringLiteral("Fluctuation à 95 % : %1 à %2")
                      .arg(FixedText(fluctuation.Lowest / n, 3), FixedText(fluctuation.Highest / n, 3)));
    belt->setColor(QColor(255, 236, 140));
    belt->setBorderColor(QColor(220, 180, 0));
    Attach(chart, belt, x, y);

    auto* outline = new QLineSeries;
    for (size_t bar = 0; bar < bars.size(); ++bar) {
        const double from = (lowest + double(bar) * barCounts - 0.5) / n;
        const double to = from + barCounts / n;
        outline->append(from, double(bars[bar]));
        outline->append(to, double(bars[bar]));
    }
    auto* histogram = new QAreaSeries(outline);
    outline->setParent(histogram);
    histogram->setName(QStringLiteral("Estimations"));
    histogram->setColor(QColor(70, 110, 200, 200));
    histogram->setBorderColor(QColor(30, 50, 120));
    Attach(chart, histogram, x, y);

    QLineSeries* truth = Segment({share, 0}, {share, top}, Qt::red, 2.5);
    truth->setName(QStringLiteral("Part vraie p"));
    Attach(chart, truth, x, y);

    const int32_t done = figures.front().Surveys;
    const QString insideText =
        done == 0 ? QString()
                  : QStringLiteral("%1 % des estimations dans l'intervalle de fluctuation (%2 sur %3)")
                        .arg(FixedText(100.0L * inside / done, 1), IntegerText(inside), IntegerText(done));
    chart->setTitle(QStringLiteral("Les %1 estimations de la part, n = %2").arg(IntegerText(done), IntegerText(sampleSize)));
    LabelInside->setText(insideText);
    LabelInside->adjustSize();
}

void TSimulation::ShowIntervals()
{
    const std::span<const int32_t> counts = simulation->Counts();
    const auto shown = int(std::min<size_t>(counts.size(), ShownIntervals));
    // Past the first hundred surveys the bars no longer change.
    if (shown == intervalsDrawn)
        return;
    intervalsDrawn = shown;
    QChart* chart = ChartIntervals->chart();
    ClearChart(chart);
    const long double trueShare = simulation->TrueShare();
    const auto share = double(trueShare);

    QValueAxis* x = AddAxis(chart, Qt::AlignBottom, QStringLiteral("Part"), 0, 1);
    QValueAxis* y = AddAxis(chart, Qt::AlignLeft, QStringLiteral("Enquête"), 0, ShownIntervals);
    y->setLabelFormat(QStringLiteral("%.0f"));

    double lowest = share;
    double highest = share;
    int missing = 0;
    for (int survey = 0; survey < shown; ++survey) {
        const ShareLimits limits = MethodLimits(IntervalMethod::ClopperPearson, counts[size_t(survey)],
                                                simulation->SampleSize());
        const bool holds = limits.Lower <= trueShare && trueShare <= limits.Upper;
        missing += !holds;
        lowest = std::min(lowest, limits.Lower);
        highest = std::max(highest, limits.Upper);
        QLineSeries* bar = Segment({limits.Lower, survey + 0.5}, {limits.Upper, survey + 0.5},
                                   holds ? QColor(0, 150, 0) : QColor(220, 0, 0), 1.5);
        Attach(chart, bar, x, y);
        HideFromLegend(chart, bar);
    }
    const double margin = std::max(0.01, (highest - lowest) * 0.05);
    x->setRange(std::max(0.0, lowest - margin), std::min(1.0, highest + margin));

    QLineSeries* truth = Segment({share, 0}, {share, double(ShownIntervals)}, Qt::black, 1.5, Qt::DashLine);
    truth->setName(QStringLiteral("Part vraie p"));
    Attach(chart, truth, x, y);
    chart->setTitle(shown == 0 ? QStringLiteral("Les %1 premiers intervalles").arg(ShownIntervals)
                               : QStringLiteral("%1 intervalles de Clopper-Pearson : %2 contiennent p, %3 non")
                                     .arg(IntegerText(shown), IntegerText(shown - missing), IntegerText(missing)));
}
