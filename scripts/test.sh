#!/usr/bin/env bash
# Sets up, builds and runs every test suite. Usage: scripts/test.sh [preset]
# (dev by default; asan builds with AddressSanitizer + UBSan).
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-dev}

bash scripts/deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset"
