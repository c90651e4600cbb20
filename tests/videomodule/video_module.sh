#!/usr/bin/env bash
# FFmpeg only when a video is made: neither program links it, an MP4 dive
# loads it through the module, and with the module hidden or unloadable both
# programs still start and draw, and say what to install, or that the module
# is damaged or another version's. Run under scripts/with-xvfb.sh.
# Usage: video_module.sh LEVYC LEVYC_RENDER MODULE UNLOADABLE_MODULE STALE_MODULE UNVERSIONED_MODULE OUTPUT_DIR
set -euo pipefail

levyc=$1
levyc_render=$2
module=$3
unloadable=$4
stale=$5
unversioned=$6
out=$7
rm -rf "$out"
mkdir -p "$out"
# shellcheck source=../e2e/lib.sh
source "$(dirname "$0")/../e2e/lib.sh"

ffmpeg='lib(av|sw)[a-z]*\.so'
for program in "$levyc" "$levyc_render"; do
    ! ldd "$program" | grep -E "$ffmpeg" || fail "$(basename "$program") links FFmpeg"
done
ldd "$module" | grep -E "$ffmpeg" >/dev/null || fail "the module links no FFmpeg: the check above proves nothing"
echo "ok: neither program links FFmpeg; the module does"

# Which libraries a run loads, as the dynamic loader tells it.
loads_ffmpeg() { # loads_ffmpeg LEVYC_RENDER ARG...
    LD_DEBUG=libs "$@" 2>&1 >/dev/null | grep -E "calling init: .*libavcodec\.so" >/dev/null
}
# shellcheck disable=SC2054 # the commas are the window's
dive=(--size 64x36 --seconds 0.2 --fps 10 --window 290,-390,310,-410 --quiet --dive)
loads_ffmpeg "$levyc_render" "$out/picture.png" && fail "a PNG loaded FFmpeg"
loads_ffmpeg "$levyc_render" "${dive[@]}" "$out/dive.webp" && fail "a WebP dive loaded FFmpeg"
loads_ffmpeg "$levyc_render" "${dive[@]}" "$out/dive.mp4" || fail "an MP4 dive did not load FFmpeg"
[ "$(head -c 8 "$out/dive.mp4" | tail -c 4)" = ftyp ] || fail "the MP4 dive is not an MP4"
echo "ok: FFmpeg loaded for an MP4 dive only, and the MP4 made through it"

installed=$(ls /usr/lib/*/levyc/levyc-ffmpeg.so 2>/dev/null || true)
cases=(unloadable damaged stale unversioned)
if [ -z "$installed" ]; then
    cases+=(hidden)
else
    echo "skip: the module hidden, since one is installed ($installed)"
fi
for case in "${cases[@]}"; do
    dir=$out/$case
    mkdir -p "$dir"
    cp "$levyc" "$levyc_render" "$dir/"
    case $case in
    hidden) expected='levyc-ffmpeg\.so' ;;
    unloadable)
        cp "$unloadable" "$dir/levyc-ffmpeg.so"
        expected='install libavcodec[0-9]+ libavformat[0-9]+ libavutil[0-9]+ libswscale[0-9]+'
        ;;
    damaged) # cut short inside the last part the loader maps, as by a full disk: the module to mend
        last=$(readelf -lW "$module" | awk '$1 == "LOAD" { offset = $2 } END { print offset }')
        head -c $((last + 16)) "$module" >"$dir/levyc-ffmpeg.so"
        expected='levyc-ffmpeg\.so, which is damaged \(.*\): reinstall levyc'
        ;;
    stale)
        cp "$stale" "$dir/levyc-ffmpeg.so"
        expected='the video module of levyc [0-9.]+, and .*levyc-ffmpeg\.so is of 0\.9\.0: reinstall levyc'
        ;;
    unversioned) # from before modules said their version
        cp "$unversioned" "$dir/levyc-ffmpeg.so"
        expected='the video module of levyc [0-9.]+, and .*levyc-ffmpeg\.so is of an older version: reinstall levyc'
        ;;
    esac
    render=$dir/$(basename "$levyc_render")

    "$render" "$dir/picture.png" || fail "$case: a PNG failed"
    "$render" "${dive[@]}" "$dir/dive.webp" || fail "$case: a WebP dive failed"
    status=0
    "$render" "${dive[@]}" "$dir/dive.mp4" 2>"$dir/mp4.err" || status=$?
    ((status == 1)) || fail "$case: an MP4 dive gave exit $status"
    (($(wc -l <"$dir/mp4.err") == 1)) || fail "$case: not one line: $(cat "$dir/mp4.err")"
    grep -qE "^levyc-render: MP4 and WebM need .*$expected" "$dir/mp4.err" || fail "$case: $(cat "$dir/mp4.err")"
    [ ! -e "$dir/dive.mp4" ] && [ -z "$(find "$dir" -name '.levyc-render-*')" ] || fail "$case: left $(ls -A "$dir")"
    "$render" --help | grep -qE "^Dive formats here: webp only\. MP4 and WebM need .*$expected" ||
        fail "$case: --help does not say so"
    echo "ok: $case: levyc-render draws, makes WebP, and says in one line: $(cat "$dir/mp4.err")"
    case $case in damaged | stale | unversioned) continue ;; esac # the window loads the module as levyc-render does

    # Whether a window of that title is mapped within 20 s. A search can fail
    # on a window destroyed under it, such as the menu closing: ask again.
    shown() {
        for _ in $(seq 1 400); do
            xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && return 0
            sleep 0.05
        done
        return 1
    }
    # The window: starts, draws the whole picture, and its Save Dive… makes a
    # WebP of a name given without an ending, its only format.
    levyc=$dir/$(basename "$1")
    # shellcheck disable=SC2034 # read by lib.sh
    reference=$dir/picture.png
    start_levyc "$dir/levyc.log"
    press_draw
    expect_complete_picture "$case-drawn"
    if [ "$case" = unloadable ]; then
        # A step in first: at the Draw's own view there is nothing to dive to.
        xdotool mousemove --window "$win" 300 200 click 4
        xdotool mousemove --window "$win" 300 200 click 3
        xdotool key d
        shown "^Shape the Dive$" || fail "$case: no dive dialog"
        for _ in $(seq 1 100); do
            xdotool search --onlyvisible --name '^Shape the Dive$' windowfocus --sync >/dev/null 2>&1 && break
            sleep 0.05
        done
        xdotool key Return
        shown "^Save a Dive$" || fail "$case: no dialog"
        xdotool key ctrl+a
        xdotool type --delay 20 "$dir/made"
        xdotool key Return
        # The whole dive is made (slow under the sanitizers); an MP4 would fail at once.
        for _ in $(seq 1 5400); do
            [ -s "$dir/made.webp" ] && break
            ! xdotool search --onlyvisible --name '^Cannot Save the Dive$' >/dev/null ||
                fail "$case: Save Dive… did not save a WebP: $(ls "$dir" | tr '\n' ' ')"
            sleep 0.1
        done
        [ "$(head -c 4 "$dir/made.webp" 2>/dev/null)" = RIFF ] ||
            fail "$case: Save Dive… made no WebP: $(ls "$dir" | tr '\n' ' ')"
        echo "ok: $case: Save Dive… offers WebP alone"
    fi
    kill "$app_pid"
    echo "ok: $case: the window starts and draws"
done
echo PASS
