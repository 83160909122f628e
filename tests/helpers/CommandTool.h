// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The program's command-line tools run as a user runs them, for the tests that check their output.

#include <QString>
#include <QStringList>

// What a tool did: its exit status and its two outputs.
struct ToolRun {
    int Status;
    QString Output, Errors;
};

// `program` run with `arguments` in the C.UTF-8 locale, its standard output into `outputFile`
// when one is named; a status of -1 when it does not end within 10 seconds.
ToolRun RunTool(const QString& program, const QStringList& arguments, const QString& outputFile = {});
