#!/usr/bin/env bash
# Draws the program icon (a search lens over a slate tile) at every size Windows asks for.
# Run by hand when the drawing changes; the .ico it writes is committed.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 256x256 xc:none \
    -fill '#3b4a5a' -draw 'roundrectangle 8,8 247,247 44,44' \
    -fill '#52677c' -draw 'roundrectangle 8,8 247,120 44,44' -fill '#3b4a5a' -draw 'rectangle 8,90 247,130' \
    -stroke '#f2f5f8' -strokewidth 22 -fill none -draw 'circle 108,108 108,48' \
    -stroke '#f2f5f8' -strokewidth 30 -draw 'line 152,152 204,204' \
    -stroke none -fill '#7fd1b9' -draw 'roundrectangle 78,96 138,120 6,6' \
    "$tmp/256.png"
sizes=(16 20 24 32 40 48 64 96 128 256)
files=()
for s in "${sizes[@]}"; do
    convert "$tmp/256.png" -filter Lanczos -resize "${s}x${s}" "$tmp/$s.png"
    files+=("$tmp/$s.png")
done
convert "${files[@]}" zarvi.ico
convert "$tmp/256.png" zarvi-256.png
