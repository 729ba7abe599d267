#!/bin/sh
# Installs what Kazoon needs, builds it, prepares the demo song list and
# starts the program.
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
export KAZOON_BUILD_DIR=${KAZOON_BUILD_DIR:-$repo/build}

"$repo/scripts/setup.sh"
"$repo/scripts/build.sh" -- kazoon

# The demo songs and their song list. Kazoon starts in their folder, so the
# open dialog (Ctrl+O) shows demo.mnu at once.
if list=$("$repo/scripts/make-demo.sh"); then
    echo "Demo song list: $list (open it with ファイル > 曲リストを開く, Ctrl+O, then press Enter)"
    cd "$(dirname "$list")"
else
    echo "The demo songs could not be made; Kazoon starts without them."
fi

exec "$KAZOON_BUILD_DIR/kazoon"
