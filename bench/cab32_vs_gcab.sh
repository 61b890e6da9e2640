#!/bin/sh
# Benchmark, not a test: compresses the same 200 MiB mixed folder with our
# component (through cab32_bench, i.e. one Cab() call) and with gcab -c -z,
# and prints the time ratio, the size ratio and our peak resident memory.
#
#   bench/cab32_vs_gcab.sh BUILD_DIR [WORK_DIR]
#
# BUILD_DIR holds bin/cab32_bench (cmake --build BUILD_DIR --target cab32_bench).
set -eu

build=${1:?usage: $0 BUILD_DIR [WORK_DIR]}
work=${2:-$(mktemp -d)}
bench="$build/bin/cab32_bench"
[ -x "$bench" ] || { echo "missing $bench" >&2; exit 2; }
command -v gcab >/dev/null || { echo "gcab is not installed" >&2; exit 2; }

data="$work/data"
mkdir -p "$data/text" "$data/binary"

# 120 MiB of text-like files (CSV-ish report lines) and 80 MiB that does not
# compress, in files of mixed sizes.
if [ ! -f "$work/.ready" ]; then
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
sizes = [1 << 20] * 60 + [4 << 20] * 15        # 120 MiB of text
for i, size in enumerate(sizes):
    with open(os.path.join(root, 'text', 'part%03d.csv' % i), 'wb') as f:
        f.write(text(size))
for i in range(20):                              # 80 MiB incompressible
    with open(os.path.join(root, 'binary', 'blob%02d.bin' % i), 'wb') as f:
        f.write(os.urandom(4 << 20))
PY
  touch "$work/.ready"
fi

ours="$work/ours.cab"
theirs="$work/gcab.cab"
rm -f "$ours" "$theirs"

timed() { # prints elapsed seconds of "$@"
  start=$(date +%s.%N); "$@" >/dev/null; end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

our_out=$("$bench" "$ours" "$data/")
our_time=$(echo "$our_out" | sed -n 's/.*seconds=\([0-9.]*\).*/\1/p')
our_rss=$(echo "$our_out" | sed -n 's/.*maxrss_kib=\([0-9]*\).*/\1/p')
gcab_time=$(cd "$data" && timed sh -c "find . -type f | sort | xargs gcab -c -z '$theirs'")

our_size=$(stat -c %s "$ours")
gcab_size=$(stat -c %s "$theirs")
input_size=$(du -sb "$data" | cut -f1)

printf 'input            %d bytes\n' "$input_size"
printf 'cab32  time %8.2f s   size %12d bytes   peak RSS %d KiB\n' "$our_time" "$our_size" "$our_rss"
printf 'gcab   time %8.2f s   size %12d bytes\n' "$gcab_time" "$gcab_size"
printf 'time ratio (cab32/gcab)  %.3f\n' "$(echo "$our_time / $gcab_time" | bc -l)"
printf 'size ratio (cab32/gcab)  %.4f\n' "$(echo "$our_size / $gcab_size" | bc -l)"
cabextract -t "$ours" >/dev/null && echo "cabextract -t: ok"
