// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The simulation's surveys on the demo map: 1000 surveys of 10000 points, 10^7 points classified,
// against a plain loop that only draws the same 2 × 10^7 random numbers, in the same run; the
// setting up of a simulation (the chosen pixels marked, whether the interval of every count holds
// p and the expected coverages) at that sample size; and one binomial tail that comes near the
// fraction it is compared with, summed in whole numbers, the rare path of an exact decision.
// Prints the medians, points per second and the ratios.
//   bench_simulation [BLOCKS]     default 5

#include "bench/Measures.h"
#include "core/SampleGenerator.h"
#include "core/Simulation.h"
#include "picture/MapPixels.h"
#include "picture/TBitmap.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cmath>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int blocks = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTextStream out(stdout);
    TBitmap map;
    map.LoadPictureFile(QStringLiteral(SONDELIO_DEMO_MAP));
    const MapPixels pixels(map);
    constexpr int32_t sampleSize = 10000;
    constexpr int32_t surveys = 1000;
    constexpr double points = double(sampleSize) * surveys;
    const std::vector<uint32_t> streets = {0x808080};
    const std::atomic<bool> neverStop = false;

    // A fraction within 10⁻¹² of P(count ≤ c) for the streets, which the comparison cannot
    // settle in extended precision.
    const CountDistribution streetCounts(sampleSize, {74760, 480000});
    const int32_t nearTail = 1500;
    long double tail = 0;
    for (int32_t count = 0; count <= nearTail; ++count)
        tail += streetCounts.Probability(count);
    const int64_t scale = int64_t(1) << 50;
    const int64_t nearFraction = std::llround(tail * scale);

    volatile uint32_t sink = 0;
    const std::vector<double> medians = MediansInTurn(
        {[&] {
             SurveySimulation simulation(pixels.View(), streets, sampleSize, surveys, 1);
             sink = simulation.SurveysDone();
         },
         [&] {
             // Set up and run: the surveys' time is what this takes beyond the set-up alone.
             SurveySimulation simulation(pixels.View(), streets, sampleSize, surveys, 1);
             simulation.Run(neverStop);
             sink = uint32_t(simulation.Counts().back());
         },
         [&] {
             uint32_t state = 1, sum = 0;
             for (int32_t point = 0; point < sampleSize * surveys; ++point) {
                 sum += RandomBelow(state, uint32_t(map.Width()));
                 sum += RandomBelow(state, uint32_t(map.Height()));
             }
             sink = sum;
         },
         [&] { sink = uint32_t(streetCounts.CompareAtMost(nearTail, nearFraction, scale) + 1); }},
        blocks, 1);
    const double setUp = medians[0], surveysAlone = medians[1] - medians[0], drawsAlone = medians[2];
    out << QStringLiteral("demo map %1 x %2, %3 surveys of %4 points (10^7 points), median of %5 runs each:\n")
               .arg(map.Width()).arg(map.Height()).arg(surveys).arg(sampleSize).arg(blocks);
    out << QStringLiteral("  setting up the simulation : %1 ms\n").arg(setUp / 1000, 0, 'f', 1);
    out << QStringLiteral("  the surveys               : %1 ms, %2 million points classified per second\n")
               .arg(surveysAlone / 1000, 0, 'f', 1).arg(points / surveysAlone, 0, 'f', 1);
    out << QStringLiteral("  drawing the numbers alone : %1 ms, %2 million points drawn per second\n")
               .arg(drawsAlone / 1000, 0, 'f', 1).arg(points / drawsAlone, 0, 'f', 1);
    out << QStringLiteral("  surveys / drawing alone   : %1\n").arg(surveysAlone / drawsAlone, 0, 'f', 2);
    out << QStringLiteral("  set-up and surveys        : %1 ms (under 1000 asked)\n").arg(medians[1] / 1000, 0, 'f', 1);
    out << QStringLiteral("  a near-tie in whole numbers: %1 ms, %2 times the set-up (P(count <= %3) at n = %4)\n")
               .arg(medians[3] / 1000, 0, 'f', 1).arg(medians[3] / setUp, 0, 'f', 2).arg(nearTail).arg(sampleSize);
    return 0;
}
