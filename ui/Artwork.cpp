#include "ui/Artwork.h"

#include <QPainter>

QIcon ApplicationIcon()
{
    static const QIcon icon = [] {
        QPixmap pixmap(32, 32);
        pixmap.fill(QColor(0, 128, 0));
        QPainter painter(&pixmap);
        painter.fillRect(0, 12, 32, 5, QColor(192, 192, 192));   // a street
        painter.fillRect(18, 0, 5, 32, QColor(192, 192, 192));   // a cross street
        painter.fillRect(3, 20, 11, 9, QColor(128, 0, 0));       // a building
        painter.fillRect(25, 2, 6, 8, QColor(0, 0, 128));        // a pond
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 0, 0));
        for (const QPoint& p : {QPoint(6, 4), QPoint(27, 22), QPoint(10, 13)})
            painter.drawEllipse(QRect(p, QSize(5, 5)));
        painter.setBrush(QColor(0, 0, 255));
        painter.drawEllipse(QRect(19, 24, 5, 5));
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
