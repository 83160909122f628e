#pragma once
// The program's own message box: a caption, a word-wrapped text and one "OK" button, sized
// from the message font's average letter so that it looks the same as the desktop's boxes.

#include <QDialog>
#include <QRect>

class QLabel;
class QPushButton;

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
