// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// Draws the demo map that goes with the program: a small synthetic town seen from above, with
// streets, buildings, green spaces, water and a crop field, as an 800 x 600 24-bit BMP. Each
// land use has flat colours, so the generator can count its true share of the map and print it:
// a class can then set a survey's estimate against the truth. Beside the map it writes the map's
// legend, each colour with the name of its land use, which the simulation shows.
//
//   make_demo_map <output.bmp>     also writes <output>-legende.csv

#include "core/MapColours.h"
#include "core/ResultsCsv.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPolygon>
#include <QRandomGenerator>
#include <cmath>
#include <cstdio>

namespace {

struct LandUse {
    QString name;
    QList<QRgb> colours;
};

const QRgb Street = qRgb(128, 128, 128);
const QRgb Roof = qRgb(190, 110, 80);
const QRgb DarkRoof = qRgb(150, 85, 70);
const QRgb Grass = qRgb(95, 170, 75);
const QRgb Trees = qRgb(55, 125, 55);
const QRgb Water = qRgb(70, 130, 210);
const QRgb Crop = qRgb(225, 200, 100);
const QRgb CropFurrow = qRgb(200, 175, 85);

const QList<LandUse> landUses{
    {"trafic", {Street}},
    {"bâti", {Roof, DarkRoof}},
    {"espaces verts", {Grass, Trees}},
    {"eau", {Water}},
    {"culture", {Crop, CropFurrow}},
};

void Fill(QPainter& painter, const QRect& rect, QRgb colour)
{
    painter.fillRect(rect, QColor(colour));
}

// A block between streets: a park, or houses on their gardens.
void DrawBlock(QPainter& painter, const QRect& block, QRandomGenerator& random)
{
    Fill(painter, block, Grass);
    if (random.bounded(5) == 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(Trees));
        for (int i = 0; i < 6; ++i) {
            const int d = 10 + random.bounded(16);
            painter.drawEllipse(block.x() + random.bounded(qMax(1, block.width() - d)),
                                block.y() + random.bounded(qMax(1, block.height() - d)), d, d);
        }
        return;
    }
    for (int y = block.top() + 4; y + 20 < block.bottom(); y += 30) {
        for (int x = block.left() + 4; x + 18 < block.right();) {
            const int w = 18 + random.bounded(22);
            const int h = 18 + random.bounded(8);
            const QRect house(x, y, qMin(w, block.right() - 3 - x), qMin(h, block.bottom() - 3 - y));
            Fill(painter, house, random.bounded(3) ? Roof : DarkRoof);
            x += w + 5 + random.bounded(6);
        }
    }
}

QImage DrawTown()
{
    QImage map(800, 600, QImage::Format_RGB32);
    map.fill(QColor(Grass));
    QPainter painter(&map);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QRandomGenerator random(346);

    // The crop field east of the river, in furrows.
    Fill(painter, QRect(540, 0, 260, 600), Crop);
    for (int x = 544; x < 800; x += 12)
        Fill(painter, QRect(x, 0, 4, 600), CropFurrow);

    // The town west of the river: blocks between a grid of streets and one wide avenue.
    const int streetWidth = 12;
    const QList<int> columns{0, 110, 230, 340, 460};
    const QList<int> rows{0, 95, 200, 300, 410, 505, 600};
    for (int r = 0; r + 1 < rows.size(); ++r)
        for (int c = 0; c + 1 < columns.size(); ++c)
            DrawBlock(painter, QRect(QPoint(columns[c] + streetWidth, rows[r] + streetWidth),
                                     QPoint(columns[c + 1] - 1, rows[r + 1] - 1)),
                      random);
    for (int x : columns)
        Fill(painter, QRect(x, 0, streetWidth, 600), Street);
    for (int y : rows)
        Fill(painter, QRect(0, y, 470, streetWidth), Street);
    Fill(painter, QRect(0, 294, 800, 20), Street);  // the avenue crosses the river and the field

    // The river, bending from north to south, and a pond in the park beside it.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(Water));
    QPolygon river;
    for (int y = 0; y <= 600; y += 20)
        river << QPoint(480 + int(18 * std::sin(y / 70.0)), y);
    for (int y = 600; y >= 0; y -= 20)
        river << QPoint(525 + int(18 * std::sin(y / 70.0)), y);
    painter.drawPolygon(river);
    painter.drawEllipse(QRect(250, 420, 70, 45));
    // The bridge of the avenue over the river.
    Fill(painter, QRect(440, 294, 120, 20), Street);
    return map;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_map <output.bmp>\n");
        return 2;
    }
    const QImage map = DrawTown();
    // The shares as the simulation window lists them: from the same census of the map's colours.
    const std::vector<MapColour> census = ColourCensus(
        {reinterpret_cast<const uint32_t*>(map.constBits()), map.width(), map.height(), map.bytesPerLine() / 4});

    const long total = long(map.width()) * map.height();
    std::printf("%s: %d x %d pixels, true share of each land use:\n", argv[1], map.width(),
                map.height());
    long counted = 0;
    for (const LandUse& use : landUses) {
        const PixelShare share = ChosenShare(census, {use.colours.begin(), use.colours.end()});
        counted += share.Chosen;
        std::printf("  %9s  %s\n", qPrintable(PercentText(share.Chosen, share.Total)), qPrintable(use.name));
    }
    if (counted != total) {
        std::fprintf(stderr, "make_demo_map: %ld pixels belong to no land use\n", total - counted);
        return 1;
    }
    const QString mapFile = QString::fromLocal8Bit(argv[1]);
    if (!map.convertToFormat(QImage::Format_RGB888).save(mapFile, "BMP")) {
        std::fprintf(stderr, "make_demo_map: cannot write %s\n", argv[1]);
        return 1;
    }
    // The legend as a spreadsheet would save it, so that a teacher sees how to write one.
    QString legend = CsvLine({QStringLiteral("Couleur"), QStringLiteral("Usage du sol")});
    for (const LandUse& use : landUses)
        for (QRgb colour : use.colours)
            legend += CsvLine({ColourText(colour), use.name});
    QFile legendFile(LegendFileFor(mapFile));
    if (!legendFile.open(QIODevice::WriteOnly) || legendFile.write(SpreadsheetBytes(legend)) < 0) {
        std::fprintf(stderr, "make_demo_map: cannot write %s\n", qPrintable(legendFile.fileName()));
        return 1;
    }
    return 0;
}
