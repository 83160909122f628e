// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Where a map lies on the ground, as its files say: a GeoTIFF's own tags, the ".aux.xml" that map
// portals write beside a picture, or a world file (".tfw", ".jgw", ".pgw", ".bpw", ".gfw",
// ".wld"), with the coordinate reference system where a file gives one. Read with GDAL, the
// field's library for georeferenced pictures; the pixels themselves stay the picture readers'.

#include <QSize>
#include <QString>
#include <array>
#include <optional>

struct MapGeoreference {
    // From a pixel's place in the picture (column, row, from its top-left corner) to the ground:
    // x = T[0] + column·T[1] + row·T[2], y = T[3] + column·T[4] + row·T[5].
    std::array<double, 6> Transform{};
    // The coordinate reference system in WKT; empty when no file gives one, the coordinates then
    // taken for metres.
    QString ReferenceSystem;
    // The file that said where the map lies, without its folder.
    QString Source;
    QSize Picture;
    // What one pixel of the picture covers: its area in square metres, its side across in metres.
    long double PixelArea = 0;
    long double PixelMetres = 0;
};

// The georeferencing of the picture `mapFile`; nothing when it has none. EReadError, in French and
// naming the file, for a world file that is not one (text in it, a line missing, a pixel of no
// size, a coordinate beyond the Earth's) and for a reference system GDAL does not know: the map is
// then drawn without a scale.
std::optional<MapGeoreference> ReadGeoreference(const QString& mapFile);

// GDAL made ready once for the whole program, for whoever reads or writes with it.
void RegisterGdal();

// GDAL's warnings go to no terminal while it lives: what the user needs to know is said in French.
struct QuietGdal {
    QuietGdal();
    ~QuietGdal();
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;
};

// The world files GDAL looks for beside `mapFile`, in its order: "carte.pgw", "carte.pngw" and
// "carte.wld" for "carte.png".
QStringList WorldFilesFor(const QString& mapFile);
