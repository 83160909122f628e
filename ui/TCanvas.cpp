// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/TCanvas.h"

#include "core/Errors.h"
#include "picture/TBitmap.h"
#include "ui/Dispatch.h"

#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <span>

namespace {

// Far beyond any screen, and small enough that widths and heights stay in range.
constexpr int FarthestCoordinate = 1 << 24;

int WithinReach(int coordinate)
{
    return std::clamp(coordinate, -FarthestCoordinate, FarthestCoordinate);
}

// The columns an ellipse covers on one row of its box: those whose pixel centre lies inside or on
// the ellipse inscribed in the box. Every row keeps at least its middle pixel or two, so that
// even the thinnest ellipse reaches the whole height of its box.
struct Span {
    int Left;
    int Right;  // the last column covered
};

Span EllipseRow(const QRect& box, int y)
{
    const double a = box.width() / 2.0;
    const double b = box.height() / 2.0;
    const double centreX = box.left() + a;
    const double dy = (y + 0.5 - (box.top() + b)) / b;
    const double half = a * std::sqrt(std::max(0.0, 1.0 - dy * dy));
    return {std::min(int(std::ceil(centreX - half - 0.5)), int(std::floor(centreX - 0.5))),
            std::max(int(std::floor(centreX + half - 0.5)), int(std::ceil(centreX - 0.5)))};
}

// One figure, row by row inside `shown`: the outline one pixel wide in the pen's colour (a pixel
// with no covered pixel beside it, above or below it), the rest in the brush's. Work goes only
// to the rows and columns that show, so a box far larger than the window costs no more than the
// window. fill(y, left, right, colour) paints columns left to right of row y, or nothing when
// left > right.
template <class Fill>
void PaintFigure(const QRect& box, const QRect& shown, const QColor& pen, const QColor& brush, Fill fill)
{
    for (int y = shown.top(); y <= shown.bottom(); ++y) {
        const Span row = EllipseRow(box, y);
        fill(y, std::max(row.Left, shown.left()), std::min(row.Right, shown.right()), pen);
        if (pen == brush || y == box.top() || y == box.bottom())
            continue;
        const Span above = EllipseRow(box, y - 1);
        const Span below = EllipseRow(box, y + 1);
        fill(y, std::max({row.Left + 1, above.Left, below.Left, shown.left()}),
             std::min({row.Right - 1, above.Right, below.Right, shown.right()}), brush);
    }
}

// Writes straight into an RGB32 image standing at `origin` in the window.
class ImageFill {
public:
    ImageFill(QImage& image, QPoint origin) : image(image), origin(origin) {}
    void operator()(int y, int left, int right, const QColor& colour) const
    {
        if (left > right)
            return;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y - origin.y()));
        std::fill(line + (left - origin.x()), line + (right + 1 - origin.x()), colour.rgb());
    }

private:
    QImage& image;
    QPoint origin;
};

// Figures of one colour throughout, drawn one after another, cover the union of their pixels
// whatever their order. Each row of each figure marks where its span starts and ends in a line
// of counters, and each line is run through once: thousands of large discs cost one pass over
// the area they cover, not one pass each.
void PaintUnion(QImage& scene, QPoint origin, std::span<const TFigure> run, const QColor& colour)
{
    const QRect sceneRect(origin, scene.size());
    QRect area;
    for (const auto& figure : run)
        area |= figure.Visible & sceneRect;
    if (area.isEmpty())
        return;
    const qsizetype stride = area.width() + 1;
    std::vector<int> marks(size_t(stride * area.height()), 0);
    for (const auto& figure : run) {
        const QRect shown = figure.Visible & sceneRect;
        for (int y = shown.top(); y <= shown.bottom(); ++y) {
            const Span row = EllipseRow(figure.Box, y);
            const int left = std::max(row.Left, shown.left());
            const int right = std::min(row.Right, shown.right());
            if (left > right)
                continue;
            int* line = marks.data() + (y - area.top()) * stride;
            ++line[left - area.left()];
            --line[right + 1 - area.left()];
        }
    }
    const ImageFill fill(scene, origin);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const int* line = marks.data() + (y - area.top()) * stride;
        int depth = 0;
        int start = 0;
        for (int x = 0; x <= area.width(); ++x) {
            const int before = depth;
            depth += line[x];
            if (before == 0 && depth > 0)
                start = x;
            else if (before > 0 && depth == 0)
                fill(y, area.left() + start, area.left() + x - 1, colour);
        }
    }
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

// A rectangle of the window in the pixels of a screen of that many pixels per window pixel.
QRect OnDevice(const QRectF& rect, qreal ratio)
{
    const QPoint topLeft(qRound(rect.left() * ratio), qRound(rect.top() * ratio));
    const QPoint end(qRound(rect.right() * ratio), qRound(rect.bottom() * ratio));
    return QRect(topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y()));
}

// A figure given in designed coordinates, in the pixels of the screen: its box where the view
// shows it, and the part that shows, cut where the view cuts the picture it lies on.
TFigure FigureOnDevice(TFigure figure, const TViewScale& view, qreal ratio)
{
    // Shown smaller, a point of a pixel or two keeps a screen pixel: it must never vanish.
    const auto kept = [](QRect rect, bool wasEmpty) {
        return wasEmpty ? rect : QRect(rect.topLeft(), rect.size().expandedTo(QSize(1, 1)));
    };
    figure.Box = kept(OnDevice(view.ToWindow(QRectF(figure.Box)), ratio), figure.Box.isEmpty());
    figure.Visible = kept(OnDevice(QRectF(view.ShownFrom(figure.Visible)), ratio), figure.Visible.isEmpty());
    return figure;
}

// Figures given in the screen's pixels, drawn onto an image that stands at `origin` in them: a
// run of one colour at a time.
void DrawFigures(QImage& image, QPoint origin, std::span<const TFigure> figures)
{
    const QRect imageRect(origin, image.size());
    for (size_t first = 0; first < figures.size();) {
        const TFigure& figure = figures[first];
        const QColor pen = ColourToRGB(figure.PenColour);
        const QColor brush = ColourToRGB(figure.BrushColour);
        size_t end = first + 1;
        if (pen == brush) {
            while (end < figures.size() && figures[end].PenColour == figure.PenColour &&
                   figures[end].BrushColour == figure.BrushColour)
                ++end;
            PaintUnion(image, origin, figures.subspan(first, end - first), pen);
        } else {
            PaintFigure(figure.Box, figure.Visible & imageRect, pen, brush, ImageFill(image, origin));
        }
        first = end;
    }
}

// Guides given in window coordinates, dotted onto an image that stands at `origin` in the
// screen's pixels: one screen pixel thick, two pixels on and two off along the line. Each pixel on
// is pulled halfway to white, or a third of the way to black where it is light already, so that
// the line shows on any colour without hiding the map under it.
void DrawGuides(QImage& image, QPoint origin, std::span<const QLine> guides, const TViewScale& view, qreal ratio)
{
    const QRect imageRect(origin, image.size());
    for (const QLine& guide : guides) {
        const bool down = guide.dx() == 0;
        QRect line = OnDevice(QRectF(view.ShownFrom(QRect(guide.p1(), guide.p2()).normalized())), ratio);
        line.setSize(down ? QSize(1, line.height()) : QSize(line.width(), 1));
        line &= imageRect;
        for (int y = line.top(); y <= line.bottom(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y - origin.y()));
            for (int x = line.left(); x <= line.right(); ++x) {
                if (((down ? y : x) >> 1) & 1)
                    continue;
                QRgb& pixel = row[x - origin.x()];
                const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
                pixel = r + g + b > 3 * 160 ? qRgb(r * 2 / 3, g * 2 / 3, b * 2 / 3)
                                            : qRgb(r + (255 - r) / 2, g + (255 - g) / 2, b + (255 - b) / 2);
            }
        }
    }
}

}  // namespace

TFigure EllipseFigure(int x1, int y1, int x2, int y2, TColor pen, TColor brush,
                      const std::optional<TRect>& within)
{
    const int left = WithinReach(std::min(x1, x2));
    const int right = WithinReach(std::max(x1, x2));
    const int top = WithinReach(std::min(y1, y2));
    const int bottom = WithinReach(std::max(y1, y2));
    const QRect box(left, top, right - left, bottom - top);
    const QRect visible =
        within ? box & QRect(within->Left, within->Top, within->Width(), within->Height()) : box;
    return {box, visible, pen, brush};
}

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
    awaitingPaint = QRect();
    const QBrush background = owner->palette().window();
    const auto layBackground = [&painter, &background](const QRect& part) {
        painter.fillRect(part, background);
    };
    paintRegion = region;
    // The picture drawn last time is opaque and will most likely be drawn at the same place.
    ForEachRect(painter, region.subtracted(pictureDrawnLastTime), layBackground);
    painting = &painter;
    pictureDrawn = QRect();
    imageDrawn = nullptr;
    RunHandler(paintHandler, HandlerKind::Paint);
    // Where it was not drawn again (the file failed, the map is smaller), the background shows.
    ForEachRect(painter, region.intersected(pictureDrawnLastTime).subtracted(pictureDrawn),
                layBackground);
    // A picture gone or moved must leave the whole screen, not only the part this paint covers.
    if (pictureDrawn != pictureDrawnLastTime)
        Refresh(pictureDrawn | pictureDrawnLastTime);
    pictureDrawnLastTime = pictureDrawn;
    painting = nullptr;
}

void TCanvas::SetView(const TViewScale& newView)
{
    if (newView == view)
        return;
    view = newView;
    owner->update();
}

void TCanvas::MovePenTo(int x, int y)
{
    penPos = QPoint(x, y);
}

void TCanvas::DrawEllipse(int x1, int y1, int x2, int y2, const std::optional<TRect>& within)
{
    if (!painting)
        throw EInvalidOperation(QStringLiteral("Le canevas ne permet pas de dessiner"));
    const TFigure figure = EllipseFigure(x1, y1, x2, y2, Pen.Color, Brush.Color, within);
    if (figure.Box.isEmpty())
        return;
    PaintFigure(figure.Box, figure.Visible & owner->rect(), ColourToRGB(figure.PenColour),
                ColourToRGB(figure.BrushColour),
                [this](int y, int from, int to, const QColor& colour) {
                    if (from <= to)
                        painting->fillRect(QRect(from, y, to - from + 1, 1), colour);
                });
}

void TCanvas::DrawScaled(const TRect& rect, const TBitmap& picture, const TFigureSource* over)
{
    if (!painting)
        throw EInvalidOperation(QStringLiteral("Le canevas ne permet pas de dessiner"));
    if (picture.Empty() || rect.Width() <= 0 || rect.Height() <= 0)
        return;
    const QImage& source = picture.Image();
    const QRect designed(rect.Left, rect.Top, rect.Width(), rect.Height());
    const QRect pictureArea = view.ShownFrom(designed);
    const QSize size = pictureArea.size().expandedTo(QSize(1, 1));
    lastPicture = source;
    lastRect = designed;
    lastFigures = over;
    bool rescaled = false;
    const QScreen* screen = owner->screen();
    const bool averaged =
        screen && ScalesByAveraging(screen->depth(), picture.Header().bitsPerPixel);
    // On a high-density screen the map is made from the picture at the screen's own resolution,
    // not enlarged from a copy of the window's size: a photo shows its detail.
    const qreal ratio = owner->devicePixelRatioF();
    if (source.cacheKey() != scaledSourceKey || size != scaledSize || averaged != scaledAveraged ||
        ratio != scaledRatio) {
        // In the screen's own format, so that every later paint is a plain copy of pixels.
        scaled = source
                     .scaled(OnDevice(QRect(QPoint(), size), ratio).size(), Qt::IgnoreAspectRatio,
                             averaged ? Qt::SmoothTransformation : Qt::FastTransformation)
                     .convertToFormat(QImage::Format_RGB32);
        scaled.setDevicePixelRatio(ratio);
        scaledSourceKey = source.cacheKey();
        scaledSize = size;
        scaledAveraged = averaged;
        scaledRatio = ratio;
        scene = QImage();
        rescaled = true;
    }
    const QImage* shown = &scaled;
    pictureDrawn = pictureArea;
    if (over && over->Count() > 0) {
        UpdateScene(pictureArea, *over);
        shown = &scene;
        pictureDrawn = sceneArea;
    }
    imageDrawn = shown;
    ForEachRect(*painting, paintRegion.intersected(pictureDrawn), [&](const QRect& part) {
        const QRect from = part.translated(-pictureDrawn.topLeft());
        if (ratio == 1)
            painting->drawImage(part.topLeft(), *shown, from);
        else
            painting->drawImage(QRectF(part), *shown, QRectF(OnDevice(from, ratio)));
    });
    // Another picture (the file changed) must not show only in the part this paint covers.
    if (rescaled)
        Refresh(pictureDrawn);
}

void TCanvas::UpdateScene(const QRect& pictureArea, const TFigureSource& figures)
{
    const size_t count = figures.Count();
    // Figures gone, or shown at another scale: the scene starts again from the picture, and
    // where they were is repainted.
    if (figures.Generation() != sceneGeneration || count < figuresInScene || view != sceneView) {
        Refresh(sceneArea);
        scene = QImage();
        figuresArea = QRect();
        figuresInScene = 0;
        sceneGeneration = figures.Generation();
        sceneView = view;
    }
    std::vector<TFigure> added;
    added.reserve(count - figuresInScene);
    for (size_t i = figuresInScene; i < count; ++i) {
        added.push_back(figures.Figure(i));
        figuresArea |= view.ShownFrom(added.back().Visible);
    }
    // The picture whole, and as much of the figures reaching beyond it as the window shows.
    const QRect area = pictureArea | (figuresArea & owner->rect());
    const QBrush background = owner->palette().window();
    if (scene.isNull() || scenePictureArea != pictureArea || sceneArea != area ||
        sceneBackground != background) {
        scene = QImage(OnDevice(QRect(QPoint(), area.size()), scaledRatio).size(), QImage::Format_RGB32);
        scene.setDevicePixelRatio(scaledRatio);
        QPainter painter(&scene);
        painter.translate(-area.topLeft());
        if (area != pictureArea)
            painter.fillRect(area, background);
        painter.drawImage(pictureArea.topLeft(), scaled);
        painter.end();
        DrawGuides(scene, OnDevice(area, scaledRatio).topLeft(), figures.Guides(), view, scaledRatio);
        scenePictureArea = pictureArea;
        sceneArea = area;
        sceneBackground = background;
        if (figuresInScene > 0) {
            added.clear();
            for (size_t i = 0; i < count; ++i)
                added.push_back(figures.Figure(i));
        }
    }
    figuresInScene = count;
    // The figures not yet in the scene, in the screen's pixels.
    for (TFigure& figure : added)
        figure = FigureOnDevice(figure, view, scaledRatio);
    DrawFigures(scene, OnDevice(area, scaledRatio).topLeft(), added);
}

QImage TCanvas::Drawn(const QRect& area) const
{
    if (!view.AsDesigned()) {
        if (!imageDrawn || area.isEmpty() || !lastRect.contains(area))
            return QImage();
        QImage pixels = lastPicture
                            .scaled(lastRect.size(), Qt::IgnoreAspectRatio,
                                    scaledAveraged ? Qt::SmoothTransformation : Qt::FastTransformation)
                            .convertToFormat(QImage::Format_RGB32);
        if (lastFigures) {
            DrawGuides(pixels, lastRect.topLeft(), lastFigures->Guides(), TViewScale{}, 1);
            std::vector<TFigure> figures;
            figures.reserve(lastFigures->Count());
            for (size_t i = 0; i < lastFigures->Count(); ++i)
                figures.push_back(lastFigures->Figure(i));
            DrawFigures(pixels, lastRect.topLeft(), figures);
        }
        return pixels.copy(area.translated(-lastRect.topLeft()));
    }
    if (!imageDrawn || area.isEmpty() || !pictureDrawnLastTime.contains(area))
        return QImage();
    QImage pixels = imageDrawn->copy(OnDevice(area.translated(-pictureDrawnLastTime.topLeft()), scaledRatio));
    pixels.setDevicePixelRatio(1);
    if (pixels.size() != area.size())
        pixels = pixels.scaled(area.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return pixels;
}

void TCanvas::Invalidate(const QRect& area)
{
    awaitingPaint |= view.Covering(area);
    owner->update(awaitingPaint);
}

void TCanvas::Refresh(const QRect& area)
{
    if (area.isEmpty())
        return;
    // Qt takes a request made during a paint for the paint after it.
    if (!painting || !QRegion(area).subtracted(paintRegion).isEmpty())
        owner->update(area);
}
