// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The sample points written for a GIS, read back with GDAL (and ogrinfo where installed): each
// point where the world file's transform, worked out here by hand, puts its pixel's centre, in
// the map's system or in WGS 84; in pixels without georeferencing; a GeoJSON refused where it
// cannot be placed; and the CSV.

#include "core/Errors.h"
#include "core/SamplePoints.h"
#include "helpers/Files.h"
#include "picture/PointsExport.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

namespace {

// Five points on a 300 × 200 picture drawn 600 × 400, seed 4242: the fourth and the first
// counted "bâti", then the fifth "eau"; the second and third left.
TSurveyTally FivePoints()
{
    TSurveyTally tally;
    tally.MapWidth = 600;
    tally.MapHeight = 400;
    tally.SampleSize = 5;
    tally.Seed = 4242;
    tally.BeginSurvey();
    tally.BeginSample();
    for (const QPoint place : {QPoint(0, 0), QPoint(599, 399), QPoint(100, 50), QPoint(321, 123), QPoint(10, 390)})
        tally.AddSamplePoint(place, 5);
    tally.BeginLandUse(QStringLiteral("bâti"));
    tally.CountPoint(3);
    tally.CountPoint(0);
    tally.FinishLandUse();
    tally.BeginLandUse(QStringLiteral("eau"));
    tally.CountPoint(4);
    return tally;
}

// Each point read back: its fields, "number;land use;counted;order;seed", and where it lies.
std::vector<std::pair<QString, QPointF>> ReadBack(const QString& file)
{
    RegisterGdal();
    GDALDatasetUniquePtr data(GDALDataset::Open(QFile::encodeName(file).constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    std::vector<std::pair<QString, QPointF>> points;
    if (!data || data->GetLayerCount() != 1)
        return points;
    for (const auto& feature : *data->GetLayer(0)) {
        const auto* point = feature->GetGeometryRef()->toPoint();
        QStringList fields;
        for (const char* field : {"point", "usage", "compte", "ordre", "graine"})
            fields << QString::fromUtf8(feature->GetFieldAsString(field));
        points.emplace_back(fields.join(';'), QPointF(point->getX(), point->getY()));
    }
    return points;
}

// A world file's numbers: the pixel's size across, two turning terms, its size down, the centre of
// the top-left pixel.
using World = std::array<double, 6>;

}  // namespace

class PointsExportTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void pointsReadBackWhereTheTransformPutsThem_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<World>("world");  // all zero: no georeferencing
        QTest::addColumn<QString>("prj");  // the map's system, empty for none
        QTest::newRow("GeoPackage, upright, Lambert 93") << int(PointsFormat::GeoPackage) << World{2.5, 0, 0, -2.5, 650000.25, 6860000.75} << "EPSG:2154";
        QTest::newRow("GeoPackage, turned, no system") << int(PointsFormat::GeoPackage) << World{2, 0.5, -0.25, -2, 1000, 2000} << "";
        QTest::newRow("GeoJSON, turned, Lambert 93") << int(PointsFormat::GeoJson) << World{2, 0.5, -0.25, -2, 650000, 6860000} << "EPSG:2154";
        QTest::newRow("GeoPackage in pixels") << int(PointsFormat::GeoPackage) << World{} << "";
    }
    void pointsReadBackWhereTheTransformPutsThem()
    {
        QFETCH(int, format);
        QFETCH(World, world);
        QFETCH(QString, prj);
        const TSurveyTally tally = FivePoints();
        std::optional<MapGeoreference> georeference;
        OGRSpatialReference system;
        if (world[0] != 0) {
            const auto [a, d, b, e, c, f] = world;
            georeference = MapGeoreference{{c - a / 2 - b / 2, a, b, f - d / 2 - e / 2, d, e}, QString(), "x.pgw", QSize(300, 200), 0, 0};
            if (!prj.isEmpty()) {
                system.SetFromUserInput(prj.toLatin1().constData());
                system.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
                char* wkt = nullptr;
                system.exportToWkt(&wkt);
                georeference->ReferenceSystem = QString::fromUtf8(wkt);
                CPLFree(wkt);
            }
        }
        const bool geoJson = format == int(PointsFormat::GeoJson);
        const QString file = dir.filePath(QStringLiteral("%1.%2").arg(QTest::currentDataTag()).arg(geoJson ? "geojson" : "gpkg"));
        WriteFile(file, PointsFileBytes(PointsFormat(format), tally, georeference));
        const std::vector<std::pair<QString, QPointF>> points = ReadBack(file);
        QCOMPARE(points.size(), std::size_t(5));
        QStringList fields;
        for (const auto& point : points)
            fields << point.first;
        QCOMPARE(fields, QStringList({"1;bâti;1;2;4242", "2;;0;;4242", "3;;0;;4242", "4;bâti;1;1;4242", "5;eau;1;3;4242"}));
        OGRSpatialReference wgs84;
        wgs84.SetWellKnownGeogCS("WGS84");
        wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        std::unique_ptr<OGRCoordinateTransformation> toWgs84(geoJson ? OGRCreateCoordinateTransformation(&system, &wgs84) : nullptr);
        for (int at = 0; at < 5; ++at) {
            const QPointF read = points[std::size_t(at)].second;
            // The pixel's centre in the picture, twice smaller than drawn, through the world file.
            const QPoint place = tally.Marks()[std::size_t(at)].Place;
            const double column = (place.x() + 0.5) / 2, row = (place.y() + 0.5) / 2;
            double x = place.x() + 0.5, y = -(place.y() + 0.5);
            if (georeference) {
                const auto [a, d, b, e, c, f] = world;
                x = c + (column - 0.5) * a + (row - 0.5) * b;
                y = f + (column - 0.5) * d + (row - 0.5) * e;
            }
            if (toWgs84)
                QVERIFY(toWgs84->Transform(1, &x, &y));
            const double tolerance = geoJson ? 1e-7 : 1e-9;  // GeoJSON keeps seven decimals of a degree
            QVERIFY2(std::fabs(read.x() - x) <= tolerance && std::fabs(read.y() - y) <= tolerance,
                     qPrintable(QStringLiteral("point %1: %2 %3 against %4 %5").arg(at + 1).arg(read.x(), 0, 'f', 9).arg(read.y(), 0, 'f', 9).arg(x, 0, 'f', 9).arg(y, 0, 'f', 9)));
        }
        // Where GDAL's own reader is installed, it sees the same.
        if (QStandardPaths::findExecutable("ogrinfo").isEmpty())
            return;
        QProcess ogrinfo;
        ogrinfo.start("ogrinfo", {"-ro", "-so", "-al", file});
        QVERIFY(ogrinfo.waitForFinished(30000));
        const QString info = QString::fromUtf8(ogrinfo.readAllStandardOutput());
        QVERIFY2(info.contains("Feature Count: 5") && info.contains("Geometry: Point"), qPrintable(info));
    }

    // A GeoJSON is always in longitude and latitude: a map with no place, or no system, cannot give one.
    void geoJsonRefusedWhereItCannotBePlaced()
    {
        const MapGeoreference noSystem{{0, 1, 0, 0, 0, -1}, QString(), "x.pgw", QSize(300, 200), 1, 1};
        for (const std::optional<MapGeoreference>& georeference : {std::optional<MapGeoreference>(), std::optional(noSystem)})
            QVERIFY_THROWS_EXCEPTION(EConvertError, PointsFileBytes(PointsFormat::GeoJson, FivePoints(), georeference));
    }

    void csvInPixelsOfTheMapAsDrawn()
    {
        const QList<QByteArray> lines = SamplePointsCsv(FivePoints()).split('\n');
        QCOMPARE(lines.mid(0, 3), QList<QByteArray>({"\xEF\xBB\xBFPoint;X;Y;Usage du sol;Compt\xC3\xA9;Ordre;Graine\r",
                                                     "1;0;0;b\xC3\xA2ti;oui;2;4242\r", "2;599;399;;non;;4242\r"}));
        QCOMPARE(lines[5], "5;10;390;eau;oui;3;4242\r");
    }
};

QTEST_MAIN(PointsExportTest)
#include "test_points_export.moc"
