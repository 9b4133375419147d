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
# A desktop-sized screen: the windows keep themselves on the screen, and the offscreen
# default of 800x800 would squeeze them.
cat > "$config/screens.json" <<'JSON'
{"screens": [{"name": "desk", "x": 0, "y": 0, "width": 1600, "height": 1000,
              "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]}
JSON
python3 "$(dirname "$0")/make_song.py" "$config/Song.mid"
for name in main noteview options cable event ringtone midi; do
  window=$name
  file="$build/bin/examples/OdeToJoy.rtx"
  [ "$name" = main ] && window=
  [ "$name" = midi ] && file="$config/Song.mid"
  XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM="offscreen:configfile=$config/screens.json" PEALIX_SCREENSHOT="$out/$name.png" \
    PEALIX_SCREENSHOT_WINDOW="$window" \
    "$build/bin/Pealix" "$file" 2>&1 |
    grep -v 'propagateSizeHints\|does not support raise\|XDG_RUNTIME_DIR\|MIDI OUT\|^$\|audio output' || true
  test -s "$out/$name.png"
done
echo "The pictures are in $out"
