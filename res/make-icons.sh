#!/usr/bin/env bash
# Draws the application icon (three tracks joined into one) and the tool-bar icons at the sizes
# the desktop asks for. Needs ImageMagick; the PNGs are committed, so the build does not.
set -euo pipefail
cd "$(dirname "$0")/icons"
big=$(mktemp --suffix=.png)
trap 'rm -f "$big"' EXIT
convert -size 256x256 xc:none \
    -fill '#1d5f9e' -draw 'roundrectangle 8,8 247,247 44,44' \
    -fill '#2b86d6' -draw 'roundrectangle 8,8 247,200 44,44' \
    -fill white \
    -draw 'roundrectangle 36,58 116,82 10,10' \
    -draw 'roundrectangle 36,116 116,140 10,10' \
    -draw 'roundrectangle 36,174 116,198 10,10' \
    -stroke white -strokewidth 14 -fill none \
    -draw 'path "M 116,70 C 150,70 140,128 172,128"' \
    -draw 'line 116,128 172,128' \
    -draw 'path "M 116,186 C 150,186 140,128 172,128"' \
    -stroke none -fill '#ffd54a' -draw 'roundrectangle 168,108 228,148 14,14' \
    "$big"
for size in 16 24 32 48 64 128 256; do
    convert "$big" -resize ${size}x${size} "tessaro-$size.png"
done

# Tool-bar icons: drawn at 32 x 32, kept as they are for screens of twice the density ("@2x",
# which Qt picks there) and scaled to 16 x 16 for smooth edges.
tool() {  # name, then ImageMagick draw arguments
    local name=$1
    shift
    convert -size 32x32 xc:none "$@" "tool-$name@2x.png"
    convert "tool-$name@2x.png" -resize 16x16 "tool-$name.png"
}
page='roundrectangle 6,2 25,29 2,2'
tool new -fill white -stroke '#1c4576' -strokewidth 3 -draw "$page" \
    -fill '#cfe3f7' -draw 'polygon 18,2 25,9 18,9'
tool open -fill '#e8b84a' -stroke '#5a3c06' -strokewidth 3 \
    -draw 'polygon 2,8 12,8 14,11 29,11 29,27 2,27' -fill '#f6d47e' -draw 'polygon 5,15 31,15 28,27 2,27'
tool save -fill '#2f6db5' -stroke '#1c4576' -strokewidth 2 -draw 'roundrectangle 3,3 28,28 3,3' \
    -fill white -stroke none -draw 'rectangle 8,5 23,13' -fill '#d0d0d0' -draw 'rectangle 9,19 22,27'
tool insert -fill white -stroke '#1c4576' -strokewidth 3 -draw "$page" \
    -stroke none -fill '#2e9e3e' -draw 'rectangle 10,14 28,19' -draw 'rectangle 16,8 21,25'
tool remove -fill white -stroke '#1c4576' -strokewidth 3 -draw "$page" \
    -stroke none -fill '#cc2b2b' -draw 'rectangle 9,14 28,19'
tool up -fill '#7fb2ec' -stroke '#1c4576' -strokewidth 3 -draw 'polygon 16,3 29,17 21,17 21,29 11,29 11,17 3,17'
tool down -fill '#7fb2ec' -stroke '#1c4576' -strokewidth 3 -draw 'polygon 16,29 29,15 21,15 21,3 11,3 11,15 3,15'
tool merge -stroke '#1c4576' -strokewidth 6 -fill none \
    -draw 'path "M 2,6 C 12,6 12,16 20,16"' -draw 'line 2,16 20,16' -draw 'path "M 2,26 C 12,26 12,16 20,16"' \
    -stroke '#7fb2ec' -strokewidth 3 \
    -draw 'path "M 2,6 C 12,6 12,16 20,16"' -draw 'line 2,16 20,16' -draw 'path "M 2,26 C 12,26 12,16 20,16"' \
    -stroke '#5a3c06' -strokewidth 2 -fill '#f0a830' -draw 'polygon 19,8 31,16 19,24'
tool preferences -fill white -stroke '#1c4576' -strokewidth 3 -draw 'roundrectangle 3,3 28,28 3,3' \
    -stroke '#2e9e3e' -strokewidth 4 -fill none -draw 'polyline 8,16 14,22 24,9'
tool help -fill '#2f6db5' -stroke '#9cc3ee' -strokewidth 3 -draw 'circle 16,16 16,3' \
    -fill white -stroke none -font DejaVu-Sans-Bold -pointsize 22 -gravity center -annotate +0+1 '?'
