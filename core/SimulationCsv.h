// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The simulation's figures as CSV text, with the conventions of the results export (';' between
// fields, the regional decimal separator, lines ended by CR LF, shares from 0 to 1). The text
// comes without the byte-order mark: a file written for a spreadsheet puts it first, the command
// line prints the text as it is.

#include "core/DesignSimulation.h"
#include "core/MapColours.h"
#include "core/Simulation.h"

#include <QString>
#include <optional>
#include <span>
#include <vector>

// The map's colours under "Couleur;Pixels;Part vraie;Usage du sol", largest first, each with the
// name its legend gives it (empty without one). Given the area one pixel covers (m²), a column
// "Aire (ha)" too, and a last row "Carte" with the map's pixels and area.
QString ColourCensusCsv(const std::vector<MapColour>& colours, const ColourNames& names,
                        std::optional<long double> pixelArea = std::nullopt);

// A header block (the map, the chosen colours and the land use the legend names them, their true
// share, n, the surveys done, the seed, the fluctuation interval and the exact chance of falling
// in it), a blank line, then one row per method: the simulated coverage with its exact 95 %
// limits, the expected coverage and the mean width.
QString SimulationCsv(const SurveySimulation& simulation, const QString& mapFile,
                      const std::vector<uint32_t>& chosenColours, const ColourNames& names);

// The designs run one after the other on the same map from the same seed: the lines that name
// the run as SimulationCsv's (n and the surveys done those of the first design), a blank line,
// then one row per design: the surveys done, the mean points placed, the mean and the standard
// deviation of the estimates with their Monte-Carlo errors, the mean estimated standard error,
// the surveys without an interval, and the coverage of the design's interval and of the simple
// random one, each with its exact 95 % limits.
QString DesignsCsv(std::span<const DesignSimulation* const> runs, const QString& mapFile,
                   const std::vector<uint32_t>& chosenColours, const ColourNames& names);

// The estimate of each survey done, in order, under "Enquête;Points comptés;Part estimée".
QString EstimatesCsv(const SurveySimulation& simulation);
