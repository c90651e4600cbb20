# Helpers for the end-to-end tests; the caller sets levyc, wm_delete and out.
# On X11 (scripts/with-xvfb.sh) they use xdotool and ImageMagick's import; on
# Wayland (scripts/with-sway.sh) swaymsg, grim and the compositor's rules.
# shellcheck shell=bash

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

pids=()
cleanup() {
    for pid in "${pids[@]}"; do { kill "$pid" && kill -CONT "$pid"; } 2>/dev/null || true; done
}
trap cleanup EXIT

# Picture1's inner area: the control at (16, 8) inside a 2-pixel sunken border.
inner_x=18 inner_y=10 inner_w=573 inner_h=413

on_wayland() { [ -n "${WAYLAND_DISPLAY:-}" ]; }

# X11: the window's inside as "X Y W H" on the screen. Not xdotool's
# geometry, which under a window manager counts the frame's offset twice.
window_place() {
    xwininfo -id "$win" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x, y, w, h }'
}

start_levyc() { # start_levyc LOG [ARG ...] -> sets app_pid and win
    if on_wayland; then
        # A plain command, not a function, so that $! is the program itself.
        # shellcheck disable=SC2086 # the account's words, split on purpose
        $LEVYC_AS_USER "$levyc" "${@:2}" >"$1" 2>&1 &
        app_pid=$!
        pids+=("$app_pid")
        # Mapped once painted; focused, and floated at 0,0 by a rule in the
        # compositor's config.
        local ready='.. | objects | select(.name? == "Form1" and .focused and .rect.x == 0 and .rect.y == 0)'
        # A guard against a hang, not a speed limit: a loaded machine maps late.
        for _ in $(seq 1 6000); do
            swaymsg -t get_tree | jq -e "$ready" >/dev/null && break
            kill -0 "$app_pid" 2>/dev/null || fail "the program ended before its window showed"
            sleep 0.05
        done
        swaymsg -t get_tree | jq -e "$ready" >/dev/null || fail "no window Form1, focused at 0,0"
        win=Form1 win_x=0 win_y=0
        return
    fi
    "$levyc" "${@:2}" >"$1" 2>&1 &
    app_pid=$!
    pids+=("$app_pid")
    win=''
    # A guard against a hang, not a speed limit: a loaded machine maps late.
    for _ in $(seq 1 6000); do
        win=$(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -n 1) || true
        [ -n "$win" ] && break
        kill -0 "$app_pid" 2>/dev/null || fail "the program ended before its window showed"
        sleep 0.05
    done
    [ -n "$win" ] || fail "no window Form1"
    read -r win_x win_y _ < <(window_place)
    # Arguments may start a Draw at once: the idle picture may never be seen.
    (($# == 1)) || return 0
    # Mapped is not yet painted: the idle picture area is one colour, not black.
    local colours
    for _ in $(seq 1 200); do
        picture "$out/start.png"
        colours=$(convert "$out/start.png" -format '%k %[pixel:p{0,0}]' info:)
        [[ "$colours" == 1\ * && "$colours" != *'(0,0,0)' && "$colours" != *black ]] && return
        sleep 0.05
    done
    fail "the window was never painted ($colours)"
}

# Wayland: a virtual keyboard for the whole run, there before the program
# starts. The program takes its keyboard at start and keeps it while each run
# of wtype adds a keyboard and takes it away again, whether or not the program
# was held meanwhile.
start_keyboard() {
    wtype -s 3600000 &
    pids+=($!)
    for _ in $(seq 1 200); do
        swaymsg -t get_inputs | jq -e 'any(.[]; .type == "keyboard")' >/dev/null && return
        sleep 0.05
    done
    fail "no virtual keyboard"
}

shot() { # shot FILE [WxH+X+Y relative to the window]
    local geometry=${2:-799x460+0+0}
    local w=${geometry%%x*} rest=${geometry#*x}
    local h=${rest%%+*} xy=${rest#*+}
    local x=${xy%%+*} y=${xy#*+}
    if on_wayland; then
        grim -g "$((win_x + x)),$((win_y + y)) ${w}x${h}" "$1"
    else
        import -silent -window root -crop "${w}x${h}+$((win_x + x))+$((win_y + y))" +repage "$1"
    fi
}

picture() { shot "$1" "${inner_w}x${inner_h}+${inner_x}+${inner_y}"; }

count_color() { # count_color FILE R,G,B
    local hex
    hex=$(IFS=, && printf '#%02X%02X%02X' $2)
    convert "$1" -format '%c' histogram:info:- | awk -v hex="$hex" '$0 ~ hex { sub(":", "", $1); n += $1 } END { print n + 0 }'
}

wait_for_exit() { # wait_for_exit PID SECONDS: polls, so the time measured is close
    local deadline=$(($(date +%s%N) + $2 * 1000000000))
    while kill -0 "$1" 2>/dev/null; do
        (($(date +%s%N) < deadline)) || return 1
        sleep 0.02
    done
}

bbox_of_color() { # bbox_of_color FILE R,G,B -> "left top right bottom"
    convert "$1" -fill black +opaque "rgb($2)" -trim -format '%X %Y %w %h' info: |
        awk '{ gsub(/\+/, "", $1); gsub(/\+/, "", $2); print $1, $2, $1 + $3 - 1, $2 + $4 - 1 }'
}

wait_until_still() { # wait_until_still FILE: until two shots a second apart agree
    local previous="$out/still-previous.png"
    picture "$previous"
    for _ in $(seq 1 120); do
        sleep 1
        picture "$1"
        count_differing "$1" "$previous"
        if ((differing == 0)); then
            return 0
        fi
        cp "$1" "$previous"
    done
    fail "the picture area kept changing"
}


# Window-relative centres of the controls.
draw_button=(676 20)
stop_button=(672 196)
text1=(700 52)
text2=(700 84)

press() { # press X Y [REPEAT DELAY_MS]
    xdotool mousemove --window "$win" "$1" "$2" click --repeat "${3:-1}" --delay "${4:-0}" 1
}
press_draw() { press "${draw_button[@]}" "$@"; }
press_stop() { press "${stop_button[@]}" "$@"; }

# A window manager's close request, as the window's close button sends it.
close_window() {
    if on_wayland; then
        swaymsg -q '[title="^Form1$"] kill'
    else
        "$wm_delete" "$win"
    fi
}

# Draw pressed again and again: nested drawings make the run long.
long_drawing() { press_draw 20 2; }

# Fails unless the picture area changes, that is, a drawing runs; sets differing.
expect_drawing_running() {
    picture "$out/busy-1.png"
    for _ in $(seq 1 50); do
        picture "$out/busy-2.png"
        count_differing "$out/busy-1.png" "$out/busy-2.png"
        ((differing > 0)) && return
    done
    fail "no drawing was running"
}

# Runs COMMAND with the program held stopped: what COMMAND sends waits, in
# order, until the program goes on. A Draw press sent so is handled by a new
# drawing, nested in any that runs, and what follows it by that drawing.
while_held() { # while_held COMMAND [ARG ...]
    kill -STOP "$app_pid"
    until grep -q '^State:[[:space:]]*T' "/proc/$app_pid/status"; do sleep 0.01; done
    "$@"
    kill -CONT "$app_pid"
}

draw_then_close() { "$@" && close_window; }

# Ends the program with a window manager's close request; fails unless it exits
# with status 0 within SECONDS. Sets close_ms to the milliseconds it took. Not
# for $(...): only this shell can reap the program. With DRAW_COMMAND, the
# request comes while the drawing that the command's Draw press starts runs.
close_and_expect_exit() { # close_and_expect_exit SECONDS [DRAW_COMMAND ...]
    local started status=0 seconds=$1
    shift
    if (($#)); then
        while_held draw_then_close "$@"
        started=$(date +%s%N)
    else
        started=$(date +%s%N)
        close_window
    fi
    wait_for_exit "$app_pid" "$seconds" || fail "the program did not end within $seconds s of the close request"
    wait "$app_pid" || status=$?
    ((status == 0)) || fail "exit status $status after the close request"
    close_ms=$((($(date +%s%N) - started) / 1000000))
}

# Sets differing to the number of pixels in which two images differ; fails when
# they cannot be compared. Call it directly, not in $(...), so a failure counts.
count_differing() { # count_differing A B
    differing=$(compare -metric AE "$1" "$2" null: 2>&1) || true
    # A million or more is written as 1.15553e+06.
    [[ "$differing" =~ ^[0-9]+(\.[0-9]+e\+[0-9]+)?$ ]] || fail "cannot compare $1 and $2: $differing"
    differing=$(printf '%.0f' "$differing")
}

# Waits until the picture area is $reference, the complete picture as
# levyc-render draws it; fails when it is not, two minutes on.
expect_complete_picture() { # expect_complete_picture LABEL
    local deadline=$(($(date +%s) + 120))
    while :; do
        picture "$out/$1.png"
        count_differing "$out/$1.png" "$reference"
        ((differing == 0)) && break
        (($(date +%s) < deadline)) || fail "$1: the picture differs from the complete one in $differing pixels"
        sleep 0.2
    done
    echo "ok: $1: the picture area is the complete picture"
}

# A program that has ended but is not yet reaped still answers kill -0.
alive() {
    local state
    state=$(sed -n 's/^State:[[:space:]]*\(.\).*/\1/p' "/proc/$app_pid/status" 2>/dev/null || true)
    [[ -n $state && $state != Z ]] || fail "the program is gone"
}

# Copies the focused text field with the keyboard and waits until the clipboard
# holds TEXT: by then the program has handled all that was sent before. X only.
expect_field_text() { # expect_field_text TEXT MESSAGE
    local got=''
    xclip -selection clipboard -i </dev/null >/dev/null 2>&1
    xdotool key ctrl+a ctrl+c
    for _ in $(seq 1 200); do
        got=$(timeout 5 xclip -selection clipboard -o 2>/dev/null) || true
        [ "$got" = "$1" ] && return
        sleep 0.05
    done
    fail "$2 (the field holds '$got')"
}

# Exploring: the program prints each view that reaches the screen when asked
# to (QT_LOGGING_RULES=levyc.view.debug=true), as levyc-render --window takes it.
view_log() { { grep -o 'shown [^ ]*' "$1" || true; } | tail -n 1 | cut -d' ' -f2; }

# Waits until the latest view to reach the screen is one that, after the view
# FROM, makes awk find CONDITION true (see views_hold) and the screen shows
# levyc-render's picture of it; sets view. Fails with MESSAGE two minutes on.
expect_view() { # expect_view LOG LABEL FROM CONDITION MESSAGE
    local rendered='' deadline=$(($(date +%s) + 120))
    while :; do
        view=$(view_log "$1")
        if [ -n "$view" ] && views_hold "$3" "$view" "$4"; then
            if [ "$view" != "$rendered" ]; then
                "$levyc_render" --size "${inner_w}x${inner_h}" --window "$view" "$out/$2-expected.png" ||
                    fail "levyc-render --window $view failed"
                rendered=$view
            fi
            picture "$out/$2.png"
            count_differing "$out/$2.png" "$out/$2-expected.png"
            ((differing == 0)) && break
        fi
        (($(date +%s) < deadline)) ||
            fail "$2: $5: $3 then ${view:-no view}, the screen differing from its picture in ${differing:-all} pixels"
        sleep 0.05
    done
    echo "ok: $2: the screen is levyc-render --window $view"
}

# Whether awk finds CONDITION true of the views A and B, each split into
# l1 t1 r1 b1 and l2 t2 r2 b2.
views_hold() { # views_hold A B CONDITION
    awk -v a="$1" -v b="$2" "BEGIN { split(a, v, \",\"); split(b, w, \",\");
        l1 = v[1]; t1 = v[2]; r1 = v[3]; b1 = v[4]; l2 = w[1]; t2 = w[2]; r2 = w[3]; b2 = w[4];
        exit !($3) }"
}
