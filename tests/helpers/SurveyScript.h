// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A survey's operations written as a script, as the handlers run them: "go N" places N points
// 10 pixels apart, "sonder NAME" begins a land use, "eleve NAME" names the student, "echelle M" measures a pixel as M metres ("echelle" alone: no scale), "count I" counts sample point I, "undo" and
// "redo", "fini" finishes the land use, "new" begins a new survey; a step written "!step" must be
// refused. Steps are separated by "; ".

#include "core/SurveyTally.h"

#include <QJsonArray>
#include <QString>
#include <functional>

// Runs the script on the tally. Each operation the map window would journal is handed to
// `journal` as the window journals it, once done.
void RunScript(TSurveyTally& tally, const QString& script,
               const std::function<void(const QJsonArray&)>& journal = {});

// A survey laid by `kind` on a 20 × 10 map, in 2 blocks or 2 segments of 2 × 2 points 1 pixel
// apart: sample points 0 to 3 in the first block or segment, 4 and 5 in the second, no land use
// begun yet.
void LayTwoGroups(TSurveyTally& tally, DesignKind kind);
