#!/usr/bin/env bash
# Views shared as text, on X11 (scripts/with-xvfb.sh) or on Wayland
# (scripts/with-sway.sh): the screen is levyc-render's picture of the same view,
# pixel for pixel.
#   window:  levyc --window X1,Y1,X2,Y2 opens, draws, then shows that view;
#   reshaped: levyc --window with a window of another shape shows it whole;
#   centre:  levyc --centre X,Y --zoom Z likewise;
#   goto:    Ctrl+G after a Draw, a typed --centre line, Enter;
#   copy:    then Copy View from the context menu, and levyc-render run
#            with the copied --window line;
#   fullscreen: F11 after a Draw and a zoom: the window covers the
#            screen; F11 again gives back the window and the picture seen
#            before;
#   history: two zooms, then Alt+Left, Alt+Left, Alt+Right: the screens seen
#            at those views, pixel for pixel.
#   play:    P after a Draw and a zoom shows the dive's first frame, the
#            Draw's picture; Esc brings back the view's.
#   quick:   F11 pressed two, three and four times at once: each burst ends
#            in one of the two layouts, the one the window manager shows, and
#            F11 or Esc then gives the other;
#   menukeys: with the context menu open, I (no letter of the menu's) does
#            nothing under it, and W is the menu's Show Where You Are;
#   refused: Ctrl+G, a line that is no view, Enter: the dialog grows to give
#            its reason.
#   bookmark: Ctrl+D keeps a view; in the next run, after a Draw, Ctrl+B and
#            Enter go back to it.
#   png:     levyc FILE.png, a view levyc-render wrote, opens, draws, then
#            shows that view.
# Usage: e2e_view.sh LEVYC LEVYC_RENDER OUTPUT_DIR CASE [WM_DELETE]
set -euo pipefail

levyc=$1
if [ -n "${WAYLAND_DISPLAY:-}" ]; then
    # The unprivileged account that runs it reaches its own runtime directory only.
    levyc=$XDG_RUNTIME_DIR/levyc
    install -m 755 "$1" "$levyc"
else
    wm_delete=$5
fi
levyc_render=$2
out=$3/$4
rm -rf "$out"
mkdir -p "$out"
source "$(dirname "$0")/lib.sh"
export QT_LOGGING_RULES="levyc.view.debug=true;levyc.play.debug=true"
size=${inner_w}x${inner_h}

# A view a thousand times closer than the Draw's, off its centre, in its shape.
centre=180.25,-120.5 zoom=1000
window=$(awk 'BEGIN { printf "%.17g,%.17g,%.17g,%.17g", 180.25 - 0.405, -120.5 + 0.455, 180.25 + 0.405, -120.5 - 0.455 }')

press_keys() { # press_keys CHORD...: X keysym names, a modifier before a '+'
    local chord
    for chord in "$@"; do
        if ! on_wayland; then
            xdotool key "$chord"
        elif [[ $chord == ?*+* ]]; then
            wtype -M "${chord%%+*}" -k "${chord#*+}" -m "${chord%%+*}"
        else
            wtype -k "$chord"
        fi
    done
}

# Waits until a view other than the Draw's has reached the screen and the
# screen is EXPECTED; fails two minutes on.
expect_screen() { # expect_screen LABEL EXPECTED
    local deadline=$(($(date +%s) + 120))
    while :; do
        if [ -n "$(view_log "$out/levyc.log")" ]; then
            picture "$out/$1.png"
            count_differing "$out/$1.png" "$2"
            ((differing == 0)) && break
        fi
        alive
        (($(date +%s) < deadline)) ||
            fail "$1: the screen differs from $2 in ${differing:-all} pixels (last view $(view_log "$out/levyc.log"))"
        sleep 0.1
    done
    echo "ok: $1: the screen is $2, pixel for pixel, at $(view_log "$out/levyc.log")"
}

draw_and_wait() {
    if on_wayland; then press_keys Tab space shift+Tab; else press_draw; fi
    reference=$out/reference.png
    "$levyc_render" --size "$size" "$reference" || fail "levyc-render failed"
    expect_complete_picture drawn
    # Back to the picture, which takes the keys.
    on_wayland || xdotool mousemove --window "$win" 300 200 click 1
}

# Presses KEY until the picture changes: on Wayland a key can be lost while
# the compositor switches to wtype's keyboard.
toggle_seen() { # toggle_seen KEY
    picture "$out/before-$1.png"
    for _ in 1 2 3; do
        press_keys "$1"
        for _ in $(seq 1 100); do
            picture "$out/after-$1.png"
            count_differing "$out/after-$1.png" "$out/before-$1.png"
            ((differing > 0)) && return
            alive
            sleep 0.1
        done
    done
    fail "$1 changed nothing on the screen"
}

# Once a view other than the Draw's is shown, I and O (or the keys given) hide
# the overlay and the overview: the screen is then the picture alone.
hide_overlay() { # hide_overlay [KEY...]
    for _ in $(seq 1 2400); do
        [ -n "$(view_log "$out/levyc.log")" ] && break
        alive
        sleep 0.05
    done
    # What a window manager would do: the window has the keys.
    on_wayland || xdotool windowfocus --sync "$win"
    local keys=("$@") key
    ((${#keys[@]})) || keys=(i o)
    for key in "${keys[@]}"; do
        toggle_seen "$key"
    done
}

# Waits until the picture area is FILE, a screen seen before; fails two
# minutes on.
expect_seen() { # expect_seen LABEL FILE
    local deadline=$(($(date +%s) + 120))
    while :; do
        picture "$out/$1.png"
        count_differing "$out/$1.png" "$2"
        ((differing == 0)) && break
        alive
        (($(date +%s) < deadline)) || fail "$1: the screen differs from $2 in $differing pixels"
        sleep 0.1
    done
    echo "ok: $1: the screen is $2 again, pixel for pixel"
}

# The Draw's view, then one zoom step in, each on screen as levyc-render draws it.
draw_and_zoom() {
    start_levyc "$out/levyc.log"
    draw_and_wait
    press_keys plus
    hide_overlay i # the overview shows past a zoom of 4 only
    expect_view "$out/levyc.log" zoomed "-300,410,510,-500" "r2 - l2 < r1 - l1" "+ did not zoom in"
}

window_geometry() { # -> "WxH+X+Y" of the program's window
    if on_wayland; then
        swaymsg -t get_tree | jq -r '.. | objects | select(.name? == "Form1") | .rect |
            "\(.width)x\(.height)+\(.x)+\(.y)"'
        return
    fi
    window_place | awk '{ printf "%sx%s+%s+%s", $3, $4, $1, $2 }'
}

expect_geometry() { # expect_geometry GEOMETRY MESSAGE
    for _ in $(seq 1 400); do
        [ "$(window_geometry)" = "$1" ] && return
        alive
        sleep 0.05
    done
    fail "$2: the window is $(window_geometry), not $1"
}

# Whether the window manager shows the window full screen.
wm_full_screen() {
    if on_wayland; then
        swaymsg -t get_tree | jq -e '.. | objects | select(.name? == "Form1") | .fullscreen_mode == 1' >/dev/null
    else
        xprop -id "$win" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN
    fi
}

screen_shot() { # screen_shot FILE: the whole screen
    if on_wayland; then grim "$1"; else import -silent -window root "$1"; fi
}

# Waits until the window shows one of its two layouts, the one the window
# manager shows: full screen as $out/full.png, or the window as
# $out/windowed.png where it was. Sets layout to full or window.
expect_a_layout() { # expect_a_layout LABEL
    local deadline=$(($(date +%s) + 120))
    while :; do
        if wm_full_screen; then
            layout=full
            screen_shot "$out/$1.png"
            count_differing "$out/$1.png" "$out/full.png"
            ((differing == 0)) && [ "$(window_geometry)" = "$full_geometry" ] && break
        else
            layout=window
            shot "$out/$1.png"
            count_differing "$out/$1.png" "$out/windowed.png"
            ((differing == 0)) && [ "$(window_geometry)" = "$windowed" ] && break
        fi
        alive
        (($(date +%s) < deadline)) ||
            fail "$1: the window manager shows $layout, but the window is $(window_geometry) and $differing pixels differ"
        sleep 0.1
    done
    echo "ok: $1: the $layout layout, as the window manager shows it"
}

open_menu() { # the picture's context menu, seen over the picture
    picture "$out/menu-closed.png"
    if on_wayland; then
        press_keys Menu
    else
        xdotool mousemove --window "$win" 300 200 click 3
    fi
    for poll in $(seq 1 400); do
        picture "$out/menu-open.png"
        count_differing "$out/menu-open.png" "$out/menu-closed.png"
        ((differing > 0)) && return
        alive
        # Under openbox a click in the moment after a menu closed opens
        # none: the click again, while no menu shows.
        if ! on_wayland && ((poll % 20 == 0)); then
            xdotool mousemove --window "$win" 300 200 click 3
        fi
        sleep 0.05
    done
    fail "the context menu did not open over the picture"
}

open_dialog() { # open_dialog KEY TITLE: presses KEY, then waits until the dialog TITLE has the focus
    press_keys "$1"
    for _ in $(seq 1 1200); do
        if on_wayland; then
            swaymsg -t get_tree | jq -e --arg t "$2" '.. | objects | select(.name? == $t and .focused)' >/dev/null &&
                return
        else
            xdotool search --onlyvisible --name "^$2\$" windowfocus --sync >/dev/null 2>&1 && return
        fi
        alive
        sleep 0.05
    done
    fail "$2 did not open"
}
open_goto() { open_dialog ctrl+g 'Go to View'; }

goto_height() { # the Go to View dialog's height on the screen; nothing once it is gone
    if on_wayland; then
        swaymsg -t get_tree | jq -r '.. | objects | select(.name? == "Go to View") | .rect.height'
        return
    fi
    local dialog
    dialog=$(xdotool search --onlyvisible --name '^Go to View$' | head -n 1) || true
    if [ -n "$dialog" ]; then
        xwininfo -id "$dialog" | awk '/^ *Height:/ { print $NF }'
    fi
}

on_wayland && start_keyboard
case $4 in
window)
    "$levyc_render" --size "$size" --window "$window" "$out/expected.png" || fail "levyc-render failed"
    start_levyc "$out/levyc.log" --window "$window"
    hide_overlay
    expect_screen window "$out/expected.png"
    [ "$(view_log "$out/levyc.log")" = "$window" ] || fail "shown $(view_log "$out/levyc.log"), not $window"
    ;;
reshaped)
    # Four times as wide as high, where the picture's world is 810 by 910: the
    # view shown holds it all, centred, 810 by 910 in shape, and levyc-render
    # draws that view as the screen shows it.
    wide=100,-100,300,-150
    start_levyc "$out/levyc.log" --window "$wide"
    hide_overlay
    shown=$(view_log "$out/levyc.log")
    echo "$shown" | awk -F, '{ w = $3 - $1; h = $2 - $4; e = 1e-9
        exit !(($1 + $3) / 2 - 200 < e && ($1 + $3) / 2 - 200 > -e && ($2 + $4) / 2 + 125 < e && ($2 + $4) / 2 + 125 > -e &&
               w - 200 < e && w - 200 > -e && h * 810 / 910 - 200 < e && h * 810 / 910 - 200 > -e) }' ||
        fail "--window $wide shown as $shown, not 200 wide and 224.7 high about 200,-125"
    "$levyc_render" --size "$size" --window "$shown" "$out/expected.png" || fail "levyc-render failed"
    expect_screen reshaped "$out/expected.png"
    ;;
centre)
    "$levyc_render" --size "$size" --centre "$centre" --zoom "$zoom" "$out/expected.png" || fail "levyc-render failed"
    start_levyc "$out/levyc.log" --centre "$centre" --zoom "$zoom"
    hide_overlay
    expect_screen centre "$out/expected.png"
    ;;
png)
    # Where the account that runs levyc can read it.
    if on_wayland; then png=$XDG_RUNTIME_DIR/view.png; else png=$out/view.png; fi
    "$levyc_render" --size "$size" --centre "$centre" --zoom "$zoom" "$png" || fail "levyc-render failed"
    chmod 644 "$png"
    start_levyc "$out/levyc.log" "$png"
    hide_overlay
    expect_screen png "$png"
    ;;
bookmark)
    # A data folder of the case's own, which the account that runs levyc can write.
    if on_wayland; then XDG_DATA_HOME=$XDG_RUNTIME_DIR/data; else XDG_DATA_HOME=$out/data; fi
    export XDG_DATA_HOME
    "$levyc_render" --size "$size" --centre "$centre" --zoom "$zoom" "$out/expected.png" || fail "levyc-render failed"
    start_levyc "$out/first.log" --centre "$centre" --zoom "$zoom"
    for _ in $(seq 1 2400); do
        [ -n "$(view_log "$out/first.log")" ] && break
        alive
        sleep 0.05
    done
    on_wayland || xdotool windowfocus --sync "$win"
    kept=$XDG_DATA_HOME/levyc/bookmarks.txt
    # Again if a key was lost while the compositor switched keyboards.
    for _ in 1 2 3; do
        press_keys ctrl+d
        for _ in $(seq 1 200); do
            grep -q -- '^--window' "$kept" 2>/dev/null && break 2
            alive
            sleep 0.05
        done
    done
    grep -q -- '^--window' "$kept" || fail "Ctrl+D kept no bookmark in $kept"
    close_and_expect_exit 10
    start_levyc "$out/levyc.log"
    draw_and_wait
    open_dialog ctrl+b Bookmarks
    press_keys Return Escape
    hide_overlay
    expect_screen bookmark "$out/expected.png"
    ;;
bookmark_signal)
    # SIGTERM the moment the new list's temporary file is made: the old list
    # stays whole, byte for byte, and nothing else is left beside it.
    XDG_DATA_HOME=$out/data
    export XDG_DATA_HOME
    kept=$XDG_DATA_HOME/levyc/bookmarks.txt
    mkdir -p "$(dirname "$kept")"
    printf -- '--window 1,-1,3,-3 --size 573x413 --name the old one\n' >"$kept"
    cp "$kept" "$out/before.txt"
    LD_PRELOAD=$LEVYC_SIGNAL_ON_MAKE ASAN_OPTIONS=${ASAN_OPTIONS:-}:verify_asan_link_order=0 \
        start_levyc "$out/levyc.log" --centre "$centre" --zoom "$zoom"
    # Ctrl+D keeps a view once the Draw has ended and the view is shown.
    for _ in $(seq 1 2400); do
        [ -n "$(view_log "$out/levyc.log")" ] && break
        alive
        sleep 0.05
    done
    xdotool windowfocus --sync "$win"
    ended=''
    # Again if a key was lost; a hang guard, not a speed limit.
    for _ in 1 2 3; do
        press_keys ctrl+d
        if wait_for_exit "$app_pid" 60; then
            ended=yes
            break
        fi
    done
    [ -n "$ended" ] || fail "Ctrl+D with a signal on its way: the program did not end"
    status=0
    wait "$app_pid" || status=$?
    ((status == 143)) || fail "exit status $status, not SIGTERM's 143"
    cmp "$kept" "$out/before.txt" || fail "the old list changed"
    left=$(ls -A "$(dirname "$kept")")
    [ "$left" = bookmarks.txt ] || fail "beside the list: $left"
    echo "ok: SIGTERM while the list was written left the old list whole, and nothing else"
    echo PASS
    exit 0
    ;;
goto | copy)
    start_levyc "$out/levyc.log"
    draw_and_wait
    "$levyc_render" --size "$size" --centre "$centre" --zoom "$zoom" "$out/expected.png" || fail "levyc-render failed"
    open_goto
    # The field starts with the view's line, selected: typing replaces it.
    if on_wayland; then wtype -- "--centre $centre --zoom $zoom"; else xdotool type --delay 5 -- "--centre $centre --zoom $zoom"; fi
    press_keys Return
    hide_overlay
    expect_screen goto "$out/expected.png"
    if [ "$4" = copy ]; then
        # The menu with the pointer on X11, with the Menu key on Wayland (the
        # headless compositor has no pointer); its item by its underlined letter.
        if on_wayland; then
            wl-copy --clear
            press_keys Menu v
        else
            xclip -selection clipboard -i </dev/null
            xdotool windowfocus --sync "$win" mousemove --window "$win" 300 200 click 3
            press_keys v
        fi
        copied=''
        for _ in $(seq 1 200); do
            if on_wayland; then
                copied=$(timeout 5 wl-paste --no-newline 2>/dev/null | head -n 1) || true
            else
                copied=$(timeout 5 xclip -selection clipboard -o 2>/dev/null | head -n 1) || true
            fi
            [[ $copied == --window* ]] && break
            sleep 0.05
        done
        [[ $copied == --window*" --size $size" ]] || fail "Copy View gave '$copied'"
        # shellcheck disable=SC2086 # the copied line's words, split on purpose
        "$levyc_render" $copied "$out/copied.png" || fail "levyc-render $copied failed"
        picture "$out/copy.png"
        count_differing "$out/copy.png" "$out/copied.png"
        ((differing == 0)) || fail "levyc-render $copied differs from the screen in $differing pixels"
        echo "ok: levyc-render $copied is the screen, pixel for pixel"
    fi
    ;;
refused)
    # A line that is no view: the dialog stays, and grows to show the prompt
    # and the reason whole, as the window manager lets it.
    start_levyc "$out/levyc.log"
    draw_and_wait
    open_goto
    before=$(goto_height)
    if on_wayland; then wtype -- "--centre 1,2,3"; else xdotool type --delay 5 -- "--centre 1,2,3"; fi
    press_keys Return
    for _ in $(seq 1 400); do
        after=$(goto_height)
        ((after > before + 10)) && break
        alive
        sleep 0.05
    done
    ((after > before + 10)) || fail "the refused line left Go to View ${after:-gone} high, from $before"
    echo "ok: Go to View grew from $before to $after to give its reason"
    press_keys Escape
    for _ in $(seq 1 400); do
        [ -z "$(goto_height)" ] && break
        sleep 0.05
    done
    ;;
fullscreen)
    draw_and_zoom
    windowed=$(window_geometry)
    if on_wayland; then
        screen=$(swaymsg -t get_outputs | jq -r '.[0].rect | "\(.width) \(.height)"')
    else
        screen=$(xdotool getdisplaygeometry)
    fi
    read -r screen_w screen_h <<<"$screen"
    press_keys F11
    expect_geometry "${screen_w}x${screen_h}+0+0" "F11 did not cover the screen"
    echo "ok: F11: the window covers the screen, ${screen_w}x${screen_h}, and was $windowed"
    press_keys F11
    expect_geometry "$windowed" "F11 again did not give the window back"
    echo "ok: F11 again: the window is $windowed again"
    expect_seen back "$out/zoomed.png"
    ;;
history)
    draw_and_zoom
    press_keys plus
    expect_view "$out/levyc.log" closer "$view" "r2 - l2 < r1 - l1" "+ did not zoom in again"
    press_keys alt+Left
    expect_seen back-1 "$out/zoomed.png"
    press_keys alt+Left
    expect_seen back-2 "$out/drawn.png"
    press_keys alt+Right
    expect_seen forward "$out/zoomed.png"
    ;;
play)
    # P plays the dive from the Draw's view to the view on screen; Esc
    # brings back the view's own picture.
    start_levyc "$out/levyc.log"
    draw_and_wait
    press_keys i o
    drawn=$out/drawn.png
    press_keys plus plus plus
    for _ in $(seq 1 2400); do
        [ -n "$(view_log "$out/levyc.log")" ] && break
        alive
        sleep 0.05
    done
    wait_until_still "$out/view.png"
    count_differing "$out/view.png" "$drawn"
    ((differing > 0)) || fail "the zoomed view looks like the Draw's picture"
    # The film moves at once, from the Draw's picture: a frame of it, not
    # the view, is soon on screen. Only the picture's lower half is
    # compared, away from the corner where "preparing" may show over a frame.
    lower_half() { convert "$1" -gravity South -crop 100%x50%+0+0 +repage "$2"; }
    lower_half "$out/view.png" "$out/view-lower.png"
    press_keys p
    deadline=$(($(date +%s) + 120))
    while :; do
        alive
        picture "$out/playing.png"
        lower_half "$out/playing.png" "$out/playing-lower.png"
        count_differing "$out/playing-lower.png" "$out/view-lower.png"
        ((differing > 0)) && break
        (($(date +%s) < deadline)) || fail "P changed nothing on the screen"
    done
    echo "ok: P shows the dive's frames in place of the view"
    press_keys Escape
    deadline=$(($(date +%s) + 120))
    while :; do
        picture "$out/stopped.png"
        count_differing "$out/stopped.png" "$out/view.png"
        ((differing == 0)) && break
        alive
        (($(date +%s) < deadline)) || fail "after Esc the screen differs from the view in $differing pixels"
        sleep 0.1
    done
    echo "ok: Esc brings back the view on screen, pixel for pixel"
    ;;
quick)
    # Under a window manager a request is taken in its own time: quick
    # presses must still end in the layout it shows.
    draw_and_zoom
    windowed=$(window_geometry)
    shot "$out/windowed.png"
    if on_wayland; then
        screen=$(swaymsg -t get_outputs | jq -r '.[0].rect | "\(.width) \(.height)"')
    else
        screen=$(xdotool getdisplaygeometry)
    fi
    read -r screen_w screen_h <<<"$screen"
    full_geometry="${screen_w}x${screen_h}+0+0"
    press_keys F11
    expect_geometry "$full_geometry" "F11 did not cover the screen"
    # The full-screen layout, once its picture is drawn.
    screen_shot "$out/full.png"
    for _ in $(seq 1 120); do
        sleep 1
        screen_shot "$out/full-again.png"
        count_differing "$out/full-again.png" "$out/full.png"
        ((differing == 0)) && break
        cp "$out/full-again.png" "$out/full.png"
    done
    ((differing == 0)) || fail "the full-screen picture kept changing"
    press_keys F11
    expect_a_layout back
    [ "$layout" = window ] || fail "F11 did not give the window back"
    for presses in 2 3 4; do
        if on_wayland; then
            mapfile -t keys < <(for _ in $(seq "$presses"); do printf '%s\n' -k F11; done)
            wtype "${keys[@]}"
        else
            mapfile -t keys < <(for _ in $(seq "$presses"); do echo F11; done)
            xdotool key --delay 0 "${keys[@]}"
        fi
        expect_a_layout "burst-$presses"
        before=$layout
        if [ "$layout" = full ]; then press_keys Escape; else press_keys F11; fi
        expect_a_layout "after-$presses"
        [ "$layout" != "$before" ] || fail "after $presses quick presses, F11 or Esc left the $layout layout"
        if [ "$layout" = full ]; then
            press_keys F11
            expect_a_layout "back-$presses"
        fi
    done
    ;;
menukeys)
    # Keys pressed while the menu is open are the menu's.
    draw_and_zoom
    open_menu
    press_keys i Escape
    expect_seen menu-i "$out/zoomed.png"
    echo "ok: I with the menu open did nothing under it"
    open_menu
    press_keys w
    expect_seen menu-w "$out/before-i.png"
    echo "ok: W with the menu open was the menu's Show Where You Are, and closed it"
    ;;
*) fail "no case $4" ;;
esac
close_and_expect_exit 10
echo PASS
