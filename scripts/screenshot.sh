#!/usr/bin/env bash
# The README's screenshot: the real window after a complete drawing, taken with
# the end-to-end tests' own tooling on a private Xvfb server.
# With levyc's view options, the window once it shows that view, with the
# overlay and the overview.
# Usage: screenshot.sh BUILD_DIR OUTPUT.png [--window ... | --centre ... --zoom ...]
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

if (($# > 2)); then
    export QT_LOGGING_RULES=levyc.view.debug=true
    start_levyc "$out/levyc.log" "${@:3}"
    until grep -q '^levyc.view: shown' "$out/levyc.log"; do sleep 0.05; done
else
    start_levyc "$out/levyc.log"
    press_draw
fi
wait_until_still "$out/picture.png"
xdotool mousemove --window "$win" 780 440
sleep 0.3
shot "$target"
close_window
echo "wrote $target"
