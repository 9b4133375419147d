#!/usr/bin/env bash
# make run: opens the window when there is one and a display; otherwise converts the
# example melodies into every writable format under build/out/.
set -euo pipefail
build=${1:-build}
bin="$build/bin"
if [ -x "$bin/Pealix" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$bin/Pealix" "$bin/examples/OdeToJoy.rtx"
fi
out="$build/out"
mkdir -p "$out"
for input in "$bin"/examples/*.rtx; do
  name=$(basename "$input" .rtx)
  for fmt in rtttl midi sagem nokia imelody keypress alcatel motorola xml; do
    case $fmt in
      rtttl) ext=rtx ;; midi) ext=mid ;; sagem) ext=srt ;; nokia) ext=ota ;;
      imelody) ext=imy ;; keypress) ext=pkp ;; alcatel) ext=alc.txt ;;
      motorola) ext=mot.txt ;; xml) ext=xml ;;
    esac
    "$bin/pealix-cli" convert "$input" "$out/$name.$ext" --to "$fmt" || true
  done
done
echo "The conversions are in $out/"
