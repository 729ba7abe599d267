#!/bin/sh
# Builds Kazoon and makes its Debian package (kazoon_<version>_<arch>.deb) in
# build/ (or $KAZOON_BUILD_DIR). Install it with
#   sudo apt install ./build/kazoon_*.deb
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${KAZOON_BUILD_DIR:-$repo/build}
export KAZOON_BUILD_DIR="$build"

"$repo/scripts/setup.sh"
"$repo/scripts/build.sh" -- kazoon
cd "$build"
cpack -G DEB
ls -l "$build"/kazoon_*.deb
