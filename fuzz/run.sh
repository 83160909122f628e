#!/usr/bin/env bash
# Builds the BMP reader's fuzz target (clang, libFuzzer, AddressSanitizer, UBSan) and runs it
# for the given number of seconds on one core, starting from the kept corpus. Afterwards the
# kept corpus is replaced by the minimal set of inputs that covers everything found so far, plus
# the hand-made inputs at the edges of the header's fields (edge-*).
#   fuzz/run.sh [SECONDS]      default 60
set -euo pipefail
seconds="${1:-60}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(dirname "$here")"
build="$top/build/fuzz"

"$top/setup/install-packages.sh" clang libclang-rt-14-dev
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

found="$build/found"
mkdir -p "$found" "$build/artifacts"
cd "$build"
# Small inputs reach every branch of the reader; a long time limit per input catches hangs; the
# dictionary brings in the values at the edges of the header's fields.
./fuzz_bitmap -max_total_time="$seconds" -jobs=1 -workers=1 -max_len=4096 -timeout=10 \
  -dict="$here/bmp.dict" \
  -rss_limit_mb=2048 -artifact_prefix="$build/artifacts/" -print_final_stats=1 \
  "$found" "$here/corpus" || status=$?
cat fuzz-0.log 2>/dev/null | tail -n 20 || true

# The hand-made inputs at the edges of the fields (edge-*) are kept whatever they cover.
minimal="$build/minimal"
rm -rf "$minimal" && mkdir -p "$minimal"
cp "$here"/corpus/edge-* "$minimal/"
./fuzz_bitmap -merge=1 -max_len=4096 "$minimal" "$here/corpus" "$found" >/dev/null 2>&1
rm -f "$here"/corpus/*
cp "$minimal"/* "$here/corpus/"
echo "corpus: $(ls "$here/corpus" | wc -l) inputs, $(du -sh "$here/corpus" | cut -f1)"
ls "$build/artifacts"
exit "${status:-0}"
