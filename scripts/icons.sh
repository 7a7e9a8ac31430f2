#!/usr/bin/env bash
# Renders the icon's PNG sizes from its SVG (ImageMagick); run after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")/../data"
for size in 48 64 128 256; do
    convert -background none -density 384 org.nudgeboard.Nudgeboard.svg -resize "${size}x${size}" \
        -depth 8 -strip "icons/org.nudgeboard.Nudgeboard-$size.png"
done
