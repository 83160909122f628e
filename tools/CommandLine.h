// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the program's command-line tools share: their output in UTF-8, checked to have reached
// it; a misused command line told apart from a failure; options written "--name value" or
// "--name=value"; and a main that turns each into its exit status.

#include "core/Errors.h"

#include <QString>
#include <QStringList>
#include <cstdio>
#include <functional>

// A command line the tool cannot take: the message and the usage on standard error, status 2.
class MisusedCommandLine : public Exception {
public:
    explicit MisusedCommandLine(QString message)
        : Exception(QStringLiteral("MisusedCommandLine"), std::move(message)) {}
};

void Print(FILE* stream, const QString& text);

// An option's name and value: `arguments[at]` is "--name=value", or "--name" with the value in
// the next argument when the name is one of `valued` (`at` then moves onto it). MisusedCommandLine
// when such a value is missing.
struct Option {
    QString Name;
    QString Value;
    bool Written = false;  // the value was given, with '=' or after the name
};
Option TakeOption(const QStringList& arguments, qsizetype& at, const QStringList& valued);

// Runs the tool on the command line with the regional decimal separator: its status, 2 for a
// misused command line (with `usage`), 1 for any other failure, an output that could not be
// written included; the French message on standard error.
int RunTool(int argc, char** argv, const QString& usage, const std::function<int(const QStringList&)>& run);
