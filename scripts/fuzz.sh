#!/usr/bin/env bash
# make fuzz [SECONDS=60]: builds the libFuzzer targets with clang, ASan and UBSan, runs each
# for SECONDS on a working copy of its seed corpus, and prints one line per target.
# RUNS=N stops each target after N executions instead (SECONDS still bounds it);
# TARGETS="read_melody sms_exports" runs only those.
set -uo pipefail
seconds=${1:-60}
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-fuzz"
out="$top/fuzz-out"
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPEALIX_FUZZ=ON > /dev/null || exit 1
# Only the fuzz programs: the rest of the tree is not needed here.
targets=$(cmake --build "$build" --target help | awk '/^\.\.\. fuzz_/ {print $2}')
if [ -n "${TARGETS:-}" ]; then
  targets=$(for t in $targets; do [[ " $TARGETS " == *" ${t#fuzz_} "* ]] && echo "$t"; done)
fi
[ -n "$targets" ] || { echo "no fuzz targets configured"; exit 1; }
# shellcheck disable=SC2086
cmake --build "$build" -j"${JOBS:-2}" --target $targets > "$build/build.log" 2>&1 ||
  { tail -30 "$build/build.log"; exit 1; }
mkdir -p "$out"
printf '%-16s %12s %10s %8s\n' target executions new-cov crashes
status=0
limit=()
[ -n "${RUNS:-}" ] && limit=(-runs="$RUNS")
for exe in "$build"/fuzz/fuzz_*; do
  name=${exe##*/fuzz_}
  if [ -n "${TARGETS:-}" ] && [[ " $TARGETS " != *" $name "* ]]; then continue; fi
  corpus="$out/corpus/$name"
  artifacts="$out/artifacts/$name/"
  mkdir -p "$corpus" "$artifacts"
  [ -d "$top/fuzz/corpus/$name" ] && cp -n "$top/fuzz/corpus/$name"/* "$corpus"/ 2>/dev/null
  log="$out/$name.log"
  stamp="$out/.start-$name"
  touch "$stamp"
  ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$exe" "$corpus" -max_total_time="$seconds" "${limit[@]}" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$artifacts" > "$log" 2>&1
  execs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | awk '{print $2}' | tail -1)
  start=$(grep -o 'INITED cov: [0-9]*' "$log" | awk '{print $3}' | head -1)
  end=$(grep -oE '(DONE|#[0-9]+.*) cov: [0-9]*' "$log" | grep -o 'cov: [0-9]*' | awk '{print $2}' | tail -1)
  crashes=$(find "$artifacts" -type f -newer "$stamp" \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  [ "$crashes" -gt 0 ] && status=1
  printf '%-16s %12s %10s %8s\n' "$name" "${execs:-?}" "$(( ${end:-0} - ${start:-0} ))" "$crashes"
done
exit $status
