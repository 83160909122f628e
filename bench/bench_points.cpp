// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// What "Exporter les points…" costs: a survey of 10000 points, half of them counted under five
// land uses, on a map georeferenced in Lambert 93, written as a GeoPackage in the map's system and
// as a GeoJSON in WGS 84 (every point reprojected), each file written whole on the disk; against
// the same points written as CSV, measured in this run. Target: under 200 ms each.
//
//   bench_points [BLOCKS]      (5 blocks of 2 rounds unless told)

#include "bench/Measures.h"
#include "core/SamplePoints.h"
#include "core/SampleGenerator.h"
#include "picture/PointsExport.h"
#include "picture/SavedFile.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <ogr_spatialref.h>

namespace {

TSurveyTally TenThousandPoints()
{
    TSurveyTally tally;
    tally.MapWidth = 600;
    tally.MapHeight = 400;
    tally.SampleSize = 10000;
    tally.Seed = 2026;
    tally.BeginSurvey();
    tally.BeginSample();
    uint32_t state = tally.Seed;
    for (int point = 0; point < 10000; ++point)
        tally.AddSamplePoint(QPoint(int(RandomBelow(state, 600)), int(RandomBelow(state, 400))), 5);
    for (int use = 0; use < 5; ++use) {
        tally.BeginLandUse(QStringLiteral("usage %1").arg(use + 1));
        for (int point = use; point < 10000; point += 10)
            tally.CountPoint(point);
        tally.FinishLandUse();
    }
    return tally;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int blocks = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const TSurveyTally tally = TenThousandPoints();
    OGRSpatialReference lambert;
    lambert.importFromEPSG(2154);
    char* wkt = nullptr;
    lambert.exportToWkt(&wkt);
    const MapGeoreference georeference{{650000, 0.5, 0, 6860000, 0, -0.5}, QString::fromUtf8(wkt), "carte.tfw", QSize(6000, 4000), 0.25, 0.5};
    CPLFree(wkt);
    QTemporaryDir folder;
    qint64 sizes[3] = {};
    const std::vector<double> medians = MediansInTurn(
        {[&] {
             const QByteArray bytes = PointsFileBytes(PointsFormat::GeoPackage, tally, georeference);
             SaveWholeFile(folder.filePath("points.gpkg"), bytes);
             sizes[0] = bytes.size();
         },
         [&] {
             const QByteArray bytes = PointsFileBytes(PointsFormat::GeoJson, tally, georeference);
             SaveWholeFile(folder.filePath("points.geojson"), bytes);
             sizes[1] = bytes.size();
         },
         [&] {
             const QByteArray bytes = SamplePointsCsv(tally);
             SaveWholeFile(folder.filePath("points.csv"), bytes);
             sizes[2] = bytes.size();
         }},
        blocks, 2);
    std::printf("10000 points, 5000 counted; %d rounds of each\n", blocks * 2);
    std::printf("GeoPackage (Lambert 93): %7.1f ms, %lld bytes (target: under 200 ms), %.1f × the CSV\n", medians[0] / 1000,
                sizes[0], medians[0] / medians[2]);
    std::printf("GeoJSON (WGS 84):        %7.1f ms, %lld bytes (target: under 200 ms), %.1f × the CSV\n", medians[1] / 1000,
                sizes[1], medians[1] / medians[2]);
    std::printf("CSV (pixels):            %7.1f ms, %lld bytes\n", medians[2] / 1000, sizes[2]);
    return medians[0] < 2e5 && medians[1] < 2e5 ? 0 : 1;
}
