#!/usr/bin/env bash
# Runs a command against a private headless sway (Wayland) compositor, then
# stops it. sway refuses to run as root, so as root it runs as the unprivileged
# account given by LEVYC_WAYLAND_USER (default nobody); $LEVYC_AS_USER in the
# command's environment is the prefix that runs a program as that account, in
# place (empty when not root).
# Usage: with-sway.sh COMMAND [ARG ...]
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/wayland-account.sh"
config=$runtime/sway.conf
cat >"$config" <<'CONF'
xwayland disable
output HEADLESS-1 mode 1280x1024 position 0 0
default_border none
default_floating_border none
focus_follows_mouse no
for_window [title="^Form1$"] floating enable, move position 0 0
CONF
chmod 644 "$config"

env -i PATH="$PATH" HOME="$runtime" XDG_RUNTIME_DIR="$runtime" \
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    "${as_user[@]}" sway --config "$config" >"$runtime/sway.log" 2>&1 &
sway=$!
trap 'kill "$sway" 2>/dev/null || true; wait "$sway" 2>/dev/null || true; rm -rf "$runtime"' EXIT
for _ in $(seq 1 100); do
    socket=$(find "$runtime" -maxdepth 1 -type s -name 'wayland-*' -printf '%f\n' | head -n 1)
    ipc=$(find "$runtime" -maxdepth 1 -type s -name 'sway-ipc.*' | head -n 1)
    [[ -n "$socket" && -n "$ipc" ]] && break
    kill -0 "$sway" 2>/dev/null || break
    sleep 0.1
done
if [[ -z "${socket:-}" || -z "${ipc:-}" ]]; then
    echo "with-sway: sway did not start:" >&2
    cat "$runtime/sway.log" >&2
    exit 1
fi
export XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=$socket SWAYSOCK=$ipc QT_QPA_PLATFORM=wayland
unset DISPLAY
export LEVYC_AS_USER="${as_user[*]}"
status=0
"$@" || status=$?
exit "$status"
