// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// Where a map lies: world files of every picture format, turned or not, a GeoTIFF's own tags and
// an ".aux.xml", in metres, feet or degrees; and every file that says it wrongly refused in French
// while the map goes on without a scale.

#include "core/Errors.h"
#include "helpers/Files.h"
#include "picture/Georeference.h"

#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

namespace {

// A 40 × 30 picture of one grey written by GDAL's driver for `format`, georeferenced by
// `transform` in the system `epsg` when given (0: no system).
QString WritePicture(const QString& path, const char* format, const std::array<double, 6>* transform = nullptr,
                     int epsg = 0)
{
    RegisterGdal();
    GDALDriver* memory = GetGDALDriverManager()->GetDriverByName("MEM");
    GDALDatasetUniquePtr grey(memory->Create("", 40, 30, 1, GDT_Byte, nullptr));
    grey->GetRasterBand(1)->Fill(128);
    if (transform) {
        double terms[6];
        std::copy(transform->begin(), transform->end(), terms);
        grey->SetGeoTransform(terms);
    }
    OGRSpatialReference system;
    if (epsg) {
        system.importFromEPSG(epsg);
        grey->SetSpatialRef(&system);
    }
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(format);
    // GeoTIFF keeps the georeferencing in its tags; the others would write a side file GDAL's
    // way, and the test writes its own.
    char** options = QByteArray(format) == "GTiff" ? nullptr : CSLSetNameValue(nullptr, "WORLDFILE", "NO");
    GDALDatasetUniquePtr(driver->CreateCopy(QFile::encodeName(path).constData(), grey.get(), false, options, nullptr, nullptr));
    CSLDestroy(options);
    QFile::remove(path + ".aux.xml");
    return path;
}

std::array<double, 6> FromWorldFile(double a, double d, double b, double e, double c, double f)
{
    return {c - a / 2 - b / 2, a, b, f - d / 2 - e / 2, d, e};
}

}  // namespace

class GeoreferenceTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    // Each picture format's world file, and ".wld" for any: the six numbers are the pixel's size
    // across, two turning terms, its size down and the centre of the top-left pixel.
    void worldFilesOfEveryFormat_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("world");
        QTest::addColumn<QList<double>>("numbers");
        const QList<double> upright{2.5, 0, 0, -2.5, 650000.25, 6860000.75};
        const QList<double> turned{2, 0.5, -0.25, -2, 1000, 2000};
        QTest::newRow("tfw") << "a.tif" << "GTiff" << "a.tfw" << upright;
        QTest::newRow("jgw, turned") << "b.jpg" << "JPEG" << "b.jgw" << turned;
        QTest::newRow("pgw") << "c.png" << "PNG" << "c.pgw" << upright;
        QTest::newRow("bpw, turned") << "d.bmp" << "BMP" << "d.bpw" << turned;
        QTest::newRow("gfw") << "e.gif" << "GIF" << "e.gfw" << upright;
        QTest::newRow("wld, turned") << "f.png" << "PNG" << "f.wld" << turned;
    }
    void worldFilesOfEveryFormat()
    {
        QFETCH(QString, picture);
        QFETCH(QString, format);
        QFETCH(QString, world);
        QFETCH(QList<double>, numbers);
        WritePicture(dir.filePath(picture), format.toLatin1().constData());
        QStringList lines;
        for (double number : numbers)
            lines << QString::number(number, 'g', 17);
        WriteFile(dir.filePath(world), (lines.join("\r\n") + "\r\n").toUtf8());
        const std::optional<MapGeoreference> map = ReadGeoreference(dir.filePath(picture));
        QVERIFY(map);
        const auto [a, d, b, e, c, f] = std::array<double, 6>{numbers[0], numbers[1], numbers[2], numbers[3], numbers[4], numbers[5]};
        QCOMPARE(map->Transform, FromWorldFile(a, d, b, e, c, f));
        QCOMPARE(map->Source, world);
        QCOMPARE(map->Picture, QSize(40, 30));
        QCOMPARE(double(map->PixelArea), std::fabs(a * e - b * d));
        QCOMPARE(double(map->PixelMetres), std::hypot(a, d));
        QVERIFY(map->ReferenceSystem.isEmpty());
        QVERIFY(WorldFilesFor(dir.filePath(picture)).contains(dir.filePath(world)));
    }

    // A GeoTIFF's own tags and an ".aux.xml", in a system's units made metres: metres, US feet,
    // and degrees measured on the ground (0.001° by 0.001° at 45° north: 111.2 m by 78.7 m or so).
    void ownTagsAndSystemsInMetres_data()
    {
        QTest::addColumn<int>("epsg");
        QTest::addColumn<bool>("auxiliary");
        QTest::addColumn<double>("pixelArea");
        QTest::addColumn<double>("tolerance");  // relative
        QTest::newRow("Lambert 93, metres") << 2154 << false << 4.0 << 0.0;
        QTest::newRow("Lambert 93 in an .aux.xml") << 2154 << true << 4.0 << 0.0;
        QTest::newRow("Long Island, US feet") << 2263 << false << 4 * 0.3048006096012192 * 0.3048006096012192 << 1e-12;
        QTest::newRow("degrees at 45° north") << 4326 << false << 111132.95 * 78846.8 * 1e-6 << 0.003;
    }
    void ownTagsAndSystemsInMetres()
    {
        QFETCH(int, epsg);
        QFETCH(bool, auxiliary);
        QFETCH(double, pixelArea);
        QFETCH(double, tolerance);
        const QString name = QStringLiteral("carte-%1%2").arg(epsg).arg(auxiliary ? "-aux" : "");
        const std::array<double, 6> transform =
            epsg == 4326 ? std::array<double, 6>{2.0, 0.001, 0, 45.015, 0, -0.001} : std::array<double, 6>{650000, 2, 0, 6860000, 0, -2};
        QString picture;
        if (auxiliary) {
            picture = WritePicture(dir.filePath(name + ".png"), "PNG");
            WriteFile(picture + ".aux.xml", QStringLiteral("<PAMDataset><SRS>EPSG:%1</SRS><GeoTransform>650000, 2, 0, "
                                                           "6860000, 0, -2</GeoTransform></PAMDataset>").arg(epsg).toUtf8());
        } else {
            picture = WritePicture(dir.filePath(name + ".tif"), "GTiff", &transform, epsg);
        }
        const std::optional<MapGeoreference> map = ReadGeoreference(picture);
        QVERIFY(map);
        QCOMPARE(map->Transform, transform);
        QCOMPARE(map->Source, QFileInfo(picture).fileName() + (auxiliary ? ".aux.xml" : ""));
        QVERIFY(!map->ReferenceSystem.isEmpty());
        QVERIFY2(std::fabs(double(map->PixelArea) - pixelArea) <= tolerance * pixelArea,
                 qPrintable(QString::number(double(map->PixelArea), 'g', 12)));
    }

    void aPictureWithoutGeoreferencingHasNone()
    {
        QVERIFY(!ReadGeoreference(WritePicture(dir.filePath("nue.png"), "PNG")));
    }

    // What says where a map lies, wrongly: refused with the reason, naming the file.
    void wrongGeoreferencingIsRefusedInFrench_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QTest::newRow("text in it") << "x.pgw" << QByteArray("2.5\n0\n0\ndeux\n650000\n6860000\n")
                                    << "la ligne 4, \"deux\", n'est pas un nombre";
        QTest::newRow("a line missing") << "x.pgw" << QByteArray("2.5\n0\n0\n-2.5\n650000\n")
                                        << "il a 5 lignes de nombres au lieu de 6";
        QTest::newRow("a pixel of no size") << "x.pgw" << QByteArray("0\n0\n0\n-2.5\n650000\n6860000\n")
                                            << "ses pixels n'ont pas de surface (une taille de pixel nulle)";
        QTest::newRow("a huge coordinate") << "x.pgw" << QByteArray("2.5\n0\n0\n-2.5\n1e300\n6860000\n")
                                           << "une coordonnée dépasse ce qu'une carte de la Terre peut avoir";
        QTest::newRow("infinity") << "x.pgw" << QByteArray("2.5\n0\n0\n-2.5\ninf\n6860000\n")
                                  << "la ligne 5, \"inf\", n'est pas un nombre";
        QTest::newRow("a system GDAL does not know") << "x.prj" << QByteArray("PROJCS[\"rien\",GEOGCS[n'importe quoi")
                                                     << "son système de coordonnées est inconnu de GDAL";
        QTest::newRow("an unknown code in .aux.xml")
            << "x.png.aux.xml" << QByteArray("<PAMDataset><SRS>EPSG:99999</SRS><GeoTransform>0, 1, 0, 0, 0, -1</GeoTransform></PAMDataset>")
            << "son système de coordonnées est inconnu de GDAL";
    }
    void wrongGeoreferencingIsRefusedInFrench()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        QTemporaryDir folder;
        const QString picture = WritePicture(folder.filePath("x.png"), "PNG");
        if (file.endsWith(".prj"))
            WriteFile(folder.filePath("x.pgw"), "2\n0\n0\n-2\n650000\n6860000\n");
        WriteFile(folder.filePath(file), content);
        try {
            ReadGeoreference(picture);
            QFAIL("the georeferencing was taken");
        } catch (const EReadError& error) {
            QCOMPARE(error.Message, QStringLiteral("Le géoréférencement \"%1\" ne peut pas être lu : %2. La carte est "
                                                   "dessinée sans échelle.").arg(file, reason));
        }
    }
};

QTEST_MAIN(GeoreferenceTest)
#include "test_georeference.moc"
