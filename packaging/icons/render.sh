#!/usr/bin/env bash
# Renders the PNG sizes of the desktop icon from the SVG. Run after changing the SVG and
# commit the PNGs, so building the package never needs an SVG renderer.
#   apt-get install librsvg2-bin    (rsvg-convert)
set -euo pipefail
cd "$(dirname "$0")"
name=io.github.mirvane.Mirvane
for size in 16 32 48 64 128 256; do
    mkdir -p "${size}x${size}"
    rsvg-convert -w "$size" -h "$size" "$name.svg" -o "${size}x${size}/$name.png"
done
