#!/usr/bin/env bash
# Renders the PNG icons from pzam.svg (run after changing the drawing; the PNGs are committed).
# Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 48 128 256; do
  rsvg-convert --width "$size" --height "$size" --output "icons/pzam-$size.png" pzam.svg
done
