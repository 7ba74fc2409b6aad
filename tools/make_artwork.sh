#!/bin/bash
# Draws the TV-out screen's artwork: the 320x240 background and the three
# four-frame button strips (normal, pressed, highlight, disabled), as plain
# 8-bit RGB PNGs without timestamps, so that a rerun gives the same bytes.
# Needs ImageMagick 6 and the DejaVu fonts (tools/install-deps.sh --artwork).
# The build does not run it; the PNGs are committed.
#
#   tools/make_artwork.sh [output-dir]      (default: res/ next to tools/)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:-$here/../res}"
mkdir -p "$out"

FONT_DIR=/usr/share/fonts/truetype/dejavu
SANS="$FONT_DIR/DejaVuSans.ttf"
BOLD="$FONT_DIR/DejaVuSans-Bold.ttf"
for f in "$SANS" "$BOLD"; do
    [ -r "$f" ] || { echo "missing font: $f" >&2; exit 1; }
done
command -v convert >/dev/null || { echo "ImageMagick 'convert' not found" >&2; exit 1; }

# shellcheck disable=SC2054 # the commas are ImageMagick's
PNG_OPTS=(-depth 8 +set date:create +set date:modify
          -define png:exclude-chunks=date,time,gAMA,cHRM,sRGB,bKGD,tEXt,zTXt,iTXt
          -strip)

# ------------------------------------------------- colours used more than once
PANEL='#FFFFFF'       # panel behind NTSC / PAL
FOOTER='#DCE3E9'      # bottom strip behind Cancel and the version label
SOFT_INK='#4A5D70'    # captions

# The buttons' frame sizes, and the positions of NTSC and PAL that place their
# panel, copied from view/tvoutlayout.h (the program's one source for them;
# test_view checks that the committed strips lie on the screen and do not
# overlap).
NTSC_X=162; NTSC_Y=44; PAL_X=237
STD_W=66; STD_H=30        # NTSC and PAL
CANCEL_W=64; CANCEL_H=28

# --------------------------------------------------------------- buttons
# frame W H UNDER TEXT "BORDER FACE TOPLINE" INK RING DX DY: adds the frame
# to the image list in args. UNDER fills the corners, TOPLINE is the 1 px
# line inside the top border, RING "none" or a 2 px focus ring, DX,DY the
# label's offset (pressed frames push it down). Every frame keeps a plain
# band of its face colour from (4,4) inwards, 4 px wide along all four
# sides, clear of the label.
frame() {
    local w=$1 h=$2 under=$3 text=$4 ink=$6 ring=$7 dx=$8 dy=$9 border face topline
    local x1=$(($1 - 1)) y1=$(($2 - 1))
    read -r border face topline <<<"$5"
    args+=(\( -size "${w}x${h}" "xc:$under" +antialias -stroke none)
    if [ "$ring" != none ]; then
        args+=(-fill "$ring"   -draw "roundrectangle 0,0 $x1,$y1 3,3"
               -fill "$ring"   -draw "roundrectangle 1,1 $((x1-1)),$((y1-1)) 2,2"
               -fill "$border" -draw "rectangle 2,2 $((x1-2)),$((y1-2))"
               -fill "$face"   -draw "rectangle 3,3 $((x1-3)),$((y1-3))")
    else
        args+=(-fill "$border" -draw "roundrectangle 0,0 $x1,$y1 3,3"
               -fill "$face"   -draw "rectangle 1,1 $((x1-1)),$((y1-1))"
               -fill "$topline" -draw "line 2,1 $((x1-2)),1")
        # Raised faces get a soft shadow along the bottom edge.
        if [ "$dy" = 0 ]; then
            args+=(-fill "$border" -draw "fill-opacity 0.35 line 2,$((y1-1)) $((x1-2)),$((y1-1))")
        fi
    fi
    args+=(-antialias -font "$BOLD" -pointsize 12 -fill "$ink" -gravity center
           -annotate "+$dx+$dy" "$text" +gravity \))
}

# strip NAME W H UNDER TEXT NORMAL PRESSED HIGHLIGHT, each of the last three
# "BORDER FACE TOPLINE": writes $out/NAME, the four frames side by side;
# every button's focus ring and disabled frame look the same.
strip() {
    local args=()
    frame "$2" "$3" "$4" "$5" "$6" '#FFFFFF' none 0 0
    frame "$2" "$3" "$4" "$5" "$7" '#FFFFFF' none 1 1
    frame "$2" "$3" "$4" "$5" "$8" '#FFFFFF' '#F0A830' 0 0
    frame "$2" "$3" "$4" "$5" '#A3ADB7 #C5CCD3 #D3D9DE' '#8C959E' none 0 0
    convert "${args[@]}" +append "${PNG_OPTS[@]}" "PNG24:$out/$1"
}

# NTSC / PAL: blue, on the white panel.
for std in NTSC PAL; do
    strip "app_tvout_${std,,}.png" "$STD_W" "$STD_H" "$PANEL" "$std" \
        '#24527D #3D7EB9 #6FA3D2' '#173A5A #2A5F8F #1F4A70' '#24527D #5A9BD5 #8DBDE6'
done

# Cancel: slate grey, on the footer.
strip app_tvout_cancel.png "$CANCEL_W" "$CANCEL_H" "$FOOTER" Cancel \
    '#4A5866 #6B7C8C #93A1AE' '#36414C #52616F #44505C' '#4A5866 #8798A9 #A9B7C4'

# ------------------------------------------------------------ background
# Layout (x0,y0 x1,y1 inclusive):
#   title bar        0,0   319,27   + accent line at y 28
#   TV illustration  20,32  136,102
#   standard panel   154,36 311,101  (NTSC 162,44 / PAL 237,44, 66x30)
#   help box         8,108  311,184
#   footer           0,196  319,239  (version label at 130,215; Cancel at 253,204)
panel_x0=$((NTSC_X - 8)); panel_x1=$((PAL_X + STD_W - 1 + 8))
panel_y0=$((NTSC_Y - 8)); panel_y1=101
panel_cx=$(((panel_x0 + panel_x1) / 2))

# Body, title bar and its accent line.
bg=(-size 320x240 "xc:#E9EEF2" +antialias -stroke none)
bg+=(-fill '#2E4A66' -draw "rectangle 0,0 319,27"
     -fill '#5B8DB8' -draw "rectangle 0,28 319,28")

# Panel for the two standard buttons, with its caption under the buttons.
bg+=(-fill '#A9B8C6' -draw "roundrectangle $panel_x0,$panel_y0 $panel_x1,$panel_y1 5,5"
     -fill "$PANEL"   -draw "roundrectangle $((panel_x0+1)),$((panel_y0+1)) $((panel_x1-1)),$((panel_y1-1)) 4,4")

# TV set: antenna, cabinet, screen with a small landscape, knobs, grille, feet.
bg+=(-fill '#3B4A59'
     -draw "line 66,45 56,33" -draw "line 67,45 57,33"
     -draw "line 86,45 96,33" -draw "line 85,45 95,33"
     -draw "circle 56,33 57,34" -draw "circle 96,33 97,34"
     -draw "roundrectangle 62,42 90,47 2,2"
     -draw "roundrectangle 20,46 136,98 6,6"
     -fill '#53667A' -draw "roundrectangle 21,47 135,97 5,5"
     -fill '#2A3642' -draw "roundrectangle 26,51 112,94 4,4"
     \( -size 82x40 "xc:#8FC3E8"
        -fill '#F4D35E' -draw "circle 64,11 64,17"
        -fill '#FFFFFF' -draw "ellipse 17,12 9,4 0,360" -draw "ellipse 27,9 7,4 0,360"
        -fill '#6BAA5C' -draw "ellipse 22,44 40,18 0,360"
        -fill '#4E8F46' -draw "ellipse 66,46 32,16 0,360" \)
     -geometry +28+53 -composite
     -fill '#2A3642' -draw "circle 124,59 124,64" -draw "circle 124,75 124,79"
     -fill '#C9D3DC' -draw "rectangle 124,55 124,59" -draw "rectangle 120,75 123,75"
     -fill '#2A3642' -draw "rectangle 119,85 129,86" -draw "rectangle 119,88 129,89"
     -draw "rectangle 119,91 129,92"
     -fill '#3B4A59' -draw "rectangle 34,99 46,102" -draw "rectangle 110,99 122,102")

# Help box and footer.
bg+=(-fill '#C9D3DC' -draw "roundrectangle 8,108 311,184 5,5"
     -fill '#F6F8FA' -draw "roundrectangle 9,109 310,183 4,4")
bg+=(-fill "$FOOTER" -draw "rectangle 0,196 319,239"
     -fill '#C3CED8' -draw "rectangle 0,196 319,196")

# Text (y values are baselines, except for the centred panel caption, whose
# y is the top of its text box).
bg+=(-antialias
     -font "$BOLD" -pointsize 14 -fill '#FFFFFF' -annotate +10+19 'TV Output'
     -font "$SANS" -pointsize 11 -fill "$SOFT_INK"
     -gravity North -annotate "+$((panel_cx - 160))+80" 'Video standard'
     +gravity
     -font "$BOLD" -pointsize 11 -fill '#2E4A66'
     -annotate +18+124 'NTSC, PAL'
     -annotate +18+142 'D-pad'
     -annotate +18+174 'Cancel'
     -font "$SANS" -pointsize 11 -fill '#1E2A36'
     -annotate +96+124 'Switch output to TV + LCD'
     -annotate +96+142 'Move the picture on the TV'
     -annotate +96+174 'Back to the menu'
     -font "$SANS" -pointsize 10 -fill "$SOFT_INK"
     -annotate +96+156 '(once a standard is chosen)')

convert "${bg[@]}" "${PNG_OPTS[@]}" "PNG24:$out/app_tvout.png"

echo "artwork written to $out"
