// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CommandTool.h"

#include <QProcess>

ToolRun RunTool(const QString& program, const QStringList& arguments, const QString& outputFile)
{
    QProcess tool;
    if (!outputFile.isEmpty())
        tool.setStandardOutputFile(outputFile);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C.UTF-8");
    tool.setProcessEnvironment(environment);
    tool.start(program, arguments);
    if (!tool.waitForFinished(10000))
        return {-1, {}, {}};
    return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()), QString::fromUtf8(tool.readAllStandardError())};
}
