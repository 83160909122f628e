#include "app/NoticeBox.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <cmath>

namespace {

const QString okCaption = QStringLiteral("OK");

int Scaled(int unit, int numerator, int denominator)
{
    return static_cast<int>(std::lround(double(unit) * numerator / denominator));
}

int TextFlags() { return Qt::TextWordWrap | Qt::TextExpandTabs | Qt::AlignLeft | Qt::AlignTop; }

}  // namespace

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

    QScreen* screen = QApplication::activeWindow() ? QApplication::activeWindow()->screen()
                                                   : QApplication::primaryScreen();
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
    QRect frame(QPoint(0, 0), layout.Client);
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
}

void TNoticeBox::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        QApplication::beep();
        QApplication::clipboard()->setText(NoticeClipboardText(caption, text));
        return;
    }
    QDialog::keyPressEvent(event);
}
