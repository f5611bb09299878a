#!/usr/bin/env bash
# Redraws the PNG pictures from their SVG sources. Needs rsvg-convert (Debian's librsvg2-bin) and
# ImageMagick's convert. The PNGs are committed, so building never needs this.
set -euo pipefail
cd "$(dirname "$0")/../resources"

for size in 96 72 64 48 32 16; do
    rsvg-convert -w "$size" -h "$size" icons/zarvo.svg -o "icons/zarvo-$size.png"
done

# Toolbar pictures: 32 x 32, 24-bit colour, drawn on the mask colour 192,192,192 that the
# toolbar shows as transparent.
for svg in toolbar/*.svg; do
    png="${svg%.svg}.png"
    rsvg-convert -w 32 -h 32 -b '#c0c0c0' "$svg" -o "$png"
    convert "$png" -background '#c0c0c0' -alpha remove -alpha off -strip -define png:color-type=2 "$png"
done
# The product's picture is drawn at its one size.
rsvg-convert -w 96 -h 96 icons/picture.svg -o icons/picture-96.png
