#!/bin/sh
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-sanitize/ and runs the whole test suite there, with leak checking: a
# leak fails the test that makes it, and a write through a reference to a
# returned frame fails it too. scripts/lsan.supp names the one toolkit
# allocation that is left behind on purpose.
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
export KAZOON_BUILD_DIR=${KAZOON_BUILD_DIR:-$repo/build-sanitize}
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:detect_stack_use_after_return=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$repo/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

"$repo/scripts/setup.sh"
"$repo/scripts/build.sh" -DKAZOON_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
cd "$KAZOON_BUILD_DIR"
ctest --output-on-failure -j "${KAZOON_JOBS:-2}"
