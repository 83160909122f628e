// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// What the recovery journal costs a count: presses on a survey of 10000 points on a 6000 x 4000
// photo, each counting a point, then undone, with the journal written and without one (its
// folder made impossible), timed in turn. And what beginning a journal costs: the survey written
// whole, once after each "Go" or save, at its first change.
//
//   bench_journal          (runs headless unless QT_QPA_PLATFORM says otherwise)

#include "core/SurveyJournal.h"
#include "core/SurveyTally.h"
#include "windows/Carte2.h"

#include "bench/BenchProgram.h"
#include "bench/Measures.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    BenchProgram program(argc, argv);
    QTemporaryDir dir;
    SurveyOnPhoto(dir.path(), 10000, 2);
    const QString journalFolder = dir.filePath(QStringLiteral("etat"));

    // The points still to count: every other one.
    std::vector<QPoint> uncounted;
    for (int point = 1; point < 10000; point += 2)
        uncounted.push_back(SurveyTally.Marks()[std::size_t(point)].Place + QPoint(10, 10));
    constexpr int countsPerRound = 100;
    std::vector<double> withJournal, withoutJournal, beginnings;
    const auto press = [&uncounted](size_t index) {
        const QPoint at = uncounted[index % uncounted.size()];
        Form2->Image1MouseDown(at.x(), at.y());
    };
    size_t next = 0;
    for (int round = 0; round < 40; ++round) {
        for (const bool journalled : {true, false}) {
            qputenv("XDG_STATE_HOME", QFile::encodeName(journalled ? journalFolder : QStringLiteral("/dev/null")));
            Form2->LetSurveyGo();
            QElapsedTimer timer;
            timer.start();
            press(next++);  // the first change: the journal begins, or fails to
            if (journalled)
                beginnings.push_back(timer.nsecsElapsed() / 1e3);
            timer.restart();
            for (int i = 0; i < countsPerRound; ++i)
                press(next++);
            (journalled ? withJournal : withoutJournal).push_back(timer.nsecsElapsed() / 1e3 / countsPerRound);
            for (int i = 0; i <= countsPerRound; ++i)
                Form2->ButtAnnulerClick();
        }
    }
    const double on = Median(withJournal), off = Median(withoutJournal);
    const bool countsKept = SurveyTally.PointsProbed == 5000 && program.boxes.notices == 0;
    std::printf("a count on a survey of %d points, %d counted, median of %zu rounds of %d:\n",
                SurveyTally.SamplePoints(), SurveyTally.PointsProbed, withJournal.size(), countsPerRound);
    std::printf("  with the journal written:    %8.1f µs\n", on);
    std::printf("  without a journal:           %8.1f µs\n", off);
    std::printf("  the journal's part:          %8.1f µs (target: under 1000 µs); ratio %.2f\n", on - off, on / off);
    std::printf("beginning a journal (the survey written whole): %.2f ms\n", Median(beginnings) / 1e3);
    Form2->LetSurveyGo();
    DestroyWindowSet();
    return countsKept && program.boxes.errors == 0 ? 0 : 1;
}
