#pragma once
// The application object: its title, its start-up settings, how one window shows another and
// how the program ends.

#include <QList>
#include <QRect>
#include <QString>
#include <functional>

class QApplication;
class QScreen;
class QWidget;

// The title from an executable's path: folder dropped, name cut at its first full stop, the
// first character in upper case and every other in lower case (sondelio gives Sondelio).
QString TitleFromExecutable(const QString& path);

// The caption of both boxes and the label of the program's task-bar entry.
QString ApplicationTitle();

// Start-up settings: the title, the regional decimal separator (read again whenever the
// desktop announces changed settings), the mapping of the layouts' font faces to installed ones.
void SetUpApplication(QApplication& application);

// Shows a window. A hidden one runs its show handler first (an error there is reported and
// the showing goes on) and appears where it was last, moved onto the monitor of the active
// window if it was on another; in every case it comes to the front and becomes the active
// window.
void ShowWindow(QWidget* window, const std::function<void()>& showHandler = {});

// The monitor that holds the active window (the primary one when no window is active): the
// boxes open there, whichever monitor the pointer is on.
QScreen* ActiveMonitor();

// Where a window (its outer rectangle) goes when it is shown while the active window is on the
// monitor `activeMonitor`: it keeps its offset from the top-left corner of the monitor that
// holds it (the one under its top-left corner, else the one it overlaps most), now from the
// active monitor's. A window on no monitor, or on the active one, stays where it is.
QPoint PlaceOnMonitor(const QRect& window, const QList<QRect>& monitors, const QRect& activeMonitor);

// Closing the main window ends the program: every window disappears and the event loop stops.
void Terminate();
bool Terminated();
