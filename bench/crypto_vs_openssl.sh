#!/usr/bin/env bash
# File-mode throughput of clsCryptFile against `openssl enc -rc4` on the same
# file, with the peak resident size of each, for a small and a large input
# (memory must not grow with the file). Not a test: run it by hand.
#
# usage: bench/crypto_vs_openssl.sh [build folder] [MiB]   (defaults: build, 256)
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$source_dir/build}
large_mib=${2:-256}

cmake --build "$build_dir" --target crypt_file_bench >/dev/null
driver=$build_dir/bin/crypt_file_bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Peak RSS in KiB and wall seconds of one command, from GNU time.
measure() {
    /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null
    cat "$work/time"
}

run_size() {
    local mib=$1
    head -c "$((mib * 1024 * 1024))" /dev/urandom >"$work/in"
    # Warm the page cache so both read the same way.
    cat "$work/in" >/dev/null

    read -r ours_s ours_kib < <(measure "$driver" "$work/in" "$work/out" "$work/keys")
    # The same 16-byte key the provider derives: MD5("Zubq")[0..4] + 11 zero bytes.
    local key
    key=$(printf 'Zubq' | openssl dgst -md5 -r | cut -c1-10)0000000000000000000000
    read -r ssl_s ssl_kib < <(measure openssl enc -rc4 -K "$key" -nosalt \
        -provider legacy -provider default -in "$work/in" -out "$work/out.ssl")

    cmp -s "$work/out" "$work/out.ssl" && same=identical || same=DIFFERENT
    awk -v m="$mib" -v a="$ours_s" -v b="$ssl_s" -v ra="$ours_kib" -v rb="$ssl_kib" -v s="$same" 'BEGIN {
        printf "%5d MiB  clsCryptFile %7.2f s (%6.1f MiB/s, peak %6d KiB)  openssl %7.2f s (peak %6d KiB)  time ratio %.2f  output %s\n",
               m, a, (a > 0 ? m / a : 0), ra, b, rb, (b > 0 ? a / b : 0), s }'
}

# The first use makes the key container (an RSA pair): keep it out of the timing.
: >"$work/empty"
"$driver" "$work/empty" "$work/out" "$work/keys" >/dev/null

run_size 16
run_size "$large_mib"
