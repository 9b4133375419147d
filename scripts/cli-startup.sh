#!/usr/bin/env bash
# The command line's start-up: one whole process of 'pealix-cli convert ode.rtx ode.mid'
# (the example melody to a MIDI file), launch to exit, timed by hyperfine. Set
# PEALIX_COMPARE to another converter's command line for the same job, with {in} and {out}
# for the two files, to see both figures and their ratio, e.g.
#   PEALIX_COMPARE='otherconv {in} {out}' make bench
set -euo pipefail
build=${1:-build}
cli="$build/bin/pealix-cli"
[ -x "$cli" ] || { echo "no $cli (run make build first)"; exit 0; }
command -v hyperfine > /dev/null || { echo "hyperfine is not installed (scripts/deps.sh bench)"; exit 0; }
cli=$(realpath "$cli")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/bin/examples/OdeToJoy.rtx" "$work/ode.rtx"
cd "$work"
export XDG_CONFIG_HOME=$work/config
commands=("$cli convert ode.rtx ode.mid")
if [ -n "${PEALIX_COMPARE:-}" ]; then
  other=${PEALIX_COMPARE//\{in\}/ode.rtx}
  commands+=("${other//\{out\}/other.mid}")
fi
hyperfine --shell=none --warmup 10 --runs 100 --style none --export-json times.json \
  "${commands[@]}" > /dev/null
# Mean and the user + system time of each, in milliseconds; the ratio when there are two.
python3 - times.json << 'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["results"]
names = ["pealix-cli convert ode.rtx ode.mid", "the other converter"]
for name, r in zip(names, runs):
    print(f"{name:<40} {r['mean'] * 1000:8.1f} ms  (median {r['median'] * 1000:.1f}, "
          f"user+system {(r['user'] + r['system']) * 1000:.1f} ms)")
if len(runs) == 2:
    print(f"{'ratio, pealix-cli / the other':<40} {runs[0]['mean'] / runs[1]['mean']:8.2f}")
PY
