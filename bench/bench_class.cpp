// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// What pooling a class costs: 40 sessions of 10000 points on the demo map, all counted, written
// by the session writer; half the class classified the same points (one seed), the other half
// points of their own. Timed: the sessions read and checked, the map found and its pixels read,
// and the class analysed against the legend (names matched, the table, the pooled row, Fleiss'
// kappa, each student checked point by point); set against reading the files' bytes alone and
// parsing their JSON alone, both measured in this run. The class window is timed doing the same
// as the teacher does it: the files added, then the legend chosen as the reference, every view
// shown and the window painted. The memory is the peak of a fresh process doing the work once.
//
//   bench_class [BLOCKS]      (5 blocks of 2 rounds unless told)

#include "bench/BenchProgram.h"
#include "bench/Measures.h"
#include "bench/ProcessMemory.h"
#include "core/ClassSurveys.h"
#include "core/SampleGenerator.h"
#include "core/SurveyFile.h"
#include "picture/ClassFiles.h"
#include "picture/MapPixels.h"
#include "picture/SavedFile.h"
#include "picture/TBitmap.h"
#include "windows/Classe.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int students = 40;
constexpr int32_t points = 10000;

// Each student's survey: every point counted under its legend's name as this student spells it,
// one point in (student + 7) given the next land use instead.
void WriteClass(const QString& folder, const QString& map, const ColourNames& legend)
{
    TBitmap picture;
    picture.LoadPictureFile(map);
    const MapPixels pixels(picture);
    const PixelView view = pixels.View();
    QStringList uses;
    for (const auto& [colour, name] : legend)
        if (!uses.contains(name))
            uses << name;
    const QByteArray hash = FileSha256(map);
    for (int student = 0; student < students; ++student) {
        TSurveyTally tally;
        tally.MapWidth = view.Width;
        tally.MapHeight = view.Height;
        tally.SampleSize = points;
        tally.Seed = student < students / 2 ? 7u : 1000u + uint32_t(student);
        tally.Student = QStringLiteral("Élève %1").arg(student + 1);
        tally.BeginSurvey();
        tally.BeginSample();
        uint32_t state = tally.Seed;
        std::vector<int> useOf;
        for (int32_t point = 0; point < points; ++point) {
            const int x = int(RandomBelow(state, uint32_t(view.Width)));
            const int y = int(RandomBelow(state, uint32_t(view.Height)));
            tally.AddSamplePoint(QPoint(x, y), 5);
            int use = int(uses.indexOf(legend.at(view.Rgb(x, y))));
            if (point % (student + 7) == 0)
                use = (use + 1) % int(uses.size());
            useOf.push_back(use);
        }
        for (int use = 0; use < uses.size(); ++use) {
            const QString spelt = student % 3 == 0 ? uses[use].toUpper() : student % 3 == 1 ? uses[use] + ' ' : uses[use];
            tally.BeginLandUse(spelt);
            for (int32_t point = 0; point < points; ++point)
                if (useOf[std::size_t(point)] == use)
                    tally.CountPoint(point);
            tally.FinishLandUse();
        }
        SaveWholeFile(QDir(folder).filePath(QStringLiteral("eleve%1.sondelio").arg(student + 1)),
                      WriteSurveyFile(tally, QStringLiteral("rizo0346.bmp"), hash));
    }
}

QStringList SessionFiles(const QString& folder)
{
    QStringList files;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.sondelio")}, QDir::Files, QDir::Name))
        files << QDir(folder).filePath(name);
    return files;
}

// The whole work once: what the class window and the command line do.
ClassAnalysis PoolAndCheck(const QStringList& files, const ColourNames& legend)
{
    const std::vector<ClassSession> sessions = ReadClassSessions(files);
    const ClassMap map = ClassMaps(sessions).front();
    const ClassMapPicture picture(sessions[std::size_t(map.Sessions.front())]);
    const ClassReference reference = ClassReference::FromLegend(picture.View(), picture.DrawnView(), legend);
    return AnalyseClass(sessions, map.MapSha256, LandUseMerges(), &reference, QStringLiteral("bati"));
}

}  // namespace

// The class window as the teacher uses it: a new class, the files added, the legend chosen.
void ShowInClassWindow(const QStringList& files)
{
    Classe->ButtNouvelleClick();
    Classe->AddSessionFiles(files);
    Classe->ComboReference->setCurrentIndex(Classe->ComboReference->findText(QStringLiteral("La légende de la carte")));
    Classe->repaint();
    QApplication::processEvents();
}

int main(int argc, char** argv)
{
    if (argc == 4 && argv[1] == QByteArrayLiteral("--peak")) {
        QCoreApplication application(argc, argv);
        const QString folder = application.arguments()[3];
        PoolAndCheck(SessionFiles(folder), ReadLegendBeside(QDir(folder).filePath(QStringLiteral("rizo0346.bmp"))));
        std::printf("%lld\n", StatusKiB("VmHWM:"));
        return 0;
    }
    BenchProgram program(argc, argv);
    ShowWindow(Classe);
    const int blocks = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir folder;
    const QString map = folder.filePath(QStringLiteral("rizo0346.bmp"));
    QFile::copy(QStringLiteral(SONDELIO_DEMO_MAP), map);
    QFile::copy(LegendFileFor(QStringLiteral(SONDELIO_DEMO_MAP)), LegendFileFor(map));
    const ColourNames legend = ReadLegendBeside(map);
    WriteClass(folder.path(), map, legend);
    const QStringList files = SessionFiles(folder.path());

    qint64 sessionBytes = 0;
    ClassAnalysis analysis;
    const std::vector<double> medians = MediansInTurn(
        {[&] { analysis = PoolAndCheck(files, legend); },
         [&] {
             sessionBytes = 0;
             for (const QString& file : files)
                 sessionBytes += ReadSmallFile(file, SurveyFileLimits::MaxFileBytes).size();
         },
         [&] {
             for (const QString& file : files)
                 QJsonDocument::fromJson(ReadSmallFile(file, SurveyFileLimits::MaxFileBytes));
         },
         [&] { ShowInClassWindow(files); }},
        blocks, 2);
    const qint64 peak = PeakKiB(QStringLiteral("class"), folder.path());
    const bool shown = Classe->Analysis().Rows.size() == std::size_t(students) && Classe->Analysis().ReferenceName;
    const bool whole = shown && analysis.Rows.size() == std::size_t(students) && analysis.Agreement
                       && analysis.Agreement->Sessions.size() == std::size_t(students / 2) && analysis.Holds.size() == 40u;

    std::printf("a class of %d sessions of %d points, %lld bytes in all; %d rounds of each\n", students, points,
                sessionBytes, blocks * 2);
    std::printf("read, checked and analysed against the legend: %8.1f ms (target: under 2000 ms)\n", medians[0] / 1000);
    std::printf("the files' bytes read alone:                   %8.1f ms\n", medians[1] / 1000);
    std::printf("their JSON parsed alone:                       %8.1f ms\n", medians[2] / 1000);
    std::printf("whole / bytes read %.1f, whole / JSON parsed %.2f\n", medians[0] / medians[1], medians[0] / medians[2]);
    std::printf("the class window, files added and legend chosen: %8.1f ms (target: under 2000 ms), %.2f × the "
                "analysis\n", medians[3] / 1000, medians[3] / medians[0]);
    std::printf("peak memory of a fresh process doing it once: %.1f MB (target: under 200 MB)\n", peak / 1024.0);
    std::printf("kappa %.4Lf over %d students; %s\n", analysis.Agreement ? analysis.Agreement->Kappa.value_or(0) : 0.0L,
                analysis.Agreement ? int(analysis.Agreement->Sessions.size()) : 0,
                whole ? "every session analysed" : "SOME SESSION MISSING");
    return whole && medians[0] < 2e6 && medians[3] < 2e6 && peak < 200 * 1024 ? 0 : 1;
}
