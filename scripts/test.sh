#!/bin/sh
# Installs what Kazoon needs, builds it with its tests and runs every test.
# Works without a display, a sound card or MIDI ports.
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
export KAZOON_BUILD_DIR=${KAZOON_BUILD_DIR:-$repo/build}
export QT_QPA_PLATFORM=offscreen

"$repo/scripts/setup.sh"
"$repo/scripts/build.sh"
cd "$KAZOON_BUILD_DIR"
ctest --output-on-failure -j "${KAZOON_JOBS:-2}"
