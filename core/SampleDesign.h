// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The ways a sample's points are laid on a map, each drawn from the program's generator so that
// the same seed gives the same points on every machine:
//
// - simple random: n points, each pixel as likely as any other, x drawn before y;
// - systematic: a square grid of spacing d = √(W·H / n), its start (u, v) drawn in [0, d)², u
//   first; every node on the map is a point, row by row from the top, so about n of them;
// - stratified by blocks: the map cut into B blocks of near-equal area, n shared among them in
//   proportion to their areas, each block's points drawn at random in it, block by block;
// - clusters: C segments of s × s points e pixels apart, each segment's top-left point drawn
//   over the map grown by the segment's extent, x first, so that every pixel is as likely to be
//   sampled as any other; the points that fall off the map are dropped.

#include "core/SampleGenerator.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

enum class DesignKind { SimpleRandom, Systematic, Stratified, Clustered };

struct SampleDesign {
    DesignKind Kind = DesignKind::SimpleRandom;
    int32_t Blocks = 4;           // stratified: B
    int32_t Clusters = 10;        // clusters: C
    int32_t ClusterSide = 3;      // clusters: s points a side
    int32_t ClusterSpacing = 12;  // clusters: e pixels between neighbours

    bool operator==(const SampleDesign&) const = default;
};

// A point as a design lays it, in map pixels, with the block or segment it belongs to (0 for
// the designs without either).
struct DesignedPoint {
    QPoint Place;
    int32_t Group = 0;
};

struct DesignedSample {
    std::vector<DesignedPoint> Points;
    // The number of blocks or segments; 1 for the designs without either.
    int32_t Groups = 1;
    // Stratified: the blocks, numbered as the points' groups.
    std::vector<QRect> Blocks;
};

// The design as the windows and files name it for a reader: "Aléatoire simple", "Systématique",
// "Stratifié par 4 blocs", "En grappes : 10 grappes de 3 × 3 points à 12 px".
QString DesignText(const SampleDesign& design);

// The map cut into `blocks` blocks of near-equal area: about as many columns as make the blocks
// square, the blocks shared out among the columns, each column's width in proportion to its
// blocks, its blocks of equal height. Edges are whole pixels; the blocks cover the map once.
std::vector<QRect> MapBlocks(QSize map, int32_t blocks);

// `total` shared out in proportion to the weights, in whole numbers summing to `total`: each
// its quota's whole part, the rest one each to the largest remainders, the first on a tie.
// Decided on whole numbers, never in floating point.
std::vector<int32_t> ShareInProportion(int32_t total, std::span<const int64_t> weights);

// Why the design cannot lay `sampleSize` points on the map as drawn, in French; nothing when it
// can.
std::optional<QString> DesignMisfit(const SampleDesign& design, int32_t sampleSize, QSize map);

// A design made ready to lay sample after sample on one map: the grid's spacing, the blocks and
// their shares of n are worked out once, so that a simulation draws its surveys without
// allocating. The design must fit (DesignMisfit).
struct DesignLayout {
    SampleDesign Design;
    int32_t SampleSize = 0;
    QSize Map;
    int32_t Groups = 1;                // as DesignedSample's
    double Spacing = 0;                // systematic: the grid's
    std::vector<QRect> Blocks;         // stratified
    std::vector<int32_t> BlockPoints;  // stratified: each block's share of n
};
DesignLayout LayOutDesign(const SampleDesign& design, int32_t sampleSize, QSize map);

// Lays one sample's points, drawn from `state`, which it advances: `visit(place, group)` for each
// point on the map, in the order DrawDesign lists them.
template <class Visit>
void LayPoints(const DesignLayout& layout, uint32_t& state, Visit&& visit)
{
    const SampleDesign& design = layout.Design;
    const QSize map = layout.Map;
    const auto width = uint32_t(map.width());
    const auto height = uint32_t(map.height());
    switch (design.Kind) {
    case DesignKind::SimpleRandom:
        for (int32_t point = 0; point < layout.SampleSize; ++point)
            visit(SamplePlace(state, width, height), 0);
        break;
    case DesignKind::Systematic: {
        const double spacing = layout.Spacing;
        const double startX = RandomFraction(state) * spacing;
        const double startY = RandomFraction(state) * spacing;
        // Every row has its nodes in the same columns: worked out once, not at each node.
        thread_local std::vector<int> columns;
        columns.clear();
        for (int64_t column = 0; startX + column * spacing < map.width(); ++column)
            columns.push_back(int(startX + column * spacing));
        for (int64_t row = 0; startY + row * spacing < map.height(); ++row) {
            const int y = int(startY + row * spacing);
            for (const int x : columns)
                visit(QPoint(x, y), 0);
        }
        break;
    }
    case DesignKind::Stratified:
        for (int32_t block = 0; block < design.Blocks; ++block) {
            const QRect& within = layout.Blocks[size_t(block)];
            for (int32_t point = 0; point < layout.BlockPoints[size_t(block)]; ++point)
                visit(within.topLeft() + SamplePlace(state, uint32_t(within.width()), uint32_t(within.height())), block);
        }
        break;
    case DesignKind::Clustered: {
        const int32_t extent = (design.ClusterSide - 1) * design.ClusterSpacing;
        for (int32_t cluster = 0; cluster < design.Clusters; ++cluster) {
            const int32_t left = int32_t(RandomBelow(state, width + uint32_t(extent))) - extent;
            const int32_t top = int32_t(RandomBelow(state, height + uint32_t(extent))) - extent;
            for (int32_t row = 0; row < design.ClusterSide; ++row)
                for (int32_t column = 0; column < design.ClusterSide; ++column) {
                    const QPoint place(left + column * design.ClusterSpacing, top + row * design.ClusterSpacing);
                    if (place.x() >= 0 && place.y() >= 0 && place.x() < map.width() && place.y() < map.height())
                        visit(place, cluster);
                }
        }
        break;
    }
    }
}

// The sample, drawn from `state`, which it advances. The design must fit (DesignMisfit).
DesignedSample DrawDesign(const SampleDesign& design, int32_t sampleSize, QSize map, uint32_t& state);
