// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A class's analysis as CSV text, with the conventions of the command line's other output (';'
// between fields, the regional decimal separator, lines ended by CR LF, shares from 0 to 1, no
// byte-order mark: a file written for a spreadsheet puts it first).

#include "core/ClassSurveys.h"

#include <QString>
#include <vector>

// "Carte;…", then under "Élève;N;Classés" and, for each land use of the table and "Autres",
// its points, frequency and exact 95 % limits (and, on a map with a scale, its area and the
// area's limits), one row per student and a last row "Classe" pooling them; a cell with nothing
// to give is empty.
QString ClassTableCsv(const ClassAnalysis& analysis);

// What the class says together, one line each: the pooled estimate of the chosen land use with
// its interval and how it was made, the reference, the intervals holding its share, and Fleiss'
// kappa when students classified the same points.
QString ClassSummaryCsv(const ClassAnalysis& analysis);

// The land uses a check meets: those the student or the reference gave at a checked point, as
// indexes into ClassAnalysis::Uses in its order. The matrix shown and written is cut to them.
std::vector<int> CheckedUses(const ReferenceCheck& check);
// The class table's row of a session; -1 when the session is not in the table.
int RowOfSession(const ClassAnalysis& analysis, int session);

// A student checked against the reference: "Élève", "Référence" and "Accord" lines, then the
// confusion matrix three times (the points, each cell's share of its row, of its column), the
// student's classes down, the reference's across, with "Total" last both ways. Only the land
// uses that either names at a checked point are written.
QString ConfusionCsv(const ClassAnalysis& analysis, const ReferenceCheck& check);

// A map's legend as the teacher names its colours in the class window, written as ParseLegend
// reads it back, name for name: "Couleur;Usage du sol", then one "RRGGBB;name" a line. The names
// go unguarded, unlike an export's: the program reads them back as typed.
QString LegendCsv(const ColourNames& legend);
