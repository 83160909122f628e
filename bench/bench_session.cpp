// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// What saving and reopening a survey costs: 10000 sample points on a 6000 x 4000 photo, 5000 of
// them counted. Saving does what "Enregistrer la séance…" does once its file is chosen (the
// map's SHA-256, the file's text, the file written whole); reopening what "Ouvrir une séance…"
// does (the file read and checked, the map found by its hash, the survey in the window, the
// window repainted). Set against reading the photo's bytes alone and a plain repaint of the
// window, both measured in this run.
//
//   bench_session          (runs headless unless QT_QPA_PLATFORM says otherwise)

#include "core/SurveyFile.h"
#include "core/SurveyTally.h"
#include "picture/SavedFile.h"
#include "windows/Carte2.h"

#include "bench/BenchProgram.h"
#include "bench/Measures.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv)
{
    BenchProgram program(argc, argv);
    QTemporaryDir dir;
    const QString photo = SurveyOnPhoto(dir.path(), 10000, 2);
    const int counted = SurveyTally.PointsProbed;

    const QString session = dir.filePath(QStringLiteral("seance.sondelio"));
    const int blocks = 5;
    const int roundsPerBlock = 4;
    const std::vector<double> medians = MediansInTurn(
        {[&] {
             SaveWholeFile(session, WriteSurveyFile(SurveyTally, Survey->MapName(),
                                                    FileSha256(Survey->MapName())));
         },
         [&] {
             Form2->OpenSurvey(session);
             Form2->repaint();
         },
         [&] {
             QFile file(photo);
             if (file.open(QIODevice::ReadOnly))
                 file.readAll();
         },
         [&] { Form2->repaint(); },
         [&] { FileSha256(photo); },
         [&] { WriteSurveyFile(SurveyTally, Survey->MapName(), QByteArray(32, 'a')); },
         [&] { ReadSurveyFile(ReadSmallFile(session, SurveyFileLimits::MaxFileBytes)); }},
        blocks, roundsPerBlock);
    const bool sameSurvey = SurveyTally.PointsProbed == counted && SurveyTally.SamplePoints() == 10000;

    std::printf("survey of %d sample points, %d counted, on a %lld-byte photo; session file %lld bytes; "
                "%d rounds of each\n",
                SurveyTally.SamplePoints(), counted, QFile(photo).size(), QFile(session).size(),
                blocks * roundsPerBlock);
    std::printf("saving the session:                           %8.2f ms (target: under 50 ms)\n",
                medians[0] / 1000);
    std::printf("reopening it, the window repainted:           %8.2f ms (target: under 50 ms)\n",
                medians[1] / 1000);
    std::printf("reading the photo's bytes alone:              %8.2f ms\n", medians[2] / 1000);
    std::printf("a plain repaint of the window:                %8.2f ms\n", medians[3] / 1000);
    std::printf("parts: hash %.2f ms, text written %.2f ms, text read %.2f ms\n", medians[4] / 1000,
                medians[5] / 1000, medians[6] / 1000);
    std::printf("save / photo read %.2f, reopen / photo read %.2f; the survey came back whole: %s\n",
                medians[0] / medians[2], medians[1] / medians[2], sameSurvey ? "yes" : "NO");
    DestroyWindowSet();
    return sameSurvey && program.boxes.errors == 0 ? 0 : 1;
}
