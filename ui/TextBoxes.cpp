// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/TextBoxes.h"

#include <QDropEvent>
#include <QMimeData>
#include <limits>

bool CarriesData(const QMimeData* data)
{
    return data && !data->formats().isEmpty();
}

TEditBox::TEditBox(QWidget* parent) : QLineEdit(parent)
{
    setMaxLength(std::numeric_limits<int>::max());
}

// Qt's edit box reads a drag's data without asking whether there is any.
void TEditBox::dragEnterEvent(QDragEnterEvent* event)
{
    if (CarriesData(event->mimeData()))
        QLineEdit::dragEnterEvent(event);
    else
        event->ignore();
}

void TEditBox::dragMoveEvent(QDragMoveEvent* event)
{
    if (CarriesData(event->mimeData()))
        QLineEdit::dragMoveEvent(event);
    else
        event->ignore();
}

void TEditBox::dropEvent(QDropEvent* event)
{
    if (CarriesData(event->mimeData()))
        QLineEdit::dropEvent(event);
    else
        event->ignore();
}

TMemo::TMemo(const QString& text, QWidget* parent) : QPlainTextEdit(text, parent)
{
    setTabChangesFocus(true);
}

bool TMemo::canInsertFromMimeData(const QMimeData* source) const
{
    return CarriesData(source) && QPlainTextEdit::canInsertFromMimeData(source);
}

void TMemo::insertFromMimeData(const QMimeData* source)
{
    if (CarriesData(source))
        QPlainTextEdit::insertFromMimeData(source);
}
