// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The map window's scale: read from the map's georeferencing when it is drawn, or set by hand with
// "Échelle…", a scale bar's length measured by two clicks on the map.

#include "windows/Carte2.h"

#include "core/Errors.h"
#include "picture/Georeference.h"
#include "ui/Boxes.h"
#include "ui/HouseStyle.h"
#include "windows/ScaleDialog.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineF>
#include <QPushButton>
#include <QTimer>

void TForm2::ReadMapScale(const QString& mapFile, QSize picture)
{
    georeferenceSource.clear();
    std::optional<MapGeoreference> georeference;
    try {
        georeference = ReadGeoreference(mapFile);
    } catch (const Exception& error) {
        // Said once the paint that drew the map is over; the map stays drawn, without a scale.
        QTimer::singleShot(0, this, [message = error.Message] { ShowNotice(message); });
    }
    if (!georeference)
        return;
    georeferenceSource = georeference->Source;
    Survey->SetScale(GeoreferencedScale(georeference->PixelArea, georeference->PixelMetres, picture,
                                        QSize(SurveyTally.MapWidth, SurveyTally.MapHeight)));
}

void TForm2::ButtEchelleClick()
{
    if (!mapShown)
        return ShowNotice(MapNeeded);
    if (!georeferenceSource.isEmpty())
        return ShowNotice(QStringLiteral("Cette carte dit elle-même où elle se trouve (« %1 ») : %2.")
                              .arg(georeferenceSource, ScaleText(*SurveyTally.Scale, QSize(SurveyTally.MapWidth, SurveyTally.MapHeight))));
    OpenScaleDialog(std::nullopt);
}

void TForm2::OpenScaleDialog(std::optional<double> measured)
{
    TScaleDialog dialog(measured, SurveyTally.MapWidth, SurveyTally.Scale, this);
    const int answer = dialog.exec();
    if (answer == QDialog::Accepted) {
        Survey->SetScale(dialog.Scale());
    } else if (answer == TScaleDialog::MeasureOnMap) {
        measuringScale = true;
        setCursor(CursorOf(crCross));
        ShowScale();
    }
}

void TForm2::TakeScaleEnd(QPoint place)
{
    // A bar's end lies on the map: a press beside it is a slip, heard as a missed count is.
    if (place.x() < 0 || place.y() < 0 || place.x() >= SurveyTally.MapWidth || place.y() >= SurveyTally.MapHeight)
        return QApplication::beep();
    scaleEnds.push_back(place);
    ++checkGeneration;
    Canvas.Invalidate(MapArea());
    if (scaleEnds.size() < 2)
        return ShowScale();
    const double length = QLineF(scaleEnds[0], scaleEnds[1]).length();
    StopMeasuring();
    OpenScaleDialog(length);
}

void TForm2::StopMeasuring()
{
    measuringScale = false;
    if (!scaleEnds.empty()) {
        scaleEnds.clear();
        ++checkGeneration;
        Canvas.Invalidate(MapArea());
    }
    ShowScale();
}

void TForm2::ShowScale()
{
    QString text = QStringLiteral("Pas d'échelle");
    if (measuringScale)
        text = scaleEnds.empty() ? QStringLiteral("Cliquez un bout de la barre d'échelle")
                                 : QStringLiteral("Cliquez l'autre bout (Échap : renoncer)");
    else if (SurveyTally.Scale)
        text = ScaleText(*SurveyTally.Scale, QSize(SurveyTally.MapWidth, SurveyTally.MapHeight))
                   .replace(QStringLiteral(" — "), QStringLiteral("\n"));
    LabelEchelle->setText(text);
    LabelEchelle->setToolTip(text.replace(QLatin1Char('\n'), QStringLiteral(" — ")));
}
