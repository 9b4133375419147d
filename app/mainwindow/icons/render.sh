#!/usr/bin/env bash
# Renders the PNG sizes of the command icons from their SVG sources and writes the
# resource list; run after editing make_svgs.py and commit the results (the build takes
# the PNGs as they are, without a renderer, and Qt needs no SVG support to show them).
set -euo pipefail
cd "$(dirname "$0")"
python3 make_svgs.py
sizes=(16 24 32 48)
{
  echo '<!DOCTYPE RCC><RCC version="1.0">'
  echo '<qresource prefix="/icons">'
  for svg in svg/*.svg; do
    name=$(basename "$svg" .svg)
    for size in "${sizes[@]}"; do
      mkdir -p "png/$size"
      rsvg-convert -w "$size" -h "$size" "$svg" -o "png/$size/$name.png"
      echo "  <file>png/$size/$name.png</file>"
    done
  done
  echo '</qresource>'
  echo '</RCC>'
} > commandicons.qrc
