#!/usr/bin/env bash
# The archiver alone (one Cab() call through cab32_bench, as the output run
# makes it) against `gcab -c -z` on the same folder, side by side: time
# ratio, size ratio, our peak resident memory, and cabextract's test of our
# cabinet. Any folder of files can be the corpus; without one, 200 MiB of
# mixed files (120 MiB of CSV-like text in files of 1 and 4 MiB, 80 MiB that
# does not compress). Each pair runs RUNS times (default 3), taking turns.
# Not a test: run it by hand on an otherwise idle machine.
#
# usage: bench/cab32_vs_gcab.sh [build folder] [corpus folder]
#        (defaults: build/release, the made-up corpus)
set -euo pipefail
source "$(dirname "$0")/common.sh"

build_dir=${1:-$source_dir/build/release}
cmake --build "$build_dir" --target cab32_bench >/dev/null
bench=$build_dir/bin/cab32_bench
command -v gcab >/dev/null || { echo "gcab is not installed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ $# -ge 2 ]; then
  data=$(cd "$2" && pwd)
else
  data=$work/data
  mkdir -p "$data/text" "$data/binary"
  python3 - "$data" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(2024)
words = ['report', 'total', 'branch', 'amount', '2024', 'Tokyo', 'Osaka', 'sales', 'yen', 'note']
def text(size):
    out, n = [], 0
    while n < size:
        line = ','.join(rng.choice(words) + str(rng.randrange(1000)) for _ in range(8)) + '\r\n'
        out.append(line); n += len(line)
    return ''.join(out).encode()[:size]
for i, size in enumerate([1 << 20] * 60 + [4 << 20] * 15):
    with open(os.path.join(root, 'text', 'part%03d.csv' % i), 'wb') as f:
        f.write(text(size))
for i in range(20):
    with open(os.path.join(root, 'binary', 'blob%02d.bin' % i), 'wb') as f:
        f.write(os.urandom(4 << 20))
PY
fi
warm "$data"
mapfile -t names < <(cd "$data" && find . -type f | LC_ALL=C sort)

ours=$work/ours.cab
theirs=$work/gcab.cab
: >"$work/pairs"
for ((r = 0; r < runs; r++)); do
  rm -f "$ours" "$theirs"
  read -r our_s our_kib < <(measure "$bench" "$ours" "$data/")
  read -r gcab_s _ < <(cd "$data" && measure gcab -c -z "$theirs" "${names[@]}")
  echo "$our_s $gcab_s $our_kib" >>"$work/pairs"
done
read -r our_lo our_hi < <(cut -d' ' -f1 "$work/pairs" | range_of)
read -r gcab_lo gcab_hi < <(cut -d' ' -f2 "$work/pairs" | range_of)
read -r ratio_lo ratio_hi < <(awk '{ printf "%.3f\n", ($2 > 0 ? $1 / $2 : 0) }' "$work/pairs" | range_of)
ratio=$(awk '{ print ($2 > 0 ? $1 / $2 : 0) }' "$work/pairs" | median_of)
read -r _ peak < <(cut -d' ' -f3 "$work/pairs" | range_of)
cabextract -t "$ours" >/dev/null && tested=ok || tested=FAILED
echo "machine: $(machine)"
awk -v n="${#names[@]}" -v i="$(du -sb "$data" | cut -f1)" -v a="$our_lo" -v ah="$our_hi" -v b="$gcab_lo" \
    -v bh="$gcab_hi" -v r="$ratio" -v rl="$ratio_lo" -v rh="$ratio_hi" -v k="$peak" -v so="$(stat -c %s "$ours")" \
    -v st="$(stat -c %s "$theirs")" -v t="$tested" 'BEGIN {
  printf "%d files, %d bytes: cab32 %.2f s (%.2f-%.2f), gcab -c -z %.2f s (%.2f-%.2f); time ratio %.2f (runs %.2f-%.2f); size ratio %.4f (%d / %d bytes); peak %.1f MiB; cabextract -t %s\n",
         n, i, a, a, ah, b, b, bh, r, rl, rh, so / st, so, st, k / 1024, t }'
