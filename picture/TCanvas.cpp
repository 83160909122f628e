#include "picture/TCanvas.h"

#include "app/Dispatch.h"
#include "app/Errors.h"
#include "picture/TBitmap.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>

namespace {

// Far beyond any screen, and small enough that widths and heights stay in range.
constexpr int FarthestCoordinate = 1 << 24;

int WithinReach(int coordinate)
{
    return std::clamp(coordinate, -FarthestCoordinate, FarthestCoordinate);
}

void PaintEllipse(QPainter& painter, const QRect& box, const QColor& pen, const QColor& brush)
{
    // In a box one or two pixels thin the outline is all there is, and Qt draws nothing at all
    // for a one-pixel ellipse.
    if (box.width() <= 2 || box.height() <= 2) {
        painter.fillRect(box, pen);
        return;
    }
    painter.setPen(QPen(pen, 1));
    painter.setBrush(brush);
    // Qt centres the one-pixel outline on the ellipse's edge and lets it reach one pixel right
    // and down: the ellipse one pixel smaller than the box covers the box exactly.
    painter.drawEllipse(QRectF(box.x(), box.y(), box.width() - 1, box.height() - 1));
}

}  // namespace

TCanvas::TCanvas(QWidget* owner) : owner(owner) {}

void TCanvas::Paint(const std::function<void()>& paintHandler)
{
    QPainter painter(owner);
    painting = &painter;
    RunHandler(paintHandler, HandlerKind::Paint);
    DrawFiguresOnTop(painter);
    painting = nullptr;
}

void TCanvas::MovePenTo(int x, int y)
{
    penPos = QPoint(x, y);
}

void TCanvas::DrawEllipse(int x1, int y1, int x2, int y2)
{
    const int left = WithinReach(std::min(x1, x2));
    const int right = WithinReach(std::max(x1, x2));
    const int top = WithinReach(std::min(y1, y2));
    const int bottom = WithinReach(std::max(y1, y2));
    if (left == right || top == bottom)
        return;
    const Figure figure{QRect(left, top, right - left, bottom - top), Pen.Color, Brush.Color};
    if (painting)
        PaintEllipse(*painting, figure.Box, ColourToRGB(figure.PenColour),
                     ColourToRGB(figure.BrushColour));
    else
        KeepFigure(figure);
}

void TCanvas::DrawScaled(const TRect& rect, const TBitmap& picture)
{
    if (!painting)
        throw EInvalidOperation(QStringLiteral("Le canevas ne permet pas de dessiner"));
    if (picture.Empty() || rect.Width() <= 0 || rect.Height() <= 0)
        return;
    const QImage& source = picture.Image();
    const QSize size(rect.Width(), rect.Height());
    if (source.cacheKey() != scaledSourceKey || size != scaledSize) {
        // In the screen's own format, so that every later paint is a plain copy of pixels.
        scaled = source.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                     .convertToFormat(QImage::Format_RGB32);
        scaledSourceKey = source.cacheKey();
        scaledSize = size;
    }
    painting->drawImage(QPoint(rect.Left, rect.Top), scaled);
}

void TCanvas::ClearFigures()
{
    figures.clear();
    layer = QImage();
    layerArea = QRect();
    layerReach = QRect();
    layeredCount = 0;
    if (!painting)
        owner->update();
}

void TCanvas::KeepFigure(const Figure& figure)
{
    figures.push_back(figure);
    owner->update(figure.Box);
}

void TCanvas::DrawFiguresOnTop(QPainter& painter)
{
    if (figures.empty())
        return;
    BringLayerUpToDate();
    if (!layer.isNull())
        painter.drawImage(layerArea.topLeft(), layer);
}

void TCanvas::BringLayerUpToDate()
{
    const QRect reach = owner->rect();
    QRect wanted = layerArea;
    for (size_t i = layeredCount; i < figures.size(); ++i)
        wanted |= figures[i].Box & reach;
    // A layer that must grow (a figure beyond it, or a window made larger) is drawn afresh.
    if (wanted != layerArea || reach != layerReach) {
        layerReach = reach;
        layerArea = QRect();
        for (const Figure& figure : figures)
            layerArea |= figure.Box & reach;
        layeredCount = 0;
        layer = QImage();
        if (layerArea.isEmpty()) {
            layeredCount = figures.size();
            return;
        }
        layer = QImage(layerArea.size(), QImage::Format_ARGB32_Premultiplied);
        layer.fill(Qt::transparent);
    }
    if (layeredCount == figures.size() || layer.isNull())
        return;
    QPainter painter(&layer);
    painter.translate(-layerArea.topLeft());
    for (size_t i = layeredCount; i < figures.size(); ++i)
        PaintEllipse(painter, figures[i].Box, ColourToRGB(figures[i].PenColour),
                     ColourToRGB(figures[i].BrushColour));
    layeredCount = figures.size();
}
