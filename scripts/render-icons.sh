#!/usr/bin/env bash
# Redraws the PNG icons from their SVG sources (needs rsvg-convert: Debian's librsvg2-bin).
# The PNGs are committed, so building never needs this.
set -euo pipefail
cd "$(dirname "$0")/../resources/icons"
for size in 96 72 64 48 32 16; do
    rsvg-convert -w "$size" -h "$size" zarvo.svg -o "zarvo-$size.png"
done
rsvg-convert -w 96 -h 96 favorites.svg -o favorites-96.png
