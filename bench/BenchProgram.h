// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The program as the benchmarks run it: started as at start-up, and a survey on a large photo.

#include "app/Application.h"
#include "app/WindowSet.h"
#include "core/SurveyTally.h"
#include "ui/Boxes.h"
#include "ui/ApplicationFrame.h"
#include "windows/Carte2.h"
#include "windows/Fich_1.h"

#include "bench/PhotoLike.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>

// Counts what would have been shown instead of opening boxes, for as long as it lives; every
// question gets its default answer, so that the benchmark goes on.
class SilentBoxes : public BoxPresenter {
public:
    SilentBoxes() : previous(SetBoxPresenter(this)) {}
    ~SilentBoxes() override { SetBoxPresenter(previous); }
    void PresentNotice(const QString&, const QString&) override { ++notices; }
    void PresentError(const QString&, const QString& text) override
    {
        ++errors;
        std::printf("error box: %s\n", qPrintable(text));
    }
    int PresentQuestion(const QString&, const QString&, const QStringList&, int) override { return 0; }
    int notices = 0;
    int errors = 0;

private:
    BoxPresenter* previous;
};

// Before the application is made: headless unless QT_QPA_PLATFORM says otherwise, on a screen
// large enough for every window's design, as the tests are (Qt's own headless screen would have
// the map window show its map smaller).
inline void HeadlessUnlessTold()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" SONDELIO_LARGE_SCREEN);
}

// The window set made and the main window shown, on a fresh survey.
inline void StartWindowSet(QApplication& application)
{
    SetUpApplication(application);
    SurveyTally.Reset();
    CreateWindowSet();
    ShowWindow(Page_1);
    QApplication::processEvents();
}

// The program as a benchmark starts it: headless unless told, its boxes counted instead of shown,
// the window set made and the main window shown, on a fresh survey.
struct BenchProgram {
    BenchProgram(int& argc, char** argv) : application((HeadlessUnlessTold(), argc), argv)
    {
        StartWindowSet(application);
    }
    QApplication application;
    SilentBoxes boxes;  // made before the window set, which it hears from
};

// Until the map window has its photo whole, read on its worker thread after the map is drawn.
inline void WaitForWholeMap()
{
    while (Form2->ShownMap().ReadingWhole())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// A 6000 x 4000 photo written as a JPEG in `folder`, drawn and had whole, `points` sample points placed on it
// and one in `step` of them counted under "bâti", as presses on the points. Returns the photo.
inline QString SurveyOnPhoto(const QString& folder, int points, int step)
{
    const QString photo = QDir(folder).filePath(QStringLiteral("photo.jpg"));
    if (!PhotoLikePicture(6000, 4000).save(photo, "JPEG", 90))
        qFatal("cannot write %s", qPrintable(photo));
    Page_1->EdFich->setText(photo);
    Page_1->EdNPoints->setText(QString::number(points));
    Page_1->BtnDessine->click();
    QApplication::processEvents();
    Form2->repaint();
    WaitForWholeMap();
    Form2->BtnCalcul->click();
    Form2->EdLandUse->setText(QStringLiteral("bâti"));
    Form2->ButtSonder->click();
    for (int point = 0; point < points; point += step) {
        const QPoint at = SurveyTally.Marks()[std::size_t(point)].Place + QPoint(10, 10);
        Form2->Image1MouseDown(at.x(), at.y());
    }
    Form2->repaint();
    QApplication::processEvents();
    return photo;
}
