#!/usr/bin/env bash
# The real program on weston (run it under scripts/with-weston.sh), which does
# not offer to decorate windows: there Qt must draw the window's decorations
# itself, with its decoration plugin, or the window has no title bar at all.
# Usage: e2e_weston.sh LEVYC OUTPUT_DIR
set -euo pipefail

# A copy in the compositor's runtime directory: the unprivileged account that
# runs it may not reach into the build tree.
levyc=$XDG_RUNTIME_DIR/levyc
install -m 755 "$1" "$levyc"
out=$2
rm -rf "$out"
mkdir -p "$out"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# shellcheck disable=SC2086 # the account's words, split on purpose
$LEVYC_AS_USER "$levyc" >"$out/levyc.log" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
# Qt loads its decorations as it shows the window.
for _ in $(seq 1 400); do
    grep -q libbradient "/proc/$pid/maps" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || fail "the program ended: $(cat "$out/levyc.log")"
    sleep 0.05
done
cp "/proc/$pid/maps" "$out/maps"
grep -q libbradient "$out/maps" || fail "the window is shown without decorations: Qt's own were never loaded"
echo "ok: on a compositor that does not decorate, Qt draws the decorations"
