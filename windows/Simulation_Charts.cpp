// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The simulation window's two charts: the histogram of the estimates over the fluctuation
// interval, and the first intervals, green where they hold p and red where they miss it. What
// they show is worked out in core (SimulationCharts); here it is only drawn.

#include "windows/Simulation.h"

#include "core/Numbers.h"
#include "core/SimulationCharts.h"
#include "windows/ChartParts.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>

void TSimulation::ClearCharts()
{
    ClearChart(ChartEstimates->chart());
    ClearChart(ChartIntervals->chart());
    ChartEstimates->chart()->setTitle(QStringLiteral("Estimations de la part"));
    ChartIntervals->chart()->setTitle(QStringLiteral("Les %1 premiers intervalles").arg(ShownIntervals));
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

    QLineSeries* truth = Segment({share, 0}, {share, top}, QPen(Qt::red, 2.5));
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
                                   QPen(interval.Holds ? QColor(0, 150, 0) : QColor(220, 0, 0), 1.5));
        Attach(chart, bar, x, y);
        HideFromLegend(chart, bar);
    }

    QLineSeries* truth = Segment({share, 0}, {share, double(ShownIntervals)}, QPen(Qt::black, 1.5, Qt::DashLine));
    truth->setName(QStringLiteral("Part vraie p"));
    Attach(chart, truth, x, y);
    chart->setTitle(ChartTitle(shown == 0 ? QStringLiteral("Les %1 premiers intervalles").arg(ShownIntervals)
                                          : QStringLiteral("%1 intervalles de Clopper-Pearson : %2 contiennent p, %3 non")
                                                .arg(IntegerText(shown), IntegerText(shown - first.Missing),
                                                     IntegerText(first.Missing))));
}
