#!/usr/bin/env bash
# A whole output run against `gcab -c -z` packing the same files, side by
# side, with both outputs' sizes and the run's peak resident memory. Any
# folder of files can be the corpus (say, a user's real reports); without
# one, two made-up corpora: 200 MiB of mixed report files and 5,000 small
# CSV files. Each pair runs RUNS times (default 3), taking turns.
# Not a test: run it by hand on an otherwise idle machine.
#
# usage: bench/output_run_vs_gcab.sh [build folder] [corpus folder]
#        (defaults: build/release, the two made-up corpora)
set -euo pipefail
source "$(dirname "$0")/common.sh"

build_dir=${1:-$source_dir/build/release}
cmake --build "$build_dir" --target output_run_bench cab32 capicom >/dev/null
driver=$build_dir/bin/output_run_bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

compare() {
  local label=$1 corpus=$2 r key=${1//[^A-Za-z0-9]/_}
  local -a files names
  mapfile -t files < <(corpus_files "$corpus")
  mapfile -t names < <(cd "$corpus" && find . -type f | LC_ALL=C sort)
  warm "$corpus"
  : >"$work/pairs"
  # Each run in a new folder, all removed at the end: on ext4 without a
  # journal, creating files just after thousands were deleted is slow, and
  # that would time this script rather than the run.
  for ((r = 0; r < runs; r++)); do
    mkdir -p "$work/$key.$r/run" "$work/$key.$r/gcab"
    read -r run_s run_kib < <(measure "$driver" "$work/$key.$r/run" "${files[@]}")
    read -r gcab_s gcab_kib < <(cd "$corpus" && measure gcab -c -z "$work/$key.$r/gcab/out.cab" "${names[@]}")
    echo "$run_s $gcab_s $run_kib" >>"$work/pairs"
  done
  local out ours theirs ratio
  out=$(ls "$work/$key.0"/run/TMP*.txt)
  ours=$(stat -c %s "$out")
  theirs=$(stat -c %s "$work/$key.0/gcab/out.cab")
  ratio=$(awk '{ print ($2 > 0 ? $1 / $2 : 0) }' "$work/pairs" | median_of)
  read -r run_lo run_hi < <(cut -d' ' -f1 "$work/pairs" | range_of)
  read -r gcab_lo gcab_hi < <(cut -d' ' -f2 "$work/pairs" | range_of)
  read -r ratio_lo ratio_hi < <(awk '{ printf "%.3f\n", ($2 > 0 ? $1 / $2 : 0) }' "$work/pairs" | range_of)
  read -r _ peak < <(cut -d' ' -f3 "$work/pairs" | range_of)
  awk -v l="$label" -v n="${#files[@]}" -v a="$run_lo" -v ah="$run_hi" -v b="$gcab_lo" -v bh="$gcab_hi" \
      -v r="$ratio" -v rl="$ratio_lo" -v rh="$ratio_hi" -v k="$peak" -v so="$ours" -v st="$theirs" 'BEGIN {
    printf "%s, %d files: output run %.2f s (%.2f-%.2f), gcab -c -z %.2f s (%.2f-%.2f); time ratio %.2f (runs %.2f-%.2f); size ratio %.4f (%d / %d bytes); peak %.1f MiB\n",
           l, n, a, a, ah, b, b, bh, r, rl, rh, so / st, so, st, k / 1024 }'
}

echo "machine: $(machine)"
if [ $# -ge 2 ]; then
  compare "$(basename "$2")" "$(cd "$2" && pwd)"
else
  make_mixed_corpus "$work/mixed" 200
  compare "200 MiB mixed" "$work/mixed"
  rm -rf "$work/mixed"
  make_small_corpus "$work/small" 5000
  compare "5,000 small CSV" "$work/small"
fi
