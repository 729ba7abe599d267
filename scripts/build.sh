#!/bin/sh
# Configures and builds Kazoon in build/ (or $KAZOON_BUILD_DIR) with Ninja.
#   scripts/build.sh [cmake options] [-- targets]
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${KAZOON_BUILD_DIR:-$repo/build}
jobs=${KAZOON_JOBS:-2}

options=""
targets=""
while [ $# -gt 0 ]; do
    if [ "$1" = "--" ]; then
        shift
        targets="$*"
        break
    fi
    options="$options $1"
    shift
done

# shellcheck disable=SC2086
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release $options >/dev/null
if [ -n "$targets" ]; then
    # shellcheck disable=SC2086
    cmake --build "$build" -j "$jobs" --target $targets
else
    cmake --build "$build" -j "$jobs"
fi
