// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The results as a CSV file that a French spreadsheet opens as it is: UTF-8 with a byte-order
// mark, ';' between fields, numbers with the regional decimal separator, lines ended by CR LF.

#include "core/Results.h"
#include "core/SurveyTally.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// A header block (the map file, the date, the sample size, the seed and the interval's method),
// a blank line, then the rows of ResultRows under their column names: each use with its count,
// its frequency and the lower and upper 95 % limits of that share, then "Autres" and "Total".
// Frequencies and limits are shares of the sample (0 to 1), as RealText writes them. A cell with
// nothing to give is empty: the total's frequency, limits where there is no interval, and the
// frequency whose division failed (no sample size). The seed is empty while the survey has no
// sample points. A survey laid by another design than simple random also names the design, and
// gives each share's standard error and design effect around its limits; by blocks or segments
// the share is the design's estimate and the limits its own.
QByteArray ResultsCsv(const TSurveyTally& tally, const QString& mapFile, const QDateTime& when);

// A row's frequency as a cell: empty on the total, and where its division failed (no sample size).
QString FrequencyCell(const ResultRow& row);

// The bytes of a CSV file as a French spreadsheet opens it without asking: the text in UTF-8
// behind a byte-order mark, without which the spreadsheet reads it in the system's old code page.
QByteArray SpreadsheetBytes(const QString& text);

// One line of such a file: the fields joined by ';', a field holding ';', a quote or a line break
// put between quotes, the line ended by CR LF. Every CSV file the program writes is made of these.
QString CsvLine(const QStringList& fields);
// The fields joined by `separator` under the same rule: a field holding the separator, a quote
// or a line break put between quotes, its quotes doubled. Rows copied for a spreadsheet too.
QString JoinedFields(const QStringList& fields, QChar separator);
// A name typed by a user that a spreadsheet would take for a formula (=, +, -, @, or a tab or
// line break first) is marked as text with a leading apostrophe: opening the file must not run
// what a student typed.
QString CsvTypedText(const QString& text);
