// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Lesson.h"

#include "Files.h"
#include "core/Errors.h"
#include "core/SurveyDocument.h"
#include "picture/MapPixels.h"

#include <QDir>
#include <QTest>

namespace {

// The main window's title, whatever map it names.
const QString mainWindowTitle = QStringLiteral("rizo0346.bmp");
constexpr int patience = 20000;

}  // namespace

DesktopProgram::DesktopProgram(TestDesktop& desktop, const QString& folder) : desktop(desktop), folder(folder) {}

DesktopProgram::~DesktopProgram()
{
    EndProcess(process, patience);
}

QString DesktopProgram::Start(const QString& program, const QStringList& arguments)
{
    QProcessEnvironment environment = desktop.Environment;
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // Qt's own file dialog, the one the test types into, whatever desktop the machine runs.
    for (const char* desktopVariable : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "QT_QPA_PLATFORMTHEME"})
        environment.remove(QString::fromLatin1(desktopVariable));
    for (const auto& [variable, subfolder] :
         {std::pair{"HOME", "maison"}, std::pair{"XDG_CONFIG_HOME", "config"}, std::pair{"XDG_STATE_HOME", "etat"},
          std::pair{"XDG_RUNTIME_DIR", "run"}}) {
        const QString path = QDir(folder).filePath(QString::fromLatin1(subfolder));
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment.insert(QString::fromLatin1(variable), path);
    }
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    mainWindow = desktop.AwaitWindow(mainWindowTitle);
    return mainWindow;
}

bool DesktopProgram::Close()
{
    desktop.Run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"),
                                           QStringLiteral("0x") + QString::number(mainWindow.toULongLong(), 16)});
    return process.waitForFinished(patience) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void Classify(TestDesktop& desktop, const QString& mapWindow, const Answers& answers)
{
    for (const auto& [use, places] : answers) {
        desktop.TypeInto(mapWindow, LessonPlaces::LandUseBox, use);
        desktop.ClickAt(mapWindow, LessonPlaces::Sonder);
        for (const QPoint place : places)
            desktop.ClickAt(mapWindow, LessonPlaces::MapOrigin + place);
        desktop.ClickAt(mapWindow, LessonPlaces::Fini);
    }
}

SurveyFileContent ReadSession(const QString& sessionFile)
{
    try {
        return ReadSurveyFile(FileBytes(sessionFile));
    } catch (const Exception& error) {
        QTest::qFail(qPrintable(sessionFile + QStringLiteral(" : ") + error.Message), __FILE__, __LINE__);
        return {};
    }
}

std::vector<LessonPoint> LegendUses(const QString& sessionFile, const QString& mapFile)
{
    const SurveyFileContent session = ReadSession(sessionFile);
    std::vector<LessonPoint> points;
    try {
        TBitmap map;
        map.LoadPictureFile(mapFile);
        const MapPixels drawn(map, DrawnMapSize(QSize(map.Width(), map.Height())));
        const ColourNames& legend = session.Tally.Legend;
        for (const SurveyMark& mark : session.Tally.Marks()) {
            if (mark.What != SurveyMark::Kind::SamplePoint)
                continue;
            const auto named = legend.find(drawn.View().Rgb(mark.Place.x(), mark.Place.y()));
            points.push_back({mark.Place, named == legend.end() ? QString() : named->second});
        }
    } catch (const Exception& error) {
        QTest::qFail(qPrintable(mapFile + QStringLiteral(" : ") + error.Message), __FILE__, __LINE__);
    }
    return points;
}

QImage AwaitRings(const TestDesktop& desktop, const QString& window, const std::vector<QPointF>& ringed,
                  const QColor& colour, int tolerance)
{
    QImage shown;
    const auto allRinged = [&] {
        shown = desktop.Picture(window);
        return std::all_of(ringed.begin(), ringed.end(),
                           [&](QPointF place) { return RingedAt(shown, place, colour, tolerance); });
    };
    if (!QTest::qWaitFor(allRinged, patience))
        qWarning("Les anneaux ne se montrent pas.");
    return shown;
}

bool RingedAt(const QImage& picture, QPointF centre, const QColor& colour, int tolerance)
{
    const auto near = [tolerance](int one, int other) { return qAbs(one - other) <= tolerance; };
    for (int y = int(centre.y()) - RingReach; y <= int(centre.y()) + RingReach; ++y)
        for (int x = int(centre.x()) - RingReach; x <= int(centre.x()) + RingReach; ++x) {
            if (!picture.valid(x, y))
                continue;
            const QColor pixel = picture.pixelColor(x, y);
            if (near(pixel.red(), colour.red()) && near(pixel.green(), colour.green()) &&
                near(pixel.blue(), colour.blue()))
                return true;
        }
    return false;
}
