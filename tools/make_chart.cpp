// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// Draws the fluctuation chart that the chart window shows, Abaque_bon.bmp: for each sample size
// the two curves between which, 95 times out of 100, lies the true percentage of a land use
// whose observed percentage is read along the bottom. The curves are computed exactly
// (Clopper and Pearson's binomial limits), the very limits the results grid gives as hints.
//
// Usage: make_chart <output.bmp>

#include "core/Interval.h"
#include "tools/ChartGeometry.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <cstdio>

using namespace ChartGeometry;

namespace {

const QColor gridColour(190, 190, 190);
const QColor fineGridColour(228, 228, 228);

QFont ChartFont(int pixelHeight, bool bold = false)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

void DrawGrid(QPainter& painter)
{
    painter.setFont(ChartFont(12));
    for (int percent = 0; percent <= 100; percent += 5) {
        const int x = int(XOf(percent));
        const int y = int(YOf(percent));
        painter.setPen(percent % 10 == 0 ? gridColour : fineGridColour);
        painter.drawLine(x, PlotTop, x, PlotTop + PlotHeight);
        painter.drawLine(PlotLeft, y, PlotLeft + PlotWidth, y);
        if (percent % 10 != 0)
            continue;
        painter.setPen(Qt::black);
        const QString label = QString::number(percent);
        painter.drawText(QRect(x - 20, PlotTop + PlotHeight + 3, 40, 14), Qt::AlignCenter, label);
        painter.drawText(QRect(PlotLeft - 34, y - 7, 30, 14), Qt::AlignRight | Qt::AlignVCenter, label);
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(PlotLeft, PlotTop, PlotWidth, PlotHeight);
}

void DrawTitles(QPainter& painter)
{
    painter.setPen(Qt::black);
    painter.setFont(ChartFont(14, true));
    painter.drawText(QRect(0, HiddenRows + 4, Width, 20), Qt::AlignCenter,
                     QStringLiteral("Intervalle de confiance à 95 % d'un pourcentage estimé par "
                                    "sondage de n points"));
    painter.setFont(ChartFont(13, true));
    painter.drawText(QRect(PlotLeft, PlotTop + PlotHeight + 19, PlotWidth, 18), Qt::AlignCenter,
                     QStringLiteral("Pourcentage observé dans l'échantillon (%)"));
    painter.save();
    painter.translate(14, PlotTop + PlotHeight / 2);
    painter.rotate(-90);
    painter.drawText(QRect(-PlotHeight / 2, -9, PlotHeight, 18), Qt::AlignCenter,
                     QStringLiteral("Pourcentage dans le territoire (%)"));
    painter.restore();
}

// A belt's line, for its curves and for its piece in the legend.
QPen CurvePen(int sampleSizeIndex)
{
    QPen pen(CurveColour(sampleSizeIndex), 2);
    pen.setCapStyle(Qt::FlatCap);  // gaps as long as the pattern says
    switch (CurveStyle(sampleSizeIndex)) {  // lengths in pen widths
    case LineStyle::Solid:
        break;
    case LineStyle::Dashed:
        pen.setDashPattern({5, 2});
        break;
    case LineStyle::Dotted:
        pen.setDashPattern({1, 2});
        break;
    case LineStyle::DashDot:
        pen.setDashPattern({5, 2, 1, 2});
        break;
    }
    return pen;
}

// One point a column of pixels, through every observed percentage, not only whole counts. Each
// tenth of the width starts its pattern afresh, so that on the vertical lines 0, 10, 20 … where
// the user reads the chart, every curve is drawn, whatever its style.
void DrawBelt(QPainter& painter, int sampleSizeIndex)
{
    const int sampleSize = SampleSizes[sampleSizeIndex];
    constexpr int columnsPerTenth = PlotWidth / 10;
    painter.setPen(CurvePen(sampleSizeIndex));
    for (int first = 0; first < PlotWidth; first += columnsPerTenth) {
        QPolygonF lower, upper;
        for (int column = first; column <= first + columnsPerTenth; ++column) {
            const double observed = column * 100.0 / PlotWidth;
            const std::optional<ShareLimits> limits = ExactLimits95(sampleSize * observed / 100.0, sampleSize);
            lower << QPointF(XOf(observed), YOf(limits->Lower * 100));
            upper << QPointF(XOf(observed), YOf(limits->Upper * 100));
        }
        painter.drawPolyline(lower);
        painter.drawPolyline(upper);
    }
}

void DrawLegend(QPainter& painter)
{
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(LegendBox());
    painter.setFont(ChartFont(12, true));
    for (int i = 0; i < int(SampleSizes.size()); ++i) {
        const QRect line = LegendLine(i);
        const int middle = line.center().y();
        painter.setPen(CurvePen(i));
        painter.drawLine(line.left() + 2, middle, line.left() + 44, middle);
        painter.setPen(Qt::black);
        painter.drawText(line.adjusted(52, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("n=%1").arg(SampleSizes[i]));
    }
}

QImage DrawChart()
{
    QImage chart(Width, Height, QImage::Format_RGB32);
    chart.fill(Qt::white);
    QPainter painter(&chart);
    DrawGrid(painter);
    DrawTitles(painter);
    // Pixels exact, so that each curve keeps its own colour, one that reads back unmixed.
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < int(SampleSizes.size()); ++i)
        DrawBelt(painter, i);
    DrawLegend(painter);
    return chart;
}

}  // namespace

int main(int argc, char* argv[])
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "Usage : make_chart <fichier.bmp>\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    if (!DrawChart().save(path, "BMP")) {
        std::fprintf(stderr, "Impossible d'écrire l'abaque dans %s\n", argv[1]);
        return 1;
    }
    return 0;
}
