// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The X tools the desktop tests drive their own X servers with.

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QSet>
#include <QString>
#include <QStringList>

// Runs an X tool against the display of `environment`, waiting at most `patience`
// milliseconds; returns what it printed.
QString RunXTool(const QProcessEnvironment& environment, const QString& tool,
                 const QStringList& arguments, int patience);

// The visible window with exactly this title (its id in decimal, as xdotool gives it), or nothing.
QString VisibleWindowTitled(const QProcessEnvironment& environment, const QString& title, int patience);

// A window's client area on the screen, as xwininfo gives it.
QRect ClientArea(const QProcessEnvironment& environment, const QString& window, int patience);

// Why a test that needs these tools cannot run here ("xdotool is not installed …"), or nothing.
QString MissingTool(const QStringList& tools);

// Ends a process the test started: asked to end, then killed if it does not.
void EndProcess(QProcess& process, int patience);

// A desktop of the test's own: an X server (Xvfb) and, on it, a window manager (openbox). Both
// end with it.
class TestDesktop {
public:
    explicit TestDesktop(int patience) : patience(patience) {}
    ~TestDesktop();
    TestDesktop(const TestDesktop&) = delete;
    TestDesktop& operator=(const TestDesktop&) = delete;

    // Each returns why it could not start, or nothing. The server's screen is `size` pixels,
    // as "1024x768".
    QString StartServer(const QString& size);
    QString StartWindowManager();

    QString Run(const QString& tool, const QStringList& arguments) const
    {
        return RunXTool(Environment, tool, arguments, patience);
    }
    QString WindowTitled(const QString& title) const { return VisibleWindowTitled(Environment, title, patience); }
    // A left click at a place of a window's client area, the pointer moved there as a user's.
    void ClickAt(const QString& window, QPoint client) const;
    // A turn of the mouse wheel there, `steps` notches towards the user (a tab bar: the next tabs).
    void WheelAt(const QString& window, QPoint client, int steps) const;

    // The visible window of that title once it shows (patience milliseconds at most), or nothing.
    QString AwaitWindow(const QString& title) const;
    // Whether no window of that title shows any more, within patience.
    bool AwaitGone(const QString& title) const;
    // The window made the active one, as a click on its title bar does: the keys go to it.
    void Activate(const QString& window) const;
    // Keys pressed together, as xdotool names them: "alt+v", "Return".
    void Key(const QString& keys) const;
    // Text typed on the keyboard. Characters the server's keyboard lacks ("é", "â") are first given
    // spare keys of their own for good: a key lent for one press only, as xdotool would, can come
    // back to its old character before the program reads the press.
    void Type(const QString& text);
    // A click in the edit box at that place of the window, all its text selected and typed over.
    void TypeInto(const QString& window, QPoint box, const QString& text);
    // Answers the file dialog titled `title` as a user does: the files' paths typed in its name box
    // (several each in quotes), then Return. False unless the dialog showed and went.
    bool ChooseFiles(const QString& title, const QStringList& files);
    // What the window puts on the clipboard at Ctrl+C (a message box: its caption and its text),
    // read with xclip; nothing unless the clipboard changes within patience.
    QString CopiedText(const QString& window) const;
    // The window's client area as the screen shows it (import), or a null image.
    QImage Picture(const QString& window) const;
    // The window's picture once it differs from `before` and two pictures in a row agree: what the
    // window shows once it has answered a key or a click. A null image if it never settles.
    QImage AwaitNewPicture(const QString& window, const QImage& before) const;

    // The system's environment with the server's display, once it has started.
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();

private:
    int patience;
    QSet<QChar> keyedCharacters;
    QProcess server;
    QProcess windowManager;
};
