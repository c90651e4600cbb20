#!/usr/bin/env bash
# Saving through the real context menu, on X11 (scripts/with-xvfb.sh) or on
# Wayland (scripts/with-sway.sh). Three times after zooming: the menu, opened with the pointer (X11
# only: the headless compositor has none) or with the Menu key, chooses Save
# Dive…, its dialog is accepted as it stands, and the name is typed; the first two dives are cancelled from their
# progress dialog once their temporary file is there, the third (30 frames) is
# asked to be closed during, answered No, and ends. Each round also saves the animation
# with Save As… under a typed .webp name.
# With the case "signals" (X11): SIGTERM, SIGINT and SIGHUP during a dive
# end the program and take the dive's temporary file with them.
# With the case "choices": the dive's dialog, answered with the keys, asks
# for a 1 s, 10 fps, 160x90 WebP dive, and the file holds 10 frames of 160x90.
# Usage: e2e_menu.sh LEVYC OUTPUT_DIR [WM_DELETE [signals|choices]] (on Wayland: LEVYC OUTPUT_DIR [choices])
set -euo pipefail

out=$2
rm -rf "$out"
mkdir -p "$out"
levyc=$1
if [ -n "${WAYLAND_DISPLAY:-}" ]; then
    # The unprivileged account that runs it reaches its own runtime directory only.
    levyc=$XDG_RUNTIME_DIR/levyc
    install -m 755 "$1" "$levyc"
    # MP4 and WebM come from the module beside the program.
    install -m 644 "$(dirname "$1")/levyc-ffmpeg.so" "$XDG_RUNTIME_DIR/"
    saves=$XDG_RUNTIME_DIR/saves
    install -d -o "$(stat -c %u "$XDG_RUNTIME_DIR")" "$saves"
else
    wm_delete=$3
    saves=$out/saves
    mkdir -p "$saves"
fi
source "$(dirname "$0")/lib.sh"

keys() { # keys KEY...: X keysym names
    if on_wayland; then
        local args=() key
        for key in "$@"; do
            if [[ $key == *+* ]]; then
                args+=(-M "${key%%+*}" -k "${key#*+}" -m "${key%%+*}")
            else
                args+=(-k "$key")
            fi
        done
        wtype "${args[@]}"
    else
        xdotool key --delay 20 "$@"
    fi
}
type_text() { if on_wayland; then wtype "$1"; else xdotool type --delay 5 "$1"; fi; }

# Whether a window with this title is mapped.
mapped() {
    if on_wayland; then
        swaymsg -t get_tree | jq -e --arg t "$1" '.. | objects | select(.name? == $t and .visible)' >/dev/null
    else
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1
    fi
}
# Gives a mapped window the keys, as a window manager would (X11). A search
# that meets another window being destroyed (a closing menu) fails with
# BadWindow, so it is tried again. The compositor gives a new window the keys
# itself, but on a loaded machine only some time after it is visible: keys
# sent before then go to the window below.
focus_mapped() { # focus_mapped TITLE
    if on_wayland; then
        for _ in $(seq 1 6000); do
            swaymsg -t get_tree | jq -e --arg t "$1" '.. | objects | select(.name? == $t and .focused)' >/dev/null && return
            sleep 0.05
        done
        fail "'$1' never had the keys"
    fi
    for _ in $(seq 1 100); do
        xdotool search --onlyvisible --name "^$1\$" windowfocus --sync >/dev/null 2>&1 && return
        sleep 0.05
    done
    fail "could not give '$1' the keys"
}
# Waits for a window to be mapped and gives it the keys: keys sent before
# then would go to the window below.
wait_mapped() { # wait_mapped TITLE
    # A guard against a hang, not a speed limit: a loaded machine maps late.
    for _ in $(seq 1 6000); do
        if mapped "$1"; then
            focus_mapped "$1"
            return
        fi
        sleep 0.05
    done
    shot "$out/no-window.png"
    fail "no window '$1' (see no-window.png)"
}
# Gone in two searches in a row: a search that meets a window being destroyed
# may miss the others.
wait_unmapped() { # wait_unmapped TITLE [SECONDS]
    local deadline=$(($(date +%s) + ${2:-600})) missing=0
    while ((missing < 2)); do
        if mapped "$1"; then missing=0; else missing=$((missing + 1)); fi
        alive
        (($(date +%s) < deadline)) || fail "'$1' stayed open"
        sleep 0.05
    done
}
temporary() { find "$saves" -maxdepth 1 -name '.levyc-render-*' -size +0 | head -n 1; }
# Polls until COMMAND holds while a save runs; fails at once when the save
# shows its error or the program ends, and gives up after ten minutes.
while_saving() { # while_saving LABEL COMMAND [ARG ...]
    local label=$1 deadline=$(($(date +%s) + 600))
    shift
    until "$@"; do
        alive
        ! mapped "Cannot Save the Picture" || { shot "$out/save-error.png"; fail "$label: the save failed (see save-error.png)"; }
        (($(date +%s) < deadline)) || { shot "$out/stuck.png"; fail "$label: nothing after ten minutes; the folder holds: $(ls -A "$saves") (see stuck.png)"; }
        sleep 0.05
    done
}
has_temporary() { [ -n "$(temporary)" ]; }
wait_for_temporary() { while_saving "$1" has_temporary; } # wait_for_temporary LABEL
# A save's file, which only a whole save puts in place: its progress dialog
# may not even be mapped yet when the keys that start it end.
wait_for_saved() { while_saving "$2" test -e "$1"; } # wait_for_saved FILE LABEL

open_menu() { # open_menu ROUND
    if ! on_wayland && (($1 % 2 == 1)); then
        xdotool mousemove --window "$win" 300 200 click 3
    else
        # What a window manager does once a dialog closes: the window has the keys again.
        on_wayland || xdotool windowfocus --sync "$win"
        keys Menu
    fi
}

zoom() {
    if on_wayland; then keys plus; else xdotool mousemove --window "$win" 300 200 click 4; fi
}

# Escape in the progress dialog, which a window manager would have given the keys.
cancel_from_dialog() {
    focus_mapped Saving
    keys Escape
}

# Chooses an item of the context menu by its underlined letter, then types a
# name into the file dialog titled TITLE.
save_through_menu() { # save_through_menu ROUND LETTER TITLE NAME
    open_menu "$1"
    keys "$2"
    wait_mapped "$3"
    keys ctrl+a
    type_text "$4"
    keys Return
}

# Save Dive… from the menu: its dialog, shaped by SHAPE (a command, or
# nothing to accept it as it stands), then the file's name.
dive_through_menu() { # dive_through_menu ROUND NAME [SHAPE ...]
    open_menu "$1"
    keys d
    wait_mapped "Shape the Dive"
    "${@:3}"
    keys Return
    wait_mapped "Save a Dive"
    keys ctrl+a
    type_text "$2"
    keys Return
}

# Draws, and waits for the drawing's end: Save Dive is there to choose then.
draw_to_the_end() {
    if on_wayland; then
        keys Tab space
        # Back to the picture, which takes the keys.
        keys shift+Tab
    else
        press_draw
    fi
    for _ in $(seq 1 1200); do
        picture "$out/started.png"
        (($(count_color "$out/started.png" 0,0,0) > 0)) && break
        sleep 0.05
    done
    wait_until_still "$out/drawn.png"
    (($(count_color "$out/drawn.png" 255,255,255) > 0)) || fail "the Draw did not end with its white curve"
}

if [ "${4:-}" = signals ]; then
    for signal in TERM INT HUP; do
        # Job control: else a command run in the background ignores SIGINT.
        set -m
        start_levyc "$out/levyc-$signal.log"
        set +m
        draw_to_the_end
        zoom
        dive_through_menu 1 "$saves/dive.mp4"
        wait_for_temporary "SIG$signal"
        status=0
        kill -"$signal" "$app_pid"
        wait "$app_pid" || status=$?
        ((status == 128 + $(kill -l "$signal"))) || fail "SIG$signal: exit status $status"
        left=$(ls -A "$saves")
        [ -z "$left" ] || fail "SIG$signal during a dive left: $left"
        echo "ok: SIG$signal during a dive ended the program and took the temporary file"
    done
    echo PASS
    exit 0
fi

# Types a dive's length in seconds and its frames a second into the open dialog.
shape_length_rate() {
    keys alt+l ctrl+a
    type_text "$1"
    keys alt+f ctrl+a
    type_text "$2"
}

case=${4:-}
on_wayland && case=${3:-}
if [ "$case" = choices ]; then
    on_wayland && start_keyboard
    start_levyc "$out/levyc.log"
    draw_to_the_end
    zoom
    # Each field by its underlined letter: the length, the rate, the size
    # typed, and the format's last, WebP.
    shape_small_webp() {
        shape_length_rate 1 10
        keys alt+i ctrl+a
        type_text 160x90
        keys alt+o End
        shot "$out/shaped.png"
    }
    dive_through_menu 2 "$saves/choices.webp" shape_small_webp
    wait_for_saved "$saves/choices.webp" "the shaped dive (see shaped.png)"
    wait_unmapped Saving
    info=$(webpmux -info "$saves/choices.webp")
    frames=$(sed -n 's/^Number of frames: //p' <<<"$info")
    canvas=$(sed -n 's/^Canvas size: //p' <<<"$info")
    [ "$frames" = 10 ] || fail "choices.webp: ${frames:-no} frames, not 10"
    [ "$canvas" = "160 x 90" ] || fail "choices.webp: a canvas of ${canvas:-nothing}, not 160 x 90"
    echo "ok: the dialog's 1 s at 10 fps, 160x90, WebP reached the file: $frames frames of $canvas"
    close_and_expect_exit 20
    echo PASS
    exit 0
fi

# Three seconds at 10 fps: enough to be running when the window is asked to close.
shape_short() {
    shape_length_rate 3 10
}

on_wayland && start_keyboard
start_levyc "$out/levyc.log"
draw_to_the_end
for round in 1 2 3; do
    zoom
    if ((round < 3)); then
        dive_through_menu "$round" "$saves/dive$round.mp4"
    else
        dive_through_menu "$round" "$saves/dive$round.mp4" shape_short
    fi
    if ((round < 3)); then
        wait_for_temporary "dive $round"
        wait_mapped Saving
        while_held cancel_from_dialog
        wait_unmapped Saving 60
        # The worker ends within a frame of the cancel.
        for _ in $(seq 1 1200); do
            left=$(ls -A "$saves" | grep -v '^grow.\.webp$' || true)
            [ -z "$left" ] && break
            alive
            sleep 0.05
        done
        [ -z "$left" ] || fail "dive $round cancelled, and left: $left"
        echo "ok: dive $round cancelled once its temporary file was there; nothing left"
    else
        wait_for_temporary "dive 3"
        wait_mapped Saving
        # Held, so that the request is the first thing the program sees once
        # it goes on: the dive has most of its frames still to make.
        while_held close_window
        wait_mapped "Close the Window"
        keys n
        # The dive goes on to its end, then its dialog goes.
        wait_for_saved "$saves/dive3.mp4" "dive 3"
        wait_unmapped Saving
        alive
        if ! head -c 8 "$saves/dive3.mp4" | tail -c 4 | grep -q ftyp; then
            shot "$out/no-dive3.png"
            fail "dive 3 is no MP4; the folder holds: $(ls -A "$saves"); see no-dive3.png and $out/levyc.log"
        fi
        echo "ok: asked on closing, No kept the dive going: $(stat -c %s "$saves/dive3.mp4") bytes of MP4"
    fi
    save_through_menu "$round" s "Save the Picture" "$saves/grow$round.webp"
    wait_for_saved "$saves/grow$round.webp" "Save As… in round $round"
    wait_unmapped Saving
    alive
    [ "$(head -c 4 "$saves/grow$round.webp")$(head -c 12 "$saves/grow$round.webp" | tail -c 4)" = RIFFWEBP ] ||
        fail "grow$round.webp is no WebP"
    if command -v webpmux >/dev/null; then
        frames=$(webpmux -info "$saves/grow$round.webp" | sed -n 's/^Number of frames: //p')
        ((frames > 1)) || fail "grow$round.webp: ${frames:-no} frames"
    fi
    echo "ok: round $round: Save As… wrote the animation"
done
close_and_expect_exit 20
echo PASS
