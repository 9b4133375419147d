#!/usr/bin/env bash
# make screenshots: the main window with the example melody and the windows opened from
# it (note view, options, data cable, event editor), and the MIDI channel dialog of a
# made-up song (scripts/make_song.py), in English, rendered without a display into
# build/screenshots/<name>.png.
set -euo pipefail
build=${1:-build}
out="$build/screenshots"
mkdir -p "$out"
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
python3 "$(dirname "$0")/make_song.py" "$config/Song.mid"
for name in main noteview options cable event midi; do
  window=$name
  file="$build/bin/examples/OdeToJoy.rtx"
  [ "$name" = main ] && window=
  [ "$name" = midi ] && file="$config/Song.mid"
  XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=offscreen PEALIX_SCREENSHOT="$out/$name.png" \
    PEALIX_SCREENSHOT_WINDOW="$window" \
    "$build/bin/Pealix" "$file" 2>&1 |
    grep -v 'propagateSizeHints\|does not support raise\|XDG_RUNTIME_DIR\|MIDI OUT\|^$\|audio output' || true
  test -s "$out/$name.png"
done
echo "The pictures are in $out"
