// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "windows/SimulationChartParts.h"

#include <QChart>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>

void ClearChart(QChart* chart)
{
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}

QValueAxis* ShareAxisOf(const ShareAxis& round, const QString& title)
{
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    // Twenty steps of 0.05 make 1.0000000000000002: without a hair of room the tick at 1 is
    // left out.
    const double slack = round.Step * 1e-9;
    axis->setRange(round.From - slack, round.To + slack);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(round.Step);
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(round.Decimals));
    return axis;
}

void Attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y)
{
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

QLineSeries* Segment(QPointF from, QPointF to, const QPen& pen)
{
    auto* segment = new QLineSeries;
    segment->append(from);
    segment->append(to);
    segment->setPen(pen);
    return segment;
}

void HideFromLegend(QChart* chart, QAbstractSeries* series)
{
    for (QLegendMarker* marker : chart->legend()->markers(series))
        marker->setVisible(false);
}
