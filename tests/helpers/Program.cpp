#include "Program.h"

#include "app/Application.h"
#include "app/SurveyTally.h"
#include "app/WindowSet.h"
#include "windows/Fich_1.h"

#include <QApplication>
#include <QTest>

void StartProgram()
{
    SetUpApplication(*qApp);
    SurveyTally.Reset();
    CreateWindowSet();
    ShowWindow(Page_1);
    QVERIFY(QTest::qWaitForWindowExposed(Page_1));
}

void EndProgram()
{
    DestroyWindowSet();
    ProcessEvents();
}

void ProcessEvents()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

QImage Grab(QWidget* window)
{
    return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}
