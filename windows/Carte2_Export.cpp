// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The map window's exports: the map with its marks, one pixel per map pixel, and a legend under
// it, saved as PNG; and the sample points for a GIS or a spreadsheet.

#include "windows/Carte2.h"

#include "core/SamplePoints.h"
#include "core/SurveyLegend.h"
#include "picture/PointsExport.h"
#include "picture/SavedFile.h"
#include "ui/Boxes.h"
#include "ui/FileDialogs.h"
#include "ui/MapPicture.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

std::optional<QString> TForm2::AskExportFile(const QString& title, const QString& filters, const QString& suffix)
{
    // Beside the map where that folder can be written, named after it.
    const QString& mapName = Survey->MapName();
    return AskFileToSave(this, title,
                         QDir(FolderToSaveBeside(mapName)).filePath(QFileInfo(mapName).completeBaseName() + "-points." + suffix),
                         filters, suffix);
}

void TForm2::ButtExporterImageClick()
{
    // The map as the window shows it now, marks made since the last paint included, taken
    // before the dialog: the picture is what the user saw when pressing the button.
    const QRect mapArea = MapArea();
    repaint(mapArea);
    if (!mapShown) {
        ShowNotice(MapNeeded);
        return;
    }
    const QImage map = Canvas.Drawn(mapArea);
    const QString& mapName = Survey->MapName();
    const std::optional<QString> fileName =
        AskExportFile(QStringLiteral("Exporter l'image de la carte"), QStringLiteral("Image PNG (*.png)"), QStringLiteral("png"));
    if (!fileName)
        return;
    const QString legend = MapLegend(SurveyTally, mapName, QDateTime::currentDateTime());
    SaveWholeFile(*fileName, PngBytes(MapWithLegend(map, legend)));
}

void TForm2::ButtExporterPointsClick()
{
    if (SurveyTally.SamplePoints() == 0)
        return ShowNotice(QStringLiteral("Aucun point n'est placé : appuyez d'abord sur « Go »."));
    const std::optional<QString> fileName =
        AskExportFile(QStringLiteral("Exporter les points"),
                      QStringLiteral("GeoPackage (*.gpkg);;GeoJSON (*.geojson);;Tableur CSV (*.csv)"), QStringLiteral("gpkg"));
    if (!fileName)
        return;
    const QString suffix = QFileInfo(*fileName).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return SaveWholeFile(*fileName, SamplePointsCsv(SurveyTally));
    const PointsFormat format = suffix == QLatin1String("geojson") || suffix == QLatin1String("json")
                                    ? PointsFormat::GeoJson
                                    : PointsFormat::GeoPackage;
    SaveWholeFile(*fileName, PointsFileBytes(format, SurveyTally, ReadGeoreference(Survey->MapName())));
}
