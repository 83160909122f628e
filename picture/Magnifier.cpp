// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/Magnifier.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

const QRgb borderColour = qRgb(64, 64, 64);
const QRgb crossColour = qRgb(0, 0, 0);
const QRgb crossHalo = qRgb(255, 255, 255);
// The cross's arms leave the pixels next to the centre free, so that the ground a press would
// designate stays visible, and stay inside the ring of a point of the usual size at 4 times.
constexpr int crossGap = 3;
constexpr int crossReach = 6;

// The lens centre's distance from its image's edges, in window pixels.
constexpr qreal lensCentre = MagnifierRadius + 0.5;

// For each screen pixel along one side of the lens, the picture pixel it shows along that axis,
// or -1 beyond the picture. pointerOffset is the middle of the pointer's pixel from the map's
// first pixel, in drawn map pixels. Worked out as one division of sums: where a screen pixel's
// middle falls on the edge of two picture pixels, as it does for a photo shown pixel for pixel,
// the quotient is exact and the choice does not waver.
std::vector<int> PicturePixels(int count, qreal ratio, qreal pointerOffset, qreal zoom,
                               int pictureSize, int drawnSize)
{
    const qreal scale = zoom * ratio;  // screen pixels per drawn map pixel
    const qreal firstMiddle = pointerOffset * scale - lensCentre * ratio + 0.5;
    std::vector<int> pixels(size_t(count), -1);
    for (int i = 0; i < count; ++i) {
        const qreal at = std::floor((firstMiddle + i) * pictureSize / (drawnSize * scale));
        if (at >= 0 && at < pictureSize)
            pixels[size_t(i)] = int(at);
    }
    return pixels;
}

// The first and last picture pixel of a side, as PicturePixels gives them in increasing order.
std::pair<int, int> Reach(const std::vector<int>& pixels)
{
    const auto first = std::find_if(pixels.begin(), pixels.end(), [](int p) { return p >= 0; });
    const auto last = std::find_if(pixels.rbegin(), pixels.rend(), [](int p) { return p >= 0; });
    if (first == pixels.end())
        return {0, -1};
    return {*first, *last};
}

// Half the width of an ellipse of those radii on the row dy from its centre; negative off it.
qreal HalfWidth(qreal radiusX, qreal radiusY, qreal dy)
{
    if (radiusX <= 0 || radiusY <= 0 || std::abs(dy) > radiusY)
        return -1;
    const qreal across = dy / radiusY;
    return radiusX * std::sqrt(std::max<qreal>(0, 1 - across * across));
}

// Columns from and to are any distance off the image: a huge point's disc reaches far beyond it.
void FillRow(QImage& image, int y, qreal from, qreal to, QRgb colour)
{
    const int left = int(std::max<qreal>(0, std::ceil(from)));
    const int right = int(std::min<qreal>(image.width() - 1, std::floor(to)));
    if (left > right)
        return;
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    std::fill(line + left, line + right + 1, colour);
}

// The pixels whose centre lies within the ellipse of the outer radii and outside the ellipse
// of radii `width` smaller.
void DrawRing(QImage& image, QPointF centre, qreal radiusX, qreal radiusY, qreal width, QRgb colour)
{
    const qreal innerX = radiusX - width;
    const qreal innerY = radiusY - width;
    // A ring around the whole lens shows nothing: the disc of a huge point.
    const qreal farX = std::max(centre.x(), image.width() - centre.x());
    const qreal farY = std::max(centre.y(), image.height() - centre.y());
    if (innerX > 0 && innerY > 0 && (farX / innerX) * (farX / innerX) + (farY / innerY) * (farY / innerY) < 1)
        return;
    const int top = int(std::max<qreal>(0, std::floor(centre.y() - radiusY)));
    const int bottom = int(std::min<qreal>(image.height() - 1, std::ceil(centre.y() + radiusY)));
    for (int y = top; y <= bottom; ++y) {
        const qreal dy = y + 0.5 - centre.y();
        const qreal outer = HalfWidth(radiusX, radiusY, dy);
        if (outer < 0)
            continue;
        const qreal inner = HalfWidth(innerX, innerY, dy);
        // Column x is covered when |x + 0.5 - centre| <= outer, and is inside the ring's hole
        // when that distance is below inner.
        const qreal left = centre.x() - 0.5 - outer;
        const qreal right = centre.x() - 0.5 + outer;
        if (inner < 0) {
            FillRow(image, y, left, right, colour);
        } else {
            FillRow(image, y, left, std::ceil(centre.x() - 0.5 - inner) - 1, colour);
            FillRow(image, y, std::floor(centre.x() - 0.5 + inner) + 1, right, colour);
        }
    }
}

// A rectangle of the lens given in window pixels, filled in the screen's pixels.
void FillWindowRect(QImage& image, const QRect& rect, qreal ratio, QRgb colour)
{
    const int top = qRound(rect.top() * ratio);
    const int bottom = qRound((rect.bottom() + 1) * ratio);
    for (int y = std::max(0, top); y < std::min(image.height(), bottom); ++y)
        FillRow(image, y, qRound(rect.left() * ratio), qRound((rect.right() + 1) * ratio) - 1, colour);
}

void DrawCross(QImage& image, qreal ratio)
{
    constexpr int c = MagnifierRadius;
    constexpr int arm = crossReach - crossGap + 1;
    const QRect arms[] = {QRect(c - crossReach, c, arm, 1), QRect(c + crossGap, c, arm, 1),
                          QRect(c, c - crossReach, 1, arm), QRect(c, c + crossGap, 1, arm)};
    // Black on a white edge: seen on any ground.
    for (const QRect& each : arms)
        FillWindowRect(image, each.adjusted(-1, -1, 1, 1), ratio, crossHalo);
    for (const QRect& each : arms)
        FillWindowRect(image, each, ratio, crossColour);
}

// Transparent outside the disc, the border along its edge.
void CutDisc(QImage& image, qreal ratio)
{
    const qreal centre = lensCentre * ratio;
    for (int y = 0; y < image.height(); ++y) {
        const qreal half = HalfWidth(centre, centre, y + 0.5 - centre);
        FillRow(image, y, 0, half < 0 ? image.width() - 1 : std::ceil(centre - 0.5 - half) - 1, 0);
        FillRow(image, y, std::floor(centre - 0.5 + half) + 1, image.width() - 1, 0);
    }
    DrawRing(image, QPointF(centre, centre), centre, centre, MagnifierBorder * ratio, borderColour);
}

}  // namespace

qreal MagnifierZoom(QSize picture, QSize drawn)
{
    constexpr qreal least = 4;
    if (drawn.isEmpty())
        return least;
    return std::max({least, qreal(picture.width()) / drawn.width(), qreal(picture.height()) / drawn.height()});
}

QRect MagnifierBox(QPoint pointer)
{
    constexpr int side = 2 * MagnifierRadius + 1;
    return QRect(pointer - QPoint(MagnifierRadius, MagnifierRadius), QSize(side, side));
}

QRectF MagnifiedArea(QPoint pointer, qreal zoom)
{
    const qreal half = lensCentre / zoom;
    const QPointF middle = QPointF(pointer) + QPointF(0.5, 0.5);
    return QRectF(middle - QPointF(half, half), middle + QPointF(half, half));
}

QImage RenderMagnifier(const QImage& picture, const QRect& mapArea, QPoint pointer,
                       std::span<const MagnifiedMark> marks, const QColor& background,
                       qreal deviceRatio)
{
    const int side = qRound((2 * MagnifierRadius + 1) * deviceRatio);
    QImage lens(side, side, QImage::Format_ARGB32_Premultiplied);
    lens.setDevicePixelRatio(deviceRatio);
    const QRgb ground = background.rgb();
    lens.fill(ground);

    const qreal zoom = MagnifierZoom(picture.size(), mapArea.size());
    if (!picture.isNull() && !mapArea.isEmpty()) {
        const std::vector<int> columns = PicturePixels(side, deviceRatio, pointer.x() + 0.5 - mapArea.left(),
                                                       zoom, picture.width(), mapArea.width());
        const std::vector<int> rows = PicturePixels(side, deviceRatio, pointer.y() + 0.5 - mapArea.top(),
                                                    zoom, picture.height(), mapArea.height());
        const auto [firstColumn, lastColumn] = Reach(columns);
        const auto [firstRow, lastRow] = Reach(rows);
        // Only the picture pixels under the lens are put in the screen's format.
        const QImage under =
            firstColumn > lastColumn || firstRow > lastRow
                ? QImage()
                : picture
                      .copy(firstColumn, firstRow, lastColumn - firstColumn + 1, lastRow - firstRow + 1)
                      .convertToFormat(QImage::Format_RGB32);
        for (int y = 0; !under.isNull() && y < side; ++y) {
            if (rows[size_t(y)] < 0)
                continue;
            auto* line = reinterpret_cast<QRgb*>(lens.scanLine(y));
            const auto* from = reinterpret_cast<const QRgb*>(under.constScanLine(rows[size_t(y)] - firstRow));
            for (int x = 0; x < side; ++x)
                if (columns[size_t(x)] >= 0)
                    line[x] = from[columns[size_t(x)] - firstColumn];
        }
    }

    const QPointF pointerMiddle = QPointF(pointer) + QPointF(0.5, 0.5);
    const qreal scale = zoom * deviceRatio;
    for (const MagnifiedMark& mark : marks) {
        const QPointF centre = QPointF(lensCentre, lensCentre) * deviceRatio +
                               (mark.Box.center() - pointerMiddle) * scale;
        DrawRing(lens, centre, mark.Box.width() / 2 * scale, mark.Box.height() / 2 * scale,
                 MagnifierRingWidth * deviceRatio, mark.Colour.rgb());
    }
    DrawCross(lens, deviceRatio);
    CutDisc(lens, deviceRatio);
    return lens;
}
