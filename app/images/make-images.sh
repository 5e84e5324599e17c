#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Redraws the program's icons and the donation button with ImageMagick and rsvg-convert.
# The generated files are committed, so the build itself never needs this script.
# Each icon is drawn large and scaled down, which gives smooth edges at 16 pixels.
set -euo pipefail
cd "$(dirname "$0")"

# Keeps the pictures byte-stable between runs.
png() {
    local out=${*: -1}
    convert "${@:1:$#-1}" -strip "PNG32:$out"
}

# A button icon drawn at 64 pixels: NAME.png at 16 and NAME@2x.png at 32, which Qt takes
# on screens at scale 2.
icon() {
    local name=${*: -1}
    png "${@:1:$#-1}" -resize 16x16 "$name.png"
    png "${@:1:$#-1}" -resize 32x32 "$name@2x.png"
}

# Open: a yellow folder with a darker back flap.
icon -size 64x64 xc:none \
    -fill '#c8961e' -stroke '#7a5a10' -strokewidth 2 \
    -draw 'roundrectangle 4,12 30,24 3,3' \
    -draw 'roundrectangle 4,18 60,56 4,4' \
    -fill '#f4c84a' -draw 'polygon 10,28 62,28 56,56 4,56' \
    open

# Play: a green triangle.
icon -size 64x64 xc:none \
    -fill '#2e9e3e' -stroke '#1b5e25' -strokewidth 3 \
    -draw 'polygon 14,6 58,32 14,58' \
    play

# Stop: a red square, which Start shows while an analysis runs.
icon -size 64x64 xc:none \
    -fill '#d32f2f' -stroke '#7f1d1d' -strokewidth 3 \
    -draw 'roundrectangle 10,10 54,54 5,5' \
    stop

# Save: a blue floppy disk with its label and shutter.
icon -size 64x64 xc:none \
    -fill '#2f5fa8' -stroke '#16325e' -strokewidth 2 \
    -draw 'polygon 4,4 52,4 60,12 60,60 4,60' \
    -stroke none -fill '#f2f2f2' -draw 'rectangle 14,34 50,58' \
    -fill '#b8c4d6' -draw 'rectangle 18,4 46,22' \
    -fill '#16325e' -draw 'rectangle 36,7 42,19' \
    save

# About: a white "i" on a blue disc.
icon -size 64x64 xc:none \
    -fill '#2f6fc8' -stroke '#17407a' -strokewidth 3 -draw 'circle 32,32 32,3' \
    -stroke none -fill white -draw 'circle 32,17 32,11' \
    -draw 'roundrectangle 27,26 37,52 3,3' \
    about

# Power: the red power symbol, an open ring with a bar through its gap.
icon -size 64x64 xc:none \
    -fill none -stroke '#c62828' -strokewidth 8 \
    -draw 'stroke-linecap round arc 9,11 55,57 -55,235' \
    -draw 'stroke-linecap round line 32,5 32,30' \
    power

# Donate: a rounded orange button with its word, 74 x 21.
convert -size 74x21 xc:none \
    -fill '#f7b733' -stroke '#b5781b' -strokewidth 1 -draw 'roundrectangle 0,0 73,20 9,9' \
    -stroke none -fill '#fcd97a' -draw 'roundrectangle 3,2 70,9 6,4' \
    -font DejaVu-Sans-Bold -pointsize 11 -fill '#3b2506' -gravity center \
    -annotate +0+0 'Donate' -strip donatebutton.gif

# The application icon: the scalable drawing in data/icons (a lens's aperture before the
# bars of a distribution), rendered at the sizes of the hicolor theme by rsvg-convert (from
# Debian's librsvg2-bin); the window's mainicon.ico holds the 64, 32 and 16 pixel ones.
svg=../../data/icons/org.lenstally.Lenstally.svg
for size in 16 32 48 64 128 256; do
    mkdir -p "../../data/icons/$size"
    rsvg-convert -w "$size" -h "$size" "$svg" -o "../../data/icons/$size/org.lenstally.Lenstally.png"
done
convert ../../data/icons/{64,32,16}/org.lenstally.Lenstally.png mainicon.ico
