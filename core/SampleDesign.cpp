// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/SampleDesign.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// The grid's spacing for n points on the map.
double GridSpacing(QSize map, int32_t sampleSize)
{
    return std::sqrt(double(map.width()) * map.height() / sampleSize);
}

// The most nodes a grid of that spacing can lay on the map, wherever its start falls.
int64_t MostGridNodes(QSize map, double spacing)
{
    return int64_t(std::ceil(map.width() / spacing)) * int64_t(std::ceil(map.height() / spacing));
}

}  // namespace

QString DesignText(const SampleDesign& design)
{
    switch (design.Kind) {
    case DesignKind::SimpleRandom:
        return QStringLiteral("Aléatoire simple");
    case DesignKind::Systematic:
        return QStringLiteral("Systématique");
    case DesignKind::Stratified:
        return QStringLiteral("Stratifié par %1 blocs").arg(design.Blocks);
    case DesignKind::Clustered:
        return QStringLiteral("En grappes : %1 grappes de %2 × %2 points à %3 px")
            .arg(design.Clusters)
            .arg(design.ClusterSide)
            .arg(design.ClusterSpacing);
    }
    return {};
}

std::vector<QRect> MapBlocks(QSize map, int32_t blocks)
{
    const auto columns = int32_t(std::clamp<long>(std::lround(std::sqrt(double(blocks) * map.width() / map.height())), 1, blocks));
    std::vector<QRect> cut;
    int64_t blocksBefore = 0;
    for (int32_t column = 0; column < columns; ++column) {
        const int32_t inColumn = blocks / columns + (column < blocks % columns ? 1 : 0);
        const auto left = int32_t(map.width() * blocksBefore / blocks);
        blocksBefore += inColumn;
        const auto right = int32_t(map.width() * blocksBefore / blocks);
        for (int32_t row = 0; row < inColumn; ++row) {
            const auto top = int32_t(int64_t{map.height()} * row / inColumn);
            const auto bottom = int32_t(int64_t{map.height()} * (row + 1) / inColumn);
            cut.push_back(QRect(left, top, right - left, bottom - top));
        }
    }
    return cut;
}

std::vector<int32_t> ShareInProportion(int32_t total, std::span<const int64_t> weights)
{
    const __int128 sum = std::accumulate(weights.begin(), weights.end(), __int128{0});
    std::vector<int32_t> shares;
    std::vector<__int128> remainders;
    int32_t given = 0;
    for (int64_t weight : weights) {
        const __int128 quota = __int128{total} * weight;
        shares.push_back(int32_t(quota / sum));
        remainders.push_back(quota % sum);
        given += shares.back();
    }
    std::vector<size_t> order(weights.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return remainders[a] > remainders[b]; });
    for (size_t next = 0; given < total; ++next, ++given)
        ++shares[order[next]];
    return shares;
}

std::optional<QString> DesignMisfit(const SampleDesign& design, int32_t sampleSize, QSize map)
{
    if (map.isEmpty())
        return QStringLiteral("La carte doit être dessinée !");
    if (sampleSize < 1 && design.Kind != DesignKind::Clustered)
        return QStringLiteral("Vous devez entrer le nombre de points d'echantillon !");
    switch (design.Kind) {
    case DesignKind::SimpleRandom:
        return std::nullopt;
    case DesignKind::Systematic: {
        const int64_t most = MostGridNodes(map, GridSpacing(map, sampleSize));
        if (most > MaxSampleSize)
            return QStringLiteral("Le quadrillage placerait jusqu'à %1 points, plus que les %2 permis.")
                .arg(most)
                .arg(MaxSampleSize);
        return std::nullopt;
    }
    case DesignKind::Stratified: {
        if (design.Blocks < 2)
            return QStringLiteral("Il faut au moins 2 blocs.");
        if (design.Blocks > sampleSize / 2)
            return QStringLiteral("Il faut au moins 2 points par bloc : %1 points ne suffisent pas pour %2 blocs.")
                .arg(sampleSize)
                .arg(design.Blocks);
        std::vector<int64_t> areas;
        for (const QRect& block : MapBlocks(map, design.Blocks)) {
            if (block.isEmpty())
                return QStringLiteral("La carte est trop petite pour %1 blocs.").arg(design.Blocks);
            areas.push_back(int64_t{block.width()} * block.height());
        }
        const std::vector<int32_t> shares = ShareInProportion(sampleSize, areas);
        if (*std::min_element(shares.begin(), shares.end()) < 2)
            return QStringLiteral("Il faut au moins 2 points par bloc : %1 points ne suffisent pas pour %2 blocs.")
                .arg(sampleSize)
                .arg(design.Blocks);
        return std::nullopt;
    }
    case DesignKind::Clustered: {
        if (design.Clusters < 1 || design.ClusterSide < 1 || design.ClusterSpacing < 1)
            return QStringLiteral("Il faut au moins une grappe, d'au moins 1 point, espacés d'au moins 1 pixel.");
        const int64_t points = int64_t{design.Clusters} * design.ClusterSide * design.ClusterSide;
        if (points > MaxSampleSize)
            return QStringLiteral("Les grappes placeraient %1 points, plus que les %2 permis.").arg(points).arg(MaxSampleSize);
        const int64_t extent = int64_t{design.ClusterSide - 1} * design.ClusterSpacing;
        if (extent >= map.width() || extent >= map.height())
            return QStringLiteral("Une grappe de %1 pixels de côté ne tient pas sur la carte.").arg(extent + 1);
        return std::nullopt;
    }
    }
    return std::nullopt;
}

DesignLayout LayOutDesign(const SampleDesign& design, int32_t sampleSize, QSize map)
{
    DesignLayout layout;
    layout.Design = design;
    layout.SampleSize = sampleSize;
    layout.Map = map;
    switch (design.Kind) {
    case DesignKind::SimpleRandom:
        break;
    case DesignKind::Systematic:
        layout.Spacing = GridSpacing(map, sampleSize);
        break;
    case DesignKind::Stratified: {
        layout.Groups = design.Blocks;
        layout.Blocks = MapBlocks(map, design.Blocks);
        std::vector<int64_t> areas;
        for (const QRect& block : layout.Blocks)
            areas.push_back(int64_t{block.width()} * block.height());
        layout.BlockPoints = ShareInProportion(sampleSize, areas);
        break;
    }
    case DesignKind::Clustered:
        layout.Groups = design.Clusters;
        break;
    }
    return layout;
}

DesignedSample DrawDesign(const SampleDesign& design, int32_t sampleSize, QSize map, uint32_t& state)
{
    const DesignLayout layout = LayOutDesign(design, sampleSize, map);
    DesignedSample sample;
    sample.Groups = layout.Groups;
    sample.Blocks = layout.Blocks;
    LayPoints(layout, state, [&](QPoint place, int32_t group) { sample.Points.push_back({place, group}); });
    return sample;
}
