#pragma once
// The drawing surface of a window: its pen and brush, its current position, filled ellipses and
// pictures scaled into rectangles.
//
// Qt lets a window draw only inside its paintEvent, so every window that draws owns one TCanvas
// for its whole life and paints through it:
//
//     class TAbaque : public QWidget {
//     public:
//         TCanvas Canvas{this};
//         void FormPaint();                 // e.g. Canvas.DrawScaled(rect, picture)
//     protected:
//         void paintEvent(QPaintEvent* event) override
//         {
//             Canvas.Paint(event->region(), [this] { FormPaint(); });
//         }
//     };
//
// Paint() clears the part of the window the paint covers to its background colour and runs the
// window's paint handler through the dispatch guard (an error there is reported once the paint
// is over, never from inside it). Every figure that a handler drew outside a paint is drawn
// again over the picture the paint handler draws: the figures belong to that picture, and a
// paint that draws no picture (its file failed) shows none of them until the picture is back.
// Those figures are kept, in the order drawn, until the window calls ClearFigures(): a window
// passing over the map cannot wipe out the sample points. A figure drawn outside a paint asks
// for a repaint of its box, so it shows as soon as the handler returns to the event loop.
//
// Pixels are exact: no antialiasing. Rectangles exclude their right column and bottom row.

#include "picture/TColor.h"

#include <QBrush>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <functional>
#include <optional>
#include <vector>

class QPainter;
class QWidget;
class TBitmap;

// Left, Top, Right, Bottom: Right and Bottom are the first column and row outside.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};

// Outlines are solid and one pixel wide; only the colour is ever set.
struct TPen {
    TColor Color = clBlack;
};

struct TBrush {
    TColor Color = clWhite;
};

// A screen of 8 bits per pixel or fewer shows a picture of more bits best with its pixels
// averaged; any other screen takes whole rows and columns, which keeps a map's colours exact.
bool ScalesByAveraging(int screenBitsPerPixel, int pictureBitsPerPixel);

class TCanvas {
public:
    explicit TCanvas(QWidget* owner);
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // Colours set here hold for the window's life, from one handler to the next.
    TPen Pen;
    TBrush Brush;

    // For the owner's paintEvent only, with the region its event asks for: see the example at
    // the top of this file.
    void Paint(const QRegion& region, const std::function<void()>& paintHandler);

    // Sets the current position; nothing is drawn and no drawing uses it.
    void MovePenTo(int x, int y);
    QPoint PenPos() const { return penPos; }

    // The ellipse inscribed in the box from (x1, y1) to (x2, y2), outlined with the pen and
    // filled with the brush: columns x1 to x2 - 1, rows y1 to y2 - 1. A reversed box is drawn
    // as its normalised form; a box with no width or no height draws nothing. Given `within`,
    // only the part inside that rectangle shows. Only the rows and columns that can show are
    // worked out, so a box of any size costs no more than the window it lies on.
    void DrawEllipse(int x1, int y1, int x2, int y2, const std::optional<TRect>& within = std::nullopt);

    // The whole picture, scaled to the rectangle by dropping or repeating whole rows and
    // columns, or by averaging pixels where ScalesByAveraging says so. An empty picture or
    // rectangle draws nothing. The scaled copy is kept and made again only when the picture or
    // the rectangle changes. The kept figures come with it, over it; where they reach beyond
    // it, on the window's background laid over the box that holds them. Only a paint handler
    // can draw a picture: anywhere else this raises EInvalidOperation.
    void DrawScaled(const TRect& rect, const TBitmap& picture);

    // Forgets the figures drawn outside a paint. They leave the screen at once: the window is
    // repainted where they were, also when this is called from inside a paint.
    void ClearFigures();

private:
    struct Figure {
        QRect Box;      // the whole ellipse's box
        QRect Visible;  // the part of the box that may show: within the window and `within`
        TColor PenColour;
        TColor BrushColour;
    };

    void KeepFigure(const Figure& figure);
    // Asks for a repaint of an area unless the paint under way covers it already.
    void Refresh(const QRect& area);
    // Brings the scene up to date for a picture drawn over pictureArea.
    void UpdateScene(const QRect& pictureArea);

    QWidget* owner;
    QPainter* painting = nullptr;
    // The part of the window the current paint covers.
    QRegion paintRegion;
    QPoint penPos;

    // The last scaled copy of a picture and what it was made from.
    qint64 scaledSourceKey = 0;
    QSize scaledSize;
    bool scaledAveraged = false;
    QImage scaled;

    // Figures drawn outside a paint, in the order drawn, and the box that holds them all.
    std::vector<Figure> figures;
    QRect figuresArea;
    QRect figuresAwaitingPaint;
    // The scaled copy with the first figuresInScene figures drawn on it and, where figures
    // reach beyond it inside the window, the window's background around it: a repaint of many
    // thousand points costs one copy of pixels.
    QImage scene;
    QRect sceneArea;
    QRect scenePictureArea;
    QBrush sceneBackground;
    size_t figuresInScene = 0;
    // Where the current paint drew its picture or scene, and where the last paint did: no
    // background is laid under a picture about to cover it.
    QRect pictureDrawn;
    QRect pictureDrawnLastTime;
};
