// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Controls.h"

#include "windows/Abaquez.h"
#include "windows/Carte2.h"
#include "windows/Classe.h"
#include "windows/Explic.h"
#include "windows/Fich_1.h"
#include "windows/Simulation.h"
#include "windows/TabResultats.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGraphicsView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabBar>

namespace {

bool IsControl(const QWidget* widget)
{
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QAbstractItemView*>(widget) ||
           qobject_cast<const QProgressBar*>(widget) || qobject_cast<const QGraphicsView*>(widget) ||
           qobject_cast<const QTabBar*>(widget);
}

void Collect(const QWidget* parent, QList<QWidget*>& controls)
{
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        // A control its window puts away for now (a table shown in another's place, a chart behind
        // another one's tab) is met once it is shown.
        if (!widget || widget->isWindow() || widget->isHidden())
            continue;
        if (IsControl(widget))
            controls << widget;
        else
            Collect(widget, controls);
    }
}

}  // namespace

QList<QWidget*> ProgramWindows()
{
    return {Page_1, Form2, TabRes, Form3, Abaque, Simulation, Classe};
}

QList<QWidget*> Controls(const QWidget* window)
{
    QList<QWidget*> controls;
    Collect(window, controls);
    return controls;
}
