#!/bin/sh
# Redraws the artwork committed next to this script: the application icon
# (resource 128, 32 x 32 plus a 256 x 256 copy for desktops) and the banner
# (resource 149, 226 x 58). Needs ImageMagick 6 (`convert`) and the DejaVu
# fonts; the build itself only uses the committed PNGs.
# Everything is drawn large and scaled down, which gives clean anti-aliased
# edges.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Top view of a light fixed-wing aircraft, nose up, centred on the origin; the
# right half is mirrored to make the left.
half='0,-104 7,-99 12,-88 15,-70 16,-36 92,-28 96,-24 96,-14 92,-10 15,2 10,58
9,62 40,68 43,72 42,82 8,84 5,98 0,100'
left=$(printf '%s\n' $half | tac | awk -F, '$1 != 0 { printf "%d,%d ", -$1, $2 }')
plane="polygon $(printf '%s ' $half) $left"

# No timestamps, so that a redraw without changes leaves the files identical.
png_opts='-strip -define png:exclude-chunks=date,time'

# Icon: white aircraft climbing to the upper right on a rounded blue tile,
# with a faint trail behind it.
convert -size 1024x1024 gradient:'#5cb3f0'-'#0f2f5c' \
    \( -size 1024x1024 xc:none -fill white -draw 'roundrectangle 24,24 999,999 200,200' \) \
    -compose DstIn -composite -compose Over \
    -fill none -stroke 'rgba(255,255,255,0.30)' -strokewidth 36 \
    -draw 'path "M 130,900 Q 250,850 320,740"' \
    -stroke none -fill 'rgba(0,0,30,0.35)' \
    -draw "translate 552,492 rotate 38 scale 3.5,3.5 $plane" \
    -fill white \
    -draw "translate 528,468 rotate 38 scale 3.5,3.5 $plane" \
    "$tmp"/icon-1024.png
convert "$tmp"/icon-1024.png -filter Triangle -resize 256x256 $png_opts PNG32:icon-128-256.png
convert "$tmp"/icon-1024.png -filter Triangle -resize 32x32 $png_opts PNG32:icon-128.png

# Banner: the same aircraft over a dusk-blue sky, the model name and what
# the tool is for. The text goes first: transforms in -draw carry over into
# later -annotate calls.
convert -size 904x232 -define gradient:direction=East gradient:'#1d6fb8'-'#0b2546' \
    -font DejaVu-Sans-Bold -pointsize 100 -fill white -annotate +330+124 'TQ-37R' \
    -font DejaVu-Sans -pointsize 38 -fill '#cfe6ff' -annotate +334+182 'Flight controller setup' \
    -fill 'rgba(255,255,255,0.55)' -draw 'rectangle 300,44 304,188' \
    -fill none -stroke 'rgba(255,255,255,0.30)' -strokewidth 10 \
    -draw 'path "M 0,200 Q 80,196 120,150"' \
    -stroke none -fill white \
    -draw "translate 160,112 rotate 50 scale 0.85,0.85 $plane" \
    "$tmp"/banner-904.png
convert "$tmp"/banner-904.png -filter Triangle -resize 226x58! -alpha off $png_opts PNG24:banner-149.png
