#!/usr/bin/env bash
# make screenshots: the main window with the example melody, in English, rendered
# without a display into build/screenshots/main.png.
set -euo pipefail
build=${1:-build}
out="$build/screenshots"
mkdir -p "$out"
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=offscreen PEALIX_SCREENSHOT="$out/main.png" \
  "$build/bin/Pealix" "$build/bin/examples/OdeToJoy.rtx" 2>&1 | grep -v propagateSizeHints || true
test -s "$out/main.png"
echo "The picture is $out/main.png"
