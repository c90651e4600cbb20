#!/usr/bin/env bash
# Fault cases on a real X server (run it under scripts/with-xvfb.sh), one per call.
# Usage: e2e_faults.sh LEVYC LEVYC_RENDER WM_DELETE OUTPUT_DIR CASE
set -euo pipefail

levyc=$1
levyc_render=$2
wm_delete=$3
out=$4/$5
rm -rf "$out"
mkdir -p "$out"
source "$(dirname "$0")/lib.sh"
reference=$out/reference.png
"$levyc_render" "$reference" || fail "levyc-render failed"

case_flood() {
    start_levyc "$out/levyc.log"
    press_draw
    press_draw 200 1
    alive
    expect_complete_picture after-flood
    local lines ignored
    lines=$(grep -c 'ignored' "$out/levyc.log" || true)
    ((lines == 1)) || fail "expected one summary line for the drawing, saw $lines"
    ignored=$(sed -n 's/^levyc: \([0-9]*\) Draw presses ignored: 32 drawings were already running$/\1/p' "$out/levyc.log")
    ((ignored > 0)) || fail "the flood never reached the nesting cap: $(cat "$out/levyc.log")"
    echo "ok: $ignored presses refused at 32 nested drawings, in one line"
    # Still answering: a click and a key reach a text field.
    shot "$out/text2-before.png" 41x25+680+72
    press "${text2[@]}"
    xdotool key --delay 20 ctrl+a 5
    sleep 0.5
    shot "$out/text2-after.png" 41x25+680+72
    count_differing "$out/text2-before.png" "$out/text2-after.png"
    ((differing > 0)) || fail "no answer to typing"
    echo "ok: answers typing after the flood"
    close_and_expect_exit 2
}

case_stop() {
    start_levyc "$out/levyc.log"
    sleep 0.3
    picture "$out/idle-before.png"
    press_stop 50 1
    sleep 0.5
    alive
    picture "$out/idle-after.png"
    count_differing "$out/idle-before.png" "$out/idle-after.png"
    ((differing == 0)) || fail "Stop while idle changed the picture"
    echo "ok: 50 Stop presses while idle change nothing"
    press_draw
    expect_complete_picture draw-after-idle-stops

    # A long drawing, then 50 Stops: every run ends early, without the white curve.
    long_drawing
    press_stop 50 1
    wait_until_still "$out/stopped.png"
    alive
    local white black
    white=$(count_color "$out/stopped.png" 255,255,255)
    black=$(count_color "$out/stopped.png" 0,0,0)
    ((white == 0)) || fail "the white curve was drawn after Stop ($white pixels)"
    ((black > 0)) || fail "no drawing started"
    echo "ok: stopped drawing has no white curve"
    close_and_expect_exit 2
}

cover() { # cover: another window over the whole of this one, for a while
    "$levyc" >/dev/null 2>&1 &
    local cover_pid=$!
    for _ in $(seq 1 100); do
        [ "$(xdotool search --onlyvisible --name '^Form1$' | wc -l)" -ge 2 ] && break
        sleep 0.05
    done
    picture "$out/covered.png"
    count_differing "$out/covered.png" "$reference"
    ((differing > 0)) || fail "the cover did not cover"
    kill "$cover_pid"
    wait "$cover_pid" 2>/dev/null || true
}

minimise() { # at the X level, what a window manager does to minimise: unmap, then map
    xdotool windowunmap --sync "$win"
    sleep 0.3
    xdotool windowmap --sync "$win"
}

case_minimise_cover() {
    start_levyc "$out/levyc.log"
    long_drawing
    minimise
    expect_complete_picture minimised-while-drawing
    minimise
    expect_complete_picture minimised-after
    long_drawing
    cover
    expect_complete_picture covered-while-drawing
    cover
    expect_complete_picture covered-after
    close_and_expect_exit 2
}

case_resize() {
    start_levyc "$out/levyc.log"
    # Both shots with Draw focused and the pointer away from the controls.
    press_draw
    expect_complete_picture before-resizing
    xdotool mousemove --window "$win" 700 400
    sleep 0.2
    shot "$out/controls-before.png" 206x220+593+0
    long_drawing
    xdotool mousemove --window "$win" 700 400
    for size in "1200 800" "400 300" "50 50" "799 460"; do
        # shellcheck disable=SC2086
        xdotool windowsize --sync "$win" $size
        sleep 0.1
        alive
    done
    expect_complete_picture resized
    shot "$out/controls-after.png" 206x220+593+0
    count_differing "$out/controls-before.png" "$out/controls-after.png"
    ((differing == 0)) || fail "the controls moved or changed"
    echo "ok: controls unchanged after resizing"
    close_and_expect_exit 2
}

case_close() {
    start_levyc "$out/levyc-drawing.log"
    long_drawing
    expect_drawing_running
    close_and_expect_exit 2
    echo "ok: closed while drawing: exit status 0 after $close_ms ms"
    start_levyc "$out/levyc-idle.log"
    sleep 0.3
    close_and_expect_exit 2
    echo "ok: closed while idle: exit status 0 after $close_ms ms"
}

# Another client destroys the window itself: the program ends as on a close.
case_destroyed() {
    local status
    for state in idle drawing; do
        start_levyc "$out/levyc-$state.log"
        if [ "$state" = drawing ]; then long_drawing; expect_drawing_running; else sleep 0.3; fi
        xdotool windowclose "$win"
        wait_for_exit "$app_pid" 2 || fail "still running 2 s after its window was destroyed ($state)"
        status=0
        wait "$app_pid" || status=$?
        ((status == 0)) || fail "exit status $status after its window was destroyed ($state)"
        echo "ok: window destroyed while $state: exit status 0"
    done
}

case_keyboard() {
    start_levyc "$out/levyc.log"
    xdotool windowfocus --sync "$win"
    sleep 0.2
    shot "$out/text1-before.png" 41x25+680+40
    shot "$out/text2-before.png" 41x25+680+72
    # From the picture area: Draw, then the first field.
    xdotool key --delay 50 Tab Tab 7
    sleep 0.2
    shot "$out/text1-typed.png" 41x25+680+40
    shot "$out/text2-still.png" 41x25+680+72
    count_differing "$out/text1-before.png" "$out/text1-typed.png"
    ((differing > 0)) || fail "two Tabs did not reach Text1"
    count_differing "$out/text2-before.png" "$out/text2-still.png"
    ((differing == 0)) || fail "Text2 changed too early"
    xdotool key --delay 50 Tab 8
    sleep 0.2
    shot "$out/text2-typed.png" 41x25+680+72
    count_differing "$out/text2-before.png" "$out/text2-typed.png"
    ((differing > 0)) || fail "a third Tab did not reach Text2"
    echo "ok: Tab goes Picture1, Command1, Text1, Text2"
    # Stop, the picture area, then Draw: Space presses it.
    xdotool key --delay 50 Tab Tab Tab space
    expect_complete_picture space-on-draw
    # Enter starts a drawing; Tab three times to Stop and Space ends it.
    xdotool key --delay 5 Return Tab Tab Tab space
    wait_until_still "$out/enter-then-stop.png"
    local white
    white=$(count_color "$out/enter-then-stop.png" 255,255,255)
    ((white == 0)) || fail "Enter then Stop: the drawing ran to its end ($white white pixels)"
    echo "ok: Enter on Draw started a drawing that Space on Stop ended"
    close_and_expect_exit 2
}

case_paste() {
    start_levyc "$out/levyc.log"
    head -c 750000 /dev/urandom | base64 -w 0 >"$out/megabyte.txt"
    xclip -selection clipboard -i "$out/megabyte.txt"
    long_drawing
    press "${text1[@]}"
    xdotool key --delay 20 ctrl+a ctrl+v
    press "${text2[@]}"
    xdotool type --delay 5 "typed during a drawing"
    alive
    expect_complete_picture after-paste
    close_and_expect_exit 2
}

case_copy() {
    start_levyc "$out/levyc.log"
    press_draw
    expect_complete_picture drawn
    # A click gives the picture the focus; Ctrl+C copies it.
    press 300 200
    xdotool key ctrl+c
    sleep 0.3
    xclip -selection clipboard -t TARGETS -o | grep -qx 'image/png' || fail "no image/png on the clipboard"
    xclip -selection clipboard -t image/png -o >"$out/pasted.png"
    count_differing "$out/pasted.png" "$reference"
    ((differing == 0)) || fail "the copied picture differs from levyc-render's in $differing pixels"
    echo "ok: the clipboard's image/png is levyc-render's picture"
    close_and_expect_exit 2
}

case_explore() {
    QT_LOGGING_RULES=levyc.view.debug=true start_levyc "$out/levyc.log"
    press_draw
    expect_complete_picture drawn
    local drawn=-300,410,510,-500 zoomed dragged keyed
    # Three notches up with the pointer on the picture's pixel (282, 190).
    xdotool mousemove --window "$win" 300 200 click --repeat 3 --delay 40 4
    expect_view "$out/levyc.log" wheel
    zoomed=$view
    # The view is 1.25^3 times narrower, and the world point under the pointer stays.
    expect_views "$drawn" "$zoomed" "(r1 - l1) / (r2 - l2) > 1.953124 && (r1 - l1) / (r2 - l2) < 1.953126 &&
        (l1 + (r1 - l1) * 282 / 573) - (l2 + (r2 - l2) * 282 / 573) < 1e-9 &&
        (l2 + (r2 - l2) * 282 / 573) - (l1 + (r1 - l1) * 282 / 573) < 1e-9 &&
        (t1 + (b1 - t1) * 190 / 413) - (t2 + (b2 - t2) * 190 / 413) < 1e-9 &&
        (t2 + (b2 - t2) * 190 / 413) - (t1 + (b1 - t1) * 190 / 413) < 1e-9" "three notches in"
    # Dragged 100 pixels left and 50 up: the view moves right and down by as much.
    xdotool mousedown 1
    xdotool mousemove_relative --sync -- -50 -25
    xdotool mousemove_relative --sync -- -50 -25
    xdotool mouseup 1
    expect_view "$out/levyc.log" drag
    dragged=$view
    expect_views "$zoomed" "$dragged" "(l2 - l1) / (r1 - l1) > 0.17452 && (l2 - l1) / (r1 - l1) < 0.17453 &&
        (t2 - t1) / (b1 - t1) > 0.12106 && (t2 - t1) / (b1 - t1) < 0.12107" "drag"
    # Keys, with the picture focused by the drag's click: in about the centre, then right.
    xdotool key --delay 100 plus Right
    expect_view "$out/levyc.log" keys
    keyed=$view
    expect_views "$dragged" "$keyed" "(r1 - l1) / (r2 - l2) > 1.2499 && (r1 - l1) / (r2 - l2) < 1.2501" "+ and Right"
    # Reset View from the context menu: the Draw's picture again.
    xdotool mousemove --window "$win" 300 200 click 3
    sleep 0.5
    xdotool key r
    expect_view "$out/levyc.log" reset
    [ "$view" = "$drawn" ] || fail "Reset View went to $view"
    count_differing "$out/reset.png" "$reference"
    ((differing == 0)) || fail "Reset View: the picture differs from the Draw's in $differing pixels"
    # A Draw while zoomed: its own view and picture.
    xdotool mousemove --window "$win" 300 200 click --repeat 2 --delay 40 4
    expect_view "$out/levyc.log" zoomed-again
    press_draw
    expect_complete_picture draw-after-zoom
    close_and_expect_exit 2
}

"case_$5"
echo PASS
