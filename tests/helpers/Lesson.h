// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A class's lesson on a desktop of the test's own (XTools): the program started as the teacher
// and the students start it, in user folders of the lesson's own; the map window's steps pressed
// where they lie; and what the test knows of the lesson's map, the land use under each point of a
// session as the students see the map drawn.

#include "XTools.h"
#include "core/SurveyFile.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// Client places of the controls the lesson presses, as designed.
namespace LessonPlaces {
// The main window.
inline constexpr QPoint SampleSizeBox{556, 266};
inline constexpr QPoint DrawButton{236, 300};
// The map window: the map from (10, 10), step 1 "Go", step 2 the land use's box, "Sonder" and
// "Autre usage ou Terminer".
inline constexpr QPoint MapOrigin{10, 10};
inline constexpr QPoint Go{912, 108};
inline constexpr QPoint LandUseBox{916, 218};
inline constexpr QPoint Sonder{912, 276};
inline constexpr QPoint Fini{916, 388};
}  // namespace LessonPlaces

// The program on the test's desktop, its user folders (home, settings, journals) in `folder`,
// so that nothing is read from or left in the user's own; ended with the object at the latest.
class DesktopProgram {
public:
    DesktopProgram(TestDesktop& desktop, const QString& folder);
    ~DesktopProgram();
    DesktopProgram(const DesktopProgram&) = delete;
    DesktopProgram& operator=(const DesktopProgram&) = delete;

    // Starts `program` with `arguments` and returns its main window once it shows, or nothing.
    QString Start(const QString& program, const QStringList& arguments);
    // Closes the main window as its title-bar button does: true once the program ended with
    // status 0.
    bool Close();

private:
    TestDesktop& desktop;
    QString folder;
    QProcess process;
    QString mainWindow;
};

// Each land use of a student's answers, in the order classified, with the places of its points.
using Answers = std::vector<std::pair<QString, std::vector<QPoint>>>;
// For each land use in turn: its name typed in the map window, "Sonder", its points clicked,
// "Autre usage ou Terminer".
void Classify(TestDesktop& desktop, const QString& mapWindow, const Answers& answers);

struct LessonPoint {
    QPoint Place;  // in the map as drawn
    QString Use;   // as the legend names the colour under it; empty when it names none
};
// The sample points of the session kept in `sessionFile`, in their order, each with the land use
// that the session's legend gives the colour under it on `mapFile` as the window draws it.
std::vector<LessonPoint> LegendUses(const QString& sessionFile, const QString& mapFile);

// The session a file holds, read back by the program's own reader; fails the test otherwise.
SurveyFileContent ReadSession(const QString& sessionFile);

// Whether a ring of the colour (each channel within `tolerance`, for antialiased rings) shows
// around `centre` in the picture: a pixel of it within RingReach pixels.
inline constexpr int RingReach = 10;
bool RingedAt(const QImage& picture, QPointF centre, const QColor& colour, int tolerance = 0);
// The window's picture once a ring of the colour shows around each of the `ringed` places of its
// client area (within patience; else the last picture taken).
QImage AwaitRings(const TestDesktop& desktop, const QString& window, const std::vector<QPointF>& ringed,
                  const QColor& colour, int tolerance = 0);
