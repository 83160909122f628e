// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The simulation window's figures: the table of the methods, the histogram of the estimates over
// the fluctuation interval, the first intervals, and the caption that names the run they belong to.

#include "windows/Simulation.h"

#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/SimulationCharts.h"
#include "ui/TextGrid.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {

// The mark of figures that belong to a former run, in the caption and the charts' titles.
const QColor formerRunColour(170, 0, 0);

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

// An axis of shares over at least [low, high], within 0 and 1, its ticks on round values.
QValueAxis* AddShareAxis(QChart* chart, const QString& title, double low, double high)
{
    const ShareAxis round = RoundShareAxis(low, high);
    QValueAxis* axis = AddAxis(chart, Qt::AlignBottom, title, round.From, round.To);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(round.Step);
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(round.Decimals));
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

// Whether the box holds `value`, as its parser reads it.
template <class Parse>
bool BoxHolds(const QLineEdit* box, Parse parse, int64_t value)
{
    try {
        return int64_t(parse(box->text())) == value;
    } catch (const EConvertError&) {
        return false;
    }
}

// The exact chance of the fluctuation interval, to a tenth of a percent: 100 % only when no
// count outside it can happen.
QString ChanceText(const SurveySimulation& run)
{
    const CountRange band = run.Fluctuation();
    const PixelShare share = run.Share();
    const bool noneBelow = band.Lowest == 0 || share.Chosen == share.Total;
    const bool noneAbove = band.Highest == run.SampleSize() || share.Chosen == 0;
    if (noneBelow && noneAbove)
        return QStringLiteral("100 %");
    return FixedText(std::min(99.9L, std::round(1000 * band.Probability) / 10), 1) + QStringLiteral(" %");
}

// Read when shown: the decimal separator follows the regional settings.
QString ReadingOfCoverage()
{
    return QStringLiteral("Une méthode qui tient sa promesse donne un intervalle qui contient p dans 95 % des "
                          "enquêtes au moins : comparez les colonnes « Couverture » et « Attendue » à %1.")
        .arg(FixedText(0.95L, 2));
}

}  // namespace

void TSimulation::ShowFigures()
{
    ShowRunCaption();
    if (!simulation) {
        ProgressRun->setFormat(QStringLiteral("Aucune enquête encore"));
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
    ProgressRun->setFormat(QStringLiteral("%v / %m enquêtes"));
    ProgressRun->setRange(0, simulation->Surveys());
    ProgressRun->setValue(figures.front().Surveys);
    ShowTable(figures);
    // Both charts from the same surveys: the worker adds more while they are drawn.
    const std::span<const int32_t> counts = simulation->Counts();
    ShowEstimates(counts);
    ShowIntervals(counts);
}

bool TSimulation::ShownRunMatchesSettings() const
{
    return simulation && ChosenColours() == simulatedColours
           && BoxHolds(EdN, ParseInteger, simulation->SampleSize()) && BoxHolds(EdK, ParseInteger, simulation->Surveys())
           && BoxHolds(EdGraine, ParseUnsigned, simulation->Seed());
}

// The run's description under the table, and the reading of the band with its exact chance.
void TSimulation::ShowRunCaption()
{
    if (!simulation) {
        LabelRun->clear();
        LabelReading->setText(QStringLiteral("Lecture : une estimation tombe dans l'intervalle de fluctuation (en "
                                             "jaune) avec une probabilité d'au moins 95 %, donnée exactement après une "
                                             "simulation. ")
                              + ReadingOfCoverage());
        LabelReading->adjustSize();
        return;
    }
    const bool current = ShownRunMatchesSettings();
    const QString run = QStringLiteral("%1, p = %2 ; n = %3, K = %4, graine %5")
                            .arg(ChosenColoursText(simulatedColours, names),
                                 PercentText(simulation->Share().Chosen, simulation->Share().Total),
                                 IntegerText(simulation->SampleSize()), IntegerText(simulation->Surveys()),
                                 IntegerText(simulation->Seed()));
    LabelRun->setText(current ? QStringLiteral("Simulation montrée : %1").arg(run)
                              : QStringLiteral("Simulation précédente, faite avec d'autres réglages : %1").arg(run));
    QPalette palette = LabelRun->palette();
    palette.setColor(QPalette::WindowText, current ? this->palette().color(QPalette::WindowText) : formerRunColour);
    LabelRun->setPalette(palette);
    LabelRun->adjustSize();
    LabelReading->setText(
        QStringLiteral("Lecture : pour n = %1 et p = %2, une estimation tombe dans l'intervalle de fluctuation "
                       "(en jaune) avec une probabilité de %3. ")
            .arg(IntegerText(simulation->SampleSize()),
                 PercentText(simulation->Share().Chosen, simulation->Share().Total),
                 ChanceText(*simulation))
        + ReadingOfCoverage());
    LabelReading->adjustSize();
}

QString TSimulation::ChartTitle(const QString& title) const
{
    const QString run = QStringLiteral("%1, p = %2")
                            .arg(ChosenColoursText(simulatedColours, names),
                                 PercentText(simulation->Share().Chosen, simulation->Share().Total))
                            .toHtmlEscaped();
    if (ShownRunMatchesSettings())
        return QStringLiteral("%1<br>%2").arg(title.toHtmlEscaped(), run);
    return QStringLiteral("<span style=\"color:%1\">Simulation précédente, d'autres réglages</span><br>%2<br>%3")
        .arg(formerRunColour.name(), title.toHtmlEscaped(), run);
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

void TSimulation::ShowEstimates(std::span<const int32_t> counts)
{
    QChart* chart = ChartEstimates->chart();
    ClearChart(chart);
    const int32_t sampleSize = simulation->SampleSize();
    const auto n = double(sampleSize);
    const auto share = double(simulation->TrueShare());
    const CountRange fluctuation = simulation->Fluctuation();
    const EstimateHistogram histogram = HistogramOfEstimates(counts, fluctuation);

    // Each bar a run of whole counts centred on their shares.
    const auto barShare = [&](size_t bar) { return (histogram.Lowest + double(bar) * histogram.BarCounts - 0.5) / n; };
    QValueAxis* x = AddShareAxis(chart, QStringLiteral("Part estimée f"), barShare(0), barShare(histogram.Bars.size()));
    QValueAxis* y = AddAxis(chart, Qt::AlignLeft, QStringLiteral("Enquêtes"), 0,
                            std::max<double>(4, double(histogram.Tallest) * 1.05));
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
    for (size_t bar = 0; bar < histogram.Bars.size(); ++bar) {
        const double from = barShare(bar);
        outline->append(from, double(histogram.Bars[bar]));
        outline->append(from + histogram.BarCounts / n, double(histogram.Bars[bar]));
    }
    auto* bars = new QAreaSeries(outline);
    outline->setParent(bars);
    bars->setName(QStringLiteral("Estimations"));
    bars->setColor(QColor(70, 110, 200, 200));
    bars->setBorderColor(QColor(30, 50, 120));
    Attach(chart, bars, x, y);

    QLineSeries* truth = Segment({share, 0}, {share, top}, Qt::red, 2.5);
    truth->setName(QStringLiteral("Part vraie p"));
    Attach(chart, truth, x, y);

    const int32_t done = histogram.Surveys;
    const QString insideText =
        done == 0 ? QString()
                  : QStringLiteral("%1 % des estimations dans l'intervalle de fluctuation (%2 sur %3)")
                        .arg(FixedText(histogram.InsidePercent(), 1), IntegerText(histogram.Inside), IntegerText(done));
    chart->setTitle(ChartTitle(
        QStringLiteral("Les %1 estimations de la part, n = %2").arg(IntegerText(done), IntegerText(sampleSize))));
    LabelInside->setText(insideText);
    LabelInside->adjustSize();
}

void TSimulation::ShowIntervals(std::span<const int32_t> counts)
{
    // Past the first hundred surveys the bars no longer change: they are not worked out again.
    const auto shown = int(std::min<size_t>(counts.size(), ShownIntervals));
    if (shown == intervalsDrawn)
        return;
    intervalsDrawn = shown;
    const FirstIntervals first = FirstIntervalsOf(*simulation, counts);
    QChart* chart = ChartIntervals->chart();
    ClearChart(chart);
    const auto share = double(simulation->TrueShare());

    const double margin = std::max(0.01, (first.Highest - first.Lowest) * 0.05);
    QValueAxis* x = AddShareAxis(chart, QStringLiteral("Part"), first.Lowest - margin, first.Highest + margin);
    QValueAxis* y = AddAxis(chart, Qt::AlignLeft, QStringLiteral("Enquête"), 0, ShownIntervals);
    y->setLabelFormat(QStringLiteral("%.0f"));

    for (int survey = 0; survey < shown; ++survey) {
        const DrawnInterval& interval = first.Intervals[size_t(survey)];
        QLineSeries* bar = Segment({interval.Limits.Lower, survey + 0.5}, {interval.Limits.Upper, survey + 0.5},
                                   interval.Holds ? QColor(0, 150, 0) : QColor(220, 0, 0), 1.5);
        Attach(chart, bar, x, y);
        HideFromLegend(chart, bar);
    }

    QLineSeries* truth = Segment({share, 0}, {share, double(ShownIntervals)}, Qt::black, 1.5, Qt::DashLine);
    truth->setName(QStringLiteral("Part vraie p"));
    Attach(chart, truth, x, y);
    chart->setTitle(ChartTitle(shown == 0 ? QStringLiteral("Les %1 premiers intervalles").arg(ShownIntervals)
                                          : QStringLiteral("%1 intervalles de Clopper-Pearson : %2 contiennent p, %3 non")
                                                .arg(IntegerText(shown), IntegerText(shown - first.Missing),
                                                     IntegerText(first.Missing))));
}
