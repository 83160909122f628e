// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// Every window within reach on the monitor it opens on: a large screen keeps every window as
// designed, a projector, a laptop, a screen at a scale factor of 2 and a small screen give each
// window a place inside them and a layout that shows every control. On the map window drawn
// smaller, the survey keeps the map's own pixels: points, presses, the lens and the picture
// export follow. Runs on five headless monitors side by side, the large one first (ctest sets
// them: tests/screens/classroom.json).

#include "core/ScreenRoom.h"
#include "core/SurveyTally.h"
#include "helpers/Controls.h"
#include "helpers/FileDialog.h"
#include "helpers/MapWindow.h"
#include "helpers/Program.h"
#include "picture/Magnifier.h"
#include "ui/ApplicationFrame.h"
#include "ui/WindowFit.h"
#include "ui/WindowFrame.h"
#include "windows/Carte2.h"
#include "windows/Fich_1.h"
#include "windows/PlanDialog.h"
#include "windows/ScaleDialog.h"

#include <QApplication>
#include <QHash>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

QScreen* Monitor(const QString& name)
{
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->name() == name)
            return screen;
    qFatal("no monitor named %s: run through ctest, which sets them", qPrintable(name));
}

// The main window shown anew on the monitor, at its designed place there, and made active: the
// windows it shows open on that monitor. (The headless platform makes no window active again
// once it was hidden: the test does.)
void WorkOn(const QString& monitor)
{
    Page_1->hide();
    Page_1->move(Monitor(monitor)->geometry().topLeft() + QPoint(218, 97));
    ShowWindow(Page_1);
    QApplication::setActiveWindow(Page_1);
}

// Shows a window as the main window's buttons do, with the main window active.
void ShowFromMainWindow(QWidget* window)
{
    QApplication::setActiveWindow(Page_1);
    ShowWindow(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

// The client area scrolled to bring the control into sight, as a user does with the scroll bars:
// its top-left corner to the top-left corner of the area, or as near as the bars go.
void ScrollTo(QScrollArea* scroller, const QWidget* control)
{
    const QPoint at = control->mapTo(scroller->widget(), QPoint());
    scroller->horizontalScrollBar()->setValue(at.x());
    scroller->verticalScrollBar()->setValue(at.y());
}

// The controls of a window in the order Tab visits them.
QList<QWidget*> TabOrder(QWidget* window)
{
    const QList<QWidget*> controls = Controls(window);
    QList<QWidget*> order;
    for (QWidget* widget = window->nextInFocusChain(); widget != window && order.size() <= controls.size();
         widget = widget->nextInFocusChain())
        if (controls.contains(widget) && (widget->focusPolicy() & Qt::TabFocus))
            order << widget;
    return order;
}

// A control's rectangle in its window's client area.
QRect OnWindow(const QWidget* control)
{
    return QRect(control->mapTo(control->window(), QPoint()), control->size());
}

// The sample point's pixel as the map window shows it, in window pixels.
QPoint ShownPoint(int point)
{
    const QPoint pixel = SamplePointOnWindow(point);
    return Form2->Canvas.View().ToWindow(QRectF(pixel, QSizeF(1, 1))).center().toPoint();
}

void Draw(const QString& seed)
{
    Form2->EdGraine->setText(seed);
    Click(Form2->BtnCalcul);
}

}  // namespace

class WindowFitTest : public ProgramTest {
    Q_OBJECT
    QTemporaryDir dir;
    // Where each window's controls lie as the constructors placed them.
    QHash<const QWidget*, QRect> designed;

private slots:
    void init()
    {
        ProgramTest::init();
        for (const QWidget* window : ProgramWindows())
            for (const QWidget* control : Controls(window))
                designed[control] = OnWindow(control);
    }
    void everyControlWithinReach_data()
    {
        QTest::addColumn<QString>("monitor");
        for (const char* monitor : {"large", "projector", "laptop", "scale2", "small"})
            QTest::newRow(monitor) << monitor;
    }
    void everyControlWithinReach()
    {
        QFETCH(QString, monitor);
        WorkOn(monitor);
        const QRect area = Monitor(monitor)->availableGeometry();
        for (QWidget* window : ProgramWindows()) {
            ShowFromMainWindow(window);
            const QString name = window->windowTitle();
            QVERIFY2(area.contains(window->frameGeometry()), qPrintable(name));
            auto* scroller = window->findChild<QScrollArea*>(QString(), Qt::FindDirectChildrenOnly);
            for (QWidget* control : Controls(window)) {
                if (scroller)
                    ScrollTo(scroller, control);
                const QRect place = OnWindow(control);
                const QString what = name + ": " + control->metaObject()->className() + " " + control->accessibleName();
                // A note larger than the room is reached by its scroll bars.
                if (FitsIn(control->size(), window->size()))
                    QVERIFY2(window->rect().contains(place), qPrintable(what));
                QWidget* pressed = window->childAt(place.center());
                QVERIFY2(pressed == control || control->isAncestorOf(pressed), qPrintable(what));
                if (monitor == "large")
                    QCOMPARE(place, designed[control]);
            }
            if (monitor == "large")
                QCOMPARE(window->size(), DesignedClientSize(window));
            if (window != Page_1)
                window->hide();
        }
    }

    // The map window's dialogs open whole on its monitor, every control within reach.
    void dialogsWithinReach_data() { everyControlWithinReach_data(); }
    void dialogsWithinReach()
    {
        QFETCH(QString, monitor);
        WorkOn(monitor);
        ShowFromMainWindow(Form2);
        const std::unique_ptr<QDialog> dialogs[] = {std::make_unique<TPlanDialog>(SampleDesign(), Form2),
                                                    std::make_unique<TScaleDialog>(std::nullopt, 600, std::nullopt, Form2)};
        for (const std::unique_ptr<QDialog>& dialog : dialogs) {
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
            QVERIFY2(Monitor(monitor)->availableGeometry().contains(dialog->frameGeometry()),
                     qPrintable(dialog->windowTitle()));
            for (QWidget* control : Controls(dialog.get())) {
                QWidget* pressed = dialog->childAt(OnWindow(control).center());
                QVERIFY2(pressed == control || control->isAncestorOf(pressed), qPrintable(control->accessibleName()));
            }
        }
        Form2->hide();
    }

    // Scrolled, a window keeps the order Tab visits its controls in, and takes its layout as
    // designed back on a monitor large enough.
    void layoutComesBackOnALargeMonitor()
    {
        const QList<QWidget*> asDesigned = TabOrder(Page_1);
        WorkOn("small");
        QVERIFY(Page_1->findChild<QScrollArea*>());
        QCOMPARE(TabOrder(Page_1), asDesigned);

        WorkOn("large");
        QVERIFY(!Page_1->findChild<QScrollArea*>());
        QCOMPARE(Page_1->size(), DesignedClientSize(Page_1));
        QCOMPARE(TabOrder(Page_1), asDesigned);
        for (const QWidget* control : Controls(Page_1)) {
            QCOMPARE(control->parentWidget(), Page_1);
            QCOMPARE(OnWindow(control), designed[control]);
        }
    }

    // The map window shown again on another monitor takes that monitor's layout: smaller at a
    // scale factor of 2, as designed on the large one.
    void mapWindowFollowsItsMonitor()
    {
        const QString map = WriteMap(dir.filePath("plan.bmp"), 800, 600);
        WorkOn("scale2");
        OpenMap(map);
        QVERIFY(Form2->Canvas.View().Shown < Form2->Canvas.View().Designed);
        QVERIFY(Form2->width() > DesignedClientSize(Form2).width());
        Click(Form2->BitBtnFermer);

        WorkOn("large");
        OpenMap(map);
        QVERIFY(Form2->Canvas.View().AsDesigned());
        QCOMPARE(Form2->size(), DesignedClientSize(Form2));
        QCOMPARE(Form2->frameGeometry().topLeft(), QPoint(224, 115));
    }

    // The same seed gives the same points whatever the screen, the window shows them where
    // their map pixels show, and a press on one counts that very point.
    void surveyKeepsTheMapsPixels()
    {
        const QString map = WriteMap(dir.filePath("plan.bmp"), 800, 600);
        WorkOn("large");
        OpenMap(map, "40");
        Draw("777");
        const std::vector<SurveyMark> asDesigned = SurveyTally.Marks();
        Click(Form2->BitBtnFermer);

        WorkOn("small");
        OpenMap(map, "40");
        Draw("777");
        QVERIFY(Form2->Canvas.View().Shown * 2 < Form2->Canvas.View().Designed);
        QCOMPARE(SurveyTally.Marks().size(), asDesigned.size());
        for (size_t i = 0; i < asDesigned.size(); ++i)
            QCOMPARE(SurveyTally.Marks()[i].Place, asDesigned[i].Place);

        // The headless platform keeps one pixel for each window pixel whatever the monitor.
        const QImage shown = Shown(Form2);
        const qreal ratio = qreal(shown.width()) / Form2->width();

        for (int point = 0; point < 40; ++point) {
            const QPoint at = (QPointF(ShownPoint(point)) * ratio).toPoint();
            QVERIFY(Count(shown, Red, QRect(at - QPoint(1, 1), QSize(3, 3))) > 0);
        }

        Form2->EdLandUse->setText(QStringLiteral("bâti"));
        Click(Form2->ButtSonder);
        int pressed = 0;
        for (int point = 0; point < 40 && pressed < 5; ++point) {
            // A point with no other one near enough to be taken for it, nor for its press to go on
            // a double click on the point before.
            bool alone = true;
            for (int other = 0; other < 40; ++other)
                alone = alone && (other == point || (SurveyTally.Marks()[size_t(other)].Place -
                                                     SurveyTally.Marks()[size_t(point)].Place).manhattanLength() > 60);
            if (!alone)
                continue;
            PressOnMap(ShownPoint(point));
            QVERIFY(SurveyTally.IsCounted(point));
            ++pressed;
        }
        QCOMPARE(pressed, 5);
        QCOMPARE(SurveyTally.PointsProbed, 5);
        QCOMPARE(boxes->Notices, QStringList());
    }

    // The picture export holds one pixel for each pixel of the map as designed, the same
    // picture as on a large screen.
    void exportKeepsTheMapsPixels()
    {
        const QString map = WriteMap(dir.filePath("plan.bmp"), 800, 600, QColor(90, 160, 70));
        QList<QImage> exported;
        for (const char* monitor : {"large", "small"}) {
            WorkOn(monitor);
            OpenMap(map, "30");
            Draw("31");
            Form2->EdLandUse->setText(QStringLiteral("eau"));
            Click(Form2->ButtSonder);
            PressOnMap(ShownPoint(3));
            const QString file = dir.filePath(QStringLiteral("%1.png").arg(monitor));
            ChooseFile(file, [] { Click(Form2->ButtExporterImage); });
            exported << QImage(file, "PNG").convertToFormat(QImage::Format_RGB32).copy(0, 0, 600, 450);
            boxes->Answers = {QStringLiteral("Ne pas enregistrer")};
            Click(Form2->BitBtnFermer);
        }
        QVERIFY(!Form2->Canvas.View().AsDesigned());
        QCOMPARE(Count(exported[1], Blue) > 0, true);
        QCOMPARE(exported[1], exported[0]);
    }

    // Over the map drawn smaller, the lens shows where the map shows, and nowhere beyond it.
    void lensFollowsTheMapAsShown()
    {
        WorkOn("small");
        OpenMap(WriteMap(dir.filePath("plan.bmp"), 800, 600), "4");
        const QRect map = Form2->Canvas.View().ShownFrom(QRect(10, 10, 600, 450));
        QVERIFY(map.right() < 400);
        const auto lensShows = [](QPoint pointer) {
            const QImage before = Shown(Form2);
            QMouseEvent move(QEvent::MouseMove, pointer, Form2->mapToGlobal(pointer), Qt::NoButton, Qt::NoButton,
                             Qt::ShiftModifier);
            QApplication::sendEvent(Form2, &move);
            const bool changed = Shown(Form2) != before;
            QMouseEvent away(QEvent::MouseMove, QPoint(5, 5), Form2->mapToGlobal(QPoint(5, 5)), Qt::NoButton,
                             Qt::NoButton, {});
            QApplication::sendEvent(Form2, &away);
            ProcessEvents();
            return changed;
        };
        QVERIFY(lensShows(QPoint(map.right(), map.center().y())));
        QVERIFY(!lensShows(QPoint(map.right() + 1, map.center().y())));
        QVERIFY(!lensShows(QPoint(map.center().x(), map.bottom() + 1)));
    }
};

QTEST_MAIN(WindowFitTest)
#include "test_window_fit.moc"
