#!/usr/bin/env bash
# Runs a command against a private Xvfb server, then stops the server.
# Usage: with-xvfb.sh COMMAND [ARG ...]
set -euo pipefail

log=$(mktemp)
# -noreset: without it the server resets when its last client leaves, and the
# next program started can fail to connect.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -noreset -nolisten tcp -screen 0 1280x1024x24 >"$log" 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; rm -f "$log"' EXIT
if ! read -r -t 20 -u "$displayfd" display; then
    echo "with-xvfb: Xvfb did not start:" >&2
    cat "$log" >&2
    exit 1
fi
export DISPLAY=":$display"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
status=0
"$@" || status=$?
exit "$status"
