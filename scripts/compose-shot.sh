#!/usr/bin/env bash
# The README's picture of composing a film: the Bookmarks… list and Save
# Dive…'s list of views, with their thumbnails, side by side, taken from the
# real window on a private Xvfb server with three bookmarks of its own.
# Usage: compose-shot.sh BUILD_DIR OUTPUT.png
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] || [ "${1:-}" != "--on-display" ]; then
    exec scripts/with-xvfb.sh bash "$0" --on-display "$@"
fi
shift
levyc=$(realpath "$1/levyc")
target=$(realpath -m "$2")
wm_delete=$(realpath "$1/tests/e2e/wm_delete")
out=$(mktemp -d)
source tests/e2e/lib.sh
trap 'cleanup; rm -rf "$out"' EXIT

export XDG_DATA_HOME=$out/data XDG_CACHE_HOME=$out/cache
mkdir -p "$XDG_DATA_HOME/levyc"
cat >"$XDG_DATA_HOME/levyc/bookmarks.txt" <<'VIEWS'
--centre 60,-80 --zoom 3 --size 573x413 --name The fan's heart
--centre 200,-380 --zoom 300 --size 573x413 --name A busy place
--centre 300,-400 --zoom 40 --size 573x413 --name The white curve's corner
VIEWS
export QT_LOGGING_RULES=levyc.view.debug=true
start_levyc "$out/levyc.log" --centre 300,-400 --zoom 8
until grep -q '^levyc.view: shown' "$out/levyc.log"; do sleep 0.05; done
wait_until_still "$out/picture.png"
# The window of TITLE, once mapped and its thumbnails drawn.
grab() { # grab TITLE FILE
    local id=''
    for _ in $(seq 1 600); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true)
        id=${id%%$'\n'*}
        [ -n "$id" ] && break
        sleep 0.05
    done
    [ -n "$id" ] || fail "no window '$1'"
    xdotool windowfocus --sync "$id"
    sleep 1
    import -window "$id" "$2"
}
xdotool windowfocus --sync "$win" key ctrl+b
grab Bookmarks "$out/bookmarks.png"
xdotool key Escape
xdotool windowfocus --sync "$win" mousemove --window "$win" 300 200 click 3
xdotool key d
grab "Shape the Dive" "$out/dive-start.png"
# Two bookmarks on the way: Add, A bookmark, then each by its place in the
# menu, a pause for each menu to open; the second held for a second.
xdotool key --delay 400 alt+a b Right Return
xdotool key --delay 400 alt+a b Right Down Return
xdotool key --delay 100 alt+h ctrl+a 1 Tab
sleep 1
grab "Shape the Dive" "$out/dive.png"
xdotool key Escape
convert "$out/bookmarks.png" "$out/dive.png" -background '#303030' -gravity North -splice 0x0 +append "$target"
close_window
echo "wrote $target"
