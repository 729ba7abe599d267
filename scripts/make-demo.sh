#!/bin/sh
# Builds the demo song generator and writes the demo songs and demo.mnu.
#   scripts/make-demo.sh [folder]
# folder defaults to ~/.local/share/kazoon/demo; the build directory to
# build/ in the repository (KAZOON_BUILD_DIR overrides it).
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${KAZOON_BUILD_DIR:-$repo/build}
out=${1:-${XDG_DATA_HOME:-$HOME/.local/share}/kazoon/demo}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$repo" -B "$build" >/dev/null
fi
cmake --build "$build" --target make_demo -j2 >/dev/null
list=$("$build/tools/demo/make_demo" "$out")
echo "$list"
