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
