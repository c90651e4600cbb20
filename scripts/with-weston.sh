#!/usr/bin/env bash
# Runs a command against a private headless weston, a Wayland compositor that
# does not offer to decorate windows, then stops it. As root, weston runs as
# the unprivileged account given by LEVYC_WAYLAND_USER (default nobody), and
# $LEVYC_AS_USER in the command's environment is the prefix that runs a program
# as that account (empty when not root), as scripts/with-sway.sh does.
# Usage: with-weston.sh COMMAND [ARG ...]
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/wayland-account.sh"

env -i PATH="$PATH" HOME="$runtime" XDG_RUNTIME_DIR="$runtime" \
    "${as_user[@]}" weston --backend=headless-backend.so --use-pixman --shell=kiosk-shell.so --no-config \
    --socket=wayland-1 --idle-time=0 >"$runtime/weston.log" 2>&1 &
weston=$!
trap 'kill "$weston" 2>/dev/null || true; wait "$weston" 2>/dev/null || true; rm -rf "$runtime"' EXIT
for _ in $(seq 1 100); do
    [[ -S "$runtime/wayland-1" ]] && grep -q 'Loading module.*kiosk-shell' "$runtime/weston.log" && break
    kill -0 "$weston" 2>/dev/null || break
    sleep 0.1
done
if [[ ! -S "$runtime/wayland-1" ]]; then
    echo "with-weston: weston did not start:" >&2
    cat "$runtime/weston.log" >&2
    exit 1
fi
export XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=wayland-1 QT_QPA_PLATFORM=wayland
unset DISPLAY
export LEVYC_AS_USER="${as_user[*]}"
status=0
"$@" || status=$?
exit "$status"
