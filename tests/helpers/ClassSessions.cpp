// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "helpers/ClassSessions.h"

#include "core/SurveyFile.h"

const QByteArray ClassMapHash(32, '\x5a');

QPoint ClassPointPlace(uint32_t seed, int point)
{
    return QPoint(int((uint32_t(point) * 7 + seed * 3) % 40), int((uint32_t(point) * 11 + seed) % 30));
}

TSurveyTally ClassifiedSurvey(const QStringList& classes, uint32_t seed, const QString& student)
{
    TSurveyTally tally;
    tally.MapWidth = 40;
    tally.MapHeight = 30;
    tally.SampleSize = int32_t(classes.size());
    tally.Seed = seed;
    tally.Student = student;
    tally.BeginSurvey();
    tally.BeginSample();
    for (int point = 0; point < classes.size(); ++point)
        tally.AddSamplePoint(ClassPointPlace(seed, point), 5);
    QStringList begun;
    for (const QString& use : classes)
        if (!use.isEmpty() && !begun.contains(use))
            begun << use;
    for (const QString& use : begun) {
        tally.BeginLandUse(use);
        for (int point = 0; point < classes.size(); ++point)
            if (classes[point] == use)
                tally.CountPoint(point);
        tally.FinishLandUse();
    }
    return tally;
}

QByteArray SessionBytes(const TSurveyTally& tally, const QByteArray& mapHash)
{
    return WriteSurveyFile(tally, QStringLiteral("carte.bmp"), mapHash);
}

SessionSource SessionOf(const QString& file, const TSurveyTally& tally, const QByteArray& mapHash)
{
    return {file, SessionBytes(tally, mapHash), {}};
}
