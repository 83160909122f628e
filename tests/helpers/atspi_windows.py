#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Projet Sondelio
# SPDX-License-Identifier: GPL-3.0-or-later

"""What a screen reader finds of a program on the desktop's accessibility bus (AT-SPI).

    atspi_windows.py APPLICATION

Prints one JSON object a line for each window of the application that shows:
{"name", "extents", "controls": [...]}, each control {"role", "name", "description", "text",
"extents", "reached"}. Extents are [x, y, width, height] on the desktop, in the units the toolkit
gives them; "text" is what a box holds, empty for other controls; "reached" tells whether the
point at the control's middle, looked up from its window down as a screen reader or a press
does, lands on the control or a part of it. Exits with status 2 when the application is not on the bus.
"""

import json
import sys

import pyatspi

# What a user presses, types into, reads from or picks in; not the parts a control is made of
# (a grid's cells, a list's items, scroll bars).
CONTROL_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON,
    pyatspi.ROLE_TOGGLE_BUTTON,
    pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON,
    pyatspi.ROLE_TEXT,
    pyatspi.ROLE_ENTRY,
    pyatspi.ROLE_PASSWORD_TEXT,
    pyatspi.ROLE_TABLE,
    pyatspi.ROLE_LIST,
    pyatspi.ROLE_LIST_BOX,
    pyatspi.ROLE_TREE,
    pyatspi.ROLE_PROGRESS_BAR,
    pyatspi.ROLE_COMBO_BOX,
    pyatspi.ROLE_SPIN_BUTTON,
    pyatspi.ROLE_SLIDER,
    pyatspi.ROLE_CHART,
    pyatspi.ROLE_CANVAS,
}


def extents(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return [box.x, box.y, box.width, box.height]


def text(node):
    try:
        return node.queryText().getText(0, -1)
    except NotImplementedError:
        return ""


def same(a, b):
    return a.getRole() == b.getRole() and a.name == b.name and extents(a) == extents(b)


def reached(window, control):
    """Whether what lies at the control's middle, found from its window down, is the control or
    a part of it (the page of a note, the viewport of a grid)."""
    x, y, width, height = extents(control)
    at = window
    for _ in range(32):
        child = at.queryComponent().getAccessibleAtPoint(x + width // 2, y + height // 2, pyatspi.DESKTOP_COORDS)
        if child is None or same(child, at):
            break
        at = child
    while at is not None and not same(at, window):
        if same(at, control):
            return True
        at = at.parent
    return False


def controls(window, node, found):
    for child in node:
        if child is None or not child.getState().contains(pyatspi.STATE_SHOWING):
            continue
        if child.getRole() in CONTROL_ROLES:
            found.append({
                "role": child.getRoleName(),
                "name": child.name,
                "description": child.description,
                "text": text(child),
                "extents": extents(child),
                "reached": reached(window, child),
            })
        else:
            controls(window, child, found)
    return found


def main():
    wanted = sys.argv[1]
    for application in pyatspi.Registry.getDesktop(0):
        if application is None or application.name != wanted:
            continue
        for window in application:
            if window is None or not window.getState().contains(pyatspi.STATE_SHOWING):
                continue
            print(json.dumps({
                "name": window.name,
                "extents": extents(window),
                "controls": controls(window, window, []),
            }, ensure_ascii=False))
        return 0
    return 2


if __name__ == "__main__":
    sys.exit(main())
