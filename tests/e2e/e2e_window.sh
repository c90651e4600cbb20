#!/usr/bin/env bash
# End to end on a real X server (run it under scripts/with-xvfb.sh): starts the
# real program, presses Draw with xdotool, checks the finished picture and the
# captions in screenshots, then closes the window during a drawing and expects
# exit status 0.
# Usage: e2e_window.sh LEVYC WM_DELETE OUTPUT_DIR
set -euo pipefail

levyc=$1
wm_delete=$2
out=$3
rm -rf "$out"
mkdir -p "$out"

source "$(dirname "$0")/lib.sh"

# The pixel box that a curve of pass i (or the white one) may cover, with a margin.
curve_box() { # curve_box START_X START_Y LENGTH -> "left top right bottom"
    awk -v sx="$1" -v sy="$2" -v L="$3" -v w="$inner_w" -v h="$inner_h" 'BEGIN {
        kx = w / 810; ky = h / 910; m = 3
        printf "%d %d %d %d\n", (sx - 0.5 * L + 300) * kx - m, (410 - (sy + 0.25 * L)) * ky - m,
                              (sx + 1.5 * L + 300) * kx + m, (410 - (sy - L)) * ky + m }'
}

check_within() { # check_within NAME "l t r b" "L T R B"
    read -r l t r b <<<"$2"
    read -r L T R B <<<"$3"
    if ((l < L || t < T || r > R || b > B)); then
        fail "$1 spans $l,$t-$r,$b, outside $L,$T-$R,$B"
    fi
    echo "ok: $1 spans $l,$t-$r,$b within $L,$T-$R,$B"
}

# 1. A complete drawing.
start_levyc "$out/levyc.log"
echo "window $win at $win_x,$win_y"
xdotool mousemove --window "$win" 676 20 click 1
wait_until_still "$out/picture.png"
shot "$out/window.png"

total=$((inner_w * inner_h))
black=$(count_color "$out/picture.png" 0,0,0)
((black > total / 2)) || fail "background not black: $black of $total pixels"
echo "ok: $black of $total pixels black"

check_color() { # check_color NAME R,G,B MIN_PIXELS START_X START_Y LENGTH
    local n
    n=$(count_color "$out/picture.png" "$2")
    ((n >= $3)) || fail "$1 ($2): $n pixels, expected at least $3"
    echo "ok: $1 ($2): $n pixels"
    check_within "$1" "$(bbox_of_color "$out/picture.png" "$2")" "$(curve_box "$4" "$5" "$6")"
}
# Pure red is pass 17 only, and pass 52's green has a little blue.
check_color "pass 17 red" 255,0,0 20 62.4367 49 117
check_color "pass 35 yellow" 242,255,0 20 52.3030 -5 135
check_color "pass 52 green" 0,255,12 20 50.0400 -56 152
check_color "pass 69 cyan" 0,244,255 20 53.7507 -107 169
check_color "white last curve" 255,255,255 2000 100 -200 200
# Blue is passes 86 to 99; pass 100 is under the white curve.
n=$(count_color "$out/picture.png" 0,0,255)
((n > 2000)) || fail "blue: $n pixels"
check_within "blue passes" "$(bbox_of_color "$out/picture.png" 0,0,255)" "$(curve_box 65.3 -158 234)"
read -r _ _ _ white_bottom <<<"$(bbox_of_color "$out/picture.png" 255,255,255)"
read -r _ _ _ blue_bottom <<<"$(bbox_of_color "$out/picture.png" 0,0,255)"
((white_bottom >= blue_bottom)) || fail "the white curve is not the lowest"

# 2. The captions, against the same window with every Japanese font hidden:
# there they come out as empty boxes.
shot "$out/label1.png" 73x17+608+48
shot "$out/command1.png" 73x25+640+8
close_and_expect_exit 10
echo "ok: idle window closed, exit status 0"

cat >"$out/no-japanese.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
  <selectfont><rejectfont><glob>*vlgothic*</glob><glob>*japanese*</glob><glob>*VL-*</glob></rejectfont></selectfont>
</fontconfig>
CONF
FONTCONFIG_FILE="$out/no-japanese.conf" start_levyc "$out/levyc-boxes.log"
shot "$out/label1-boxes.png" 73x17+608+48
shot "$out/command1-boxes.png" 73x25+640+8
close_window
wait "$app_pid" || true

for caption in label1 command1; do
    ink=$(convert "$out/$caption.png" -colorspace gray -threshold 50% -negate -format '%[fx:round(mean*w*h)]' info:)
    differ=$(compare -metric AE -fuzz 20% "$out/$caption.png" "$out/$caption-boxes.png" null: 2>&1 || true)
    ((ink > 15)) || fail "$caption: no text drawn ($ink dark pixels)"
    ((differ > 30)) || fail "$caption: drawn as with no Japanese font ($differ pixels differ)"
    echo "ok: $caption has $ink dark pixels, $differ differ from the empty-box rendering"
done

# 3. Close while drawing: a burst of presses makes nested runs, so it stays busy.
start_levyc "$out/levyc-close.log"
long_drawing
expect_drawing_running
changing=$differing
close_and_expect_exit 20 press_draw
echo "ok: closed during a drawing ($changing pixels changing), exit status 0 after $close_ms ms"
echo "PASS"
