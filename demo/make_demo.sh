#!/bin/sh
# Draws the demo menu's background, demo/background.bmp: 640 x 480, 24-bit, no alpha.
# Needs ImageMagick's convert (Debian: imagemagick). Run from anywhere; writes beside itself.
set -eu
cd "$(dirname "$0")"
command -v convert >/dev/null 2>&1 || {
  echo "make_demo.sh: ImageMagick's convert is missing (apt-get install imagemagick)" >&2
  exit 1
}

# Where the menu puts things (keep in step with Quorel.ini): the title is centred from y 20,
# items fill two columns from 60,120 with a row pitch of 56, the page buttons sit at y 344,
# and the hint text wraps inside 56,414 - 584,460.
convert -size 640x480 gradient:'#0b1d2e'-'#1e5166' \
  \( -size 900x560 xc:'#8fd3ee' \( -size 900x560 -define gradient:radii=450,280 radial-gradient:'gray35'-'black' \) \
     -alpha off -compose copy_opacity -composite \) \
  -gravity north -geometry +0-280 -compose over -composite -gravity northwest \
  -fill 'rgba(255,255,255,0.035)' -stroke none \
  -draw 'circle 600,470 600,250' -draw 'circle 20,40 20,150' \
  -fill 'rgba(255,255,255,0.07)' -stroke 'rgba(190,225,240,0.35)' -strokewidth 1 \
  -draw 'roundrectangle 40,100 600,384 14,14' \
  -stroke 'rgba(190,225,240,0.18)' -draw 'line 302,124 302,322' \
  -draw 'line 60,336 580,336' \
  -fill 'rgba(0,0,0,0.28)' -stroke 'rgba(190,225,240,0.25)' \
  -draw 'roundrectangle 40,400 600,466 10,10' \
  -stroke none -fill 'rgba(240,190,90,0.85)' -draw 'rectangle 200,82 440,83' \
  -fill 'rgba(240,190,90,0.35)' -draw 'rectangle 120,82 199,83' -draw 'rectangle 441,82 520,83' \
  -alpha off -type TrueColor BMP3:background.bmp
