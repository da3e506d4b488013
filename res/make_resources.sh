#!/usr/bin/env bash
# Makes the program's pictures and sounds in res/: page-button bitmaps, cursors, icons and
# sound clips. Needs ImageMagick's convert and sox (Debian: imagemagick, sox), od and awk.
set -euo pipefail

CONVERT=${CONVERT:-convert}
SOX=${SOX:-sox}
out=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LC_ALL=C

# The 16 colours of the standard Windows palette; 16-colour pictures use only these.
"$CONVERT" -size 1x1 xc:'#000000' xc:'#800000' xc:'#008000' xc:'#808000' xc:'#000080' \
  xc:'#800080' xc:'#008080' xc:'#C0C0C0' xc:'#808080' xc:'#FF0000' xc:'#00FF00' \
  xc:'#FFFF00' xc:'#0000FF' xc:'#FF00FF' xc:'#00FFFF' xc:'#FFFFFF' +append "$work/vga.png"

# Writes picture as an uncompressed 4-bit BMP with a 40-byte header.
bmp16() {
  "$CONVERT" "$1" -background black -alpha remove +dither -remap "$work/vga.png" \
    -type Palette -define bmp:format=bmp3 -compress none "BMP3:$2"
}

# --- Page buttons: 32 x 24, a raised grey button with a picture -----------------------------
bevel=(-stroke none -strokewidth 1 -fill white -draw "line 0,0 30,0" -draw "line 0,0 0,22"
  -fill '#808080' -draw "line 1,22 30,22" -draw "line 30,1 30,22"
  -fill black -draw "line 0,23 31,23" -draw "line 31,0 31,23")
button() {  # name, drawing options...
  local name=$1
  shift
  "$CONVERT" -size 32x24 xc:'#C0C0C0' +antialias "$@" "${bevel[@]}" "$work/$name.png"
  bmp16 "$work/$name.png" "$out/button_$name.bmp"
}
arrow=(-fill '#000080' -draw "polygon 6,11 15,3 15,20" -draw "rectangle 15,8 25,15")
button backward "${arrow[@]}"
"$CONVERT" -size 32x24 xc:'#C0C0C0' +antialias "${arrow[@]}" -flop "${bevel[@]}" \
  "$work/forward.png"
bmp16 "$work/forward.png" "$out/button_forward.bmp"
button exit -stroke '#FF0000' -strokewidth 3 -draw "line 10,5 21,18" -draw "line 21,5 10,18"
button return -fill '#008000' -draw "rectangle 21,4 24,15" -draw "rectangle 11,12 24,15" \
  -draw "polygon 5,13 12,7 12,20"

# --- Cursors: 32 x 32 hands, black outline, white inside -------------------------------------
# Each shape is drawn black, then white one pixel inside, so the outline goes round the whole.
hand() {  # name, top of the index finger
  local name=$1 tip=$2
  local shapes=("9,$tip 15,16" "15,9 19,16" "19,10 23,17" "23,12 26,18" "7,15 26,27"
    "3,14 9,22" "10,26 23,31")
  local draw=()
  for s in "${shapes[@]}"; do draw+=(-fill black -draw "roundrectangle $s 2,2"); done
  for s in "${shapes[@]}"; do
    read -r x0 y0 x1 y1 <<<"$(echo "$s" | tr ', ' '  ')"
    draw+=(-fill white -draw "roundrectangle $((x0 + 1)),$((y0 + 1)) $((x1 - 1)),$((y1 - 1)) 1,1")
  done
  "$CONVERT" -size 32x32 xc:none +antialias "${draw[@]}" -fill black \
    -draw "line 15,10 15,17" -draw "line 19,11 19,17" -draw "line 23,13 23,18" \
    -fill '#C0C0C0' -draw "line 24,19 24,25" -draw "line 12,29 21,29" \
    "$work/cursor_$name.png"
}
hand hand 0
hand press 6

# --- Icons: a disc, 32 x 32 and 16 x 16 ------------------------------------------------------
"$CONVERT" -size 32x32 xc:none +antialias -fill '#C0C0C0' -stroke '#000080' \
  -draw "circle 15.5,15.5 15.5,1.5" -stroke none -fill '#0000FF' -draw "circle 15.5,15.5 15.5,7" \
  -fill '#00FFFF' -draw "polygon 16,2 29,10 16,16" -fill none -stroke '#000080' \
  -draw "circle 15.5,15.5 15.5,1.5" -stroke none -fill black -draw "circle 15.5,15.5 15.5,12.5" \
  -alpha set -fill none -draw "color 15,15 floodfill" -draw "color 16,16 floodfill" \
  "$work/icon_32.png"
"$CONVERT" -size 16x16 xc:none +antialias -fill '#C0C0C0' -stroke '#000080' \
  -draw "circle 7.5,7.5 7.5,0.5" -stroke none -fill '#0000FF' -draw "circle 7.5,7.5 7.5,3.5" \
  -fill '#00FFFF' -draw "polygon 8,1 14,5 8,8" -fill none -stroke '#000080' \
  -draw "circle 7.5,7.5 7.5,0.5" -stroke none -fill black -draw "circle 7.5,7.5 7.5,6" \
  -alpha set -fill none -draw "color 7,7 floodfill" -draw "color 8,8 floodfill" \
  "$work/icon_16.png"

# --- Windows icon and cursor files, 16 colours with an AND mask -----------------------------
bytes() { od -An -v -tx1 "$1" | tr -s ' \n' '  '; }
le16() { printf '%02x %02x ' $(($1 & 255)) $((($1 >> 8) & 255)); }
le32() { printf '%02x %02x %02x %02x ' $(($1 & 255)) $((($1 >> 8) & 255)) \
  $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
# The AND mask of picture (a bit set where it is transparent), bottom row first, rows padded
# to 32 bits, as hex bytes.
and_mask() {
  local width
  width=$("$CONVERT" "$1" -format '%w' info:)
  "$CONVERT" "$1" -alpha extract -depth 8 gray:- | od -An -v -tu1 |
    awk -v w="$width" '{ for (i = 1; i <= NF; i++) a[n++] = $i }
      END {
        rowbytes = int((w + 31) / 32) * 4
        for (y = n / w - 1; y >= 0; y--) {
          for (b = 0; b < rowbytes; b++) {
            v = 0
            for (k = 0; k < 8; k++) {
              x = b * 8 + k
              v = v * 2 + (x < w && a[y * w + x] < 128 ? 1 : 0)
            }
            printf "%02x ", v
          }
        }
      }'
}
# The image of one entry: the 4-bit BMP's header (height doubled for the two masks), colour
# table and rows, then the AND mask.
entry_image() {
  bmp16 "$1" "$work/entry.bmp"
  local all height
  read -r -a all <<<"$(bytes "$work/entry.bmp")"
  height=$((16#${all[22]} + 256 * 16#${all[23]}))
  local header=("${all[@]:14:40}")
  read -r -a doubled <<<"$(le32 $((height * 2)))"
  header[8]=${doubled[0]} header[9]=${doubled[1]} header[10]=${doubled[2]} header[11]=${doubled[3]}
  header[20]=00 header[21]=00 header[22]=00 header[23]=00  # image size: left to the reader
  echo "${header[*]} ${all[*]:54} $(and_mask "$1")"
}
# icon_file type out hot-x hot-y picture [hot-x hot-y picture...]; type 1 icon, 2 cursor. For
# icons the two numbers are the planes and bit count (1 and 4); for cursors the hot spot.
icon_file() {
  local type=$1 target=$2
  shift 2
  local count=$(($# / 3)) offset=$((6 + 16 * ($# / 3))) directory="" images=""
  while (($# > 0)); do
    local image size width colours
    image=$(entry_image "$3")
    colours=$((1 << 16#$(echo "$image" | cut -d' ' -f15)))  # from the bit count
    size=$(echo "$image" | wc -w)
    width=$("$CONVERT" "$3" -format '%w' info:)
    directory+="$(printf '%02x %02x %02x 00 ' "$width" "$width" $((colours & 255)))$(le16 "$1")$(le16 "$2")"
    directory+="$(le32 "$size")$(le32 "$offset")"
    images+="$image "
    offset=$((offset + size))
    shift 3
  done
  local hex="00 00 $(le16 "$type")$(le16 "$count")$directory$images"
  printf "$(echo "$hex" | tr -s ' ' '\n' | grep . | sed 's/^/\\x/' | tr -d '\n')" >"$target"
}
icon_file 2 "$out/cursor_hand.cur" 12 1 "$work/cursor_hand.png"
icon_file 2 "$out/cursor_press.cur" 13 7 "$work/cursor_press.png"
icon_file 1 "$out/icon_app.ico" 1 4 "$work/icon_32.png" 1 4 "$work/icon_16.png"
icon_file 1 "$out/icon_app_small.ico" 1 4 "$work/icon_16.png"

# The same pictures as 32-bit BMP files with alpha, for the Linux build's cursors and icons.
for picture in cursor_hand cursor_press; do
  "$CONVERT" "$work/$picture.png" -define bmp:format=bmp4 "BMP:$out/$picture.bmp"
done
"$CONVERT" "$work/icon_32.png" -define bmp:format=bmp4 "BMP:$out/icon_app.bmp"
"$CONVERT" "$work/icon_16.png" -define bmp:format=bmp4 "BMP:$out/icon_app_small.bmp"

# --- Sounds: 22,050 Hz, mono, 16-bit, each well under 0.3 s ----------------------------------
wave() { "$SOX" -R -n -r 22050 -c 1 -b 16 -e signed-integer "$out/$1.wav" "${@:2}"; }
wave sound_click synth 0.05 square 1400 synth 0.05 sine amod 60 fade q 0.002 0.05 0.045 vol 0.5
wave sound_page synth 0.22 pinknoise band 2500 1800 fade h 0.06 0.22 0.12 vol 0.6
wave sound_hover synth 0.025 sine 3000 fade q 0.001 0.025 0.022 vol 0.25
