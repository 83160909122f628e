// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/NoticeBox.h"

#include "ui/ApplicationFrame.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace {

const QString okCaption = QStringLiteral("OK");

int Scaled(int unit, int numerator, int denominator)
{
    return static_cast<int>(std::lround(double(unit) * numerator / denominator));
}

int TextFlags() { return Qt::TextWordWrap | Qt::TextExpandTabs | Qt::AlignLeft | Qt::AlignTop; }

// The frame that the window manager draws is not known before a box is first shown: the box
// is centred by its client area.
void CentreOn(QWidget* box, const QScreen* monitor)
{
    QRect client(QPoint(0, 0), box->size());
    client.moveCenter(monitor->availableGeometry().center());
    box->setGeometry(client);
}

void CopyAsText(const QString& caption, const QString& text)
{
    QApplication::beep();
    QApplication::clipboard()->setText(NoticeClipboardText(caption, text));
}

}  // namespace

QString FittedText(const QFont& font, const QString& text, QSize area)
{
    QString laidOut = text;
    laidOut.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(laidOut, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(area.width());
        QString shown = laidOut.mid(line.textStart(), line.textLength());
        while (!shown.isEmpty() && (shown.back().isSpace() || shown.back() == QChar::LineSeparator))
            shown.chop(1);
        lines << shown;
    }
    layout.endLayout();
    if (lines.size() <= 1)
        return text;

    const QFontMetrics metrics(font);
    const qsizetype maxLines = std::max(1, area.height() / metrics.lineSpacing());
    if (lines.size() > maxLines) {
        lines.resize(maxLines);
        const QString ellipsis = QStringLiteral("…");
        QString& last = lines.back();
        while (!last.isEmpty() && metrics.horizontalAdvance(last + ellipsis) > area.width())
            last.chop(last.size() > 1 && last.back().isLowSurrogate() ? 2 : 1);
        last += ellipsis;
    }
    return lines.join(QLatin1Char('\n'));
}

NoticeLayout LayOutNotice(const QFont& font, const QString& text, int screenWidth)
{
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int h = metrics.horizontalAdvance(letters) / 52;
    const int v = metrics.height();

    const int marginX = Scaled(h, 8, 4);
    const int marginY = Scaled(v, 8, 8);
    const int spacingY = Scaled(v, 10, 8);
    const int buttonHeight = Scaled(v, 14, 8);
    const int buttonWidth = std::max(Scaled(h, 50, 4), metrics.horizontalAdvance(okCaption) + 8);

    const QRect wrapped = metrics.boundingRect(QRect(0, 0, screenWidth / 2, 0), TextFlags(), text);
    const int contentWidth = std::max(wrapped.width(), buttonWidth);

    NoticeLayout layout;
    layout.Text = QRect(marginX, marginY, wrapped.width(), wrapped.height());
    layout.Client = QSize(contentWidth + 2 * marginX,
                          wrapped.height() + spacingY + buttonHeight + 2 * marginY);
    layout.Button = QRect((layout.Client.width() - buttonWidth) / 2,
                          marginY + wrapped.height() + spacingY, buttonWidth, buttonHeight);
    return layout;
}

QString NoticeClipboardText(const QString& caption, const QString& text)
{
    const QString rule(27, QLatin1Char('-'));
    const QString eol = QStringLiteral("\r\n");
    QString buttons = okCaption;
    buttons.remove(QLatin1Char('&'));
    return rule + eol + caption + eol + rule + eol + text + eol + rule + eol + buttons +
           QStringLiteral("   ") + eol + rule + eol;
}

TNoticeBox::TNoticeBox(const QString& caption, const QString& text, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      caption(caption), text(text)
{
    setWindowTitle(caption);
    setModal(true);
    const QFont font = QApplication::font("QMessageBox");
    setFont(font);

    const QScreen* screen = ActiveMonitor();
    const NoticeLayout layout = LayOutNotice(font, text, screen->geometry().width());

    Message = new QLabel(text, this);
    Message->setWordWrap(true);
    Message->setTextFormat(Qt::PlainText);
    Message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Message->setGeometry(layout.Text);

    OkButton = new QPushButton(okCaption, this);
    OkButton->setGeometry(layout.Button);
    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(layout.Client);
    CentreOn(this, screen);
}

void TNoticeBox::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        CopyAsText(caption, text);
        return;
    }
    QDialog::keyPressEvent(event);
}

TErrorBox::TErrorBox(const QString& caption, const QString& text)
    : QMessageBox(QMessageBox::Critical, caption, QString(), QMessageBox::Ok),
      caption(caption), text(text), monitor(ActiveMonitor())
{
    setScreen(monitor);
    setTextFormat(Qt::PlainText);
    // Past half its monitor's width (500 pixels at most) the standard box wraps its text on its
    // own, and a word too long for a line is then cut; it never limits its height. The text is
    // laid out here instead, in the width that the box keeps beside its icon and in the height
    // that its monitor leaves above the button row and the title bar.
    const QRect available = monitor->availableGeometry();
    const int icon = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    // On a very small monitor the box cannot fit whatever is done: it keeps a readable width.
    const QSize area(std::max(std::min(available.width() / 2, 500) - icon - 60, 120),
                     std::max(available.height() - 160, 0));
    const auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    setText(FittedText(label ? label->font() : font(), text, area));
}

void TErrorBox::showEvent(QShowEvent* event)
{
    QMessageBox::showEvent(event);  // the box takes its size here
    CentreOn(this, monitor ? monitor.get() : screen());
}

void TErrorBox::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        CopyAsText(caption, text);
        return;
    }
    QMessageBox::keyPressEvent(event);
}
