#!/usr/bin/env bash
# Renders the icon's PNG sizes from data/icons/kestrune.svg; run it after changing the SVG and
# commit the PNGs.
source "$(dirname "$0")/common.sh"

ensure_packages librsvg2-bin
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$ROOT/data/icons/kestrune.svg" \
        -o "$ROOT/data/icons/hicolor/kestrune-$size.png"
done
say "rendered $ROOT/data/icons/hicolor/kestrune-*.png"
