#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz preset) and runs each for a while over a
# scratch copy of its seed corpus, so the committed corpus stays small.
#
# usage: scripts/fuzz.sh [seconds per target] [target...]
#   seconds  default 60; 0 only replays each seed corpus once (CI does this)
#   target   default all: fuzz_ini fuzz_cab_cmdline fuzz_cab_extract
#            fuzz_capicom_decrypt fuzz_form_b
#
# Prints one line per target: seconds, executions, crashes found. Crash,
# leak and timeout inputs go to fuzz/out/<target>/ (not committed); the
# script exits 1 when any target found one.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_ini fuzz_cab_cmdline fuzz_cab_extract fuzz_capicom_decrypt fuzz_form_b)
fi
case $seconds in
  ''|*[!0-9]*) echo "seconds must be a whole number: $seconds" >&2; exit 2 ;;
esac

cmake --preset fuzz >/dev/null
# Only the targets asked for: the windows and the program are not fuzzed.
cmake --build --preset fuzz -j "$(nproc)" --target "${targets[@]}" >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
for target in "${targets[@]}"; do
  binary=build/fuzz/bin/$target
  seeds=fuzz/corpus/$target
  if [ ! -x "$binary" ] || [ ! -d "$seeds" ]; then
    echo "$target: no such fuzz target" >&2
    failed=1
    continue
  fi
  corpus=$scratch/$target
  artifacts=fuzz/out/$target
  mkdir -p "$corpus" "$artifacts"
  cp "$seeds"/* "$corpus"/
  before=$(find "$artifacts" -type f | wc -l)
  options=(-artifact_prefix="$artifacts/" -print_final_stats=1 -timeout=30)
  if [ "$seconds" -eq 0 ]; then
    options+=(-runs=0)
  else
    options+=(-max_total_time="$seconds")
  fi
  log=$scratch/$target.log
  start=$(date +%s)
  status=0
  "$binary" "${options[@]}" "$corpus" >"$log" 2>&1 || status=$?
  elapsed=$(( $(date +%s) - start ))
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  crashes=$(( $(find "$artifacts" -type f | wc -l) - before ))
  if [ "$status" -ne 0 ] && [ "$crashes" -eq 0 ]; then
    crashes=1 # died without leaving an input (e.g. in start-up)
  fi
  printf '%-22s %6d s %12s executions %3d crashes\n' "$target" "$elapsed" "${executions:-?}" "$crashes"
  if [ "$crashes" -ne 0 ]; then
    failed=1
    grep -E 'ERROR|FUZZ_CHECK|SUMMARY' "$log" | head -5 >&2 || true
  fi
done
exit $failed
