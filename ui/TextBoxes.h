// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The program's text boxes: one-line edit boxes and multi-line notes. Both take text of any
// length, pass the focus on with Tab, and come through a paste or a drop that carries nothing:
// an empty clipboard, a selection owned by no one, a drag of empty data.

#include <QLineEdit>
#include <QPlainTextEdit>

class QMimeData;

// Whether pasted or dropped data has anything in it at all. The desktop hands over an empty
// clipboard as data without a single format, which Qt's own multi-line text box reads past the
// end of (it looks at the first format to recognise a Markdown paste).
bool CarriesData(const QMimeData* data);

// A one-line edit box; unlike Qt's default, it never stops the user at 32767 characters.
class TEditBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TEditBox(QWidget* parent);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

// A multi-line text box; Tab and Shift+Tab move the focus instead of typing a tab.
class TMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    TMemo(const QString& text, QWidget* parent);

protected:
    // Every paste, middle-click and drop of the box reaches its text through these two.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};
