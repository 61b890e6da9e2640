#!/usr/bin/env bash
# Outputs cross between the two builds: one made by the Windows build
# (output_run_bench.exe under Wine) is listed and extracted by the Linux
# tamberlox-open, one made by the Linux build by tamberlox-open.exe under
# Wine; every report must come back byte for byte.
# Usage: scripts/windows-interop.sh LINUX_BIN_DIR WINDOWS_BIN_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
linux=$(cd "$1" && pwd)
windows=$(cd "$2" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch/tmp
mkdir -p "$TMPDIR" "$scratch/reports" "$scratch/win" "$scratch/linux"

# A Japanese name, one whose CP932 trail byte is "\" (表), and a binary.
reports=$scratch/reports
printf '年,月,件数\r\n2026,12,42\r\n' >"$reports/月報.csv"
head -c 70000 /dev/zero | tr '\0' 'z' >"$reports/表示ソフト能力.csv"
head -c 300000 /dev/urandom >"$reports/data.bin"
files=("$reports/月報.csv" "$reports/表示ソフト能力.csv" "$reports/data.bin")

fail() { echo "windows-interop: $*" >&2; exit 1; }

# Extracts with -d and checks each report against its original.
check() { # what, folder it was extracted into
  for f in "${files[@]}"; do
    cmp -s "$f" "$2/$(basename "$f")" || fail "$1: $(basename "$f") differs or is missing"
  done
  [[ -f $2/MAIN_TEXT.txt ]] || fail "$1: no MAIN_TEXT.txt"
}

# Windows made, Linux reads.
win_files=()
for f in "${files[@]}"; do win_files+=("Z:$f"); done
# Its message boxes go to standard error, in code page 932.
"$here/wine-run.sh" "$windows/output_run_bench.exe" "Z:$scratch/win" "${win_files[@]}" \
  >/dev/null 2>"$scratch/boxes-win.txt" || fail "output_run_bench.exe failed"
made=("$scratch"/win/TMPB01*.txt)
[[ -f ${made[0]} ]] || fail "the Windows build made no output"
"$linux/tamberlox-open" "${made[0]}" >"$scratch/list-linux.txt" || fail "Linux tamberlox-open cannot list it"
grep -q '表示ソフト能力.csv' "$scratch/list-linux.txt" || fail "Linux listing lacks a name"
"$linux/tamberlox-open" -d "$scratch/from-win" "${made[0]}" >/dev/null ||
  fail "Linux tamberlox-open cannot extract it"
check "Windows output, Linux reader" "$scratch/from-win"

# Linux made, Windows reads.
"$linux/output_run_bench" "$scratch/linux" "${files[@]}" >/dev/null 2>"$scratch/boxes-linux.txt" ||
  fail "output_run_bench failed"
made=("$scratch"/linux/TMPB01*.txt)
[[ -f ${made[0]} ]] || fail "the Linux build made no output"
"$here/wine-run.sh" "$windows/tamberlox-open.exe" "Z:${made[0]}" >"$scratch/list-win.txt" ||
  fail "tamberlox-open.exe cannot list it"
grep -q '表示ソフト能力.csv' "$scratch/list-win.txt" || fail "Windows listing lacks a name"
"$here/wine-run.sh" "$windows/tamberlox-open.exe" -d "Z:$scratch/from-linux" "Z:${made[0]}" >/dev/null ||
  fail "tamberlox-open.exe cannot extract it"
check "Linux output, Windows reader" "$scratch/from-linux"
echo "windows-interop: both ways, ${#files[@]} reports each, byte for byte"
