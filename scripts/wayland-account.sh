# Sourced by the compositor wrappers (with-sway.sh, with-weston.sh): makes a
# private runtime directory, $runtime, and sets as_user to the prefix that runs
# a program as the unprivileged account LEVYC_WAYLAND_USER (default nobody)
# when root, since the compositors refuse root or should not have it.
# shellcheck shell=bash
user=${LEVYC_WAYLAND_USER:-nobody}
as_user=()
runtime=$(mktemp -d)
if [[ $(id -u) -eq 0 ]]; then
    uid=$(id -u "$user")
    gid=$(id -g "$user")
    as_user=(setpriv --reuid="$uid" --regid="$gid" --clear-groups --inh-caps=-all)
    chown "$uid:$gid" "$runtime"
fi
chmod 700 "$runtime"
