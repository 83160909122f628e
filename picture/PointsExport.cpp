// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/PointsExport.h"

#include "core/Errors.h"
#include "core/SamplePoints.h"
#include "core/SurveyLegend.h"

#include <QAtomicInt>
#include <QFile>
#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <memory>
#include <ogrsf_frmts.h>

namespace {

[[noreturn]] void Failed(const char* what)
{
    throw EFCreateError(QStringLiteral("Les points n'ont pas pu être écrits (%1 : %2).")
                            .arg(QString::fromLatin1(what), QString::fromUtf8(CPLGetLastErrorMsg())));
}

// A file of GDAL's own in memory, its bytes taken once it is closed: the caller writes them whole.
QString MemoryFileName(PointsFormat format)
{
    static QAtomicInt files;
    return QStringLiteral("/vsimem/sondelio-points-%1.%2")
        .arg(files.fetchAndAddRelaxed(1))
        .arg(format == PointsFormat::GeoPackage ? QStringLiteral("gpkg") : QStringLiteral("geojson"));
}

QByteArray TakeMemoryFile(const QByteArray& path)
{
    vsi_l_offset size = 0;
    GByte* data = VSIGetMemFileBuffer(path.constData(), &size, TRUE);
    if (!data)
        Failed("fichier en mémoire");
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    CPLFree(data);
    return bytes;
}

}  // namespace

QPointF GroundPlace(QPoint drawnPixel, QSize drawn, const MapGeoreference& georeference)
{
    const auto& t = georeference.Transform;
    const double column = (drawnPixel.x() + 0.5) * georeference.Picture.width() / drawn.width();
    const double row = (drawnPixel.y() + 0.5) * georeference.Picture.height() / drawn.height();
    return {t[0] + column * t[1] + row * t[2], t[3] + column * t[4] + row * t[5]};
}

QByteArray PointsFileBytes(PointsFormat format, const TSurveyTally& tally, const std::optional<MapGeoreference>& georeference)
{
    const bool geoJson = format == PointsFormat::GeoJson;
    if (geoJson && !georeference)
        throw EConvertError(QStringLiteral("Cette carte ne dit pas où elle se trouve : un GeoJSON, toujours en longitude "
                                           "et latitude (WGS 84), ne peut pas en placer les points. Choisissez un "
                                           "GeoPackage ou un CSV, en pixels de la carte."));
    if (geoJson && georeference->ReferenceSystem.isEmpty())
        throw EConvertError(QStringLiteral("Le géoréférencement de cette carte ne donne pas son système de coordonnées "
                                           "(un fichier .prj à côté d'elle) : un GeoJSON, toujours en longitude et "
                                           "latitude (WGS 84), ne peut pas en placer les points."));
    RegisterGdal();
    const QuietGdal quiet;
    CPLErrorReset();

    OGRSpatialReference mapSystem;
    OGRSpatialReference wgs84;
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> toWgs84;
    if (georeference && !georeference->ReferenceSystem.isEmpty()) {
        mapSystem.importFromWkt(georeference->ReferenceSystem.toUtf8().constData());
        mapSystem.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        if (geoJson && !(toWgs84 = std::unique_ptr<OGRCoordinateTransformation>(OGRCreateCoordinateTransformation(&mapSystem, &wgs84))))
            Failed("WGS 84");
    }
    OGRSpatialReference* layerSystem = geoJson ? &wgs84 : georeference && !georeference->ReferenceSystem.isEmpty() ? &mapSystem : nullptr;

    const QByteArray path = QFile::encodeName(MemoryFileName(format));
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(geoJson ? "GeoJSON" : "GPKG");
    if (!driver)
        Failed(geoJson ? "GeoJSON" : "GPKG");
    {
        GDALDatasetUniquePtr file(driver->Create(path.constData(), 0, 0, 0, GDT_Unknown, nullptr));
        if (!file)
            Failed("création");
        char** options = geoJson ? CSLSetNameValue(nullptr, "RFC7946", "YES") : nullptr;
        OGRLayer* layer = file->CreateLayer("points", layerSystem, wkbPoint, options);
        CSLDestroy(options);
        if (!layer)
            Failed("couche");
        const std::pair<const char*, OGRFieldType> fields[] = {
            {"point", OFTInteger}, {"usage", OFTString}, {"compte", OFTInteger}, {"ordre", OFTInteger}, {"graine", OFTInteger64}};
        for (const auto& [name, type] : fields) {
            OGRFieldDefn field(name, type);
            // Counted or not: a yes or no, as a GIS shows it.
            if (QByteArray(name) == "compte")
                field.SetSubType(OFSTBoolean);
            if (layer->CreateField(&field) != OGRERR_NONE)
                Failed("champ");
        }
        const std::optional<uint32_t> seed = SampleSeed(tally);
        const QSize drawn(tally.MapWidth, tally.MapHeight);
        // One transaction for all: a GeoPackage commits each point otherwise. A GeoJSON has none.
        const bool transaction = file->StartTransaction() == OGRERR_NONE;
        for (const SamplePointRow& row : SamplePointRows(tally)) {
            OGRFeature feature(layer->GetLayerDefn());
            feature.SetField("point", row.Number);
            if (!row.Use.isEmpty())
                feature.SetField("usage", row.Use.toUtf8().constData());
            feature.SetField("compte", row.CountOrder > 0 ? 1 : 0);
            if (row.CountOrder > 0)
                feature.SetField("ordre", row.CountOrder);
            if (seed)
                feature.SetField("graine", GIntBig(*seed));
            QPointF place = georeference ? GroundPlace(row.Place, drawn, *georeference)
                                         : QPointF(row.Place.x() + 0.5, -(row.Place.y() + 0.5));
            double x = place.x(), y = place.y();
            if (toWgs84 && !toWgs84->Transform(1, &x, &y))
                Failed("WGS 84");
            OGRPoint point(x, y);
            feature.SetGeometry(&point);
            if (layer->CreateFeature(&feature) != OGRERR_NONE)
                Failed("point");
        }
        if (transaction && file->CommitTransaction() != OGRERR_NONE)
            Failed("enregistrement");
    }
    return TakeMemoryFile(path);
}
