// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The simulation by each sampling design on the demo map, 10^7 points placed in all, against the
// simple random design in the same run: 1000 surveys of 9800 points (a grid of about 9800 nodes, 20
// blocks, 98 segments of 10 × 10), then 100000 surveys of 100 points (10 blocks, 11 segments of
// 3 × 3), where each survey's estimate weighs more; then the laying alone, without the estimates.
// The time per point placed, as a ratio to simple random's, is asked to stay under 1.5. Prints the
// medians and the ratios.
//   bench_designs [BLOCKS]     default 5

#include "bench/Measures.h"
#include "core/DesignSimulation.h"
#include "picture/MapPixels.h"
#include "picture/TBitmap.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int blocks = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTextStream out(stdout);
    TBitmap map;
    map.LoadPictureFile(QStringLiteral(SONDELIO_DEMO_MAP));
    const MapPixels pixels(map);
    const std::vector<uint32_t> streets = {0x808080};
    const std::atomic<bool> neverStop = false;

    struct Setting {
        int32_t sampleSize, surveys;
        std::vector<SampleDesign> designs;
    };
    const Setting settings[] = {
        {9800, 1000,
         {{DesignKind::SimpleRandom}, {DesignKind::Systematic}, {DesignKind::Stratified, 20},
          {DesignKind::Clustered, 4, 98, 10, 12}}},
        {100, 100000,
         {{DesignKind::SimpleRandom}, {DesignKind::Systematic}, {DesignKind::Stratified, 10},
          {DesignKind::Clustered, 4, 11, 3, 12}}}};
    out << QStringLiteral("demo map %1 x %2, the streets, median of %3 runs each:\n")
               .arg(map.Width()).arg(map.Height()).arg(blocks);
    // Each design of a setting timed in turn, `run` giving the points it placed, and its time a
    // point against simple random's, the first.
    const auto compare = [&](const QString& title, const Setting& setting,
                             const std::function<double(const SampleDesign&)>& run) {
        std::vector<std::function<void()>> runs;
        std::vector<double> pointsPlaced(setting.designs.size());
        for (size_t d = 0; d < setting.designs.size(); ++d)
            runs.push_back([&, d] { pointsPlaced[d] = run(setting.designs[d]); });
        const std::vector<double> medians = MediansInTurn(runs, blocks, 1);
        const double reference = medians[0] / pointsPlaced[0];
        out << QStringLiteral("  %1, %2 surveys of n = %3:\n").arg(title).arg(setting.surveys).arg(setting.sampleSize);
        for (size_t d = 0; d < setting.designs.size(); ++d)
            out << QStringLiteral("    %1 %2 ms, %3 million points, %4 ns a point, %5 x simple random's\n")
                       .arg(DesignText(setting.designs[d]), -50)
                       .arg(medians[d] / 1000, 7, 'f', 1)
                       .arg(pointsPlaced[d] / 1e6, 5, 'f', 2)
                       .arg(medians[d] * 1000 / pointsPlaced[d], 5, 'f', 2)
                       .arg(medians[d] / pointsPlaced[d] / reference, 0, 'f', 2);
    };
    for (const Setting& setting : settings)
        compare(QStringLiteral("the simulation"), setting, [&](const SampleDesign& design) {
            DesignSimulation simulation(pixels.View(), streets, design, setting.sampleSize, setting.surveys, 1);
            simulation.Run(neverStop);
            return double(simulation.Figures().MeanPoints) * setting.surveys;
        });
    // The drawing alone, each survey's points laid and their pixels counted by block or segment
    // as the simulation counts them, without its estimate: what a design costs to lay.
    const MarkedMap marked = MarkChosenPixels(pixels.View(), streets, std::nullopt, 1);
    for (const Setting& setting : settings)
        compare(QStringLiteral("laying only"), setting, [&](const SampleDesign& design) {
            const DesignLayout layout = LayOutDesign(design, setting.sampleSize, QSize(map.Width(), map.Height()));
            std::vector<int64_t> counts(size_t(layout.Groups));
            uint32_t state = 1;
            int64_t placed = 0;
            for (int32_t survey = 0; survey < setting.surveys; ++survey) {
                std::fill(counts.begin(), counts.end(), 0);
                LayPoints(layout, state, [&](QPoint place, int32_t group) {
                    ++placed;
                    counts[size_t(group)] += marked.At(place);
                });
            }
            return double(placed);
        });
    return 0;
}
