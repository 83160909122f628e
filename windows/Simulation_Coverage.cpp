// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The simulation window's exact coverage curve: the four methods' coverage for the n typed, as p
// goes from 0 to 1, with the 95 % line and the chosen colours' true share. It needs no run. At
// n = 10000 the exact limits of every count take a few hundred milliseconds: the curve is worked
// out on a thread of its own, handed back to the window's thread, and drawn if it still answers
// the latest n and colours.

#include "windows/Simulation.h"

#include "windows/ChartParts.h"
#include "core/CoverageCurve.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "ui/Dispatch.h"
#include "ui/WindowFrame.h"

#include <QChart>
#include <QChartView>
#include <QLineEdit>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QTabBar>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {

using Curves = std::array<MethodCoverage, IntervalMethods.size()>;

// One colour a method, the same in every chart.
QColor MethodColour(IntervalMethod method)
{
    switch (method) {
    case IntervalMethod::ClopperPearson:
        return QColor(30, 80, 200);
    case IntervalMethod::Wilson:
        return QColor(0, 140, 60);
    case IntervalMethod::Wald:
        return QColor(230, 110, 0);
    case IntervalMethod::RootN:
        return QColor(150, 30, 160);
    }
    return Qt::black;
}

QLineSeries* Line(const QString& name, const QColor& colour, qreal width, Qt::PenStyle style = Qt::SolidLine)
{
    auto* line = new QLineSeries;
    line->setName(name);
    line->setPen(QPen(colour, width, style));
    return line;
}

void ClearCoverageChart(QChart* chart, const QString& title)
{
    ClearChart(chart);
    chart->setTitle(title);
}

// The coverage axis goes down to the lowest coverage of p between 5 % and 95 %, where the teeth
// are, and no higher than 0.9, so that the 95 % line always has room under it; Wald's plunge
// towards 0 at the ends runs off the bottom. At most seven ticks: more, and the chart's height
// leaves their labels no room.
ShareAxis CoverageAxis(const Curves& curves)
{
    double lowest = 0.9;
    for (const MethodCoverage& method : curves)
        for (const CoveragePoint& point : method.Curve)
            if (point.Share >= 0.05 && point.Share <= 0.95)
                lowest = std::min(lowest, point.Coverage);
    for (const double step : {0.02, 0.05, 0.1, 0.2}) {
        // A hair of slack, so that 0.9 over 0.02 counts as 45 and not as 44.99…
        const double from = std::floor(lowest / step + 1e-9) * step;
        if ((1 - from) / step <= 7 + 1e-9)
            return {from, 1.0, step, step < 0.1 ? 2 : 1};
    }
    return {0.0, 1.0, 0.2, 1};
}

void DrawCoverage(QChart* chart, const Curves& curves, int32_t sampleSize, std::optional<PixelShare> share)
{
    const QString title = QStringLiteral("Couverture exacte des quatre méthodes, n = %1").arg(IntegerText(sampleSize));
    ClearCoverageChart(chart, share ? QStringLiteral("%1<br>en rouge, la part vraie p = %2")
                                          .arg(title, PercentText(share->Chosen, share->Total))
                                    : title);
    QValueAxis* x = ShareAxisOf(RoundShareAxis(0.0, 1.0), QStringLiteral("Part vraie p"));
    QValueAxis* y = ShareAxisOf(CoverageAxis(curves), QStringLiteral("Couverture"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    std::vector<QLineSeries*> lines;
    for (const MethodCoverage& method : curves) {
        QList<QPointF> points;
        for (const CoveragePoint& point : method.Curve)
            points.append({point.Share, point.Coverage});
        lines.push_back(Line(TaughtMethodName(method.Method), MethodColour(method.Method), 1.2));
        lines.back()->replace(points);
    }
    // The promise and p speak for themselves, by the axis and the title: the legend keeps its
    // room for the methods' names.
    std::vector<QLineSeries*> marks = {Line(QString(), Qt::black, 1.5, Qt::DashLine)};
    marks.back()->append(0, 0.95);
    marks.back()->append(1, 0.95);
    if (share) {
        const auto p = double(share->Value());
        marks.push_back(Line(QString(), Qt::red, 2));
        marks.back()->append(p, y->min());
        marks.back()->append(p, y->max());
    }
    lines.insert(lines.end(), marks.begin(), marks.end());
    for (QLineSeries* line : lines) {
        chart->addSeries(line);
        line->attachAxis(x);
        line->attachAxis(y);
    }
    for (QLineSeries* mark : marks)
        for (QLegendMarker* marker : chart->legend()->markers(mark))
            marker->setVisible(false);
}

}  // namespace

void TSimulation::BuildCoverageTab()
{
    ChartCoverage->setAccessibleName(QStringLiteral("Couverture exacte des quatre méthodes"));
    ChartCoverage->setToolTip(QStringLiteral("Pour le n choisi, la part des enquêtes dont l'intervalle contient p, "
                                             "calculée exactement par la loi binomiale pour chaque p de 0 à 1"));
    // The four methods' names side by side under the chart, a little smaller than the table.
    ChartCoverage->chart()->legend()->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 10, false));
    ChartCoverage->hide();
    TabCharts = new QTabBar(this);
    TabCharts->setShape(QTabBar::RoundedSouth);
    TabCharts->addTab(QStringLiteral("&Intervalles de la simulation"));
    TabCharts->addTab(QStringLiteral("&Couverture exacte selon p"));
    TabCharts->setGeometry(496, 664, 496, 26);
    TabCharts->setExpanding(false);
    // Two tabs always fit: no arrows to scroll them.
    TabCharts->setUsesScrollButtons(false);
    TabCharts->setAccessibleName(QStringLiteral("Graphique du bas"));
    SetToolTip(TabCharts, QStringLiteral("Montrer les premiers intervalles de la simulation, ou la couverture exacte "
                                         "des quatre méthodes pour le n choisi, sans simulation"));
    connect(TabCharts, &QTabBar::currentChanged, this, Guarded(this, &TSimulation::TabChartsChange));
}

void TSimulation::TabChartsChange()
{
    ChartIntervals->setVisible(TabCharts->currentIndex() == 0);
    ChartCoverage->setVisible(TabCharts->currentIndex() == 1);
}

void TSimulation::ShowCoverageCurve()
{
    int32_t sampleSize = 0;
    try {
        sampleSize = ParseInteger(EdN->text());
    } catch (const EConvertError&) {
        // Not a number: as out of range, the chart says what it waits for.
    }
    const PixelShare chosen = pixels ? ChosenShare(colours, ChosenColours()) : PixelShare{0, 1};
    const std::optional<PixelShare> share = chosen.Chosen > 0 ? std::optional(chosen) : std::nullopt;
    const bool sameShare = share.has_value() == coverageShare.has_value()
                           && (!share || (share->Chosen == coverageShare->Chosen && share->Total == coverageShare->Total));
    if (sampleSize == coverageSampleSize && sameShare)
        return;
    StopCoverageCurve();
    coverageSampleSize = sampleSize;
    coverageShare = share;
    const int request = ++coverageRequest;
    QChart* chart = ChartCoverage->chart();
    if (sampleSize < 1 || sampleSize > MaxSampleSize) {
        ClearCoverageChart(chart, QStringLiteral("Couverture exacte : entrez une taille d'échantillon n de 1 à %1")
                                      .arg(IntegerText(MaxSampleSize)));
        return;
    }
    ClearCoverageChart(chart, QStringLiteral("Couverture exacte pour n = %1 : calcul…").arg(IntegerText(sampleSize)));
    coverageStop = false;
    coverageWorker = std::thread([this, request, sampleSize, share] {
        auto curves = std::make_shared<std::optional<Curves>>(ExactCoverageCurves(sampleSize, share, coverageStop));
        if (!*curves)
            return;
        // Drawn on the window's thread; a request made meanwhile has stopped and joined this one,
        // so a curve that arrives late is one that no longer answers and is left.
        QMetaObject::invokeMethod(
            this,
            [this, request, curves] {
                if (request != coverageRequest)
                    return;
                coverageWorker.join();
                DrawCoverage(ChartCoverage->chart(), **curves, coverageSampleSize, coverageShare);
            },
            Qt::QueuedConnection);
    });
}

void TSimulation::StopCoverageCurve()
{
    if (!coverageWorker.joinable())
        return;
    coverageStop = true;
    coverageWorker.join();
}
