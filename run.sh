#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Projet Sondelio
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs what is missing, builds Sondelio in Release and starts it in its run folder,
# where the data files that go with the program are placed by the build.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$top/setup/install-packages.sh"
cmake -S "$top" -B "$top/build/release" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build/release" -j2
cd "$top/build/release/run"
exec ./sondelio
