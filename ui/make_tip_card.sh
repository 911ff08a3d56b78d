#!/bin/sh
# Draws the tip window's card with ImageMagick: a 300x188 picture with 8-bit alpha. The output
# (tip_card.png) is committed and carried inside the program; run this again only to change it.
#
# The program draws the weekday (right end at x 264), the date (from x 134) on the header line
# at y 30 to 46, and the saying in the box x 30 to 270, y 60 to 165; the card keeps those
# places plain. Outside the card and its shadow the picture is fully transparent.
set -eu
cd "$(dirname "$0")"
OUT=tip_card.png
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

# A soft shadow below and right of the card.
convert -size 300x188 xc:"rgba(0,0,0,0)" -type TrueColorAlpha -fill 'rgba(0,0,0,0.45)' \
  -draw "roundrectangle 9,15 293,183 14,14" -channel A -blur 0x3 +channel -type TrueColorAlpha "PNG32:$TMP/shadow.png"

# The card: off-white with a grey rim, the header rule, the round cross mark at the top left and
# the dark tab at the top centre carrying a key cap.
convert -size 300x188 xc:"rgba(255,255,255,0)" -type TrueColorAlpha \
  -fill '#fbf9f4' -stroke '#a3a8b0' -strokewidth 1.5 -draw "roundrectangle 6,12 289,178 14,14" \
  -stroke '#cfd2d8' -strokewidth 1 -draw "line 22,52 276,52" \
  -fill '#dde0e5' -stroke '#9aa0a8' -strokewidth 1 -draw "circle 26,30 26,38" \
  -stroke '#5c636d' -strokewidth 2 -draw "line 23,27 29,33" -draw "line 29,27 23,33" \
  -fill '#2d3b55' -stroke '#1f2a3e' -strokewidth 1 -draw "roundrectangle 124,1 176,27 8,8" \
  -fill '#c9d1df' -stroke '#f4f6fa' -strokewidth 1 -draw "roundrectangle 137,5 163,23 4,4" \
  -fill '#eef1f6' -stroke none -draw "roundrectangle 140,7 160,17 3,3" \
  "PNG32:$TMP/card.png"

convert "$TMP/shadow.png" "$TMP/card.png" -compose over -composite \
  -define png:color-type=6 -define png:compression-level=9 -type TrueColorAlpha -strip "PNG32:$OUT"
ls -l "$OUT"
