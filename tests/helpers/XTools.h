// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The X tools the desktop tests drive their own X servers with.

#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
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

    // The system's environment with the server's display, once it has started.
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();

private:
    int patience;
    QProcess server;
    QProcess windowManager;
};
