#!/usr/bin/env bash
# Installs the Debian 12 packages Tamberlox needs. Usage: scripts/deps.sh
# [linux|windows|package]: the Linux build, run and tests (the default); the
# Windows cross-build and Wine; the Windows packages (zip, MSI) and their
# check. Idempotent and quiet when everything is already there.
set -euo pipefail

case ${1:-linux} in
  linux)
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
    ) ;;
  windows)
    packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
              mingw-w64-x86-64-dev wine wine64 locales ninja-build dpkg-dev xz-utils
              qt6-base-dev qt6-base-dev-tools qt6-translations-l10n googletest libz-mingw-w64-dev fonts-wine) ;;
  # wixl and msitools make the MSI; Xvfb is the display the package check
  # starts the program on.
  package)
    packages=(wixl msitools zip xvfb xauth openbox xdotool) ;;
  *)
    echo "deps.sh: no package set \"$1\" (linux, windows or package)" >&2
    exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
