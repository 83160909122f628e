// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The map window on a monitor smaller than its design (a classroom projector of 1024 × 768, a
// laptop of 1366 × 768, a screen at a scale factor of 2): the panels go in columns right beside
// the map, and the map is shown as large as the room leaves it, never larger than designed.
//
// Only the showing changes. The survey's points, presses, sessions and seeds stay in the pixels
// of the map as drawn at its designed size, so that one seed gives the same points on a
// projector as on a large screen; the canvas's view shows them smaller, and a press is taken
// back to the map pixel it shows.

#include "windows/Carte2.h"

#include "core/ScreenRoom.h"
#include "ui/WindowFrame.h"

#include <QFrame>
#include <QPushButton>

namespace {

// Between the panels, and between them and the window's edges, where the window is laid out
// to fit: tighter than designed, so that on a projector of 768 rows the panels still stand in
// one column beside the whole map.
constexpr int panelGap = 5;

}  // namespace

void TForm2::LayOutWithin(QSize room)
{
    // In the order of the steps, the scale and the points' export last; the close button under
    // them, in the bottom-right corner.
    const QList<QWidget*> panels{Panel2, Panel1, Panel3, Panel4, Panel5};
    if (designedPlaces.isEmpty())
        designedPlaces = {Panel2->pos(), Panel1->pos(), Panel3->pos(), Panel4->pos(), Panel5->pos(), BitBtnFermer->pos()};

    const QSize designed = DesignedClientSize(this);
    if (FitsIn(designed, room)) {
        for (qsizetype i = 0; i < panels.size(); ++i)
            panels[i]->move(designedPlaces[i]);
        BitBtnFermer->move(designedPlaces.back());
        Canvas.SetView(TViewScale{});
        resize(designed);
        return;
    }
    // Sized for the largest map a picture can make, so that another map keeps the layout.
    QList<QSize> sizes;
    for (const QWidget* panel : panels)
        sizes << panel->size();
    const TBesideLayout layout = LayOutBeside(QRect(MapOrigin, QSize(LargestMapSide, LargestMapSide)), sizes,
                                              BitBtnFermer->size(), panelGap, room);
    for (qsizetype i = 0; i < panels.size(); ++i)
        panels[i]->move(layout.Blocks[i]);
    BitBtnFermer->move(layout.Corner);
    Canvas.SetView(layout.View);
    resize(layout.Client);
}

QRect TForm2::ShownMapArea() const
{
    return Canvas.View().ShownFrom(MapArea());
}
