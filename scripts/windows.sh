#!/usr/bin/env bash
# Builds Tamberlox for Windows on Debian and packages it, with no Windows
# machine: dist/tamberlox-windows/ is the program folder (the two programs, the
# two components they find beside themselves, the Qt and compiler DLLs they
# load, Qt's plugins and Japanese texts), dist/tamberlox-VERSION-windows-x64.zip
# a portable copy of it, dist/tamberlox-VERSION-windows-x64.msi a per-user
# installer. scripts/windows-package-check.sh then tries the MSI under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
here=$PWD

log() { echo "windows: $*" >&2; }
fail() { log "$*"; exit 1; }

deps=$(bash scripts/windows-deps.sh | tail -1)
export TAMBERLOX_WINDOWS_DEPS=$deps

bash scripts/deps.sh package

version=$(sed -nE 's/^project\(Tamberlox VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
[[ -n $version ]] || fail "no version in CMakeLists.txt"

log "building $version (preset windows)"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target tamberlox tamberlox-open cab32 capicom
bin=build/windows/bin

dist=dist/tamberlox-windows
rm -rf "$dist"
mkdir -p "$dist"
for f in tamberlox.exe tamberlox-open.exe cab32.dll capicom.dll; do
  [[ -f $bin/$f ]] || fail "the build made no $f"
  cp "$bin/$f" "$dist/"
done
# Plugins in windeployqt's layout: Qt looks for them in the program's folder.
# No image-format plugin: the icon is an XPM, which Qt Gui reads itself.
for p in platforms/qwindows.dll styles/qwindowsvistastyle.dll; do
  mkdir -p "$dist/$(dirname "$p")"
  cp "$deps/plugins/$p" "$dist/$p"
done
mkdir -p "$dist/translations"
cp "$deps/translations/qtbase_ja.qm" "$dist/translations/"

# Every DLL the folder's files import, and theirs in turn, from Qt or the
# compiler's runtime. A DLL mingw-w64 has an import library for is Windows' own.
gcc_dlls=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
[[ -f $gcc_dlls/libstdc++-6.dll ]] || fail "no libstdc++-6.dll from x86_64-w64-mingw32-g++-posix"
sources=("$deps/bin" "$gcc_dlls" /usr/x86_64-w64-mingw32/lib)
system_libs=/usr/x86_64-w64-mingw32/lib
imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r'; }
declare -A seen=()
queue=()
while IFS= read -r f; do queue+=("$f"); done < <(find "$dist" -name '*.exe' -o -name '*.dll')
while [[ ${#queue[@]} -gt 0 ]]; do
  file=${queue[0]}
  queue=("${queue[@]:1}")
  while IFS= read -r dll; do
    key=${dll,,}
    [[ -n ${seen[$key]:-} ]] && continue
    seen[$key]=1
    found=
    for dir in "${sources[@]}"; do
      found=$(find "$dir" -maxdepth 1 -type f -iname "$dll" | head -1)
      [[ -n $found ]] && break
    done
    if [[ -n $found ]]; then
      cp "$found" "$dist/"
      queue+=("$dist/$(basename "$found")")
    elif [[ $key == api-ms-win-* || $key == ext-ms-win-* || -f $system_libs/lib${key%.dll}.a ]]; then
      :
    else
      fail "$(basename "$file") imports $dll, which is neither in Qt, the compiler's runtime nor Windows"
    fi
  done < <(imports "$file")
done
find "$dist" -type f \( -name '*.exe' -o -name '*.dll' \) -exec x86_64-w64-mingw32-strip {} +
log "$dist: $(find "$dist" -type f | wc -l) files"

# The zip holds one folder, named as the installed one.
zip=dist/tamberlox-$version-windows-x64.zip
rm -f "$zip"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp -a "$dist" "$stage/Tamberlox"
(cd "$stage" && zip -q -r -X -9 "$here/$zip" Tamberlox)

icon=src/startup/resources/tamberlox.ico
msi=dist/tamberlox-$version-windows-x64.msi
bash packaging/windows/build-msi.sh "$version" "$dist" "$icon" "$msi"
log "$zip: $(stat -c %s "$zip") bytes"
log "$msi: $(stat -c %s "$msi") bytes"
