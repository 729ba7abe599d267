#!/bin/sh
# Fuzzes the MIDI file reader for N seconds (default 60) in build-fuzz.
# Usage: scripts/fuzz.sh [seconds]
set -eu
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
cmake -S "$root" -B "$build" -G Ninja -DKAZOON_BUILD_APP=OFF -DKAZOON_FUZZ=ON \
      -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzz_midi_file -j 2
# The committed seeds stay as they are; what the fuzzer finds goes to a work corpus.
work="$build/corpus"
mkdir -p "$work"
"$build/fuzz/fuzz_midi_file" -max_total_time="$seconds" -max_len=4096 -timeout=5 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/" "$work" "$root/fuzz/corpus"
