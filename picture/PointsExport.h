// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A survey's sample points as a GIS opens them, written with GDAL: each point with its land use
// (or none), whether and when it was counted, and the survey's seed. A GeoPackage keeps the map's
// own reference system; a GeoJSON is in WGS 84, as its standard asks. A map that does not say
// where it lies gives a GeoPackage in pixels of the map as drawn (x rightwards, y upwards from its
// top-left corner, so that north stays up), its reference system undefined, and no GeoJSON.

#include "core/SurveyTally.h"
#include "picture/Georeference.h"

#include <QByteArray>
#include <QPointF>
#include <optional>

enum class PointsFormat { GeoPackage, GeoJson };

// Where the centre of a pixel of the map as drawn lies on the ground, the map's picture being
// `georeference.Picture` and the map drawn at `drawn`.
QPointF GroundPlace(QPoint drawnPixel, QSize drawn, const MapGeoreference& georeference);

// The file's bytes, for the caller to write whole. EConvertError, in French, for a GeoJSON of a
// map that does not say where it lies or in which reference system; EFCreateError when GDAL fails.
QByteArray PointsFileBytes(PointsFormat format, const TSurveyTally& tally,
                           const std::optional<MapGeoreference>& georeference);
