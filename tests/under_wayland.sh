#!/bin/sh
# SPDX-FileCopyrightText: 2026 Projet Sondelio
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs a test program on Wayland: a compositor of its own (weston, headless back end) and Qt's
# Wayland platform. Exits 77, which ctest counts as skipped, where either cannot start.
#   under_wayland.sh PROGRAM [ARGUMENTS...]
set -u
command -v weston >/dev/null 2>&1 || { echo "skipped: weston is not installed"; exit 77; }
runtime=$(mktemp -d)
trap 'kill "$compositor" 2>/dev/null; wait "$compositor" 2>/dev/null; rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR="$runtime"
# An output large enough for every window's design (the headless one is 1024 x 640 unless told):
# the map window keeps its layout and its map at its designed size, as the tests read them.
weston --backend=headless-backend.so --socket=sondelio --idle-time=0 --width=1920 --height=1200 \
  >"$runtime/weston.log" 2>&1 &
compositor=$!
for _ in $(seq 50); do
  [ -S "$runtime/sondelio" ] && break
  sleep 0.1
done
[ -S "$runtime/sondelio" ] || { echo "skipped: weston did not start"; cat "$runtime/weston.log"; exit 77; }
# The headless compositor has no keyboard: Qt's Wayland text input would then fail on the first
# key a test types, where a real session has one. The test types without an input method.
WAYLAND_DISPLAY=sondelio QT_QPA_PLATFORM=wayland QT_IM_MODULE=none "$@"
