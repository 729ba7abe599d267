#!/bin/sh
# Installs what Kazoon needs, builds it with its tests and runs every test.
# Works without a display, a sound card or MIDI ports.
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
export KAZOON_BUILD_DIR=${KAZOON_BUILD_DIR:-$repo/build}
export QT_QPA_PLATFORM=offscreen

"$repo/scripts/setup.sh"
"$repo/scripts/build.sh"

# A short fuzzing run of each reader (MIDI file, song list, settings, lyrics
# card; clang, ASan + UBSan); the test summary comes last.
fuzzlog="$KAZOON_BUILD_DIR/fuzz.log"
if ! "$repo/scripts/fuzz.sh" "${KAZOON_FUZZ_SECONDS:-5}" >"$fuzzlog" 2>&1; then
    tail -n 60 "$fuzzlog"
    echo "test: fuzzing failed" >&2
    exit 1
fi
grep -E '^(fuzz: |stat::number_of_executed_units|Done)' "$fuzzlog" || tail -n 5 "$fuzzlog"

cd "$KAZOON_BUILD_DIR"
ctest --output-on-failure -j "${KAZOON_JOBS:-2}"
