#!/usr/bin/env bash
# Draws the program's pictures into OUTDIR with ImageMagick, the same every
# time: the icon (bars, largest first, on a dark green square) at 64, 32 and
# 16 pixels with 32-bit colour, a 16-pixel icon of its own, and the About
# box's 203 × 61 logo as an uncompressed 24-bit bitmap.
set -euo pipefail
out=$1
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

green='#1f5c2e' light='#9be37a' white='#f4fff0'

# One icon square: rounded dark tile, four bars falling from left to right.
icon() {
  local size=$1 file=$2 s
  s=$(awk -v n="$size" 'BEGIN { print n / 64 }')
  convert -size "${size}x${size}" xc:none \
    -fill "$green" -draw "roundrectangle 0,0 $((size - 1)),$((size - 1)) $((size / 8)),$((size / 8))" \
    -fill "$light" \
    -draw "rectangle $(awk -v s="$s" 'BEGIN { printf "%d,%d %d,%d", 10*s, 10*s, 20*s-1, 54*s-1 }')" \
    -draw "rectangle $(awk -v s="$s" 'BEGIN { printf "%d,%d %d,%d", 22*s, 22*s, 32*s-1, 54*s-1 }')" \
    -draw "rectangle $(awk -v s="$s" 'BEGIN { printf "%d,%d %d,%d", 34*s, 32*s, 44*s-1, 54*s-1 }')" \
    -draw "rectangle $(awk -v s="$s" 'BEGIN { printf "%d,%d %d,%d", 46*s, 40*s, 56*s-1, 54*s-1 }')" \
    -define png:exclude-chunks=date,time -depth 8 "PNG32:$file"
}

icon 64 "$tmp/64.png"
icon 32 "$tmp/32.png"
icon 16 "$tmp/16.png"
# ICO entries below 256 pixels are stored as 32-bit bitmaps with alpha.
convert "$tmp/16.png" "$tmp/32.png" "$tmp/64.png" "$out/app.ico"
convert "$tmp/16.png" "$out/app-small.ico"

# The logo: the icon's bars across a wide strip, and a baseline.
convert -size 203x61 "xc:$green" \
  -fill "$light" \
  -draw "rectangle 12,8 36,50" -draw "rectangle 44,18 68,50" -draw "rectangle 76,26 100,50" \
  -draw "rectangle 108,32 132,50" -draw "rectangle 140,38 164,50" -draw "rectangle 172,43 190,50" \
  -fill "$white" -draw "rectangle 8,52 194,53" \
  -alpha off -type TrueColor -compress None "BMP3:$out/logo.bmp"
