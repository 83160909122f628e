// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The map window's picture: the map with its marks, one pixel per map pixel, and a legend
// under it, saved as PNG.

#include "windows/Carte2.h"

#include "core/SurveyLegend.h"
#include "picture/SavedFile.h"
#include "ui/Boxes.h"
#include "ui/FileDialogs.h"
#include "ui/MapPicture.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

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
    const std::optional<QString> fileName = AskFileToSave(
        this, QStringLiteral("Exporter l'image de la carte"),
        QDir(FolderToSaveBeside(mapName)).filePath(QFileInfo(mapName).completeBaseName() + QStringLiteral("-points.png")),
        QStringLiteral("Image PNG (*.png)"), QStringLiteral("png"));
    if (!fileName)
        return;
    const QString legend = MapLegend(SurveyTally, mapName, QDateTime::currentDateTime());
    SaveWholeFile(*fileName, PngBytes(MapWithLegend(map, legend)));
}
