// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The dispatch guard. Every handler of every window runs through it: an error ends the handler
// at the failing step, what it already changed stays changed, and the error box reports it.
// No exception ever crosses a Qt frame.

#include <functional>

enum class HandlerKind {
    Input,  // click, change, mouse, show: the error box opens at once
    Paint,  // inside paintEvent no modal box may open: the error is reported once the paint is over
};

void RunHandler(const std::function<void()>& handler, HandlerKind kind = HandlerKind::Input);

// A slot that runs a window's handler through the guard:
//   connect(BtnDessine, &QPushButton::clicked, this, Guarded(this, &TPage_1::BtnDessineClick));
template <class Window>
auto Guarded(Window* window, void (Window::*handler)())
{
    return [window, handler] { RunHandler([window, handler] { (window->*handler)(); }); };
}
