#!/usr/bin/env bash
# Runs a command on a private Xvfb server under the openbox window manager,
# which takes a window's requests (full screen among them) in its own time.
# Usage: with-openbox.sh COMMAND [ARG ...]
set -euo pipefail

if (($# > 0)) && [[ "$1" != --inside ]]; then
    exec bash "$(dirname "$0")/with-xvfb.sh" bash "$0" --inside "$@"
fi
shift

log=$(mktemp)
openbox --sm-disable >"$log" 2>&1 &
wm=$!
trap 'kill "$wm" 2>/dev/null || true; wait "$wm" 2>/dev/null || true; rm -f "$log"' EXIT
# Managing once it names itself on the root window.
for _ in $(seq 1 200); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
done
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    echo "with-openbox: openbox did not start:" >&2
    cat "$log" >&2
    exit 1
fi
status=0
"$@" || status=$?
exit "$status"
