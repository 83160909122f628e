// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/Artwork.h"

#include <QPainter>

namespace {

// The side of the square the icon is designed in.
constexpr int iconDesignSide = 32;

}  // namespace

void PaintApplicationIcon(QPainter& painter, qreal side)
{
    painter.save();
    painter.scale(side / iconDesignSide, side / iconDesignSide);
    painter.fillRect(QRectF(0, 0, iconDesignSide, iconDesignSide), QColor(0, 128, 0));
    painter.fillRect(QRectF(0, 12, 32, 5), QColor(192, 192, 192));   // a street
    painter.fillRect(QRectF(18, 0, 5, 32), QColor(192, 192, 192));   // a cross street
    painter.fillRect(QRectF(3, 20, 11, 9), QColor(128, 0, 0));       // a building
    painter.fillRect(QRectF(25, 2, 6, 8), QColor(0, 0, 128));        // a pond
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 0, 0));
    for (const QPointF& p : {QPointF(6, 4), QPointF(27, 22), QPointF(10, 13)})
        painter.drawEllipse(QRectF(p, QSizeF(5, 5)));
    painter.setBrush(QColor(0, 0, 255));
    painter.drawEllipse(QRectF(19, 24, 5, 5));
    painter.restore();
}

QIcon ApplicationIcon()
{
    static const QIcon icon = [] {
        QPixmap pixmap(iconDesignSide, iconDesignSide);
        QPainter painter(&pixmap);
        PaintApplicationIcon(painter, iconDesignSide);
        painter.end();
        return QIcon(pixmap);
    }();
    return icon;
}

QPixmap CloseGlyph()
{
    static const QPixmap glyph = [] {
        QPixmap pixmap(18, 18);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.fillRect(3, 1, 10, 16, QColor(128, 128, 0));      // the door frame
        painter.fillRect(4, 2, 8, 15, QColor(0, 0, 0));           // the dark doorway
        const QPolygon leaf({QPoint(4, 2), QPoint(9, 4), QPoint(9, 17), QPoint(4, 16)});
        painter.setPen(QColor(128, 128, 0));
        painter.setBrush(QColor(255, 255, 0));                    // the open leaf
        painter.drawPolygon(leaf);
        painter.setPen(QColor(0, 0, 0));
        painter.drawPoint(8, 10);                                 // its handle
        return pixmap;
    }();
    return glyph;
}
