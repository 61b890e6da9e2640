#!/usr/bin/env bash
# Sets up, builds and installs Tamberlox into dist/, then starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
cmake --install build/release --prefix "$PWD/dist" >/dev/null

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "Installed in dist/tamberlox. No display here: start dist/tamberlox/tamberlox on a desktop."
  exit 0
fi
exec dist/tamberlox/tamberlox
