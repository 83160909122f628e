// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A class's analysis as CSV text, with the conventions of the command line's other output (';'
// between fields, the regional decimal separator, lines ended by CR LF, shares from 0 to 1, no
// byte-order mark: a file written for a spreadsheet puts it first).

#include "core/ClassSurveys.h"

#include <QString>

// "Carte;…", then under "Élève;N;Classés" and, for each land use of the table and "Autres",
// its points, frequency and exact 95 % limits, one row per student and a last row "Classe"
// pooling them; a cell with nothing to give is empty.
QString ClassTableCsv(const ClassAnalysis& analysis);

// What the class says together, one line each: the pooled estimate of the chosen land use with
// its interval and how it was made, the reference, the intervals holding its share, and Fleiss'
// kappa when students classified the same points.
QString ClassSummaryCsv(const ClassAnalysis& analysis);
