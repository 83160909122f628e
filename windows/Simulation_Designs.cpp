// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The simulation window's sampling designs: the boxes that choose which are compared, their table
// with one row per design, their estimates' histograms over one another and their coverages, the
// design's interval beside the simple random one. What the charts show is worked out in core
// (DesignSimulation, SimulationCharts); here it is only drawn.

#include "windows/Simulation.h"

#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/SimulationCharts.h"
#include "ui/Dispatch.h"
#include "ui/HouseStyle.h"
#include "ui/TextGrid.h"
#include "ui/WindowFrame.h"
#include "windows/ChartParts.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QValueAxis>
#include <algorithm>

namespace {

// One colour per kind of design, the same in the table's hints, the histograms and the coverages.
QColor DesignColour(DesignKind kind)
{
    switch (kind) {
    case DesignKind::SimpleRandom:
        return QColor(40, 80, 200);
    case DesignKind::Systematic:
        return QColor(0, 140, 0);
    case DesignKind::Stratified:
        return QColor(220, 130, 0);
    case DesignKind::Clustered:
        return QColor(200, 0, 0);
    }
    return Qt::black;
}

// The table's first column: one design of each kind at most, so its kind names it.
QString ShortDesignName(DesignKind kind)
{
    switch (kind) {
    case DesignKind::SimpleRandom:
        return QStringLiteral("Aléatoire");
    case DesignKind::Systematic:
        return QStringLiteral("Systématique");
    case DesignKind::Stratified:
        return QStringLiteral("Strates");
    case DesignKind::Clustered:
        return QStringLiteral("Grappes");
    }
    return {};
}

QCheckBox* MakeCheckBox(QWidget* parent, const QString& caption, int left, int top, int width, const QString& tip)
{
    auto* box = new QCheckBox(caption, parent);
    box->setGeometry(left, top, width, 21);
    box->setToolTip(tip);
    return box;
}

QLineEdit* MakeNumberBox(QWidget* parent, int left, int top, const QString& value, const QString& name,
                         const QString& tip)
{
    QLineEdit* box = MakeEditBox(parent, left, top, 44, 21, HouseBlue);
    box->setText(value);
    box->setAccessibleName(name);
    box->setToolTip(tip);
    return box;
}

QString CoverageText(const CoverageFigures& coverage)
{
    return coverage.Surveys > 0 ? FixedText(double(coverage.Share), 3) : QStringLiteral("—");
}

QString CoverageHint(const CoverageFigures& coverage)
{
    if (coverage.Surveys == 0)
        return QStringLiteral("Aucune enquête n'a donné d'intervalle");
    return QStringLiteral("%1 intervalles sur %2 contiennent p ; intervalle exact à 95 % : %3 à %4")
        .arg(IntegerText(coverage.Holding), IntegerText(coverage.Surveys), FixedText(coverage.Limits.Lower, 3),
             FixedText(coverage.Limits.Upper, 3));
}

}  // namespace

void TSimulation::MakeDesignControls()
{
    const QColor text = palette().color(QPalette::WindowText);
    LabelPlans = MakeLabel(this, QStringLiteral("Plans :"), 8, 227, font(), text);
    CheckAleatoire = MakeCheckBox(this, QStringLiteral("Aléatoire si&mple"), 64, 224, 136,
                                  QStringLiteral("Les n points tirés au hasard sur toute la carte, comme « Go »"));
    CheckAleatoire->setChecked(true);
    CheckSystematique = MakeCheckBox(this, QStringLiteral("S&ystématique"), 204, 224, 112,
                                     QStringLiteral("Environ n points sur un quadrillage régulier dont le départ "
                                                    "est tiré au hasard"));
    CheckStrates = MakeCheckBox(this, QStringLiteral("S&trates, B ="), 320, 224, 100,
                                QStringLiteral("La carte coupée en B blocs de même surface, n partagé entre eux, "
                                               "les points tirés au hasard dans chaque bloc"));
    EdBlocs = MakeNumberBox(this, 424, 224, QStringLiteral("4"), QStringLiteral("Nombre de blocs B"),
                            QStringLiteral("Le nombre de blocs B, au moins 2, avec au moins 2 points par bloc"));
    CheckGrappes = MakeCheckBox(this, QStringLiteral("Gra&ppes, C ="), 64, 252, 108,
                                QStringLiteral("C grappes de s × s points espacés de e pixels, placées au hasard : "
                                               "C × s² points, quel que soit n"));
    EdGrappes = MakeNumberBox(this, 176, 252, QStringLiteral("10"), QStringLiteral("Nombre de grappes C"),
                              QStringLiteral("Le nombre de grappes C"));
    LabelCote = MakeLabel(this, QStringLiteral("s ="), 232, 255, font(), text);
    EdCote = MakeNumberBox(this, 256, 252, QStringLiteral("3"), QStringLiteral("Points par côté de grappe s"),
                           QStringLiteral("Le nombre s de points sur chaque côté d'une grappe"));
    LabelEcart = MakeLabel(this, QStringLiteral("e ="), 312, 255, font(), text);
    EdEcart = MakeNumberBox(this, 336, 252, QStringLiteral("12"), QStringLiteral("Écart e entre points d'une grappe"),
                            QStringLiteral("L'écart e, en pixels, entre deux points voisins d'une grappe"));
    for (QCheckBox* box : {CheckAleatoire, CheckSystematique, CheckStrates, CheckGrappes})
        connect(box, &QCheckBox::toggled, this, Guarded(this, &TSimulation::SettingsChanged));
    for (QLineEdit* box : {EdBlocs, EdGrappes, EdCote, EdEcart})
        connect(box, &QLineEdit::textChanged, this, Guarded(this, &TSimulation::SettingsChanged));
}

void TSimulation::MakeDesignTable()
{
    GridDesigns = new TTextGrid(this, WithoutIntervalColumn + 1, {24, 24, 24, 24, 24});
    GridDesigns->setGeometry(GridMethods->geometry());
    GridDesigns->setFont(GridMethods->font());
    GridDesigns->setAccessibleName(QStringLiteral("Comparaison des plans"));
    SetToolTip(GridDesigns, QStringLiteral("Pour chaque plan, sur les K enquêtes : les points placés, la moyenne et "
                                           "l'écart-type des estimations, l'erreur type estimée moyenne et la part "
                                           "des intervalles qui contiennent p"));
    const std::pair<DesignTableColumn, std::pair<const char*, const char*>> headers[] = {
        {PlanColumn, {"Plan", "Le plan de sondage"}},
        {PointsColumn, {"Points", "Points placés sur la carte, en moyenne"}},
        {MeanColumn, {"Moyenne", "Moyenne des estimations de p"}},
        {SpreadColumn, {"Écart-type", "Écart-type des estimations : leur dispersion vraie"}},
        {ErrorColumn, {"ES moy.", "Erreur type estimée par chaque enquête, en moyenne"}},
        {DesignCoverageColumn, {"Couv. plan", "Part des intervalles du plan qui contiennent p"}},
        {NaiveCoverageColumn, {"Couv. simple", "Part des intervalles aléatoires simples (Clopper-Pearson de "
                                               "comptés sur placés) qui contiennent p"}},
        {WithoutIntervalColumn, {"Sans IC", "Enquêtes où le plan ne peut pas donner d'intervalle"}}};
    for (const auto& [column, texts] : headers) {
        GridDesigns->SetCell(column, 0, QString::fromUtf8(texts.first));
        GridDesigns->SetCellHint(column, 0, QString::fromUtf8(texts.second));
    }
    const int planWidth = GridDesigns->verticalHeader()->fontMetrics().horizontalAdvance(QStringLiteral("Systématique")) + 8;
    GridDesigns->verticalHeader()->setFixedWidth(planWidth);
    GridDesigns->horizontalHeader()->setDefaultSectionSize(
        (GridDesigns->width() - 2 * GridDesigns->frameWidth() - planWidth) / WithoutIntervalColumn);
    GridDesigns->hide();
    setTabOrder(GridMethods, GridDesigns);
}

std::vector<SampleDesign> TSimulation::ChosenDesigns() const
{
    std::vector<SampleDesign> designs;
    if (CheckAleatoire->isChecked())
        designs.push_back({DesignKind::SimpleRandom});
    if (CheckSystematique->isChecked())
        designs.push_back({DesignKind::Systematic});
    if (CheckStrates->isChecked())
        designs.push_back({DesignKind::Stratified, ParseInteger(EdBlocs->text())});
    if (CheckGrappes->isChecked())
        designs.push_back({DesignKind::Clustered, SampleDesign{}.Blocks, ParseInteger(EdGrappes->text()),
                           ParseInteger(EdCote->text()), ParseInteger(EdEcart->text())});
    if (designs.empty())
        throw EInvalidOperation(QStringLiteral("Cochez au moins un plan de sondage !"));
    return designs;
}

void TSimulation::ShowDesignFigures()
{
    std::vector<DesignFigures> figures;
    int32_t done = 0;
    for (const auto& run : designRuns) {
        figures.push_back(run->Figures());
        done += figures.back().Surveys;
    }
    ProgressRun->setFormat(QStringLiteral("%v / %m enquêtes"));
    ProgressRun->setRange(0, designRuns.front()->Surveys() * int(designRuns.size()));
    ProgressRun->setValue(done);
    LabelInside->clear();
    ShowDesignTable(figures);
    ShowDesignEstimates();
    ShowDesignCoverages(figures);
    LabelReading->setText(QStringLiteral(
        "Lecture : chaque plan refait les K enquêtes sur la même carte, depuis la même graine. L'écart-type dit "
        "combien les estimations varient vraiment ; un plan qui tient sa promesse donne un intervalle qui contient p "
        "dans 95 % des enquêtes. L'intervalle aléatoire simple appliqué aux grappes en contient souvent moins."));
    LabelReading->adjustSize();
}

void TSimulation::ShowDesignTable(const std::vector<DesignFigures>& figures)
{
    GridDesigns->SetRowCount(int(figures.size()) + 1);
    for (size_t row = 0; row < figures.size(); ++row) {
        const DesignFigures& design = figures[row];
        const int gridRow = int(row) + 1;
        const bool any = design.Surveys > 0;
        const auto figure = [&](DesignTableColumn column, const QString& text, const QString& hint = {}) {
            GridDesigns->SetCell(column, gridRow, any ? text : QString());
            GridDesigns->SetCellHint(column, gridRow, any ? hint : QString());
        };
        GridDesigns->SetCell(PlanColumn, gridRow, ShortDesignName(design.Design.Kind));
        GridDesigns->SetCellHint(PlanColumn, gridRow, DesignText(design.Design));
        figure(PointsColumn, FixedText(double(design.MeanPoints), 1));
        figure(MeanColumn, FixedText(double(design.MeanEstimate), 4),
               QStringLiteral("Erreur Monte-Carlo : %1").arg(FixedText(double(design.MeanEstimateError), 4)));
        figure(SpreadColumn, FixedText(double(design.EstimateSpread), 4),
               QStringLiteral("Erreur Monte-Carlo : %1").arg(FixedText(double(design.EstimateSpreadError), 4)));
        figure(ErrorColumn, FixedText(double(design.MeanStandardError), 4));
        figure(DesignCoverageColumn, CoverageText(design.DesignCoverage), CoverageHint(design.DesignCoverage));
        figure(NaiveCoverageColumn, CoverageText(design.NaiveCoverage), CoverageHint(design.NaiveCoverage));
        figure(WithoutIntervalColumn, IntegerText(design.WithoutInterval));
    }
}

void TSimulation::ShowDesignEstimates()
{
    QChart* chart = ChartEstimates->chart();
    ClearChart(chart);
    std::vector<std::vector<double>> shares;
    for (const auto& run : designRuns) {
        std::vector<double>& estimates = shares.emplace_back();
        for (const DesignSurvey& survey : run->Done())
            estimates.push_back(survey.Share);
    }
    const SharedHistogram histogram = HistogramsOfShares(shares, HistogramBars);
    const double barsEnd = histogram.From + histogram.BarWidth * double(histogram.Bars.front().size());
    QValueAxis* x = ShareAxisOf(RoundShareAxis(histogram.From, barsEnd), QStringLiteral("Part estimée"));
    chart->addAxis(x, Qt::AlignBottom);
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("Enquêtes"));
    y->setRange(0, std::max<double>(4, double(histogram.Tallest) * 1.05));
    y->setLabelFormat(QStringLiteral("%.0f"));
    y->applyNiceNumbers();
    chart->addAxis(y, Qt::AlignLeft);

    // Outlines without fill, so that each histogram shows through the others.
    for (size_t d = 0; d < designRuns.size(); ++d) {
        auto* outline = new QLineSeries;
        outline->append(histogram.From, 0);
        for (size_t bar = 0; bar < histogram.Bars[d].size(); ++bar) {
            const double from = histogram.From + double(bar) * histogram.BarWidth;
            outline->append(from, double(histogram.Bars[d][bar]));
            outline->append(from + histogram.BarWidth, double(histogram.Bars[d][bar]));
        }
        outline->append(barsEnd, 0);
        outline->setName(ShortDesignName(designRuns[d]->Design().Kind));
        outline->setPen(QPen(DesignColour(designRuns[d]->Design().Kind), 2));
        Attach(chart, outline, x, y);
    }
    const auto share = double(designRuns.front()->Share().Value());
    QLineSeries* truth = Segment({share, 0}, {share, y->max()}, QPen(Qt::black, 2, Qt::DashLine));
    truth->setName(QStringLiteral("Part vraie p"));
    Attach(chart, truth, x, y);
    chart->setTitle(ChartTitle(QStringLiteral("Les estimations de chaque plan, K = %1")
                                   .arg(IntegerText(designRuns.front()->Surveys()))));
}

void TSimulation::ShowDesignCoverages(const std::vector<DesignFigures>& figures)
{
    QChart* chart = ChartIntervals->chart();
    ClearChart(chart);
    double lowest = 0.9;
    for (const DesignFigures& design : figures)
        for (const CoverageFigures* coverage : {&design.DesignCoverage, &design.NaiveCoverage})
            if (coverage->Surveys > 0)
                lowest = std::min(lowest, coverage->Limits.Lower);
    const ShareAxis round = RoundShareAxis(lowest - 0.01, 1.0);
    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("Couverture (intervalle exact à 95 %)"));
    x->setRange(round.From, round.To);
    x->setLabelFormat(QStringLiteral("%.%1f").arg(round.Decimals));
    chart->addAxis(x, Qt::AlignBottom);
    auto* y = new QCategoryAxis;
    y->setRange(0, double(figures.size()));
    y->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    for (size_t row = 0; row < figures.size(); ++row)
        y->append(ShortDesignName(figures[row].Design.Kind), double(row) + 1);
    chart->addAxis(y, Qt::AlignLeft);

    bool namedDesign = false, namedNaive = false;
    for (size_t row = 0; row < figures.size(); ++row) {
        const DesignFigures& design = figures[row];
        const std::pair<const CoverageFigures*, double> bars[] = {{&design.DesignCoverage, 0.65},
                                                                  {&design.NaiveCoverage, 0.35}};
        for (const auto& [coverage, height] : bars) {
            if (coverage->Surveys == 0)
                continue;
            const bool ofDesign = coverage == &design.DesignCoverage;
            const double level = double(row) + height;
            QLineSeries* bar = Segment({coverage->Limits.Lower, level}, {coverage->Limits.Upper, level},
                                       QPen(ofDesign ? DesignColour(design.Design.Kind) : Qt::gray, 6));
            Attach(chart, bar, x, y);
            bool& named = ofDesign ? namedDesign : namedNaive;
            if (named)
                HideFromLegend(chart, bar);
            else
                bar->setName(ofDesign ? QStringLiteral("Intervalle du plan") : QStringLiteral("Intervalle simple"));
            named = true;
        }
    }
    QLineSeries* promise = Segment({0.95, 0}, {0.95, double(figures.size())}, QPen(Qt::black, 1.5, Qt::DashLine));
    promise->setName(QStringLiteral("95 % promis"));
    Attach(chart, promise, x, y);
    chart->setTitle(ChartTitle(QStringLiteral("Couverture de p par plan")));
}
