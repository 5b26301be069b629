#!/bin/bash
# Renders resources/icons/kestrel.svg into the PNG sizes the desktop icon theme
# looks up (resources/icons/NxN.png) and the panel's own window icon
# (resources/kestrel.png, 64 px). Run after changing the SVG; needs
# rsvg-convert (package librsvg2-bin).
set -eu
cd "$(dirname "$0")/../resources"
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w $size -h $size icons/kestrel.svg -o icons/${size}x${size}.png
done
cp icons/64x64.png kestrel.png
