// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/MarkedMap.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace {

constexpr qreal DotRadius = 3;
constexpr qreal CircleRadius = 7;

}  // namespace

TMarkedMap::TMarkedMap(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TMarkedMap::SetMap(const QImage& picture)
{
    map = picture;
    update();
}

void TMarkedMap::SetMarks(std::vector<MapMark> shown)
{
    marks = std::move(shown);
    update();
}

// The map as large as the box allows, its proportions kept, centred.
QRectF TMarkedMap::MapArea() const
{
    if (map.isNull())
        return QRectF(rect());
    const QSizeF fitted = QSizeF(map.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
    return QRectF(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

QPointF TMarkedMap::ToBox(QPoint place) const
{
    const QRectF area = MapArea();
    const QSizeF pixels = map.isNull() ? QSizeF(1, 1) : QSizeF(map.size());
    return {area.left() + (place.x() + 0.5) * area.width() / pixels.width(),
            area.top() + (place.y() + 0.5) * area.height() / pixels.height()};
}

void TMarkedMap::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (!map.isNull()) {
        painter.drawImage(MapArea(), map);
        // A blank map's edge still shows where the map ends.
        painter.setPen(Qt::gray);
        painter.drawRect(MapArea().adjusted(0, 0, -1, -1));
    }
    painter.setRenderHint(QPainter::Antialiasing);
    for (const MapMark& mark : marks) {
        const QPointF at = ToBox(mark.Place);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(mark.Colour);
        painter.drawEllipse(at, DotRadius, DotRadius);
        if (mark.Circled) {
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(mark.Colour, 2));
            painter.drawEllipse(at, CircleRadius, CircleRadius);
        }
    }
}

bool TMarkedMap::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    // The mark nearest the mouse, within a circle's reach: points close together stay apart.
    const MapMark* nearest = nullptr;
    qreal nearestDistance = CircleRadius * CircleRadius;
    for (const MapMark& mark : marks) {
        const QPointF offset = ToBox(mark.Place) - QPointF(help->pos());
        const qreal distance = QPointF::dotProduct(offset, offset);
        if (distance <= nearestDistance && !mark.Hint.isEmpty()) {
            nearest = &mark;
            nearestDistance = distance;
        }
    }
    QToolTip::showText(help->globalPos(), nearest ? nearest->Hint : toolTip(), this);
    return true;
}
