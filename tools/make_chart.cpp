// Draws the fluctuation chart that the chart window shows, Abaque_bon.bmp: for each sample size
// the two curves between which, 95 times out of 100, lies the true percentage of a land use
// whose observed percentage is read along the bottom. The curves are computed exactly
// (Clopper and Pearson's binomial limits), the very limits the results grid gives as hints.
//
// Usage: make_chart <output.bmp>

#include "app/Interval.h"
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

// One point a column of pixels, through every observed percentage, not only whole counts.
void DrawBelt(QPainter& painter, int sampleSize, const QColor& colour)
{
    QPolygonF lower, upper;
    for (int column = 0; column <= PlotWidth; ++column) {
        const double observed = column * 100.0 / PlotWidth;
        const std::optional<ShareLimits> limits = ExactLimits95(sampleSize * observed / 100.0, sampleSize);
        lower << QPointF(XOf(observed), YOf(limits->Lower * 100));
        upper << QPointF(XOf(observed), YOf(limits->Upper * 100));
    }
    painter.setPen(QPen(colour, 2));
    painter.drawPolyline(lower);
    painter.drawPolyline(upper);
}

// The label sits on the curve, in a white box: upper curves at 40 %, lower ones at 60 %, where
// the belts stand far enough apart for one line of text each.
void LabelBelt(QPainter& painter, int sampleSize, const QColor& colour)
{
    const QString label = QStringLiteral("n=%1").arg(sampleSize);
    const QFontMetrics metrics(painter.font());
    const QSize box(metrics.horizontalAdvance(label) + 6, metrics.height());
    const std::optional<ShareLimits> atForty = ExactLimits95(sampleSize * 0.4, sampleSize);
    const std::optional<ShareLimits> atSixty = ExactLimits95(sampleSize * 0.6, sampleSize);
    for (const QPointF centre : {QPointF(XOf(40), YOf(atForty->Upper * 100)),
                                 QPointF(XOf(60), YOf(atSixty->Lower * 100))}) {
        const QRect where(QPoint(int(centre.x()) - box.width() / 2, int(centre.y()) - box.height() / 2), box);
        painter.fillRect(where, Qt::white);
        painter.setPen(colour);
        painter.drawText(where, Qt::AlignCenter, label);
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
    for (size_t i = 0; i < SampleSizes.size(); ++i)
        DrawBelt(painter, SampleSizes[i], CurveColour(int(i)));
    painter.setFont(ChartFont(12, true));
    for (size_t i = 0; i < SampleSizes.size(); ++i)
        LabelBelt(painter, SampleSizes[i], CurveColour(int(i)));
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
