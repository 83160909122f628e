// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The two dialogs behind the boxes: the program's own message box (a caption, a word-wrapped
// text and one "OK" button, sized from the message font's average letter so that it looks the
// same as the desktop's boxes) and the standard error box, made to fit on its monitor. Both open
// centred on the monitor of the active window and copy themselves as text with Ctrl+C.

#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QRect>

class QLabel;
class QPushButton;
class QScreen;

struct NoticeLayout {
    QRect Text;    // where the wrapped text stands, in client coordinates
    QRect Button;  // the "OK" button
    QSize Client;  // the box's client size
};

// Lays the box out for a text in a font, wrapping at half of the given screen width.
NoticeLayout LayOutNotice(const QFont& font, const QString& text, int screenWidth);

// What Ctrl+C puts on the clipboard: rules of hyphens around the caption, the text and the
// button row, every line ended by CR LF.
QString NoticeClipboardText(const QString& caption, const QString& text);

// The error box's text as it is shown in an area of the given size: lines no wider than the
// area (a word too long for a line is broken where it must be) and no more lines than fit in
// its height, the last shown line ending in "…" when some had to go.
QString FittedText(const QFont& font, const QString& text, QSize area);

class TNoticeBox : public QDialog {
    Q_OBJECT
public:
    TNoticeBox(const QString& caption, const QString& text, QWidget* parent = nullptr);

    QLabel* Message;
    QPushButton* OkButton;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString caption;
    QString text;
};

class TErrorBox : public QMessageBox {
    Q_OBJECT
public:
    TErrorBox(const QString& caption, const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString caption;
    QString text;
    QPointer<QScreen> monitor;
};
