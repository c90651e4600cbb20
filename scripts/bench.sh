#!/usr/bin/env bash
# The performance figures: the drawing core against its floor, the full Draw
# on screen under Xvfb against the headless render, and peak memory.
# Usage: bench.sh BUILD_DIR   (a release build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}

echo "== Drawing core (Google Benchmark)"
if [ -x "$build/bench/bench_core" ]; then
    "$build/bench/bench_core" --benchmark_color=false
else
    echo "skipped: built without Google Benchmark"
fi

echo
echo "== On screen, X11 (Xvfb)"
scripts/with-xvfb.sh "$build/bench/bench_window"
echo
echo "== On screen, Wayland (headless sway)"
scripts/with-sway.sh bash -c 'install -m 755 "$0" "$XDG_RUNTIME_DIR/bench" && $LEVYC_AS_USER "$XDG_RUNTIME_DIR/bench"' \
    "$build/bench/bench_window"

echo
echo "== Peak memory"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
/usr/bin/time -f '%M' -o "$out/render.kib" "$build/render/levyc-render" "$out/picture.png"
echo "levyc-render at its default size: $(($(cat "$out/render.kib") / 1024)) MiB (at most 30)"

window_peak() {
    levyc=$build/levyc wm_delete=$build/tests/e2e/wm_delete
    source tests/e2e/lib.sh
    start_levyc "$out/levyc.log"
    press_draw
    wait_until_still "$out/picture.png"
    local kib
    kib=$(awk '/^VmHWM:/ { print $2 }' "/proc/$app_pid/status")
    close_and_expect_exit 10
    echo "levyc window after a full Draw: $((kib / 1024)) MiB (at most 60)"
}
export build out
export -f window_peak
scripts/with-xvfb.sh bash -c window_peak
