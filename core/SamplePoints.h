// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A survey's sample points as a table, one row a point, for a GIS or a spreadsheet: where each
// lies, the land use it was counted under (or none), and when it was counted; and the same as CSV,
// in pixels of the map as drawn.

#include "core/SurveyTally.h"

#include <QPoint>
#include <QString>
#include <cstdint>
#include <vector>

struct SamplePointRow {
    int32_t Number;  // 1 for the first point "Go" placed
    QPoint Place;    // a pixel of the map as drawn, (0, 0) its top-left one
    QString Use;     // the land use it was counted under; empty when it is not counted
    int32_t CountOrder;  // 1 for the first point counted, 0 when it is not counted
};

// In the order "Go" placed them.
std::vector<SamplePointRow> SamplePointRows(const TSurveyTally& tally);

// "Point;X;Y;Usage du sol;Compté;Ordre;Graine", one line a point, with the results export's
// conventions (byte-order mark, ';', names guarded): X rightwards and Y downwards from the map's
// top-left pixel, in pixels of the map as drawn.
QByteArray SamplePointsCsv(const TSurveyTally& tally);
