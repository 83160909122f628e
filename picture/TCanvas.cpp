#include "picture/TCanvas.h"

#include "app/Dispatch.h"
#include "app/Errors.h"
#include "picture/TBitmap.h"

#include <QPainter>
#include <QRegion>
#include <QScreen>
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

// Beyond this many rectangles, changing the clip for each costs more than going span by span.
constexpr int MostRectsDrawnApart = 64;

// Qt hands a paint the window's part to repaint less its opaque children (the panels), most
// often several rectangles. Clipped to such a region, copies of pixels and fills go span by span,
// two to three times slower than clipped to one rectangle: each rectangle is drawn on its own.
template <class Draw>
void ForEachRect(QPainter& painter, const QRegion& region, Draw draw)
{
    if (region.rectCount() > MostRectsDrawnApart) {
        painter.setClipRegion(region);
        draw(region.boundingRect());
    } else {
        for (const QRect& part : region) {
            painter.setClipRect(part);
            draw(part);
        }
    }
    painter.setClipping(false);
}

}  // namespace

bool ScalesByAveraging(int screenBitsPerPixel, int pictureBitsPerPixel)
{
    return screenBitsPerPixel <= 8 && screenBitsPerPixel < pictureBitsPerPixel;
}

TCanvas::TCanvas(QWidget* owner) : owner(owner)
{
    // The canvas lays the window's background itself, so as not to lay it under the picture.
    owner->setAttribute(Qt::WA_OpaquePaintEvent);
}

void TCanvas::Paint(const QRegion& region, const std::function<void()>& paintHandler)
{
    QPainter painter(owner);
    figuresAwaitingPaint = QRect();
    const QBrush background = owner->palette().window();
    const auto layBackground = [&painter, &background](const QRect& part) {
        painter.fillRect(part, background);
    };
    paintRegion = region;
    // The picture drawn last time is opaque and will most likely be drawn at the same place.
    ForEachRect(painter, region.subtracted(pictureDrawnLastTime), layBackground);
    painting = &painter;
    pictureDrawn = QRect();
    RunHandler(paintHandler, HandlerKind::Paint);
    // Where it was not drawn again (the file failed, the map is smaller), the background shows.
    ForEachRect(painter, region.intersected(pictureDrawnLastTime).subtracted(pictureDrawn),
                layBackground);
    pictureDrawnLastTime = pictureDrawn;
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
    const QScreen* screen = owner->screen();
    const bool averaged =
        screen && ScalesByAveraging(screen->depth(), picture.Header().bitsPerPixel);
    if (source.cacheKey() != scaledSourceKey || size != scaledSize || averaged != scaledAveraged) {
        // In the screen's own format, so that every later paint is a plain copy of pixels.
        scaled = source
                     .scaled(size, Qt::IgnoreAspectRatio,
                             averaged ? Qt::SmoothTransformation : Qt::FastTransformation)
                     .convertToFormat(QImage::Format_RGB32);
        scaledSourceKey = source.cacheKey();
        scaledSize = size;
        scaledAveraged = averaged;
        scene = QImage();
    }
    const QRect pictureArea(QPoint(rect.Left, rect.Top), size);
    const QImage* shown = &scaled;
    pictureDrawn = pictureArea;
    if (!figures.empty()) {
        UpdateScene(pictureArea);
        shown = &scene;
        pictureDrawn = sceneArea;
    }
    ForEachRect(*painting, paintRegion.intersected(pictureDrawn), [&](const QRect& part) {
        painting->drawImage(part.topLeft(), *shown, part.translated(-pictureDrawn.topLeft()));
    });
}

void TCanvas::UpdateScene(const QRect& pictureArea)
{
    // The picture whole, and as much of the figures reaching beyond it as the window shows.
    const QRect area = pictureArea | (figuresArea & owner->rect());
    const QBrush background = owner->palette().window();
    if (scene.isNull() || scenePictureArea != pictureArea || sceneArea != area ||
        sceneBackground != background) {
        scene = QImage(area.size(), QImage::Format_RGB32);
        QPainter painter(&scene);
        painter.translate(-area.topLeft());
        if (area != pictureArea)
            painter.fillRect(area, background);
        painter.drawImage(pictureArea.topLeft(), scaled);
        scenePictureArea = pictureArea;
        sceneArea = area;
        sceneBackground = background;
        figuresInScene = 0;
    }
    if (figuresInScene == figures.size())
        return;
    QPainter painter(&scene);
    painter.translate(-area.topLeft());
    for (size_t i = figuresInScene; i < figures.size(); ++i)
        PaintEllipse(painter, figures[i].Box, ColourToRGB(figures[i].PenColour),
                     ColourToRGB(figures[i].BrushColour));
    figuresInScene = figures.size();
}

void TCanvas::ClearFigures()
{
    figures.clear();
    figuresArea = QRect();
    scene = QImage();
    figuresInScene = 0;
    if (!painting)
        owner->update();
}

void TCanvas::KeepFigure(const Figure& figure)
{
    figures.push_back(figure);
    figuresArea |= figure.Box;
    // One box for all the figures drawn since the last paint: thousands of points asked for one
    // by one would make a region of thousands of pieces, slow to build and slower to paint.
    figuresAwaitingPaint |= figure.Box;
    owner->update(figuresAwaitingPaint);
}

void TCanvas::DrawFiguresOnTop(QPainter& painter) const
{
    // With a picture, the scene holds every figure already.
    if (pictureDrawn.isValid())
        return;
    for (const Figure& figure : figures)
        PaintEllipse(painter, figure.Box, ColourToRGB(figure.PenColour), ColourToRGB(figure.BrushColour));
}
