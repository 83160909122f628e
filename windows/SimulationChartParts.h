// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The pieces the simulation window's charts are drawn with (Simulation_Charts.cpp, its designs'
// and its coverage curve's files): a chart emptied before it is drawn anew, an axis of shares on
// round ticks, a straight segment, a series kept out of the legend.

#include "core/Simulation.h"

#include <QPen>
#include <QPointF>
#include <QString>

class QAbstractAxis;
class QAbstractSeries;
class QChart;
class QLineSeries;
class QValueAxis;

// Series and axes of the last drawing go: a chart is drawn anew from the surveys done so far.
void ClearChart(QChart* chart);
// An axis of shares from round.From to round.To, its ticks every round.Step from 0, its last tick
// shown even where that many steps add up a hair past it.
QValueAxis* ShareAxisOf(const ShareAxis& round, const QString& title);
void Attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y);
QLineSeries* Segment(QPointF from, QPointF to, const QPen& pen);
void HideFromLegend(QChart* chart, QAbstractSeries* series);
