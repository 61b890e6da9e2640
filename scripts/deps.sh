#!/usr/bin/env bash
# Installs the Debian 12 packages Tamberlox needs to build, run and test.
# Idempotent and quiet when everything is already there.
set -euo pipefail

packages=(
  # build
  cmake g++ make pkg-config binutils qt6-base-dev libgl-dev libssl-dev libmspack-dev libdeflate-dev zlib1g-dev
  # tests and the tools that read our output back
  libgtest-dev libgmock-dev cabextract libarchive-tools python3
  # fuzzing
  clang libclang-rt-14-dev
  # the desktop: Japanese font, Qt's own dialogs in Japanese, a display for screenshots
  fonts-ipafont-gothic qt6-translations-l10n openbox xvfb xauth imagemagick xdotool x11-utils xclip
  # benchmarks
  time openssl gcab
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
