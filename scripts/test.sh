#!/usr/bin/env bash
# Sets up, builds and runs every test suite. Usage: scripts/test.sh [preset]
# (dev by default; asan builds with AddressSanitizer + UBSan; windows
# cross-builds for Windows and runs the suites under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-dev}

if [[ $preset == windows ]]; then
  TAMBERLOX_WINDOWS_DEPS=$(bash scripts/windows-deps.sh | tail -1)
  export TAMBERLOX_WINDOWS_DEPS
  # Wine's server and services keep ctest's output pipe open until they end:
  # start them first, apart from ctest, and stop them afterwards.
  # (A server already running, from an earlier session say, is kept.)
  scripts/wine-run.sh wineserver -p >/dev/null 2>&1 || true
  scripts/wine-run.sh cmd /c exit >/dev/null 2>&1
  trap 'scripts/wine-run.sh wineserver -k >/dev/null 2>&1 || true' EXIT
  preset=windows-test
else
  bash scripts/deps.sh
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset"

if [[ $preset == windows-test ]]; then
  # Each build's output opened by the other build's reader.
  bash scripts/deps.sh
  cmake --preset dev >/dev/null
  cmake --build build/dev -j "$(nproc)" --target tamberlox-open output_run_bench
  cmake --build build/windows-test -j "$(nproc)" --target output_run_bench
  bash scripts/windows-interop.sh build/dev/bin build/windows-test/bin
fi
