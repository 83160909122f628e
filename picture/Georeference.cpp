// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/Georeference.h"

#include "core/Errors.h"
#include "core/MessageText.h"
#include "picture/SavedFile.h"

#include <QFileInfo>
#include <QLocale>
#include <cmath>
#include <cpl_error.h>
#include <gdal_priv.h>
#include <memory>
#include <mutex>
#include <ogr_spatialref.h>

namespace {

// A world file is six short lines; anything much larger is not one.
constexpr qint64 MaxWorldFileBytes = 4096;
// Beyond these a coordinate is off the Earth in any unit a map uses (metres, feet, degrees), and a
// pixel larger than a country.
constexpr double LargestCoordinate = 1e8;
constexpr double LargestPixel = 1e6;

[[noreturn]] void Refuse(const QString& file, const QString& reason)
{
    throw EReadError(QStringLiteral("Le géoréférencement \"%1\" ne peut pas être lu : %2. La carte est dessinée sans "
                                    "échelle.")
                         .arg(MessageQuote(QFileInfo(file).fileName()), reason));
}

// The transform's six terms as a pixel's place gives its ground place, checked as a map's.
void CheckTransform(const std::array<double, 6>& t, const QString& file)
{
    for (double term : t)
        if (!std::isfinite(term))
            Refuse(file, QStringLiteral("un de ses nombres n'est pas fini"));
    if (std::fabs(t[0]) > LargestCoordinate || std::fabs(t[3]) > LargestCoordinate)
        Refuse(file, QStringLiteral("une coordonnée dépasse ce qu'une carte de la Terre peut avoir"));
    for (int term : {1, 2, 4, 5})
        if (std::fabs(t[std::size_t(term)]) > LargestPixel)
            Refuse(file, QStringLiteral("un pixel y serait plus grand qu'un pays"));
    if (t[1] * t[5] - t[2] * t[4] == 0)
        Refuse(file, QStringLiteral("ses pixels n'ont pas de surface (une taille de pixel nulle)"));
}

// A world file's six numbers, one a line: the pixel's size across, two rotation terms, its size
// down (negative), and the centre of the top-left pixel. As a transform from pixels' corners.
std::array<double, 6> ReadWorldFile(const QString& file)
{
    QStringList numbers;
    for (const QString& line : QString::fromUtf8(ReadSmallFile(file, MaxWorldFileBytes)).split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty())
            numbers << line.trimmed();
    if (numbers.size() != 6)
        Refuse(file, QStringLiteral("il a %1 lignes de nombres au lieu de 6").arg(numbers.size()));
    std::array<double, 6> terms{};
    for (int line = 0; line < 6; ++line) {
        bool ok = false;
        terms[std::size_t(line)] = QLocale::c().toDouble(numbers[line], &ok);
        if (!ok || !std::isfinite(terms[std::size_t(line)]))
            Refuse(file, QStringLiteral("la ligne %1, \"%2\", n'est pas un nombre").arg(line + 1).arg(MessageQuote(numbers[line].left(40))));
    }
    const auto [a, d, b, e, c, f] = terms;
    std::array<double, 6> transform{c - a / 2 - b / 2, a, b, f - d / 2 - e / 2, d, e};
    CheckTransform(transform, file);
    return transform;
}

// What one pixel covers in metres, from the transform and the reference system: a projected
// system's units made metres; a geographic one's degrees measured on an equal-area projection
// centred on the map; no system, metres taken as they are.
void MeasurePixels(MapGeoreference& map, const OGRSpatialReference* system)
{
    const auto& t = map.Transform;
    long double unit = 1;
    if (system && system->IsProjected())
        unit = system->GetLinearUnits();
    if (!system || !system->IsGeographic()) {
        map.PixelArea = std::fabs((long double)t[1] * t[5] - (long double)t[2] * t[4]) * unit * unit;
        map.PixelMetres = std::hypot((long double)t[1], (long double)t[4]) * unit;
        return;
    }
    const double width = map.Picture.width(), height = map.Picture.height();
    const auto ground = [&](double column, double row) {
        return std::pair{t[0] + column * t[1] + row * t[2], t[3] + column * t[4] + row * t[5]};
    };
    OGRSpatialReference degrees(*system);
    degrees.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const auto [centreX, centreY] = ground(width / 2, height / 2);
    OGRSpatialReference equalArea;
    equalArea.CopyGeogCSFrom(&degrees);
    equalArea.SetLAEA(centreY, centreX, 0, 0);
    equalArea.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> toMetres(OGRCreateCoordinateTransformation(&degrees, &equalArea));
    double x[4], y[4];
    const double corners[4][2] = {{0, 0}, {width, 0}, {width, height}, {0, height}};
    for (int corner = 0; corner < 4; ++corner)
        std::tie(x[corner], y[corner]) = ground(corners[corner][0], corners[corner][1]);
    if (!toMetres || !toMetres->Transform(4, x, y))
        Refuse(map.Source, QStringLiteral("ses coordonnées en degrés ne se mesurent pas en mètres"));
    long double twiceArea = 0;
    for (int corner = 0; corner < 4; ++corner)
        twiceArea += (long double)x[corner] * y[(corner + 1) % 4] - (long double)x[(corner + 1) % 4] * y[corner];
    map.PixelArea = std::fabs(twiceArea) / 2 / (width * height);
    map.PixelMetres = std::hypot((long double)x[1] - x[0], (long double)y[1] - y[0]) / width;
}

}  // namespace

void RegisterGdal()
{
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

QuietGdal::QuietGdal()
{
    CPLPushErrorHandler(CPLQuietErrorHandler);
}

QuietGdal::~QuietGdal()
{
    CPLPopErrorHandler();
}

QStringList WorldFilesFor(const QString& mapFile)
{
    const QFileInfo map(mapFile);
    const QString suffix = map.suffix();
    const QString base = map.path() + QLatin1Char('/') + map.completeBaseName() + QLatin1Char('.');
    const bool upper = suffix == suffix.toUpper() && suffix != suffix.toLower();
    const QString w = upper ? QStringLiteral("W") : QStringLiteral("w");
    QStringList files;
    if (suffix.size() >= 2)
        files << base + suffix.front() + suffix.back() + w;
    if (!suffix.isEmpty())
        files << base + suffix + w;
    files << base + (upper ? QStringLiteral("WLD") : QStringLiteral("wld"));
    return files;
}

std::optional<MapGeoreference> ReadGeoreference(const QString& mapFile)
{
    MapGeoreference map;
    std::optional<std::array<double, 6>> fromWorldFile;
    for (const QString& world : WorldFilesFor(mapFile))
        if (!fromWorldFile && QFileInfo(world).isFile()) {
            fromWorldFile = ReadWorldFile(world);
            map.Source = QFileInfo(world).fileName();
        }

    RegisterGdal();
    const QuietGdal quiet;
    const GDALDatasetUniquePtr picture(GDALDataset::Open(QFile::encodeName(mapFile).constData(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    if (!picture)
        return std::nullopt;
    map.Picture = QSize(picture->GetRasterXSize(), picture->GetRasterYSize());
    double transform[6];
    const bool ownTransform = picture->GetGeoTransform(transform) == CE_None;
    const QString auxiliary = mapFile + QStringLiteral(".aux.xml");
    if (fromWorldFile) {
        map.Transform = *fromWorldFile;
    } else if (ownTransform) {
        std::copy(transform, transform + 6, map.Transform.begin());
        map.Source = QFileInfo(QFileInfo(auxiliary).isFile() ? auxiliary : mapFile).fileName();
        CheckTransform(map.Transform, map.Source);
    } else {
        return std::nullopt;
    }

    // The reference system: the picture's own or its ".aux.xml"'s, else a ".prj" beside it, as
    // world files often come with.
    const OGRSpatialReference* system = picture->GetSpatialRef();
    OGRSpatialReference fromPrj;
    const QString prj = QFileInfo(mapFile).path() + QLatin1Char('/') + QFileInfo(mapFile).completeBaseName() + QStringLiteral(".prj");
    if (!system && QFileInfo(prj).isFile()) {
        const QByteArray text = ReadSmallFile(prj, 65536);
        if (fromPrj.SetFromUserInput(text.constData()) != OGRERR_NONE)
            Refuse(prj, QStringLiteral("son système de coordonnées est inconnu de GDAL"));
        system = &fromPrj;
    }
    // A system GDAL could not make sense of comes out as none, or as one neither projected nor in
    // degrees, whose units nothing tells.
    const bool named = QFileInfo(auxiliary).isFile() && ReadSmallFile(auxiliary, 1 << 20).contains("<SRS");
    if ((!system && named) || (system && !system->IsProjected() && !system->IsGeographic()))
        Refuse(system == &fromPrj ? prj : named ? auxiliary : map.Source,
               QStringLiteral("son système de coordonnées est inconnu de GDAL"));
    if (system) {
        char* wkt = nullptr;
        system->exportToWkt(&wkt);
        map.ReferenceSystem = QString::fromUtf8(wkt);
        CPLFree(wkt);
    }
    MeasurePixels(map, system);
    return map;
}
