#pragma once
// The X tools the desktop tests drive their own X servers with.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Runs an X tool against the display of `environment`, waiting at most `patience`
// milliseconds; returns what it printed.
QString RunXTool(const QProcessEnvironment& environment, const QString& tool,
                 const QStringList& arguments, int patience);

// The visible window with exactly this title (its id in decimal, as xdotool gives it), or nothing.
QString VisibleWindowTitled(const QProcessEnvironment& environment, const QString& title, int patience);
