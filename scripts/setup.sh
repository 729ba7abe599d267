#!/bin/sh
# Installs the Debian 12 packages that Kazoon needs to build, test and run.
# Runs apt-get through sudo unless it already runs as root.
set -eu

PACKAGES="qt6-base-dev libfluidsynth-dev librtmidi-dev timgm6mb-soundfont
fonts-ipafont-gothic fonts-ipafont-mincho qt6-translations-l10n libgtest-dev libgmock-dev libbenchmark-dev
cmake ninja-build g++ pkg-config ccache clang libclang-rt-14-dev dpkg-dev
qt6-websockets-dev libqrencode-dev chromium dbus-daemon"

if [ "$(id -u)" -eq 0 ]; then
    as_root=""
else
    as_root="sudo"
fi

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
if [ -z "$missing" ]; then
    echo "setup: all packages are installed"
    exit 0
fi

echo "setup: installing$missing"
$as_root env DEBIAN_FRONTEND=noninteractive apt-get update
# shellcheck disable=SC2086
$as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $PACKAGES
