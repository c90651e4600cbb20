#!/usr/bin/env bash
# The real program on a Wayland compositor (run it under scripts/with-sway.sh),
# driven with the keyboard alone: the headless compositor offers no pointer.
# Usage: e2e_wayland.sh LEVYC LEVYC_RENDER OUTPUT_DIR CASE
set -euo pipefail

# A copy in the compositor's runtime directory: the unprivileged account that
# runs it may not reach into the build tree.
levyc=$XDG_RUNTIME_DIR/levyc
install -m 755 "$1" "$levyc"
levyc_render=$2
out=$3/$4
rm -rf "$out"
mkdir -p "$out"
source "$(dirname "$0")/lib.sh"
reference=$out/reference.png
"$levyc_render" "$reference" || fail "levyc-render failed"

start_keyboard
keys() { wtype "$@"; }
# Enter twenty times.
returns=()
for _ in $(seq 1 20); do returns+=(-k Return); done

case_draw() {
    start_levyc "$out/levyc.log"
    [ "$(QT_QPA_PLATFORM=wayland swaymsg -t get_tree | grep -c '"name": "Form1"')" -eq 1 ] || fail "no window titled Form1"
    # Focus starts on the picture; Tab reaches Draw and Space presses it.
    keys -k Tab -k space
    expect_complete_picture tab-space
    cp "/proc/$app_pid/maps" "$out/maps"
    close_and_expect_exit 5
    echo "ok: idle window closed, exit status 0 after $close_ms ms"
    # The compositor decorates windows: no GL stack is loaded, and nothing is said.
    ! grep -q -e wayland-egl -e LLVM "$out/maps" || fail "a GL stack was loaded: $(grep -m 1 -e wayland-egl -e LLVM "$out/maps")"
    [ ! -s "$out/levyc.log" ] || fail "the program said: $(cat "$out/levyc.log")"
    echo "ok: no GL stack loaded, nothing printed"
    # The user's own choice wins.
    QT_WAYLAND_DISABLE_WINDOWDECORATION=0 start_levyc "$out/levyc-chosen.log"
    keys -k Tab -k space
    expect_complete_picture chosen
    grep -q wayland-egl "/proc/$app_pid/maps" || fail "the user's QT_WAYLAND_DISABLE_WINDOWDECORATION=0 was overridden"
    close_and_expect_exit 5
    echo "ok: with the user's own setting, Qt's EGL integration is loaded"
}

case_stop() {
    start_levyc "$out/levyc.log"
    # Enter on Draw, again and again: nested drawings. Held, Enter once more,
    # three Tabs to Stop and Space: handled inside the drawing that Enter starts.
    keys -k Tab -d 2 "${returns[@]}"
    expect_drawing_running
    while_held keys -k Return -k Tab -k Tab -k Tab -k space
    wait_until_still "$out/stopped.png"
    alive
    local white black
    white=$(count_color "$out/stopped.png" 255,255,255)
    black=$(count_color "$out/stopped.png" 0,0,0)
    ((black > 0)) || fail "no drawing started"
    ((white == 0)) || fail "Stop did not end the drawing ($white white pixels)"
    echo "ok: Enter on Draw started drawings that Space on Stop ended"
    close_and_expect_exit 5
}

case_close() {
    start_levyc "$out/levyc-drawing.log"
    keys -k Tab -d 2 "${returns[@]}"
    expect_drawing_running
    close_and_expect_exit 2 keys -k Return
    echo "ok: closed while drawing: exit status 0 after $close_ms ms"
}

case_scale() {
    local scale
    for scale in 1.25 1.5 1.75 2; do
        # The inner area in device pixels: each edge rounded to the nearest one.
        read -r inner_x inner_y inner_w inner_h < <(awk -v s="$scale" 'function r(v) { return int(v + 0.5) }
            BEGIN { print r(18 * s), r(10 * s), r(591 * s) - r(18 * s), r(423 * s) - r(10 * s) }')
        reference=$out/reference-$scale.png
        "$levyc_render" --size "${inner_w}x${inner_h}" "$reference" || fail "levyc-render failed"
        QT_SCALE_FACTOR=$scale start_levyc "$out/levyc-$scale.log"
        keys -k Tab -k space
        expect_complete_picture "scale-$scale"
        close_and_expect_exit 5
    done
}

case_explore() {
    QT_LOGGING_RULES=levyc.view.debug=true start_levyc "$out/levyc.log"
    keys -k Tab -k space
    expect_complete_picture drawn
    # I from the Draw button hides the overlay: the screen is the picture alone.
    # Back to the picture, two steps in about its centre, one to the right.
    keys -k i -M shift -k Tab -m shift -k plus -k plus -k Right
    local keyed
    expect_view "$out/levyc.log" keys -300,410,510,-500 \
        "(r1 - l1) / (r2 - l2) > 1.5624 && (r1 - l1) / (r2 - l2) < 1.5626" "+ + Right"
    keyed=$view
    keys -k Home
    expect_view "$out/levyc.log" home "$keyed" "l2 == -300 && t2 == 410 && r2 == 510 && b2 == -500" "Home"
    count_differing "$out/home.png" "$reference"
    ((differing == 0)) || fail "Home: the picture differs from the Draw's in $differing pixels"
    close_and_expect_exit 5
}

"case_$4"
echo PASS
