// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What tells one survey from another once it has left the program: the seed its points were
// drawn from, and the line written under the map's picture.

#include "core/SurveyTally.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>

// The seed a class reuses to draw the same points; before "Go" has placed any point there is none.
std::optional<uint32_t> SampleSeed(const TSurveyTally& tally);

// The one line under an exported map: the map file's name without its folder, the sample size,
// the seed and the local date to the minute, e.g.
// "Carte : plan.bmp — N = 100 — graine 12345 — 2026-12-07 15:20".
QString MapLegend(const TSurveyTally& tally, const QString& mapFile, const QDateTime& when);
