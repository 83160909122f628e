// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/ScreenRoom.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <tuple>

namespace {

// Division rounding down and up, for coordinates left of or above the origin too.
int64_t FloorDivide(int64_t numerator, int64_t denominator)
{
    const int64_t quotient = numerator / denominator;
    return quotient - (numerator % denominator != 0 && (numerator < 0) != (denominator < 0));
}

int64_t CeilDivide(int64_t numerator, int64_t denominator)
{
    return -FloorDivide(-numerator, denominator);
}

// Keeps the start of a span of `length` within [low, high) where it fits, else at low.
int PlaceSpan(int start, int length, int low, int high)
{
    return std::max(low, std::min(start, high - length));
}

}  // namespace

qsizetype MonitorHolding(const QRect& window, const QList<QRect>& monitors)
{
    for (qsizetype i = 0; i < monitors.size(); ++i)
        if (monitors[i].contains(window.topLeft()))
            return i;
    qsizetype holder = -1;
    qint64 largestOverlap = 0;
    for (qsizetype i = 0; i < monitors.size(); ++i) {
        const QRect overlap = monitors[i].intersected(window);
        const qint64 area = qint64(overlap.width()) * overlap.height();
        if (area > largestOverlap) {
            largestOverlap = area;
            holder = i;
        }
    }
    return holder;
}

QSize ClientRoom(const QMargins& frame, const QRect& available)
{
    return available.size().shrunkBy(frame).expandedTo(QSize(1, 1));
}

bool FitsIn(QSize designed, QSize room)
{
    return designed.width() <= room.width() && designed.height() <= room.height();
}

QPoint PlaceWithin(const QRect& window, const QRect& available)
{
    return QPoint(PlaceSpan(window.left(), window.width(), available.left(), available.left() + available.width()),
                  PlaceSpan(window.top(), window.height(), available.top(), available.top() + available.height()));
}

int TViewScale::ShownLength(int designed) const
{
    return int(FloorDivide(2 * int64_t{designed} * Shown + Designed, 2 * int64_t{Designed}));
}

QRectF TViewScale::ToWindow(const QRectF& designed) const
{
    const qreal scale = qreal(Shown) / Designed;
    return QRectF(Origin + (designed.topLeft() - QPointF(Origin)) * scale, designed.size() * scale);
}

QRect TViewScale::ShownFrom(const QRect& designed) const
{
    const QPoint from = designed.topLeft() - Origin;
    const QPoint to = from + QPoint(designed.width(), designed.height());
    const QPoint topLeft(ShownLength(from.x()), ShownLength(from.y()));
    const QPoint end(ShownLength(to.x()), ShownLength(to.y()));
    return QRect(Origin + topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y()));
}

QRect TViewScale::Covering(const QRect& designed) const
{
    if (AsDesigned() || designed.isEmpty())
        return designed;
    const auto low = [this](int from) { return int(FloorDivide(int64_t{from} * Shown, Designed)); };
    const auto high = [this](int to) { return int(CeilDivide(int64_t{to} * Shown, Designed)); };
    const QPoint from = designed.topLeft() - Origin;
    const QPoint topLeft(low(from.x()), low(from.y()));
    const QPoint end(high(from.x() + designed.width()), high(from.y() + designed.height()));
    return QRect(Origin + topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y()));
}

QPoint TViewScale::DesignedPixelAt(QPoint window) const
{
    const auto designed = [this](int offset) {
        return int(FloorDivide((2 * int64_t{offset} + 1) * Designed, 2 * int64_t{Shown}));
    };
    const QPoint offset = window - Origin;
    return Origin + QPoint(designed(offset.x()), designed(offset.y()));
}

namespace {

// Every way to share `count` blocks in order among `columns` columns, none empty, as the index
// of each column's first block.
void EachSharing(qsizetype count, qsizetype columns, QList<qsizetype>& firsts,
                 const std::function<void(const QList<qsizetype>&)>& visit)
{
    if (firsts.size() == columns) {
        visit(firsts);
        return;
    }
    // The first column begins with the first block; each other one after the last's beginning,
    // leaving a block for each column after it.
    const qsizetype lowest = firsts.isEmpty() ? 0 : firsts.back() + 1;
    const qsizetype highest = firsts.isEmpty() ? 0 : count - (columns - firsts.size());
    for (qsizetype first = lowest; first <= highest; ++first) {
        firsts.append(first);
        EachSharing(count, columns, firsts, visit);
        firsts.removeLast();
    }
}

}  // namespace

TBesideLayout LayOutBeside(const QRect& picture, const QList<QSize>& blocks, QSize corner, int gap,
                           QSize room)
{
    const int pictureMargin = picture.top();
    std::optional<TBesideLayout> best;
    // How far past the room's bottom, the picture's width as shown (negated), the columns, the
    // height: the smaller, the better.
    std::tuple<int, int, qsizetype, int> bestRank;
    const auto consider = [&](const QList<qsizetype>& firsts) {
        const qsizetype columns = firsts.size();
        QList<int> widths(columns, 0);
        QList<int> bottoms(columns, gap);
        for (qsizetype c = 0; c < columns; ++c) {
            const qsizetype end = c + 1 < columns ? firsts[c + 1] : blocks.size();
            for (qsizetype block = firsts[c]; block < end; ++block) {
                widths[c] = std::max(widths[c], blocks[block].width());
                bottoms[c] += blocks[block].height() + gap;
            }
        }
        widths.back() = std::max(widths.back(), corner.width());
        bottoms.back() += corner.height() + gap;
        int columnsWidth = 0;
        for (int width : widths)
            columnsWidth += width + gap;
        const int tallest = *std::max_element(bottoms.begin(), bottoms.end());
        const int overflow = std::max(0, tallest - room.height());

        // The picture's width as shown, in the designed picture's own proportions.
        const int widthLeft = room.width() - picture.left() - gap - columnsWidth;
        const int heightLeft = room.height() - 2 * pictureMargin;
        const int64_t byHeight = FloorDivide(int64_t{heightLeft} * picture.width(), picture.height());
        const int shown = int(std::clamp<int64_t>(std::min<int64_t>(widthLeft, byHeight), 1, picture.width()));

        const std::tuple<int, int, qsizetype, int> rank(overflow, -shown, columns, tallest);
        if (best && !(rank < bestRank))
            return;
        TBesideLayout layout;
        layout.View = {picture.topLeft(), shown, picture.width()};
        const QRect shownPicture = layout.View.ShownFrom(picture);
        layout.Blocks.resize(blocks.size());
        int left = shownPicture.left() + shownPicture.width() + gap;
        for (qsizetype c = 0; c < columns; ++c) {
            const qsizetype end = c + 1 < columns ? firsts[c + 1] : blocks.size();
            int top = gap;
            for (qsizetype block = firsts[c]; block < end; ++block) {
                layout.Blocks[block] = QPoint(left + widths[c] - blocks[block].width(), top);
                top += blocks[block].height() + gap;
            }
            left += widths[c] + gap;
        }
        layout.Client = QSize(left, std::max(shownPicture.top() + shownPicture.height() + pictureMargin, tallest));
        layout.Corner = QPoint(left - gap - corner.width(), layout.Client.height() - gap - corner.height());
        best = layout;
        bestRank = rank;
    };
    for (qsizetype columns = 1; columns <= std::max<qsizetype>(1, blocks.size()); ++columns) {
        QList<qsizetype> firsts;
        EachSharing(blocks.size(), columns, firsts, consider);
    }
    return *best;
}
