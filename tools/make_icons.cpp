// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// Draws the program's icons for the desktop's icon theme from the same artwork as its window
// icon: a PNG for each size asked for, and a scalable SVG.
//
// Usage: make_icons <theme folder> <icon name> <size>...
// writes <theme folder>/<size>x<size>/apps/<icon name>.png for each size and
// <theme folder>/scalable/apps/<icon name>.svg.

#include "ui/Artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>

namespace {

// The folder of one size in the theme, made when missing.
QString AppsFolder(const QString& theme, const QString& size)
{
    const QString folder = theme + '/' + size + "/apps";
    QDir().mkpath(folder);
    return folder;
}

bool WritePng(const QString& theme, const QString& name, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // Below and above the design size the shapes fall between pixels: smooth their edges.
    painter.setRenderHint(QPainter::Antialiasing);
    PaintApplicationIcon(painter, side);
    painter.end();
    const QString size = QString::number(side);
    return image.save(AppsFolder(theme, size + 'x' + size) + '/' + name + ".png");
}

bool WriteSvg(const QString& theme, const QString& name)
{
    constexpr int side = 32;
    QSvgGenerator generator;
    generator.setFileName(AppsFolder(theme, "scalable") + '/' + name + ".svg");
    generator.setSize(QSize(side, side));
    generator.setViewBox(QRect(0, 0, side, side));
    generator.setTitle(QStringLiteral("Sondelio"));
    generator.setDescription(QStringLiteral("Une carte et quelques points d'échantillonnage"));
    QPainter painter;
    if (!painter.begin(&generator))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    PaintApplicationIcon(painter, side);
    return painter.end();
}

}  // namespace

int main(int argc, char* argv[])
{
    QGuiApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: make_icons <theme folder> <icon name> <size>...\n");
        return 2;
    }
    const QString theme = arguments[1];
    const QString name = arguments[2];
    for (const QString& size : arguments.mid(3)) {
        bool isNumber = false;
        const int side = size.toInt(&isNumber);
        if (!isNumber || side <= 0 || !WritePng(theme, name, side)) {
            std::fprintf(stderr, "make_icons: cannot write the %s-pixel icon\n", qPrintable(size));
            return 1;
        }
    }
    if (!WriteSvg(theme, name)) {
        std::fprintf(stderr, "make_icons: cannot write the scalable icon\n");
        return 1;
    }
    return 0;
}
