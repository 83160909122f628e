// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A map shown whole in a box, its points marked over it: a dot in a colour, circled where it
// asks to be looked at, and the mouse resting on a mark tells what it is. It paints from what it
// is given and keeps nothing else.

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <vector>

struct MapMark {
    QPoint Place;  // the map's pixel
    QColor Colour;
    bool Circled = false;
    QString Hint;
};

class TMarkedMap : public QWidget {
    Q_OBJECT
public:
    explicit TMarkedMap(QWidget* parent);

    void SetMap(const QImage& map);
    void SetMarks(std::vector<MapMark> marks);
    const std::vector<MapMark>& Marks() const { return marks; }
    // The map's size in pixels, the marks' coordinates.
    QSize MapSize() const { return map.size(); }
    // Where a map pixel's centre is drawn in the box.
    QPointF ToBox(QPoint place) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRectF MapArea() const;

    QImage map;
    std::vector<MapMark> marks;
};
