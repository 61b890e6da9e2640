#!/usr/bin/env bash
# A whole output run over one 1 GiB report file (16 MiB stretches of
# text-like and of incompressible data, one after the other), with the
# run's peak resident memory, which must stay under 64 MiB: every step
# streams through fixed buffers. Not a test: run it by hand. It needs about
# 6 GiB free under the scratch folder.
#
# usage: bench/memory_1gib.sh [build folder] [scratch folder]
#        (defaults: build/release, a new folder under ${TMPDIR:-/var/tmp})
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$source_dir/build/release}
limit_kib=$((64 * 1024))

cmake --build "$build_dir" --target output_run_bench cab32 capicom >/dev/null
driver=$build_dir/bin/output_run_bench

work=$(mktemp -d "${2:-${TMPDIR:-/var/tmp}}/memory_1gib.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/reports" "$work/run"

report=$work/reports/report_1gib.dat
stretch=$((16 * 1024 * 1024))
text_stretch() (
  set +o pipefail # yes ends on SIGPIPE
  yes "月報,$1,集計値,12345,67890,東京都,備考なし" | head -c "$stretch"
)
for i in $(seq 1 32); do
  text_stretch "$i"
  head -c "$stretch" /dev/urandom
done >"$report"
[ "$(stat -c %s "$report")" -eq $((1024 * 1024 * 1024)) ]

/usr/bin/time -f '%M' -o "$work/peak" "$driver" "$work/run" "$report" >"$work/seconds"
peak_kib=$(cat "$work/peak")
out=$(ls "$work"/run/TMP*.txt)
awk -v s="$(cat "$work/seconds")" -v k="$peak_kib" -v o="$(stat -c %s "$out")" 'BEGIN {
  printf "1 GiB output run: %.1f s, peak resident memory %d KiB (%.1f MiB, limit 64 MiB), output %d bytes\n",
         s, k, k / 1024, o }'
if [ "$peak_kib" -ge "$limit_kib" ]; then
  echo "over the limit" >&2
  exit 1
fi
