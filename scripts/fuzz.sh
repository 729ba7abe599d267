#!/bin/sh
# Fuzzes the readers of the MIDI file, the song list, the settings file, the
# lyrics card, the show state, the per-song settings, the lyrics in a song
# and the SysEx files of the instrument set-ups with libFuzzer (clang, ASan +
# UBSan) in build-fuzz/, N seconds each (default 60), and fails when any of
# them finds a fault.
# Usage: scripts/fuzz.sh [seconds] [target...]
#        (targets: midi_file song_list settings lyrics_card show_state song_settings
#         song_lyrics sysex_file)
set -eu
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=${*:-midi_file song_list settings lyrics_card show_state song_settings song_lyrics sysex_file http_request}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
cmake -S "$root" -B "$build" -G Ninja -DKAZOON_BUILD_APP=OFF -DKAZOON_FUZZ=ON \
      -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
build_targets=""
for t in $targets; do
    build_targets="$build_targets fuzz_$t"
done
# shellcheck disable=SC2086
cmake --build "$build" --target $build_targets -j "${KAZOON_JOBS:-2}"

# The song list and settings targets write a file on every run: keep that in
# memory when the system offers a place for it.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

failed=""
for t in $targets; do
    # The committed seeds stay as they are; what the fuzzer finds goes to a
    # work corpus.
    work="$build/corpus/$t"
    mkdir -p "$work"
    echo "fuzz: $t for $seconds s"
    if ! "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -max_len=4096 -timeout=5 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$build/$t-" "$work" "$root/fuzz/corpus/$t"; then
        failed="$failed $t"
    fi
done
if [ -n "$failed" ]; then
    echo "fuzz: failed:$failed" >&2
    exit 1
fi
