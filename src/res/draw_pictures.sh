#!/bin/bash
# Draws the program's pictures: the three slot pictures at 100%, 150% and 200%
# (run0..2.bmp at 50 pixels, run0..2_150.bmp at 75, run0..2_200.bmp at 100), the
# program icon (plum_dock.ico: 16, 20, 24, 32 and 48 pixels, 16 colours) and the
# About window's link pointer (go.cur), plus the preview sheet docs/pictures.png.
#
# To redraw them all, from anywhere:
#   src/res/draw_pictures.sh
# then commit the changed files. Needs ImageMagick 6 (`convert`, `identify`),
# python3 (no extra packages; pack_ico.py packs the .bmp/.ico/.cur) and the IPA
# Gothic fonts (Debian package fonts-ipafont-gothic; the captions use its
# proportional face IPAPGothic, which fits five katakana in 50 pixels at 11 px) and
# DejaVu Sans Bold (fonts-dejavu-core) for the pointer's Go!.
#
# go.cur's hotspot is the centre of the disc, (16,16).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
docs=$(cd "$here/../.." && pwd)/docs
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

font=IPAPGothic
known_fonts=$(convert -list font)
for f in "$font" DejaVu-Sans-Bold; do
  grep -q "Font: $f\$" <<<"$known_fonts" ||
    { echo "draw_pictures.sh: ImageMagick does not know the font $f" >&2; exit 1; }
done

# ---------------------------------------------------------------------------
# Slot pictures: caption across the top, figure below, drawn on a 50x50 grid and
# rendered at 50, 75 and 100 pixels; 8-bit run-length encoded BMPs with their
# exact colours.

# slot_picture NAME BACKGROUND CAPTION MVG: NAME.bmp, NAME_150.bmp, NAME_200.bmp.
slot_picture() {
  local size scale out affine
  for size in 50 75 100; do
    scale=$(awk "BEGIN { print $size / 50 }")
    # At 50 pixels the drawing is given as it is: even a unit affine moves
    # ImageMagick's antialiasing slightly.
    case $size in
      50) out=$1.bmp affine= ;;
      75) out=$1_150.bmp affine="affine 1.5,0,0,1.5,0,0" ;;
      100) out=$1_200.bmp affine="affine 2,0,0,2,0,0" ;;
    esac
    # The larger pictures' antialiasing may run past 256 colours.
    convert -size "${size}x${size}" "xc:$2" \
      -font "$font" -pointsize "$(awk "BEGIN { print 11 * $scale }")" -fill black \
      -gravity north -annotate "+0+$scale" "$3" \
      -gravity northwest -draw "$affine $4" \
      -alpha off $([ "$size" = 50 ] || echo +dither -colors 256) \
      -type TrueColor -define bmp:format=bmp3 "BMP3:$work/picture.bmp"
    python3 "$here/pack_ico.py" bitmap "$out" "$work/picture.bmp"
  done
}

# A white figure with a round head and two large black eyes.
slot_picture "$here/run0" 'rgb(0,128,255)' 'アプレット' "
  stroke none fill white
  ellipse 25,24 10,9 0,360
  ellipse 25,38.5 6.5,6 0,360
  stroke white stroke-width 2.5 stroke-linecap round
  line 20,35 13,41
  line 30,35 37,41
  line 22,43 21,48
  line 28,43 29,48
  stroke none fill black
  ellipse 21,24 3,4.5 0,360
  ellipse 29,24 3,4.5 0,360
  fill white
  point 20,22
  point 28,22"

# A white rooster facing left.
slot_picture "$here/run1" 'rgb(0,192,0)' 'アプリ' "
  stroke none fill rgb(230,0,0)
  circle 13,18 13,15.8
  circle 16,16.5 16,14.3
  circle 19,18 19,15.8
  ellipse 12,29 1.6,2.4 0,360
  fill white
  polygon 12,22 20,21 23,33 17,35
  circle 16,23 16,18
  ellipse 28,37 10,7 0,360
  path 'M 31,32 C 33,20 42,14 47,21 C 43,20 41,22 40,26 C 44,25 47,28 46,33 C 42,31 39,34 36,42 Z'
  stroke rgb(170,170,170) stroke-width 1 fill none
  path 'M 35,30 C 36,24 39,21 42,20'
  path 'M 37,34 C 39,30 41,29 44,30'
  path 'M 22,36 Q 28,41 34,37'
  stroke none fill rgb(255,176,0)
  polygon 12,21.5 6,24 12,25.5
  stroke rgb(255,176,0) stroke-width 1.5 stroke-linecap round
  line 25,43 24,48
  line 31,43 31,48
  line 24,48 21,48
  line 31,48 28,48
  stroke none fill black
  rectangle 14,21 15,22"

# A grey can-shaped robot with raised arms.
slot_picture "$here/run2" 'rgb(255,255,0)' 'コンパイル' "
  stroke rgb(64,64,64) stroke-width 1 fill rgb(150,150,150)
  rectangle 21,44 23,48
  rectangle 27,44 29,48
  stroke rgb(64,64,64) stroke-width 4.5 stroke-linecap round stroke-linejoin round fill none
  polyline 18,32 11,32 11,20
  polyline 32,32 39,32 39,20
  stroke rgb(150,150,150) stroke-width 2.5
  polyline 18,32 11,32 11,20
  polyline 32,32 39,32 39,20
  stroke rgb(64,64,64) stroke-width 1 fill rgb(150,150,150)
  ellipse 25,43 7.5,2.5 0,180
  rectangle 17.5,22 32.5,43
  stroke none
  rectangle 18,22 32,43
  stroke rgb(64,64,64) stroke-width 1 fill rgb(200,200,200)
  ellipse 25,22 7.5,2.5 0,360
  line 25,19.5 25,16
  fill rgb(230,0,0)
  circle 25,15.5 26.3,15.5
  stroke rgb(64,64,64) stroke-width 1 fill white
  ellipse 21.5,27 2.2,2.2 0,360
  ellipse 28.5,27 2.2,2.2 0,360
  stroke none fill black
  rectangle 21,26.5 22,27.5
  rectangle 28,26.5 29,27.5
  stroke rgb(64,64,64) stroke-width 1 fill rgb(110,110,110)
  rectangle 21,32 29,36
  line 23,32 23,36
  line 25,32 25,36
  line 27,32 27,36"

# ---------------------------------------------------------------------------
# Pixel lettering for the icon and the cursor: each glyph is rows of '1' (ink) and
# '.' (none), separated by spaces.

declare -A BIG=(  # 6x7, two-pixel strokes
  [D]='11111. 11..11 11..11 11..11 11..11 11..11 11111.'
  [O]='.1111. 11..11 11..11 11..11 11..11 11..11 .1111.'
  [C]='.11111 11.... 11.... 11.... 11.... 11.... .11111'
  [K]='11..11 11.11. 1111.. 111... 1111.. 11.11. 11..11'
)
declare -A SMALL=(  # 3x5
  [D]='110 101 101 101 110'
  [O]='010 101 101 101 010'
  [C]='011 100 100 100 011'
  [K]='101 101 110 101 101'
)

# pixel_text X Y GAP FONT TEXT: prints MVG points drawing TEXT with its top-left at X,Y.
pixel_text() {
  local x=$1 y=$2 gap=$3 text=$5 i r c row
  local -n glyphs=$4
  for ((i = 0; i < ${#text}; i++)); do
    local rows=(${glyphs[${text:i:1}]})
    for ((r = 0; r < ${#rows[@]}; r++)); do
      row=${rows[r]}
      for ((c = 0; c < ${#row}; c++)); do
        [[ ${row:c:1} == 1 ]] && echo "point $((x + c)),$((y + r))"
      done
    done
    x=$((x + ${#rows[0]} + gap))
  done
}

# ---------------------------------------------------------------------------
# Program icon: a grey open-end wrench and a hex bolt crossed by a thick black
# stroke, drawn pixel-exact (no antialiasing) with a one-pixel black outline over
# the top 32x22 of the 32x32 entry and the top 48x33 of the 48x48 one; the 32-pixel
# drawing sampled down gives the top of the 16, 20 and 24-pixel entries. DOCK in
# red pixel capitals along the bottom edge of each.

declare -A MEDIUM=(  # 4x6
  [D]='111. 1..1 1..1 1..1 1..1 111.'
  [O]='.11. 1..1 1..1 1..1 1..1 .11.'
  [C]='.111 1... 1... 1... 1... .111'
  [K]='1..1 1.1. 11.. 11.. 1.1. 1..1'
)

# outlined IN OUT: IN with a one-pixel black outline around its opaque part.
outlined() {
  convert "$1" \( +clone -alpha extract -morphology Dilate Diamond:1 \
    -background black -alpha shape \) +swap -compose Over -composite "$2"
}

# tools SIZE AFFINE OUT: the wrench, bolt and stroke on a 32x22 grid, drawn at SIZE.
# The jaw's gap is painted magenta and then made transparent.
tools() {
  convert -size "$1" xc:none +antialias -draw "$2
    fill silver stroke silver stroke-width 4 stroke-linecap round
    line 4,18 15,8
    stroke none
    circle 18,5 18,0.2
    fill magenta
    polygon 18.7,6.4 16.6,4.3 22.6,-1.7 24.7,0.4" -transparent magenta "$work/wrench.png"
  outlined "$work/wrench.png" "$work/wrench_outlined.png"
  convert -size "$1" xc:none +antialias -draw "$2
    stroke none fill silver
    polygon 31.5,15.5 28.5,20.7 22.5,20.7 19.5,15.5 22.5,10.3 28.5,10.3
    fill rgb(128,128,128)
    circle 25.5,15.5 25.5,18" "$work/bolt.png"
  outlined "$work/bolt.png" "$work/bolt_outlined.png"
  convert "$work/bolt_outlined.png" "$work/wrench_outlined.png" -compose Over -composite \
    +antialias -draw "$2 stroke black stroke-width 3 line 0,7 27,22" "$3"
}
tools 32x22 '' "$work/tools.png"
tools 48x33 'affine 1.5,0,0,1.5,0,0' "$work/tools48.png"

# The 48-pixel lettering is the 32-pixel one's glyphs half as large again.
convert -size 30x7 xc:none +antialias -fill red -draw "$(pixel_text 0 0 2 BIG DOCK)" \
  -sample 45x11! "$work/dock48.png"
convert -size 48x48 xc:none "$work/tools48.png" -geometry +0+0 -composite \
  "$work/dock48.png" -geometry +1+36 -composite "$work/icon48.png"
convert -size 32x32 xc:none "$work/tools.png" -geometry +0+0 -composite \
  +antialias -fill red -draw "$(pixel_text 1 25 2 BIG DOCK)" "$work/icon32.png"
convert -size 24x24 xc:none \( "$work/tools.png" -sample 24x16! \) -geometry +0+0 -composite \
  +antialias -fill red -draw "$(pixel_text 1 17 2 MEDIUM DOCK)" "$work/icon24.png"
convert -size 20x20 xc:none \( "$work/tools.png" -sample 20x14! \) -geometry +0+0 -composite \
  +antialias -fill red -draw "$(pixel_text 2 15 1 SMALL DOCK)" "$work/icon20.png"
convert -size 16x16 xc:none \( "$work/tools.png" -sample 16x11! \) -geometry +0+0 -composite \
  +antialias -fill red -draw "$(pixel_text 0 11 1 SMALL DOCK)" "$work/icon16.png"
python3 "$here/pack_ico.py" icon "$here/plum_dock.ico" "$work"/icon{32,16,20,24,48}.png

# ---------------------------------------------------------------------------
# Link pointer: a white disc with Go! in blue; hotspot at the disc's centre.

convert -size 32x32 xc:none +antialias \
  -fill white -stroke black -strokewidth 1 -draw 'circle 15.5,15.5 15.5,1' \
  -font DejaVu-Sans-Bold -pointsize 13 -fill blue -stroke none -gravity center \
  -annotate +0+0 'Go!' "$work/go.png"
python3 "$here/pack_ico.py" cursor --hotspot 16,16 "$here/go.cur" "$work/go.png"

# ---------------------------------------------------------------------------
# Preview sheet: one row per slot with its pictures at 50, 75 and 100 pixels,
# doubled; then the icon at 16, 20, 24, 32 and 48 pixels and the pointer, four
# times as large.

mkdir -p "$docs"
n=0
for name in run{0,1,2}{,_150,_200}.bmp "plum_dock.ico["{1,2,3,0,4}"]" go.cur; do
  case $name in run*) zoom=200% ;; *) zoom=400% ;; esac
  convert "$here/$name" -background 'rgb(212,208,200)' -flatten -scale $zoom \
    "$work/preview_$((n += 1)).png"
done
montage "$work"/preview_{1..15}.png -tile 3x -geometry +8+8 \
  -background 'rgb(212,208,200)' "$work/sheet.png"
# Without the time stamps, so that an unchanged sheet stays byte-identical.
convert "$work/sheet.png" -strip "$docs/pictures.png"
echo "draw_pictures.sh: wrote the slot pictures, plum_dock.ico, go.cur and docs/pictures.png"
