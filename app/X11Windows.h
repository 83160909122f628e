// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What Qt has no word for on an X11 desktop, asked of the window manager itself: a window that
// belongs to another has no task-bar entry of its own, stays above its owner and goes with it.
// Under any other platform (Wayland, the headless one) nothing is asked.

class QWidget;

// `window`, a top-level window whose parent widget is its owner, belongs to that owner on an X11
// desktop from its next showing on.
void BelongToParentOnX11(QWidget* window);
