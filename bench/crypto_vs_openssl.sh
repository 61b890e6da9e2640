#!/usr/bin/env bash
# File-mode throughput of clsCryptFile (form A) against `openssl enc -rc4`
# on the same input, side by side, with the peak resident size and a check
# that both wrote the same bytes. The input is a file, or a folder whose
# files are joined into one (say, a user's real reports); without one,
# 128 MiB that does not compress. Each pair runs RUNS times (default 3).
# Not a test: run it by hand on an otherwise idle machine.
#
# usage: bench/crypto_vs_openssl.sh [build folder] [input file or folder]
#        (defaults: build/release, 128 MiB of random bytes)
set -euo pipefail
source "$(dirname "$0")/common.sh"

build_dir=${1:-$source_dir/build/release}
cmake --build "$build_dir" --target crypt_file_bench >/dev/null
driver=$build_dir/bin/crypt_file_bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ $# -ge 2 ] && [ -d "$2" ]; then
  corpus_files "$2" | tr '\n' '\0' | xargs -0 cat >"$work/in"
elif [ $# -ge 2 ]; then
  cp "$2" "$work/in"
else
  head -c $((128 << 20)) /dev/urandom >"$work/in"
fi
cat "$work/in" >/dev/null
mib=$(awk -v b="$(stat -c %s "$work/in")" 'BEGIN { printf "%.1f", b / 1048576 }')

# The first use makes the key container (an RSA pair): keep it out of the timing.
: >"$work/empty"
"$driver" "$work/empty" "$work/out" "$work/keys" >/dev/null
# The key the provider derives: MD5("Zubq")[0..4] and 11 zero bytes.
key=$(printf 'Zubq' | openssl dgst -md5 -r | cut -c1-10)0000000000000000000000

: >"$work/pairs"
for ((r = 0; r < runs; r++)); do
  read -r ours_s ours_kib < <(measure "$driver" "$work/in" "$work/out" "$work/keys")
  read -r ssl_s _ < <(measure openssl enc -rc4 -K "$key" -nosalt -provider legacy -provider default \
    -in "$work/in" -out "$work/out.ssl")
  echo "$ours_s $ssl_s $ours_kib" >>"$work/pairs"
done
cmp -s "$work/out" "$work/out.ssl" && same=identical || same=DIFFERENT
read -r ours_lo ours_hi < <(cut -d' ' -f1 "$work/pairs" | range_of)
read -r ssl_lo ssl_hi < <(cut -d' ' -f2 "$work/pairs" | range_of)
read -r tp_lo tp_hi < <(awk '{ printf "%.3f\n", ($1 > 0 ? $2 / $1 : 0) }' "$work/pairs" | range_of)
tp=$(awk '{ print ($1 > 0 ? $2 / $1 : 0) }' "$work/pairs" | median_of)
read -r _ peak < <(cut -d' ' -f3 "$work/pairs" | range_of)
echo "machine: $(machine)"
awk -v m="$mib" -v a="$ours_lo" -v ah="$ours_hi" -v b="$ssl_lo" -v bh="$ssl_hi" -v t="$tp" -v tl="$tp_lo" \
    -v th="$tp_hi" -v k="$peak" -v s="$same" 'BEGIN {
  printf "%s MiB: clsCryptFile %.2f s (%.2f-%.2f), openssl enc -rc4 %.2f s (%.2f-%.2f); throughput ratio %.2f (runs %.2f-%.2f); peak %.1f MiB; output %s\n",
         m, a, a, ah, b, b, bh, t, tl, th, k / 1024, s }'
