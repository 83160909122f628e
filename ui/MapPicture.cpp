// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/MapPicture.h"

#include "core/Errors.h"
#include "ui/WindowFrame.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace {

// Around the legend's text, in pixels.
constexpr int LegendMargin = 6;

}  // namespace

QImage MapWithLegend(const QImage& map, const QString& legend)
{
    // The font of the map window's labels, at the same size: the picture is in window pixels.
    const QFont font = PixelFont(QStringLiteral("MS Sans Serif"), 13);
    const QFontMetrics metrics(font);
    const int bandHeight = metrics.height() + 2 * LegendMargin;
    const int width = std::max(map.width(), metrics.horizontalAdvance(legend) + 2 * LegendMargin);
    QImage picture(width, map.height() + bandHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawImage(0, 0, map);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(LegendMargin, map.height(), width - 2 * LegendMargin, bandHeight),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, legend);
    return picture;
}

QByteArray PngBytes(const QImage& picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Only a picture too large for memory fails here.
    if (!picture.save(&buffer, "PNG"))
        throw EOutOfMemory(QStringLiteral("Mémoire insuffisante"));
    return bytes;
}
