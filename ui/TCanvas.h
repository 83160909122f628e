// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

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
// is over, never from inside it).
//
// What a window's data draws over its picture (the survey's sample points and probe dots) comes
// from a TFigureSource handed to DrawScaled at every paint: the figures belong to that picture,
// and a paint that draws no picture (its file failed) shows none of them until it is back. The
// canvas keeps only pixels: the scaled picture with the figures drawn on it, so that a repaint
// of many thousand points is one copy. A handler that changes the data asks for a repaint of
// the boxes that changed with Invalidate().
//
// Pixels are exact: no antialiasing. Rectangles exclude their right column and bottom row.
//
// A window too large for its monitor can show its picture smaller (SetView): the picture's
// rectangle, its figures and the areas handed to Invalidate and Drawn stay in the coordinates the
// window was designed in, and the canvas shows them smaller.

#include "core/ScreenRoom.h"
#include "picture/TColor.h"

#include <QBrush>
#include <QImage>
#include <QLine>
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

// An ellipse as the canvas draws it: inscribed in Box, outlined one pixel wide in PenColour and
// filled with BrushColour, and showing only within Visible.
struct TFigure {
    QRect Box;
    QRect Visible;
    TColor PenColour = clBlack;
    TColor BrushColour = clWhite;
};

// The ellipse inscribed in the box from (x1, y1) to (x2, y2): columns x1 to x2 - 1, rows y1 to
// y2 - 1. A reversed box stands for its normalised form; a box with no width or no height holds
// nothing. Given `within`, only the part inside that rectangle shows.
TFigure EllipseFigure(int x1, int y1, int x2, int y2, TColor pen, TColor brush,
                      const std::optional<TRect>& within = std::nullopt);

// The figures that a window's data draws over its picture, in the order drawn. Within one
// generation figures are only ever added at the end; a new generation means some have gone.
class TFigureSource {
public:
    virtual ~TFigureSource() = default;
    virtual quint64 Generation() const = 0;
    virtual size_t Count() const = 0;
    virtual TFigure Figure(size_t index) const = 0;
    // Faint dotted lines on the picture, under the figures, in window coordinates: each one pixel
    // wide, across or down. They change only with a new generation.
    virtual std::vector<QLine> Guides() const { return {}; }
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

    // How the picture, its figures and the areas below are shown; as designed unless set.
    // DrawEllipse and the region a paint covers stay in window coordinates.
    void SetView(const TViewScale& view);
    const TViewScale& View() const { return view; }

    // Sets the current position; nothing is drawn and no drawing uses it.
    void MovePenTo(int x, int y);
    QPoint PenPos() const { return penPos; }

    // Draws EllipseFigure(x1, y1, x2, y2, Pen.Color, Brush.Color, within). Only the rows and
    // columns that can show are worked out, so a box of any size costs no more than the window
    // it lies on. Only a paint handler can draw: anywhere else this raises EInvalidOperation.
    void DrawEllipse(int x1, int y1, int x2, int y2, const std::optional<TRect>& within = std::nullopt);

    // The whole picture, scaled to the rectangle by dropping or repeating whole rows and
    // columns, or by averaging pixels where ScalesByAveraging says so, with the figures of
    // `over` on it; where they reach beyond it, on the window's background. An empty picture
    // or rectangle draws nothing. The scaled copy, and the copy with the figures drawn on it,
    // are kept and made again only when the picture, the rectangle or the figures change (new
    // figures are only added to it). Only a paint handler can draw a picture: anywhere else
    // this raises EInvalidOperation.
    void DrawScaled(const TRect& rect, const TBitmap& picture, const TFigureSource* over = nullptr);

    // The pixels of the window's rectangle `area` as the last paint drew them from its picture
    // and figures: what a window hands out of what it shows. One pixel for each window pixel;
    // on a high-density screen each is the nearest of the screen's pixels, never a blend, so
    // the figures keep their exact colours. Shown smaller, the picture and its figures are
    // drawn afresh for it, one pixel for each designed pixel, and `area` must lie on the
    // picture. Null unless the last paint drew its picture over the whole of `area`.
    QImage Drawn(const QRect& area) const;

    // Asks for a repaint of an area whose figures changed. All areas asked for until the next
    // paint make one box: thousands of points asked for one by one would make a region of
    // thousands of pieces, slow to build and slower to paint.
    void Invalidate(const QRect& area);

private:
    // Asks for a repaint of an area unless the paint under way covers it already.
    void Refresh(const QRect& area);
    // Brings the scene up to date for a picture drawn over pictureArea with these figures.
    void UpdateScene(const QRect& pictureArea, const TFigureSource& figures);

    QWidget* owner;
    TViewScale view;
    QPainter* painting = nullptr;
    // The part of the window the current paint covers.
    QRegion paintRegion;
    QRect awaitingPaint;
    QPoint penPos;

    // The last scaled copy of a picture and what it was made from.
    qint64 scaledSourceKey = 0;
    QSize scaledSize;
    bool scaledAveraged = false;
    qreal scaledRatio = 1;  // screen pixels per window pixel
    QImage scaled;

    // What the last DrawScaled drew, in designed coordinates, for a picture handed out at its
    // designed size; the figure source is the window's own, which lives as long as the canvas.
    QImage lastPicture;
    QRect lastRect;
    const TFigureSource* lastFigures = nullptr;

    // The scaled copy with the first figuresInScene figures of generation sceneGeneration drawn
    // on it and, where they reach beyond it inside the window (figuresArea holds them all), the
    // window's background around it.
    QImage scene;
    TViewScale sceneView;
    QRect sceneArea;
    QRect scenePictureArea;
    QBrush sceneBackground;
    quint64 sceneGeneration = 0;
    size_t figuresInScene = 0;
    QRect figuresArea;
    // Where the current paint drew its picture or scene, and where the last paint did: no
    // background is laid under a picture about to cover it.
    QRect pictureDrawn;
    QRect pictureDrawnLastTime;
    // What the last paint drew there: the scaled copy or the scene; none when it drew no picture.
    const QImage* imageDrawn = nullptr;
};
