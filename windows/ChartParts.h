// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The pieces every Qt Charts figure of the windows is drawn with: the view in the house's
// settings, axes of shares on round values, and segments for bars and reference lines.

#include "core/Simulation.h"

#include <QPen>
#include <QPointF>
#include <QString>

class QAbstractAxis;
class QAbstractSeries;
class QChart;
class QChartView;
class QLineSeries;
class QValueAxis;
class QWidget;

// A chart view at (left, top): antialiased, its legend at the bottom, its numbers written with the
// regional decimal separator, left out of the tab order.
QChartView* MakeChartView(QWidget* parent, int left, int top, int width, int height);

// Series and axes of the last drawing go: a chart is drawn anew from its figures.
void ClearChart(QChart* chart);

QValueAxis* AddAxis(QChart* chart, Qt::Alignment side, const QString& title, qreal low, qreal high);
// An axis of shares from round.From to round.To, its ticks every round.Step from 0, its last tick
// shown even where that many steps add up a hair past it; not yet added to a chart.
QValueAxis* ShareAxisOf(const ShareAxis& round, const QString& title);
// An axis of shares over at least [low, high], within 0 and 1, its ticks on round values, at the
// chart's bottom.
QValueAxis* AddShareAxis(QChart* chart, const QString& title, double low, double high);

void Attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y);
QLineSeries* Segment(QPointF from, QPointF to, const QPen& pen);
void HideFromLegend(QChart* chart, QAbstractSeries* series);
