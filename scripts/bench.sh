#!/bin/sh
# Builds and runs the benchmark programs; prints one name=value line per figure.
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
export KAZOON_BUILD_DIR=${KAZOON_BUILD_DIR:-$repo/build}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
"$repo/scripts/build.sh" -- kazoon_bench kazoon_bench_show kazoon_bench_clock make_demo
demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
"$KAZOON_BUILD_DIR/tools/demo/make_demo" "$demo" >/dev/null
"$KAZOON_BUILD_DIR/bench/kazoon_bench" "$demo"/*.mid
"$KAZOON_BUILD_DIR/bench/kazoon_bench_show" 2>/dev/null
"$KAZOON_BUILD_DIR/bench/kazoon_bench_clock"
