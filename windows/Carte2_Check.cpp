// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The map window's "Vérifier": a student's counted points set against the map's legend, the
// teacher's, as the class window sets them; those that differ ringed on the map.

#include "windows/Carte2.h"

#include "core/Errors.h"
#include "core/MapColours.h"
#include "core/Numbers.h"
#include "ui/Boxes.h"

#include <QFileInfo>
#include <QHelpEvent>
#include <QPushButton>
#include <QToolTip>

namespace {

// How far a ring reaches beyond the count it rings, in map pixels.
constexpr int RingWidth = 3;

QString CheckSummary(const ReferenceCheck& check, const QString& reference)
{
    if (check.Agreeing == check.Checked)
        return check.Checked == 1 ? QStringLiteral("Votre point classé s'accorde avec %1.").arg(reference)
                                  : QStringLiteral("Vos %1 points classés s'accordent tous avec %2.")
                                        .arg(IntegerText(check.Checked), reference);
    const int64_t mistaken = check.Checked - check.Agreeing;
    return QStringLiteral("%1 points classés sur %2 s'accordent avec %3 (%4). %5 entouré%6 de rouge sur la "
                          "carte : la souris dessus donne votre usage du sol et celui de la légende.")
        .arg(IntegerText(check.Agreeing), IntegerText(check.Checked), reference,
             PercentText(check.Agreeing, check.Checked),
             mistaken == 1 ? QStringLiteral("L'autre est") : QStringLiteral("Les %1 autres sont").arg(IntegerText(mistaken)),
             mistaken == 1 ? QString() : QStringLiteral("s"));
}

}  // namespace

void TForm2::ButtVerifierClick()
{
    // Down only once the check is made: whatever stops it on the way leaves the button up.
    const bool wanted = ButtVerifier->isChecked();
    StopChecking();
    if (!wanted)
        return;
    if (!mapShown)
        return ShowNotice(MapNeeded);
    // A legend put beside the map since it was drawn is taken now; one that cannot be read says why.
    if (SurveyTally.Legend.empty())
        Survey->KnowLegend(ReadLegendBeside(mapFileName));
    if (SurveyTally.Legend.empty())
        return ShowNotice(QStringLiteral("Cette carte n'a pas de légende : rien ne dit quel usage du sol chaque "
                                         "couleur représente. Le professeur la donne avec la séance qu'il distribue "
                                         "(un fichier « %1 » à côté de la carte).")
                              .arg(QFileInfo(LegendFileFor(mapFileName)).fileName()));
    if (SurveyTally.PointsProbed == 0)
        return ShowNotice(QStringLiteral("Aucun point n'est encore classé : classez des points, puis vérifiez-les."));
    const TBitmap& map = shownMap.Whole();
    auto check = std::make_unique<LegendCheck>(MapPixels(map), MapPixels(map, QSize(SurveyTally.MapWidth, SurveyTally.MapHeight)));
    try {
        check->Reference = ClassReference::FromLegend(check->Picture.View(), check->Drawn.View(), SurveyTally.Legend);
    } catch (const EInvalidGraphic&) {
        return ShowNotice(QStringLiteral("Cette carte a plus de %1 couleurs : c'est une photo ou un scan, dont la "
                                         "légende ne peut pas dire l'usage du sol de chaque point.")
                              .arg(MaxMapColours));
    }
    legendCheck = std::move(check);
    ButtVerifier->setChecked(true);
    const ClassAnalysis analysis = CheckPoints();
    if (!analysis.Checks.empty())
        ShowNotice(CheckSummary(analysis.Checks.front(), legendCheck->Reference->Description()));
}

ClassAnalysis TForm2::CheckPoints()
{
    if (!legendCheck)
        return {};
    ClassAnalysis analysis = CheckSurvey(SurveyTally, *legendCheck->Reference);
    mistakes.clear();
    if (!analysis.Checks.empty()) {
        // Both in the order counted: each disagreement is the next count at its place.
        const std::vector<DisagreedPoint>& disagreements = analysis.Checks.front().Disagreements;
        auto next = disagreements.begin();
        for (const SurveyMark& mark : SurveyTally.Marks()) {
            if (next == disagreements.end() || mark.What != SurveyMark::Kind::CountedPoint || mark.Place != next->Place)
                continue;
            mistakes.push_back({mark, QStringLiteral("Vous : « %1 » — légende : « %2 »")
                                          .arg(analysis.Uses[std::size_t(next->Student)],
                                               analysis.Uses[std::size_t(next->Reference)])});
            ++next;
        }
    }
    // Every change of the survey draws the rings afresh: a count added lands among them.
    ++checkGeneration;
    Canvas.Invalidate(MapArea());
    return analysis;
}

void TForm2::StopChecking()
{
    ButtVerifier->setChecked(false);
    if (!legendCheck)
        return;
    legendCheck.reset();
    mistakes.clear();
    ++checkGeneration;
    Canvas.Invalidate(MapArea());
}

TFigure TForm2::RingOf(const CheckedMistake& mistake, bool ring) const
{
    const MarkBox box = SurveyTally.BoxOf(mistake.Count, MapOrigin);
    if (!ring)
        return EllipseFigure(box.Left, box.Top, box.Right, box.Bottom, clBlue, clBlue, MapRect);
    return EllipseFigure(box.Left - RingWidth, box.Top - RingWidth, box.Right + RingWidth, box.Bottom + RingWidth,
                         clRed, clRed, MapRect);
}

bool TForm2::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip || mistakes.empty())
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QPoint at = Canvas.View().DesignedPixelAt(help->pos());
    for (const CheckedMistake& mistake : mistakes) {
        const TFigure ring = RingOf(mistake, true);
        if (ring.Box.contains(at)) {
            QToolTip::showText(help->globalPos(), mistake.Said, this);
            return true;
        }
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}
