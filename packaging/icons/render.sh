#!/usr/bin/env bash
# Renders the PNG sizes of the program icon from its SVG; run after editing the SVG and
# commit the results (the build installs them as they are, without a renderer).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "png/$size"
  rsvg-convert -w "$size" -h "$size" org.pealix.Pealix.svg -o "png/$size/org.pealix.Pealix.png"
done
