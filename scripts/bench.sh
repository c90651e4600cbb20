#!/usr/bin/env bash
# The performance figures: the drawing core against its floor, the full Draw
# on screen under Xvfb against the headless render, peak memory, and
# levyc-render's PNG encoding and animation against their targets.
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
echo "== levyc-render: large pictures and the animation"
render=$build/render/levyc-render
work=$(mktemp -d)
# The figure after "$2" on the --time line matching $1, in the file $3.
figure() { sed -n "s/.*$1.* $2 \([0-9.]*\).*/\1/p" "$3"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
for i in 1 2 3 4 5; do
    "$render" --time "$work/p.png" 2>"$work/t"
    figure lines in "$work/t"
done | median >"$work/render.ms"
for i in 1 2 3; do
    "$render" --time --animate "$work/a.webp" 2>"$work/t"
    figure frames in "$work/t"
done | median >"$work/anim.ms"
awk -v r="$(cat "$work/render.ms")" -v a="$(cat "$work/anim.ms")" -v b="$(stat -c %s "$work/a.webp")" 'BEGIN {
    printf "default animation (573x413, 103 frames): %.0f ms to draw and encode, at most 3 x %.1f ms + 1000 ms = %.0f ms: %s\n",
        a, r, 3 * r + 1000, a <= 3 * r + 1000 ? "met" : "NOT MET"
    printf "default animation file: %d bytes, at most 2000000: %s\n", b, b <= 2000000 ? "met" : "NOT MET" }'
# Medians of three runs at 8192x8192, where the targets are; one at 16384x16384.
for side in 8192 16384; do
    runs=$((side == 8192 ? 3 : 1))
    for ((i = 0; i < runs; i++)); do
        /usr/bin/time -f '%M' -o "$work/kib" "$render" --time --size "${side}x$side" "$work/p.png" 2>"$work/t"
        echo "$(figure lines in "$work/t") $(figure 'PNG encoded' in "$work/t") $(stat -c %s "$work/p.png") $(cat "$work/kib")"
    done | sort -n -k2 | awk -v side="$side" '{ v[NR] = $0 } END {
        split(v[int((NR + 1) / 2)], f, " "); r = f[1]; e = f[2]; b = f[3]; peak = f[4] / 1024
        image = side * side * 4 / 1048576
        printf "%dx%d PNG: render %.0f ms, encode %.0f ms, %d bytes, peak %.0f MiB (image %.0f MiB)\n", side, side, r, e, b, peak, image
        if (side == 8192)
            printf "  targets: encode <= render %s; peak <= image + 64 MiB %s; file <= 8.6 MB %s\n",
                e <= r ? "met" : "NOT MET", peak <= image + 64 ? "met" : "NOT MET", b <= 8600000 ? "met" : "NOT MET" }'
done
/usr/bin/time -f '%M' -o "$work/kib" "$render" --time --size 4096x4096 --animate "$work/a.webp" 2>"$work/t"
echo "4096x4096 animation: $(figure frames in "$work/t") ms, $(stat -c %s "$work/a.webp") bytes, peak $(($(cat "$work/kib") / 1024)) MiB (a frame is 64 MiB)"

# A 10 s HD dive from the Draw's view to a zoom of 1e9 on the white curve's
# lower right corner: once, as it takes seconds.
deep=299.999999595,-399.999999545,300.000000405,-400.000000455
# The encoder's own frames: what a one-second dive (30 frames) holds.
/usr/bin/time -f '%M' -o "$work/short-kib" "$render" --quiet --seconds 1 --window "$deep" --dive "$work/s.mp4"
/usr/bin/time -f '%M %e' -o "$work/kib" "$render" --time --quiet --window "$deep" --dive "$work/d.mp4" 2>"$work/t"
cat "$work/t"
read -r peak wall <"$work/kib"
awk -v peak="$peak" -v wall="$wall" -v short="$(cat "$work/short-kib")" -v b="$(stat -c %s "$work/d.mp4")" \
    -v r="$(figure frames 'drawn in' "$work/t")" -v e="$(figure frames 'alongside in' "$work/t")" 'BEGIN {
    printf "dive 1280x720, 300 frames: %.1f s in all (render %.1f s, encoding %.1f s alongside), at most 15 s: %s\n",
        wall, r / 1000, e / 1000, wall <= 15 ? "met" : "NOT MET"
    printf "dive file: %.1f MB, at most 25 MB: %s\n", b / 1e6, b <= 25e6 ? "met" : "NOT MET"
    printf "dive peak memory: %.0f MiB, at most a 30-frame dive (%.0f MiB: the program and the encoder'"'"'s frames) + 64 MiB: %s\n",
        peak / 1024, short / 1024, peak / 1024 <= short / 1024 + 64 ? "met" : "NOT MET" }'
# The default dive's composition, from its frames' windows, and its pulse,
# from a 640x360 WebP of it.
"$build/bench/bench_dive" composition --window "$deep" --dive "$work/c.mp4"
"$render" --quiet --size 640x360 --window "$deep" --dive "$work/p.webp"
"$build/bench/bench_dive" luma "$work/p.webp" 20
rm -rf "$work"

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
    reference=$out/picture.png
    start_levyc "$out/levyc.log"
    press_draw
    expect_complete_picture x11 >/dev/null
    local kib
    kib=$(awk '/^VmHWM:/ { print $2 }' "/proc/$app_pid/status")
    close_and_expect_exit 10
    echo "levyc window after a full Draw, X11: $((kib / 1024)) MiB (at most 60)"
}
window_peak_wayland() {
    levyc=$XDG_RUNTIME_DIR/levyc
    install -m 755 "$build/levyc" "$levyc"
    source tests/e2e/lib.sh
    reference=$out/picture.png
    start_keyboard
    start_levyc "$out/levyc-wayland.log"
    wtype -k Tab -k space
    expect_complete_picture wayland >/dev/null
    local kib
    kib=$(awk '/^VmHWM:/ { print $2 }' "/proc/$app_pid/status")
    close_and_expect_exit 10
    echo "levyc window after a full Draw, Wayland: $((kib / 1024)) MiB (at most 40)"
}
export build out
export -f window_peak window_peak_wayland
scripts/with-xvfb.sh bash -c window_peak
scripts/with-sway.sh bash -c window_peak_wayland
