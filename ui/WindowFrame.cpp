// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/WindowFrame.h"

#include "ui/Artwork.h"
#include "ui/WindowFit.h"

#include <QAbstractItemView>
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QShortcut>

void SetUpWindow(QWidget* window, const QString& caption, int left, int top, int outerWidth,
                 int outerHeight, const QFont& font, const QColor& textColour)
{
    window->setWindowTitle(caption);
    window->setWindowIcon(ApplicationIcon());
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    palette.setColor(QPalette::WindowText, textColour);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    window->setFont(font);
    const QSize client(outerWidth - FrameLeft - FrameRight, outerHeight - FrameTop - FrameBottom);
    SetDesignedClientSize(window, client);
    window->resize(client);
    window->move(left, top);
    window->hide();
}

QFont PixelFont(const QString& family, int pixelHeight, bool bold)
{
    QFont font(family);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

void SetTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

QLabel* MakeLabel(QWidget* parent, const QString& text, int left, int top, const QFont& font,
                  const QColor& textColour, int designedWidth)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    QFont fitted = font;
    const int naturalWidth = QFontMetrics(font).horizontalAdvance(text);
    if (designedWidth > 0 && naturalWidth > designedWidth && text.size() > 1)
        fitted.setLetterSpacing(QFont::AbsoluteSpacing,
                                qreal(designedWidth - naturalWidth) / (text.size() - 1));
    label->setFont(fitted);
    SetTextColour(label, textColour);
    label->move(left, top);
    label->adjustSize();
    return label;
}

void NameAfter(QWidget* control, const QLabel* label)
{
    QString name;
    const QString text = label->text();
    for (qsizetype i = 0; i < text.size(); ++i) {
        // "&&" stands for one '&'; a lone '&' marks the mnemonic's letter.
        if (text[i] == QLatin1Char('&') && ++i == text.size())
            break;
        name += text[i];
    }
    control->setAccessibleName(name.trimmed());
}

void SetToolTip(QWidget* control, const QString& tip)
{
    control->setToolTip(tip);
    control->setAccessibleDescription(tip);
}

TCloseButton::TCloseButton(QWidget* window, const QString& caption, int left, int top, int width,
                           int height)
    : QPushButton(caption, window)
{
    setIcon(CloseGlyph());
    setIconSize(CloseGlyph().size());
    setGeometry(left, top, width, height);
    connect(this, &QPushButton::clicked, window, &QWidget::close);
    AddMnemonicKeys(this);
}

void AddMnemonicKeys(QAbstractButton* button)
{
    // Alt+letter comes with the '&' of the caption. The letter alone must also press the
    // button, in either case, but an edit box keeps it as typed text: line and text edits
    // claim printable keys before any shortcut sees them.
    const QString caption = button->text();
    const qsizetype amp = caption.indexOf(QLatin1Char('&'));
    if (amp < 0 || amp + 1 >= caption.size())
        return;
    QWidget* window = button->window();
    const QChar letter = caption[amp + 1].toUpper();
    // Alt with Shift presses it as Alt alone does; an edit box must not take it as a capital.
    auto* altShift = new QShortcut(QKeySequence(Qt::ALT | Qt::SHIFT | letter.unicode()), window);
    altShift->setContext(Qt::WindowShortcut);
    QObject::connect(altShift, &QShortcut::activated, button, &QAbstractButton::animateClick);
    for (const QKeySequence& key :
         {QKeySequence(letter.unicode()), QKeySequence(Qt::SHIFT | letter.unicode())}) {
        auto* shortcut = new QShortcut(key, window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, button, [button] {
            QWidget* focus = QApplication::focusWidget();
            if (qobject_cast<QAbstractButton*>(focus) || qobject_cast<QAbstractItemView*>(focus))
                button->click();
        });
    }
}
