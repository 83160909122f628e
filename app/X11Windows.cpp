// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/X11Windows.h"

#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_connection_t* X11Connection()
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !x11)
        return nullptr;
    return x11->connection();
}

// Qt has no word for "no task-bar entry": on X11 the window asks for it with the EWMH state
// _NET_WM_STATE_SKIP_TASKBAR, set on the window before each mapping (a window manager drops a
// withdrawn window's states, and Qt adds its own to those it finds).
void AskForNoTaskBarEntry(xcb_connection_t* connection, xcb_window_t window)
{
    const xcb_atom_t state = Atom(connection, "_NET_WM_STATE");
    const xcb_atom_t skipTaskBar = Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    if (state == XCB_ATOM_NONE || skipTaskBar == XCB_ATOM_NONE)
        return;
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, window, state, XCB_ATOM_ATOM, 0, 1024);
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    if (reply && reply->format == 32) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        for (int i = 0; i < xcb_get_property_value_length(reply.get()) / 4; ++i)
            if (atoms[i] == skipTaskBar)
                return;
    }
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, window, state, XCB_ATOM_ATOM, 32, 1,
                        &skipTaskBar);
}

// Qt makes only dialogs and tools transient for their parent, and clears WM_TRANSIENT_FOR of
// any other window each time it shows one: the property is set once Qt's showing is over.
// A window manager follows a change of it on a window it already manages.
void MarkTransientFor(xcb_connection_t* connection, xcb_window_t window, xcb_window_t owner)
{
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_TRANSIENT_FOR,
                        XCB_ATOM_WINDOW, 32, 1, &owner);
    xcb_flush(connection);
}

class BelongingToParent : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Sent between the making of the native window and its mapping; a spontaneous one
        // only tells of a restoring.
        xcb_connection_t* connection = X11Connection();
        if (event->type() != QEvent::Show || event->spontaneous() || !connection)
            return false;
        auto* window = static_cast<QWidget*>(watched);
        AskForNoTaskBarEntry(connection, xcb_window_t(window->winId()));
        QTimer::singleShot(0, window, [connection, window] {
            if (const QWidget* owner = window->parentWidget())
                MarkTransientFor(connection, xcb_window_t(window->winId()), xcb_window_t(owner->winId()));
        });
        return false;
    }
};

}  // namespace

void BelongToParentOnX11(QWidget* window)
{
    window->installEventFilter(new BelongingToParent(window));
}
