#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Projet Sondelio
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds a fuzz target (clang, libFuzzer, AddressSanitizer, UBSan) and runs it for the given
# number of seconds on one core, starting from its kept corpus. Afterwards the kept corpus is
# replaced by the minimal set of inputs that covers everything found so far, plus the hand-made
# inputs (edge-*: for the BMP reader, the values at the edges of the header's fields; for the
# structural checks, small pictures of each format, whole and cut; for the decoding at an
# eighth, small JPEGs of each layout; for the survey reader, files the writer makes and hostile
# ones).
#   fuzz/run.sh [SECONDS]            the BMP reader, default 60 seconds
#   fuzz/run.sh bitmap|structure|jpeg|survey [SECONDS]
set -euo pipefail
target=bitmap
case "${1:-}" in
  bitmap|structure|jpeg|survey) target="$1"; shift ;;
esac
seconds="${1:-60}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(dirname "$here")"
build="$top/build/fuzz"

# Small inputs reach every branch of a reader; the dictionary brings in the values at the edges
# of the header's fields, or the survey file's keys.
if [ "$target" = bitmap ]; then
  corpus="$here/corpus"; max_len=4096; dict="$here/bmp.dict"
elif [ "$target" = structure ]; then
  corpus="$here/corpus-structure"; max_len=4096; dict="$here/structure.dict"
elif [ "$target" = jpeg ]; then
  corpus="$here/corpus-jpeg"; max_len=8192; dict="$here/structure.dict"
else
  corpus="$here/corpus-survey"; max_len=16384; dict="$here/survey.dict"
fi

"$top/setup/install-packages.sh" clang libclang-rt-14-dev
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target "fuzz_$target"

found="$build/found-$target"
mkdir -p "$found" "$build/artifacts-$target"
cd "$build"
# A long time limit per input catches hangs.
"./fuzz_$target" -max_total_time="$seconds" -jobs=1 -workers=1 -max_len="$max_len" -timeout=10 \
  -dict="$dict" \
  -rss_limit_mb=2048 -artifact_prefix="$build/artifacts-$target/" -print_final_stats=1 \
  "$found" "$corpus" || status=$?
cat fuzz-0.log 2>/dev/null | tail -n 20 || true

# The hand-made inputs (edge-*) are kept whatever they cover.
minimal="$build/minimal-$target"
rm -rf "$minimal" && mkdir -p "$minimal"
cp "$corpus"/edge-* "$minimal/"
"./fuzz_$target" -merge=1 -max_len="$max_len" "$minimal" "$corpus" "$found" >/dev/null 2>&1
rm -f "$corpus"/*
cp "$minimal"/* "$corpus/"
echo "corpus: $(ls "$corpus" | wc -l) inputs, $(du -sh "$corpus" | cut -f1)"
ls "$build/artifacts-$target"
exit "${status:-0}"
