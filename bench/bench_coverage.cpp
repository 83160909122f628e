// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The exact coverage curve of the four methods at n = 100, 1000 and 10000 with the streets' share
// of the demo map, against the set-up of a simulation at the same n and share (its expected
// coverages, the same exact decisions at that one share), in the same run. Prints the medians and
// the ratios: whether the curve may be worked out on the interface thread.
//   bench_coverage [BLOCKS]     default 5

#include "bench/Measures.h"
#include "core/CoverageCurve.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int blocks = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTextStream out(stdout);
    // The demo map's streets: 74760 of its 480000 pixels.
    const PixelShare streets{74760, 480000};
    const std::atomic<bool> neverStop = false;
    volatile size_t sink = 0;
    out << QStringLiteral("exact coverage curve, p = 74760/480000, median of %1 runs each:\n").arg(blocks);
    for (int32_t sampleSize : {100, 1000, 10000}) {
        const std::vector<double> medians = MediansInTurn(
            {[&] {
                 const CountDistribution counts(sampleSize, streets);
                 for (IntervalMethod method : IntervalMethods)
                     sink = sink + size_t(ExactCoverage(method, counts) > 0.5L);
             },
             [&] { sink = ExactCoverageCurves(sampleSize, streets, neverStop)->front().Curve.size(); }},
            blocks, 1);
        out << QStringLiteral("  n = %1: the curve %2 ms, the expected coverages at p alone %3 ms, ratio %4\n")
                   .arg(sampleSize)
                   .arg(medians[1] / 1000, 0, 'f', 1)
                   .arg(medians[0] / 1000, 0, 'f', 1)
                   .arg(medians[1] / medians[0], 0, 'f', 1);
    }
    return 0;
}
