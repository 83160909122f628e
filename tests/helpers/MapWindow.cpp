// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MapWindow.h"

#include "core/SurveyTally.h"

#include "BmpWriter.h"
#include "Program.h"
#include "windows/Carte2.h"
#include "windows/Fich_1.h"
#include "windows/PlanDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QRadioButton>
#include <QSpinBox>
#include <array>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

QString WriteMap(const QString& path, int width, int height, const QColor& colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    WriteBmpFile(path, image);
    return path;
}

void OpenMap(const QString& fileName, const QString& sampleSize)
{
    Page_1->EdFich->setText(fileName);
    Page_1->EdNPoints->setText(sampleSize);
    Click(Page_1->BtnDessine);
    QVERIFY(QTest::qWaitForWindowExposed(Form2));
    ProcessEvents();
}

void Uncover()
{
    Form2->repaint();
    ProcessEvents();
}

void PressOnMap(QPoint at, Qt::MouseButton button)
{
    QTest::mouseClick(Form2->windowHandle(), button, {}, at);
    ProcessEvents();
}

QPoint SamplePointOnWindow(int point)
{
    return QPoint(10, 10) + SurveyTally.Marks().at(std::size_t(point)).Place;
}

void DoubleClickOnMap(QPoint at)
{
    QTest::mouseDClick(Form2->windowHandle(), Qt::LeftButton, {}, at);
    ProcessEvents();
}

// Qt's own entry for a mouse event from the window system, with the time it happened: the tests'
// usual clicks are kept too far apart in time to ever make a double click.
Q_GUI_EXPORT void qt_handleMouseEvent(QWindow* window, const QPointF& local, const QPointF& global,
                                      Qt::MouseButtons state, Qt::MouseButton button, QEvent::Type type,
                                      Qt::KeyboardModifiers modifiers, int timestamp);

void QuickClicksOnMap(const QList<QPoint>& places, int apart)
{
    // Far past the times of the tests' other clicks, and later at every call.
    static int time = 1 << 29;
    QWindow* window = Form2->windowHandle();
    for (const QPoint& at : places) {
        time += apart;
        const QPointF global = window->mapToGlobal(at);
        qt_handleMouseEvent(window, at, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress, {}, time);
        qt_handleMouseEvent(window, at, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease, {},
                            time + 10);
        ProcessEvents();
    }
    time += 10 * apart;
}

void Click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
    ProcessEvents();
}

void ChoosePlan(const SampleDesign& design, bool confirm)
{
    const DialogAnswers<TPlanDialog> answer({[&](TPlanDialog* dialog) {
        const std::array radios{dialog->RadioAleatoire, dialog->RadioSystematique, dialog->RadioStrates,
                                dialog->RadioGrappes};
        radios[size_t(design.Kind)]->click();
        dialog->SpinBlocs->setValue(design.Blocks);
        dialog->SpinGrappes->setValue(design.Clusters);
        dialog->SpinCote->setValue(design.ClusterSide);
        dialog->SpinEspacement->setValue(design.ClusterSpacing);
        dialog->Buttons->button(confirm ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    }});
    Click(Form2->ButtPlan);
    QVERIFY2(answer.Answered() == 1, "the plan dialog never opened");
}

QRect Extent(const QImage& image, QRgb colour, const QRect& within)
{
    const QRect area = within.isNull() ? image.rect() : within & image.rect();
    QRect extent;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == colour)
                extent |= QRect(x, y, 1, 1);
    return extent;
}

int Count(const QImage& image, QRgb colour, const QRect& within)
{
    const QRect area = within.isNull() ? image.rect() : within & image.rect();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixel(x, y) == colour;
    return count;
}
