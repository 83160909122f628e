// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The map window's lens: what the pointer, Shift and "Loupe" do reaches it from here; and the
// keys the window takes itself.

#include "windows/Carte2.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>

void TForm2::ButtLoupeClick()
{
    loupe.Move();
}

void TForm2::mouseMoveEvent(QMouseEvent* event)
{
    loupe.PointerMoved(event->position().toPoint(), event->modifiers().testFlag(Qt::ShiftModifier));
    QWidget::mouseMoveEvent(event);
}

void TForm2::keyPressEvent(QKeyEvent* event)
{
    // Escape gives up measuring the scale bar.
    if (event->key() == Qt::Key_Escape && measuringScale)
        StopMeasuring();
    loupe.FollowShift(*event);
    QWidget::keyPressEvent(event);
}

void TForm2::keyReleaseEvent(QKeyEvent* event)
{
    loupe.FollowShift(*event);
    QWidget::keyReleaseEvent(event);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event)
{
    // No control lies on the map. An edit box with the keyboard keeps every key release to
    // itself, Shift's too.
    if (event->type() == QEvent::Enter)
        loupe.PointerLeft();
    else if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        loupe.FollowShift(*static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

void TForm2::leaveEvent(QEvent* event)
{
    loupe.PointerLeft();
    QWidget::leaveEvent(event);
}
