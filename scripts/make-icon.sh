#!/usr/bin/env bash
# The application icon, from the program's own picture: rendered at one world
# unit per pixel, trimmed to the curves, centred on a black square, scaled.
# Usage: make-icon.sh LEVYC_RENDER OUTPUT_DIR SIZE...
set -euo pipefail
render=$1
dir=$2
shift 2
mkdir -p "$dir"
"$render" --size 810x910 "$dir/picture.png"
convert "$dir/picture.png" -trim +repage "$dir/trimmed.png"
side=$(identify -format '%[fx:max(w,h)+24]' "$dir/trimmed.png")
convert "$dir/trimmed.png" -background black -gravity center -extent "${side}x${side}" "$dir/square.png"
for size in "$@"; do
    convert "$dir/square.png" -filter Lanczos -resize "${size}x${size}" "$dir/${size}.png"
done
