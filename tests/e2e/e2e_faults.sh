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
    # The summary comes when the outermost drawing ends.
    for _ in $(seq 1 2400); do
        grep -q 'ignored' "$out/levyc.log" && break
        sleep 0.05
    done
    expect_complete_picture after-flood
    local lines ignored
    lines=$(grep -c 'ignored' "$out/levyc.log" || true)
    ((lines == 1)) || fail "expected one summary line for the drawing, saw $lines"
    ignored=$(sed -n 's/^levyc: \([0-9]*\) Draw presses ignored: 32 drawings were already running$/\1/p' "$out/levyc.log")
    ((ignored > 0)) || fail "the flood never reached the nesting cap: $(cat "$out/levyc.log")"
    echo "ok: $ignored presses refused at 32 nested drawings, in one line"
    # Still answering: a click and a key reach a text field.
    press "${text2[@]}"
    xdotool key --delay 20 ctrl+a 5
    expect_field_text 5 "no answer to typing"
    echo "ok: answers typing after the flood"
    close_and_expect_exit 2
}

draw_then_stops() { press_draw && press_stop 50 1; }

case_stop() {
    start_levyc "$out/levyc.log"
    picture "$out/idle-before.png"
    press_stop 50 1
    # Text1 copied after the presses: they have been handled once it is on the clipboard.
    press "${text1[@]}"
    expect_field_text 60 "no answer after the Stop presses"
    alive
    picture "$out/idle-after.png"
    count_differing "$out/idle-before.png" "$out/idle-after.png"
    ((differing == 0)) || fail "Stop while idle changed the picture"
    echo "ok: 50 Stop presses while idle change nothing"
    press_draw
    expect_complete_picture draw-after-idle-stops

    # A long drawing, then, held, a Draw press and 50 Stops: the Stops are handled
    # inside the drawing that press starts, and every run ends early, without
    # the white curve.
    long_drawing
    expect_drawing_running
    while_held draw_then_stops
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
    # Until the cover shows: mapped, then painted.
    differing=0
    for _ in $(seq 1 200); do
        if [ "$(xdotool search --onlyvisible --name '^Form1$' | wc -l)" -ge 2 ]; then
            picture "$out/covered.png"
            count_differing "$out/covered.png" "$reference"
            ((differing > 0)) && break
        fi
        sleep 0.05
    done
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
    # Both shots with Draw focused from the keyboard and the pointer never on
    # the controls, so that no hover is seen: Tab from the picture, Space, Enter.
    xdotool windowfocus --sync "$win"
    xdotool key Tab space
    expect_complete_picture before-resizing
    shot "$out/controls-before.png" 206x220+593+0
    # shellcheck disable=SC2046 # twenty words
    xdotool key --delay 2 $(printf 'Return %.0s' $(seq 1 20))
    for size in "1200 800" "400 300" "50 50" "799 460"; do
        # shellcheck disable=SC2086
        xdotool windowsize --sync "$win" $size
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
    close_and_expect_exit 2 press_draw
    echo "ok: closed while drawing: exit status 0 after $close_ms ms"
    start_levyc "$out/levyc-idle.log"
    close_and_expect_exit 2
    echo "ok: closed while idle: exit status 0 after $close_ms ms"
}

draw_then_destroy() { press_draw && xdotool windowclose "$win"; }

# Another client destroys the window itself: the program ends as on a close.
case_destroyed() {
    local status
    for state in idle drawing; do
        start_levyc "$out/levyc-$state.log"
        if [ "$state" = drawing ]; then
            long_drawing
            expect_drawing_running
            # Held: the window goes while the drawing a last Draw press starts runs.
            while_held draw_then_destroy
        else
            xdotool windowclose "$win"
        fi
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
    # From the picture area: Draw, then the first field ("60"), then the second ("90").
    xdotool key --delay 50 Tab Tab
    expect_field_text 60 "two Tabs did not reach Text1"
    xdotool key Tab 8
    expect_field_text 8 "a third Tab did not reach Text2"
    echo "ok: Tab goes Picture1, Command1, Text1, Text2"
    # Stop, the picture area, then Draw: Space presses it.
    xdotool key --delay 50 Tab Tab Tab space
    expect_complete_picture space-on-draw
    # Enter again and again: nested drawings. Held, Enter once more, Tab three
    # times to Stop and Space: handled inside the drawing that Enter starts.
    # shellcheck disable=SC2046 # twenty words
    xdotool key --delay 2 $(printf 'Return %.0s' $(seq 1 20))
    expect_drawing_running
    while_held xdotool key --delay 5 Return Tab Tab Tab space
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
    for _ in $(seq 1 200); do
        timeout 5 xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -qx 'image/png' && break
        sleep 0.05
    done
    timeout 5 xclip -selection clipboard -t TARGETS -o | grep -qx 'image/png' || fail "no image/png on the clipboard"
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
    # From the Draw button's focus: I hides the overlay, so that the screen
    # is the picture alone; + zooms in about the centre, Home goes back.
    xdotool key --delay 100 i plus
    expect_view "$out/levyc.log" from-button "$drawn" "(r1 - l1) / (r2 - l2) > 1.2499 && (r1 - l1) / (r2 - l2) < 1.2501 &&
        l1 + r1 - l2 - r2 < 1e-9 && l2 + r2 - l1 - r1 < 1e-9" "+ from the Draw button"
    xdotool key Home
    expect_view "$out/levyc.log" home-from-button "$view" "l2 == -300 && t2 == 410 && r2 == 510 && b2 == -500" \
        "Home from the Draw button"
    # Three notches up with the pointer on the picture's pixel (282, 190).
    xdotool mousemove --window "$win" 300 200 click --repeat 3 --delay 40 4
    # The view is 1.25^3 times narrower, and the world point under the pointer stays.
    expect_view "$out/levyc.log" wheel "$drawn" "(r1 - l1) / (r2 - l2) > 1.953124 && (r1 - l1) / (r2 - l2) < 1.953126 &&
        (l1 + (r1 - l1) * 282 / 573) - (l2 + (r2 - l2) * 282 / 573) < 1e-9 &&
        (l2 + (r2 - l2) * 282 / 573) - (l1 + (r1 - l1) * 282 / 573) < 1e-9 &&
        (t1 + (b1 - t1) * 190 / 413) - (t2 + (b2 - t2) * 190 / 413) < 1e-9 &&
        (t2 + (b2 - t2) * 190 / 413) - (t1 + (b1 - t1) * 190 / 413) < 1e-9" "three notches in"
    zoomed=$view
    # Dragged 100 pixels left and 50 up: the view moves right and down by as much.
    xdotool mousedown 1
    xdotool mousemove_relative --sync -- -50 -25
    xdotool mousemove_relative --sync -- -50 -25
    xdotool mouseup 1
    expect_view "$out/levyc.log" drag "$zoomed" "(l2 - l1) / (r1 - l1) > 0.17452 && (l2 - l1) / (r1 - l1) < 0.17453 &&
        (t2 - t1) / (b1 - t1) > 0.12106 && (t2 - t1) / (b1 - t1) < 0.12107" "drag"
    dragged=$view
    # Keys, with the picture focused by the drag's click: in about the centre, then right.
    xdotool key --delay 100 plus Right
    expect_view "$out/levyc.log" keys "$dragged" "(r1 - l1) / (r2 - l2) > 1.2499 && (r1 - l1) / (r2 - l2) < 1.2501" \
        "+ and Right"
    keyed=$view
    # Reset View from the context menu: the Draw's picture again. The key is
    # handled after the click that opens the menu, so it reaches the menu.
    xdotool mousemove --window "$win" 300 200 click 3
    xdotool key r
    expect_view "$out/levyc.log" reset "$keyed" "l2 == -300 && t2 == 410 && r2 == 510 && b2 == -500" "Reset View"
    count_differing "$out/reset.png" "$reference"
    ((differing == 0)) || fail "Reset View: the picture differs from the Draw's in $differing pixels"
    # A Draw while zoomed: its own view and picture.
    xdotool mousemove --window "$win" 300 200 click --repeat 2 --delay 40 4
    expect_view "$out/levyc.log" zoomed-again "$drawn" "(r1 - l1) / (r2 - l2) > 1.5624 && (r1 - l1) / (r2 - l2) < 1.5626" \
        "two notches in"
    press_draw
    expect_complete_picture draw-after-zoom
    close_and_expect_exit 2
}

"case_$5"
echo PASS
