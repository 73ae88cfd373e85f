#!/usr/bin/env bash
# Remakes the pictures of res/ (they are committed; the build does not run
# this). Needs ImageMagick 6 (`convert`), python3 and the DejaVu and
# WenQuanYi Zen Hei fonts.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
res=$(dirname "$here")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

zh=/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc
bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
boldItalic=/usr/share/fonts/truetype/dejavu/DejaVuSans-BoldOblique.ttf

# Palette: the title strip's light blue (169,183,220), navy ink, red accent.
strip='#A9B7DC'
navy='#2B3F73'
red='#C0392B'

# Pictures shown at a higher display scale come in sets drawn for it from
# the same drawings (not enlarged from the small ones): percent of the
# 96-DPI size, and the name suffix of the set's resource and file.
scales=(125 150 200)

# A design size at a scale, rounded to the nearest pixel, halves up.
scaled() {  # scaled SIZE PERCENT
    echo $(( ($1 * $2 + 50) / 100 ))
}

# Draws a picture designed on a grid of `units` at `size` pixels: renders at
# four times the size, then averages 4x4 blocks, which smooths the edges.
render() {  # render MVG_FILE UNITS SIZE OUT.png
    local k s=$((4 * $3))
    k=$(awk "BEGIN { print 4 * $3 / $2 }")
    convert -size ${s}x${s} xc:none -draw "scale $k,$k $(tr '\n' ' ' < "$1")" -scale 25% "$4"
}

# A 24-bit tile for the image list: opaque where the picture covers at least
# half a pixel (blended over a light button face), magenta elsewhere.
masked() {  # masked IN.png SIZE OUT.png
    convert -size $2x$2 xc:'#FF00FF' \( "$1" -background '#F0F0F0' -flatten \) \
        \( "$1" -alpha extract -threshold 50% \) -composite "$3"
}

# An image list's bitmap: the tiles of drawings NAMES (files $work/NAME.mvg,
# designed on a 32-unit grid) side by side at SIZE pixels each.
strip_of_tiles() {  # strip_of_tiles SIZE OUT.bmp NAMES...
    local size=$1 out=$2 name tiles=()
    shift 2
    for name in "$@"; do
        render "$work/$name.mvg" 32 "$size" "$work/$name-$size.png"
        masked "$work/$name-$size.png" "$size" "$work/tile-$name-$size.png"
        tiles+=("$work/tile-$name-$size.png")
    done
    convert "${tiles[@]}" +append -alpha off -type TrueColor "BMP3:$out"
}

# ---- About page banner, 440 x 150 ------------------------------------------
convert -size 440x150 gradient:'#F7F9FE-#DCE4F5' \
    -fill "$strip" -draw 'rectangle 0,0 439,18' -draw 'rectangle 0,145 439,149' \
    -fill '#FFFFFF' -stroke '#8C9CCB' -strokewidth 1.5 -draw 'roundrectangle 318,36 418,132 6,6' \
    -stroke none -fill "$strip" -draw 'roundrectangle 319,37 417,49 5,5' -draw 'rectangle 319,44 417,49' \
    -fill '#E9EEF9' -stroke '#B4C0E0' -strokewidth 1 \
    -draw 'rectangle 330,60 406,72' -draw 'rectangle 330,82 406,94' -draw 'rectangle 330,104 380,116' \
    -stroke "$navy" -strokewidth 1.5 -draw 'line 334,66 362,66' -draw 'line 334,88 350,88' \
    -stroke none \
    -fill "$navy" -draw 'polygon 372,118 420,70 428,78 380,126' \
    -fill "$red" -draw 'polygon 420,70 426,64 434,72 428,78' \
    -fill '#E8C98A' -draw 'polygon 372,118 380,126 366,132' \
    -fill "$navy" -draw 'polygon 366,132 369,126 372,129' \
    -font "$bold" -pointsize 24 -fill "$navy" -annotate +24+74 'KestovaPennora' \
    -font "$boldItalic" -pointsize 24 -fill "$red" -annotate +254+74 '2.5' \
    -fill "$strip" -draw 'rectangle 24,86 292,87' \
    -font "$zh" -pointsize 18 -fill '#4A5A85' -annotate +25+114 '常用文字快速填表工具' \
    -quality 85 -sampling-factor 1x1 -strip "$res/banner.jpg"

# ---- Application icon: a form with a pen, on a 64-unit grid ----------------
cat > "$work/pen.mvg" <<'EOF'
fill #2B3F73 rectangle 8,4 47,59
fill #FFFFFF rectangle 12,8 43,55
fill #A9B7DC rectangle 12,8 43,15
fill #6F86C4 rectangle 16,24 39,27
fill #6F86C4 rectangle 16,36 35,39
fill #6F86C4 rectangle 16,48 27,51
fill #1E2D57 polygon 30,46 52,24 60,32 38,54
fill #3D5CB0 polygon 31,45 52,24 55,27 34,48
fill #C0392B polygon 52,24 56,20 64,28 60,32
fill #E8C98A polygon 30,46 38,54 24,60
fill #1E2D57 polygon 24,60 26,54 30,58
EOF
# Small icons at 100, 125, 150 and 200 percent, large ones up to 200 percent.
icons=()
for size in 16 20 24 32 40 48 64; do
    render "$work/pen.mvg" 64 $size "$work/pen$size.png"
    icons+=("$work/pen$size.png")
done
convert "${icons[@]}" "$res/Pennora.ico"

# ---- ImageListMain: five 32 x 32 tiles on a 32-unit grid -------------------
# 0 drag fill: a hand dragging a line of text
cat > "$work/0.mvg" <<'EOF'
stroke #2B3F73 stroke-width 1 fill #FFFFFF roundrectangle 1.5,2.5 24.5,11.5 2,2
stroke none fill #2B3F73 rectangle 4,6 9,8 rectangle 11,6 14,8 rectangle 16,6 21,8
stroke #8C9CCB stroke-width 1.5 stroke-linecap round line 2,17 8,17 line 4,21 9,21 line 2,25 8,25
stroke #6B4A24 stroke-width 1 fill #FBDDB5
roundrectangle 14.5,9.5 19.5,23 2.5,2.5
roundrectangle 11.5,18.5 28.5,30.5 3.5,3.5
roundrectangle 14.5,9.5 19.5,21 2.5,2.5
stroke #6B4A24 stroke-width 1 line 20,19 20,23 line 24,19 24,23
fill #FBDDB5 ellipse 11.5,23 2.5,3.5 0,360
EOF
# 1 hot key: a key cap
cat > "$work/1.mvg" <<EOF
stroke none fill #5D6E9E roundrectangle 3,4 29,29 4,4
fill #8C9CCB roundrectangle 3,3 29,26 4,4
stroke #2B3F73 stroke-width 1 fill none roundrectangle 3.5,3.5 28.5,28.5 4,4
stroke none fill #F4F7FD roundrectangle 6,5 26,22 3,3
fill #2B3F73 font '$bold' font-size 16 text 10,20 'V'
EOF
# 2 help: a question mark
cat > "$work/2.mvg" <<EOF
stroke #1E2D57 stroke-width 1 fill #3D5CB0 circle 16,16 16,2.5
stroke none fill #6F86C4 ellipse 16,11 9,6 0,360
fill #3D5CB0 ellipse 16,18 12,9 0,360
fill #FFFFFF font '$bold' font-size 20 text 10,24 '?'
EOF
# 3 (no button uses it): a plain form, in the same style
cat > "$work/3.mvg" <<'EOF'
stroke none fill #2B3F73 rectangle 5,2 26,29
fill #FFFFFF rectangle 7,4 24,27
fill #A9B7DC rectangle 7,4 24,7
fill #6F86C4 rectangle 9,11 22,12 rectangle 9,16 20,17 rectangle 9,21 15,22
EOF
# 4 hide browser: a browser window struck through
cat > "$work/4.mvg" <<'EOF'
stroke none fill #2B3F73 rectangle 1,4 30,27
fill #A9B7DC rectangle 2,5 29,9
fill #FFFFFF rectangle 2,10 29,26
fill #C0392B rectangle 26,6 28,8
fill #E9EEF9 stroke #8C9CCB stroke-width 1 rectangle 4.5,12.5 27.5,15.5
stroke #3D5CB0 stroke-width 1.2 fill #CFE0F7 circle 21,21 21,17
fill none line 17,21 25,21 line 21,17 21,25 ellipse 21,21 1.8,4 0,360
stroke #FFFFFF stroke-width 5 stroke-linecap round line 5,29 27,3
stroke #C0392B stroke-width 3 stroke-linecap round line 5,29 27,3
EOF
strip_of_tiles 32 "$res/ImageListMain.bmp" 0 1 2 3 4
for scale in "${scales[@]}"; do
    strip_of_tiles "$(scaled 32 "$scale")" "$res/ImageListMain_$scale.bmp" 0 1 2 3 4
done

# ---- ImgLstEditData: eleven 16 x 16 tiles on a 32-unit grid ---------------
# 0 save, 1 new, 2 delete, 3 and 5 unused (a plain form), 4 help, 6 prior,
# 7 next, 8 export (an arrow out of a page), 9 import (an arrow into a page),
# 10 earlier versions (a clock with an arrow turning back)
cat > "$work/e0.mvg" <<'EOF'
stroke none fill #2B3F73 roundrectangle 3,3 29,29 3,3
fill #FFFFFF rectangle 8,4 24,14
fill #6F86C4 rectangle 10,7 22,8 rectangle 10,10 22,11
fill #A9B7DC rectangle 9,19 23,28
fill #2B3F73 rectangle 18,21 21,26
EOF
cat > "$work/e1.mvg" <<'EOF'
stroke #2B3F73 stroke-width 1.5 fill #FFFFFF polygon 6,3 19,3 26,10 26,29 6,29
fill #A9B7DC polygon 19,3 19,10 26,10
stroke none fill #2E8B57 rectangle 14,14 18,26 rectangle 10,18 22,22
EOF
cat > "$work/e2.mvg" <<'EOF'
stroke #C0392B stroke-width 5 stroke-linecap round line 8,8 24,24 line 24,8 8,24
EOF
cp "$work/3.mvg" "$work/e3.mvg"
cp "$work/2.mvg" "$work/e4.mvg"
cp "$work/3.mvg" "$work/e5.mvg"
cat > "$work/e6.mvg" <<'EOF'
stroke none fill #3D5CB0 polygon 22,5 22,27 7,16
EOF
cat > "$work/e7.mvg" <<'EOF'
stroke none fill #3D5CB0 polygon 10,5 10,27 25,16
EOF
# A page with lines of text, on the left; the arrows cross its right edge.
page='stroke #2B3F73 stroke-width 1.5 fill #FFFFFF polygon 3,3 14,3 20,9 20,29 3,29
fill #A9B7DC polygon 14,3 14,9 20,9
stroke none fill #6F86C4 rectangle 6,13 13,14.5 rectangle 6,18 11,19.5 rectangle 6,23 13,24.5'
cat > "$work/e8.mvg" <<EOF
$page
stroke #FFFFFF stroke-width 1 fill #3D5CB0 polygon 12,13 21,13 21,8 30,16 21,24 21,19 12,19
EOF
cat > "$work/e9.mvg" <<EOF
$page
stroke #FFFFFF stroke-width 1 fill #2E8B57 polygon 30,13 21,13 21,8 12,16 21,24 21,19 30,19
EOF
cat > "$work/e10.mvg" <<'EOF'
stroke #2B3F73 stroke-width 2.5 fill #FFFFFF circle 19,19 19,9
stroke #2B3F73 stroke-width 2.5 stroke-linecap round line 19,19 19,13 line 19,19 23,22
stroke #2E8B57 stroke-width 3.5 fill none path 'M 5,16 A 14.5,14.5 0 0 1 27,6.5'
stroke none fill #2E8B57 polygon 0,13 11,13 5,22
EOF
strip_of_tiles 16 "$res/ImgLstEditData.bmp" e0 e1 e2 e3 e4 e5 e6 e7 e8 e9 e10
for scale in "${scales[@]}"; do
    strip_of_tiles "$(scaled 16 "$scale")" "$res/ImgLstEditData_$scale.bmp" e0 e1 e2 e3 e4 e5 e6 e7 e8 e9 e10
done

# ---- Tray icon while the hot key is on: tile 1 as an icon ------------------
# At the small-icon sizes of 100, 125, 150 and 200 percent.
keys=()
for size in 16 20 24 32; do
    render "$work/1.mvg" 32 $size "$work/key$size.png"
    keys+=("$work/key$size.png")
done
convert "${keys[@]}" "$res/HotKey.ico"

# ---- Title-strip glyphs, 16 x 14 on the strip colour -----------------------
# A glyph at a scale: drawn at four times its size and averaged down; a
# height that does not scale evenly keeps the drawing centred.
glyph() {  # glyph PERCENT DRAWING OUT.bmp
    local width height k shift
    width=$(scaled 16 "$1") height=$(scaled 14 "$1")
    k=$(awk "BEGIN { print 4 * $1 / 100 }")
    shift=$(awk "BEGIN { print (4 * $height - 14 * $k) / 2 }")
    convert -size $((4 * width))x$((4 * height)) xc:"$strip" -draw "translate 0,$shift scale $k,$k $2" \
        -scale 25% -alpha off -type TrueColor "BMP3:$3"
}
minimize="stroke $navy stroke-width 2 line 4,10 12,10"
close="stroke $navy stroke-width 1.8 line 4.5,3.5 11.5,10.5 line 11.5,3.5 4.5,10.5"
glyph 100 "$minimize" "$res/StripMinimize.bmp"
glyph 100 "$close" "$res/StripClose.bmp"
for scale in "${scales[@]}"; do
    glyph "$scale" "$minimize" "$res/StripMinimize_$scale.bmp"
    glyph "$scale" "$close" "$res/StripClose_$scale.bmp"
done

# ---- Drag cursor -------------------------------------------------------------
python3 "$here/make_cursor.py" "$res/DragCursor.cur"

# ---- Seeds for the JPEG decoder's fuzz target (tiny, each a different kind) --
seeds="$res/../tests/fuzz/corpus/JpegImageFuzz"
mkdir -p "$seeds"
convert -size 8x8 gradient:"$strip"-"$red" -quality 85 -strip "$seeds/colour8x8.jpg"
convert -size 8x8 gradient:white-black -colorspace Gray -quality 85 -strip "$seeds/grey8x8.jpg"
convert -seed 1 -size 16x16 plasma:fractal -interlace JPEG -quality 75 -strip "$seeds/progressive16x16.jpg"
