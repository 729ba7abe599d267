#!/bin/sh
# Builds the Debian package from a build folder with CPack into a temporary
# folder and checks its file list and its dependencies, without installing it.
#   check-deb.sh <build folder> <source folder>
set -eu
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "check-deb: $*" >&2
    exit 1
}

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    fail "cpack failed"
}
deb=$(ls "$work"/*.deb)
[ "$(echo "$deb" | wc -l)" -eq 1 ] || fail "expected one package, got: $deb"

dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$work/files"
for f in /usr/bin/kazoon /usr/share/kazoon/help/index.html /usr/share/applications/kazoon.desktop \
         /usr/share/metainfo/kazoon.metainfo.xml \
         /usr/share/icons/hicolor/16x16/apps/kazoon.png /usr/share/icons/hicolor/32x32/apps/kazoon.png \
         /usr/share/icons/hicolor/48x48/apps/kazoon.png /usr/share/icons/hicolor/64x64/apps/kazoon.png \
         /usr/share/icons/hicolor/128x128/apps/kazoon.png; do
    grep -qx "$f" "$work/files" || fail "$f is missing from the package"
done
# Everything lives under /usr; the bin folder holds the program alone.
if grep -v '^/usr/' "$work/files" | grep -qvx '/'; then
    fail "files outside /usr: $(grep -v '^/usr/' "$work/files" | grep -vx '/')"
fi
if grep '^/usr/bin/.' "$work/files" | grep -qvx '/usr/bin/kazoon'; then
    fail "more than the program in /usr/bin: $(grep '^/usr/bin/.' "$work/files")"
fi

[ "$(dpkg-deb -f "$deb" Package)" = kazoon ] || fail "wrong package name"
depends=$(dpkg-deb -f "$deb" Depends)
# The libraries the program links, found by dpkg-shlibdeps, and the SoundFont.
for p in libqt6widgets6 libqt6gui6 libqt6core6 libfluidsynth3 librtmidi 'libc6 ' 'timgm6mb-soundfont | fluid-soundfont-gm'; do
    case "$depends" in
    *"$p"*) ;;
    *) fail "Depends lacks $p: $depends" ;;
    esac
done

# The metainfo file is checked when the tool for it is there; no network.
if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate --no-net --override=cid-desktopapp-is-not-rdns=info \
        "$source/resources/kazoon.metainfo.xml" >"$work/appstream.log" 2>&1 || {
        cat "$work/appstream.log"
        fail "the metainfo file is not valid"
    }
fi
echo "check-deb: $(basename "$deb"), $(stat -c %s "$deb") bytes"
echo "Depends: $depends"
