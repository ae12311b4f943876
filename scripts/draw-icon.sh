#!/usr/bin/env bash
# Draws the program's picture: a blue tile with a question card under a magnifier.
#   scripts/draw-icon.sh src/app/resources   writes quorvix.ico (16, 32 and 48 px) and
#   badge.bmp (40 px, opaque, for the answer form's picture box). Needs ImageMagick.
set -euo pipefail
out="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
convert -size 256x256 xc:none \
  -fill '#1d5fa8' -draw 'roundrectangle 8,8 247,247 44,44' \
  -fill white -draw 'roundrectangle 40,52 150,178 10,10' \
  -fill '#1d5fa8' -draw 'rectangle 58,80 132,92' -draw 'rectangle 58,106 132,118' \
  -draw 'rectangle 58,132 110,144' \
  -stroke '#ffd23f' -strokewidth 24 -fill none -draw 'circle 150,140 150,86' \
  -strokewidth 30 -draw 'line 190,182 224,216' \
  "$work/master.png"
for size in 16 32 48; do convert "$work/master.png" -resize ${size}x${size} -strip "$work/$size.png"; done
convert "$work/16.png" "$work/32.png" "$work/48.png" "$out/quorvix.ico"
# The picture box has no transparency: the tile fills it.
convert "$work/master.png" -resize 40x40 -background '#1d5fa8' -flatten -type TrueColor \
  "BMP3:$out/badge.bmp"
