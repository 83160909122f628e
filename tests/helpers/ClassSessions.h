// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A class's sessions made by hand: each student's survey of a few points on a 40 × 30 map, the
// points laid from the seed so that the same seed gives the same points.

#include "core/ClassSurveys.h"
#include "core/SurveyTally.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>

// The hash the hand-made sessions name their map by, unless told another.
extern const QByteArray ClassMapHash;

// Where the seed's sample point `point` lies on the 40 × 30 map.
QPoint ClassPointPlace(uint32_t seed, int point);

// A survey of classes.size() sample points from `seed`, point i counted under classes[i] (an
// empty name: left uncounted), the land uses begun in the order first named.
TSurveyTally ClassifiedSurvey(const QStringList& classes, uint32_t seed, const QString& student = {});

// The survey as a session file's bytes, on the map "carte.bmp" of that hash.
QByteArray SessionBytes(const TSurveyTally& tally, const QByteArray& mapHash = ClassMapHash);
// The same, in memory, as a source of the class named `file`.
SessionSource SessionOf(const QString& file, const TSurveyTally& tally, const QByteArray& mapHash = ClassMapHash);
