#!/usr/bin/env bash
# Sets up what the Windows build needs: Debian's mingw-w64 compilers and Wine,
# then, once, qtbase, libmspack and libdeflate built for Windows from Debian's
# own source packages and GoogleTest from /usr/src/googletest, all into one
# prefix in a cache outside the clone. A stamp written last marks each piece
# done, so a killed build is redone and a finished one is reused.
# Prints the prefix on its last line.
# Also makes the private Wine prefix the suites run in (code page 932).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

qt_version=6.4.2
qt_source=qt6-base
mspack_version=0.11
deflate_version=1.14
cache=${TAMBERLOX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tamberlox}
prefix=$cache/windows-qt$qt_version-mspack$mspack_version-deflate$deflate_version
jobs=$(nproc)

log() { echo "windows-deps: $*" >&2; }

bash "$here/scripts/deps.sh" windows

mkdir -p "$prefix"
toolchain=$here/cmake/mingw-w64-x86_64.cmake
work=$cache/work
mkdir -p "$work"

# Debian's source packages through a private source list: the system's apt
# configuration is left as it is.
fetch_source() { # package
  local apt=$work/apt
  local opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/parts"
              -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
              -o "APT::Sandbox::User=root")
  if [[ ! -f $apt/updated ]]; then
    mkdir -p "$apt/parts" "$apt/lists/partial" "$apt/cache"
    local uris
    uris=$(grep -hoE '^(URIs:|deb) +http[^ ]+' /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null |
           grep -v security | awk '{print $2}' | head -1)
    echo "deb-src ${uris:-http://deb.debian.org/debian} bookworm main" >"$apt/sources.list"
    apt-get "${opts[@]}" update -qq
    touch "$apt/updated"
  fi
  rm -rf "$work/src-$1" && mkdir -p "$work/src-$1"
  (cd "$work/src-$1" && apt-get "${opts[@]}" source --download-only -qq "$1" >/dev/null &&
     dpkg-source --no-check -x ./*.dsc tree >/dev/null)
  echo "$work/src-$1/tree"
}

build_qt() {
  local stamp=$prefix/.qt-done
  [[ -f $stamp ]] && return
  log "building qtbase $qt_version for Windows (about half an hour on 2 cores, once)"
  local src
  src=$(fetch_source $qt_source)
  local build=$work/qt-build
  rm -rf "$build"
  # Debian strips the wintab sources, so no tablet support; nothing we do needs
  # the network, SQL, D-Bus, XML or printing. (OpenGL stays: 6.4.2's windows
  # platform plugin does not build without it, nor without Direct2D, whose
  # absence leaves the DirectWrite font database out of Gui.)
  cmake -S "$src" -B "$build" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_xml=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_testlib=ON \
    -DFEATURE_gui=ON -DFEATURE_widgets=ON -DFEATURE_style_windowsvista=ON \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    >"$work/qt-configure.log" 2>&1 || { tail -40 "$work/qt-configure.log" >&2; exit 1; }
  cmake --build "$build" --parallel "$jobs" >"$work/qt-build.log" 2>&1 ||
    { tail -40 "$work/qt-build.log" >&2; exit 1; }
  cmake --install "$build" >/dev/null
  rm -rf "$build" "$work/src-$qt_source"
  touch "$stamp"
}

build_mspack() {
  local stamp=$prefix/.mspack-done
  [[ -f $stamp ]] && return
  log "building libmspack $mspack_version for Windows"
  local src
  src=$(fetch_source libmspack)
  (cd "$src" && ./configure --host=x86_64-w64-mingw32 --prefix="$prefix" --disable-shared \
     CFLAGS=-O2 >"$work/mspack.log" 2>&1 &&
   make -j"$jobs" install-libLTLIBRARIES install-includeHEADERS install-pkgconfigDATA >>"$work/mspack.log" 2>&1) ||
    { tail -30 "$work/mspack.log" >&2; exit 1; }
  rm -rf "$work/src-libmspack"
  touch "$stamp"
}

build_deflate() {
  local stamp=$prefix/.deflate-done
  [[ -f $stamp ]] && return
  log "building libdeflate $deflate_version for Windows"
  local src
  src=$(fetch_source libdeflate)
  # 1.14 builds with its own Makefile, which knows mingw by the compiler's triple.
  make -C "$src" -j"$jobs" CC=x86_64-w64-mingw32-gcc-posix AR=x86_64-w64-mingw32-ar \
    CFLAGS=-O2 libdeflatestatic.lib >"$work/deflate.log" 2>&1 || { tail -30 "$work/deflate.log" >&2; exit 1; }
  install -d "$prefix/lib" "$prefix/include"
  install -m 644 "$src/libdeflatestatic.lib" "$prefix/lib/libdeflate.a"
  install -m 644 "$src/libdeflate.h" "$prefix/include/"
  rm -rf "$work/src-libdeflate"
  touch "$stamp"
}

build_gtest() {
  local stamp=$prefix/.gtest-done
  [[ -f $stamp ]] && return
  log "building GoogleTest for Windows"
  cmake -S /usr/src/googletest -B "$work/gtest-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -Dgtest_disable_pthreads=OFF >/dev/null
  cmake --build "$work/gtest-build" >/dev/null
  cmake --install "$work/gtest-build" >/dev/null
  rm -rf "$work/gtest-build"
  touch "$stamp"
}

# The Wine prefix the suites run in: made under a ja_JP.UTF-8 locale of its
# own (compiled into the cache, nothing system-wide), so Wine takes code page
# 932 as the ANSI code page, as a Japanese Windows does.
make_wine_prefix() {
  local stamp=$cache/wine/.done
  [[ -f $stamp ]] && return
  log "making the Wine prefix (code page 932)"
  rm -rf "$cache/wine" && mkdir -p "$cache/wine/locale"
  localedef -i ja_JP -f UTF-8 "$cache/wine/locale/ja_JP.UTF-8" 2>/dev/null || true
  [[ -d $cache/wine/locale/ja_JP.UTF-8 ]] || { log "localedef ja_JP.UTF-8 failed"; exit 1; }
  "$here/scripts/wine-run.sh" wineboot --init
  "$here/scripts/wine-run.sh" wineserver -w
  touch "$stamp"
}

# Wine's null display driver: real windows, menus and window procedures
# without an X display, as the suites that test them need. Those that show
# windows on Xvfb copy the prefix and set the X11 driver in the copy.
null_display() {
  local stamp=$cache/wine/.null-display
  [[ -f $stamp ]] && return
  "$here/scripts/wine-run.sh" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
  "$here/scripts/wine-run.sh" wineserver -w
  touch "$stamp"
}

build_deflate
build_mspack
build_gtest
build_qt
# Qt's own Japanese texts are data, the same for every system: Debian's file,
# where the Windows Qt looks for its translations.
mkdir -p "$prefix/translations"
cp -u /usr/share/qt6/translations/qtbase_ja.qm "$prefix/translations/"
make_wine_prefix
null_display
echo "$prefix"
