#!/bin/sh
# Draws Ravak's pictures with ImageMagick and DejaVu fonts. The outputs are committed; run this
# again only to change them. Large pictures are 8-bit RLE bitmaps made of horizontal bands, so
# they stay a few kilobytes inside the program.
set -eu
cd "$(dirname "$0")"
FONT=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
NAVY='#000040'
SKY='#2f6fd6'

banded() {  # banded W H TOP BOTTOM OUT [draw options...]
  w=$1 h=$2 top=$3 bottom=$4 out=$5
  shift 5
  convert -size "${w}x${h}" "gradient:${top}-${bottom}" -posterize 24 "$@" \
    +dither -colors 64 -type Palette -compress RLE "BMP3:${out}"
}

# Tray and program icon: a blue rounded tile with a white R.
for s in 16 32 48; do
  convert -size ${s}x${s} xc:none -fill "$SKY" -draw "roundrectangle 0,0 $((s-1)),$((s-1)) $((s/5)),$((s/5))" \
    -fill white -font "$FONT" -pointsize $((s*3/4)) -gravity center -annotate +0+0 R "icon-$s.png"
done
convert icon-16.png icon-32.png icon-48.png ravak.ico
rm -f icon-16.png icon-32.png icon-48.png

# Logo 100x30 at the top of the settings window.
convert -size 100x30 xc:white -fill "$SKY" -draw "roundrectangle 0,2 27,27 6,6" \
  -fill white -font "$FONT" -pointsize 20 -annotate +6+22 R \
  -fill "$NAVY" -pointsize 16 -annotate +32+22 Ravak -type Palette "BMP3:logo.bmp"

# About picture 697x256 and splash 500x184.
banded 697 256 '#dfe9fb' '#ffffff' about.bmp -fill "$SKY" -font "$FONT" -pointsize 72 \
  -gravity center -annotate +0-20 Ravak -fill "$NAVY" -pointsize 22 -annotate +0+50 \
  'Persian <-> English typing'
banded 500 184 "$SKY" '#0d2f6b' splash.bmp -fill white -font "$FONT" -pointsize 64 \
  -gravity center -annotate +0-14 Ravak -pointsize 18 -annotate +0+46 'Tirnak Ravak 1.1'

# The three keys whose Farsi letters differ between the two keyboards: ` C \
keys() {  # keys OUT LETTER1 LETTER2 LETTER3
  convert -size 210x80 xc:white -stroke "$NAVY" -strokewidth 2 -fill '#eef3fd' \
    -draw "roundrectangle 6,8 66,72 8,8" -draw "roundrectangle 76,8 136,72 8,8" \
    -draw "roundrectangle 146,8 206,72 8,8" -stroke none -fill "$NAVY" -font "$FONT" \
    -pointsize 20 -annotate +12+34 '`' -annotate +82+34 'C' -annotate +152+34 '\\' \
    -fill "$SKY" -font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf -pointsize 26 \
    -annotate +36+64 "$2" -annotate +106+64 "$3" -annotate +176+64 "$4" \
    +dither -colors 32 -type Palette "BMP3:$1"
}
keys keyboard1.bmp 'پ' 'ژ' 'پ'
keys keyboard3.bmp 'پ' 'ژ' 'ژ'

# Menu pictures, 24x24.
convert -size 24x24 xc:white -fill '#5a6e8c' -draw "circle 12,12 12,4" -fill white \
  -draw "circle 12,12 12,9" -fill '#5a6e8c' -draw "rectangle 10,0 14,5" -draw "rectangle 10,19 14,23" \
  -draw "rectangle 0,10 5,14" -draw "rectangle 19,10 23,14" -type Palette "BMP3:menu-tools.bmp"
convert -size 24x24 xc:white -fill "$SKY" -draw "circle 12,12 12,1" -fill white -font "$FONT" \
  -pointsize 16 -gravity center -annotate +0+1 i -type Palette "BMP3:menu-about.bmp"
convert -size 24x24 xc:white -stroke '#d01818' -strokewidth 4 -draw "line 5,5 19,19" \
  -draw "line 19,5 5,19" -type Palette "BMP3:menu-exit.bmp"
ls -l ./*.bmp ./*.ico
