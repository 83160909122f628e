// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "windows/Abaquez.h"

#include "core/Interval.h"
#include "core/ScreenRoom.h"
#include "ui/Dispatch.h"
#include "ui/HouseStyle.h"
#include "ui/TextBoxes.h"
#include "ui/WindowFrame.h"

#include <QPaintEvent>
#include <QPushButton>
#include <QShowEvent>
#include <algorithm>

TAbaque* Abaque = nullptr;

namespace {

// Named at every paint, and found in the current folder, else in the program's data folder, so
// that the installed chart shows whatever folder the program was started from. A paint only takes
// the file's stamp: the chart is read again when another file or a rewritten one lies there.
const QString chartFileName = QStringLiteral("Abaque_bon.bmp");
// The chart fills this rectangle whatever its own size; its top rows lie under the note.
const TRect chartRect{110, 60, 800, 800};
// The note and "Fermer" as designed, and the least space between "Fermer" and a chart drawn
// smaller.
const QRect designedNote(16, 8, 921, 65);
const QRect designedClose(864, 784, 75, 25);
constexpr int closeGap = 8;

// The note's first lines tell how to read the chart on an example; its last one gives the chart's
// source and the example's exact interval, as the results grid's hints give it.
QString NoteText()
{
    const QStringList lines{
        QStringLiteral("Tout échantillon est affecté de fluctuations qu'un abaque permet d'évaluer. "
                       "Supposons que vous ayez projeté 10 points aléatoires, dont 3 tombent sur les "
                       "espaces verts,soit 30 %."),
        QStringLiteral("Sur l'abaque, joignez le long de la ligne verticale 30 les deux intersections "
                       "avec les courbes n=10. Il y a 95 chances sur 100 pour que les espace verts "
                       "occupent entre 8 % et 65 % du sol :"),
        QStringLiteral("évaluer un pourcentage réclame de gros échantillons ..."),
        // Short enough to stay on one line of the box.
        QStringLiteral("Source : Clopper et Pearson (1934), \"The use of confidence or fiducial limits "
                       "illustrated in the case of the binomial\", Biometrika, vol. 26, p. 404-413 ; "
                       "calcul exact : %1.")
            .arg(IntervalText(3, 10)),
    };
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

TAbaque::TAbaque()
{
    SetUpWindow(this, QStringLiteral("Abaque"), 191, 187, 970, 849,
                PixelFont(QStringLiteral("MS Sans Serif"), 11, false), palette().color(QPalette::WindowText));

    // Created in tab order. The note lies over the chart's top rows; the user may write in it.
    ButtFermer = MakeButton(this, QStringLiteral("&Fermer"), designedClose.x(), designedClose.y(),
                            designedClose.width(), designedClose.height());
    ButtFermer->setToolTip(QStringLiteral("Fermer l'abaque (Alt+F)"));
    AddMnemonicKeys(ButtFermer);
    Memo1 = new TMemo(NoteText(), this);
    Memo1->setGeometry(designedNote);
    Memo1->setAccessibleName(QStringLiteral("Comment lire l'abaque"));
    Memo1->setToolTip(QStringLiteral("Comment lire l'abaque, sur un exemple ; vous pouvez y écrire"));
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setWordWrapMode(QTextOption::WordWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    connect(ButtFermer, &QPushButton::clicked, this, Guarded(this, &TAbaque::ButtFermerClick));
}

void TAbaque::LayOutWithin(QSize room)
{
    // "Fermer" keeps its distance from the bottom-right corner, the note its margins; the chart
    // keeps its top-left corner, its proportions and the margin under it, left of "Fermer". In
    // the designed room these give the designed places.
    const QSize designed = DesignedClientSize(this);
    room = room.boundedTo(designed);
    const QSize closeFromCorner(designed.width() - designedClose.x(), designed.height() - designedClose.y());
    ButtFermer->move(room.width() - closeFromCorner.width(), room.height() - closeFromCorner.height());
    Memo1->resize(designedNote.width() - (designed.width() - room.width()), designedNote.height());
    const int widthLeft = ButtFermer->x() - closeGap - chartRect.Left;
    const int heightLeft = room.height() - (designed.height() - chartRect.Bottom) - chartRect.Top;
    const int shownWidth = std::clamp(
        std::min<int>(widthLeft, int(qint64{heightLeft} * chartRect.Width() / chartRect.Height())), 1,
        chartRect.Width());
    Canvas.SetView(TViewScale{QPoint(chartRect.Left, chartRect.Top), shownWidth, chartRect.Width()});
    resize(room);
}

// A chart file that failed is reported again once the window is shown anew.
void TAbaque::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        shownChart.ShownAnew();
    QWidget::showEvent(event);
}

void TAbaque::paintEvent(QPaintEvent* event)
{
    Canvas.Paint(event->region(), [this] { FormPaint(); });
}

void TAbaque::FormPaint()
{
    shownChart.Show(chartFileName, [this](const TBitmap& chart, QSize, const QString&) {
        Canvas.DrawScaled(chartRect, chart);
    });
}

void TAbaque::ButtFermerClick()
{
    close();
}
