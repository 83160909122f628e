// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SurveyScript.h"

#include "core/SurveyJournal.h"

#include <QTest>

void RunScript(TSurveyTally& tally, const QString& script, const std::function<void(const QJsonArray&)>& journal)
{
    for (QString step : script.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
        const bool refused = step.startsWith(QLatin1Char('!'));
        if (refused)
            step.remove(0, 1);
        const QString verb = step.section(QLatin1Char(' '), 0, 0);
        const QString argument = step.section(QLatin1Char(' '), 1);
        const quint64 generation = tally.Generation();
        bool done = true;
        QJsonArray operation;
        if (verb == "go") {
            tally.BeginSample();
            for (int i = 0; i < argument.toInt(); ++i)
                tally.AddSamplePoint(QPoint(10 * i, 5), 5);
        } else if (verb == "sonder") {
            done = tally.BeginLandUse(argument);
            operation = JournalOperation::LandUseBegun(argument);
        } else if (verb == "count") {
            done = tally.CountPoint(argument.toInt());
            operation = JournalOperation::PointCounted(argument.toInt());
        } else if (verb == "undo") {
            done = tally.Undo();
            operation = JournalOperation::CountUndone();
        } else if (verb == "redo") {
            done = tally.Redo();
            operation = JournalOperation::CountRedone();
        } else if (verb == "fini") {
            tally.FinishLandUse();
            operation = JournalOperation::LandUseFinished();
        } else if (verb == "eleve") {
            tally.Student = argument;
            operation = JournalOperation::StudentNamed(argument);
        } else if (verb == "echelle") {
            tally.Scale = argument.isEmpty() ? std::nullopt : std::optional(MeasuredScale(1, argument.toDouble()));
            operation = JournalOperation::ScaleSet(tally.Scale);
        } else {
            tally.BeginSurvey();
        }
        QVERIFY2(done != refused, qPrintable(step));
        // Whoever drew the marks must start again exactly when some went.
        const bool marksWent = verb == "go" || verb == "new" || (verb == "undo" && done);
        QCOMPARE(tally.Generation() != generation, marksWent);
        if (done && journal && !operation.isEmpty())
            journal(operation);
    }
}

void LayTwoGroups(TSurveyTally& tally, DesignKind kind)
{
    tally.BeginSurvey();
    tally.MapWidth = 20;
    tally.MapHeight = 10;
    tally.Design = {kind, 2, 2, 2, 1};
    tally.BeginSample();
    for (int point = 0; point < 6; ++point)
        tally.AddSamplePoint(QPoint(point < 4 ? point : 10 + point, 5), 5, point < 4 ? 0 : 1);
}
