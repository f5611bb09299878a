#!/usr/bin/env bash
# Redraws the PNG icons and the picture from their SVG sources (needs rsvg-convert: librsvg2-bin).
# The PNGs are committed, so building never needs this.
set -euo pipefail
cd "$(dirname "$0")/../resources/icons"
for size in 96 72 64 48 32 16; do
    rsvg-convert -w "$size" -h "$size" zarvo.svg -o "zarvo-$size.png"
done
# The product's picture is drawn at its one size.
rsvg-convert -w 96 -h 96 picture.svg -o picture-96.png
