#!/usr/bin/env bash
# A whole output run over 200 MiB of mixed report files (text-like and
# incompressible), against `gcab -c -z` packing the same files, with the
# run's peak resident memory. Not a test: run it by hand.
#
# usage: bench/output_run_vs_gcab.sh [build folder] [MiB]   (defaults: build/dev, 200)
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$source_dir/build/dev}
total_mib=${2:-200}

cmake --build "$build_dir" --target output_run_bench cab32 capicom >/dev/null
driver=$build_dir/bin/output_run_bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/reports" "$work/run" "$work/gcab"

# Half text-like (compressible), half random, in files of 10 MiB.
files=$((total_mib / 10))
for i in $(seq 1 "$files"); do
  if (( i % 2 )); then
    head -c $((10 * 1024 * 1024)) < <(yes "月報,$i,集計値,12345,67890,東京都,備考なし") >"$work/reports/report$i.csv"
  else
    head -c $((10 * 1024 * 1024)) /dev/urandom >"$work/reports/data$i.bin"
  fi
done
cat "$work"/reports/* >/dev/null

/usr/bin/time -f '%e %M' -o "$work/time.run" "$driver" "$work/run" "$work"/reports/* >/dev/null
/usr/bin/time -f '%e %M' -o "$work/time.gcab" gcab -c -z "$work/gcab/out.cab" "$work"/reports/* >/dev/null
read -r run_s run_kib <"$work/time.run"
read -r gcab_s gcab_kib <"$work/time.gcab"
out=$(ls "$work"/run/TMP*.txt)
awk -v m="$total_mib" -v a="$run_s" -v b="$gcab_s" -v ra="$run_kib" -v rb="$gcab_kib" \
    -v sa="$(stat -c %s "$out")" -v sb="$(stat -c %s "$work/gcab/out.cab")" 'BEGIN {
  printf "%d MiB: output run %.2f s (peak %d KiB, output %d bytes); gcab -c -z %.2f s (peak %d KiB, %d bytes); time ratio %.2f\n",
         m, a, ra, sa, b, rb, sb, (b > 0 ? a / b : 0) }'
