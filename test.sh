#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Projet Sondelio
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs what is missing, builds Sondelio and runs the whole test suite headless.
#   ./test.sh             Release build
#   ./test.sh --sanitize  the same suite built with AddressSanitizer and UBSan
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$top/build/test"
options=(-DCMAKE_BUILD_TYPE=Release)
if [ "${1:-}" = "--sanitize" ]; then
  build="$top/build/sanitize"
  options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DSONDELIO_SANITIZE=ON)
fi
"$top/setup/install-packages.sh"
cmake -S "$top" -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" -j2
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
