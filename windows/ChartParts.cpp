// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "windows/ChartParts.h"

#include "core/SimulationCharts.h"

#include <QChart>
#include <QChartView>
#include <QLegendMarker>
#include <QLocale>
#include <QLineSeries>
#include <QValueAxis>

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

QValueAxis* AddShareAxis(QChart* chart, const QString& title, double low, double high)
{
    QValueAxis* axis = ShareAxisOf(RoundShareAxis(low, high), title);
    chart->addAxis(axis, Qt::AlignBottom);
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
