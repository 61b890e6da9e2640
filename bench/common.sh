# Shared by the bench scripts (sourced): timing, corpora, repetitions.
# Not a test: the scripts are run by hand on an otherwise idle machine.

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${RUNS:-3}

# Wall seconds and peak resident KiB of one command: "SECONDS KIB". A
# command that fails stops the script with its messages.
measure() {
  local out
  out=$(mktemp)
  if ! /usr/bin/time -f '%e %M' -o "$out" "$@" >/dev/null 2>"$out.err"; then
    cat "$out.err" >&2
    rm -f "$out" "$out.err"
    return 1
  fi
  cat "$out"
  rm -f "$out" "$out.err"
}

# The median of the numbers on standard input.
median_of() {
  sort -g | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

# "lowest highest" of the numbers on standard input.
range_of() {
  sort -g | awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "%s %s\n", lo, hi }'
}

# Regular files of a corpus folder, sorted, one per line (absolute paths).
corpus_files() {
  (cd "$1" && find "$PWD" -type f | LC_ALL=C sort)
}

# Reads a corpus once, so every contender finds it in the page cache.
warm() {
  corpus_files "$1" | tr '\n' '\0' | xargs -0 cat >/dev/null
}

# Default corpus: $1 MiB of report-like files, half CSV text, half data
# that does not compress, in files of 10 MiB.
make_mixed_corpus() {
  local folder=$1 mib=$2 i
  mkdir -p "$folder"
  for ((i = 1; i <= mib / 10; i++)); do
    if ((i % 2)); then
      (set +o pipefail; yes "月報,$i,集計値,12345,67890,東京都,備考なし" | head -c $((10 << 20))) \
        >"$folder/report$i.csv"
    else
      head -c $((10 << 20)) /dev/urandom >"$folder/data$i.bin"
    fi
  done
}

# Default corpus: $2 small CSV files of 4 KiB.
make_small_corpus() {
  local folder=$1 count=$2
  mkdir -p "$folder"
  python3 - "$folder" "$count" <<'PY'
import random, sys
folder, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(5)
for i in range(count):
    rows = "".join(f"{rng.randrange(10**6)},東京,{i},集計\r\n" for _ in range(180))
    with open(f"{folder}/r{i:05d}.csv", "wb") as f:
        f.write(rows.encode("utf-8")[:4096])
PY
}

machine() {
  printf '%s, %s cores, %s\n' "$(lscpu | sed -n 's/^Model name: *//p' | head -1)" "$(nproc)" \
    "$(. /etc/os-release && echo "$PRETTY_NAME")"
}
