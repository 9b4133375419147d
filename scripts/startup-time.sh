#!/usr/bin/env bash
# The main window's start-up time: ten starts with the example melody, each until the
# window is on the screen and painted. Prints the program's own figure (from main() on)
# and the whole process, launch to exit, as the median of the ten.
set -euo pipefail
build=${1:-build}
bin="$build/bin/Pealix"
[ -x "$bin" ] || { echo "no $bin (run make build first)"; exit 0; }
platform=offscreen
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then platform=; fi
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
inside=()
whole=()
for _ in $(seq 10); do
  t0=$(date +%s%N)
  line=$(XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=${platform:-${QT_QPA_PLATFORM:-}} \
         PEALIX_STARTUP_TIME=1 "$bin" "$build/bin/examples/OdeToJoy.rtx" 2>/dev/null)
  t1=$(date +%s%N)
  inside+=("$(echo "$line" | sed -n 's/.* after \([0-9]*\) ms/\1/p')")
  whole+=("$(( (t1 - t0) / 1000000 ))")
done
median() { printf '%s\n' "$@" | sort -n | sed -n '5p'; }
printf '%-40s %8s ms\n' "Pealix start-up, main() to window shown" "$(median "${inside[@]}")"
printf '%-40s %8s ms\n' "Pealix start-up, launch to exit" "$(median "${whole[@]}")"
printf '(platform: %s)\n' "${platform:-${QT_QPA_PLATFORM:-desktop}}"
