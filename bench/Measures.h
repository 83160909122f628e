// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the benchmarks measure of their own run: medians of pieces of work timed in turn, and the
// bytes the process has read.

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <functional>
#include <vector>

// Bytes this process has read through read calls so far.
inline qint64 BytesRead()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

// The middle value of a list of times (the upper one of the two middle ones for an even count).
template <class Times>
double Median(Times times)
{
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

// Times each piece of work in blocks taken in turn, so that a machine shared with other work
// slows all of them alike, while within a block each runs warm as it would over and over.
// Returns the median of each, in microseconds.
inline std::vector<double> MediansInTurn(const std::vector<std::function<void()>>& works, int blocks,
                                         int roundsPerBlock)
{
    std::vector<std::vector<double>> times(works.size());
    for (int block = 0; block < blocks; ++block)
        for (size_t w = 0; w < works.size(); ++w)
            for (int round = 0; round < roundsPerBlock; ++round) {
                QElapsedTimer timer;
                timer.start();
                works[w]();
                times[w].push_back(timer.nsecsElapsed() / 1000.0);
            }
    std::vector<double> medians;
    for (std::vector<double>& each : times) {
        std::nth_element(each.begin(), each.begin() + each.size() / 2, each.end());
        medians.push_back(each[each.size() / 2]);
    }
    return medians;
}
