#!/usr/bin/env bash
# Runs a Windows program (or a Wine tool: wineboot, wineserver) in the
# project's own Wine prefix, with code page 932 and the Windows build's DLLs
# on the search path. ctest uses it as the cross-compiling emulator.
set -euo pipefail
cache=${TAMBERLOX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tamberlox}
deps=${TAMBERLOX_WINDOWS_DEPS:-$(ls -d "$cache"/windows-qt* 2>/dev/null | tail -1)}
export WINEPREFIX=$cache/wine/prefix
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts: nothing here needs them.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LOCPATH=$cache/wine/locale
unset DISPLAY WAYLAND_DISPLAY
# Wine keeps Unix QT_* variables from Windows programs (they would name
# Linux paths); it hands them WINEQT_* as QT_*.
export WINEQT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
# Qt's DLLs, and the compiler's runtime DLLs that Qt and our programs link.
gcc_dlls=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
winpath() { local p=$1; echo "Z:${p//\//\\}"; }
export WINEPATH="$(winpath "$deps/bin");$(winpath "$gcc_dlls");$(winpath /usr/x86_64-w64-mingw32/lib)"
export WINEQT_PLUGIN_PATH="Z:${deps}/plugins"
# Set at the exec, not in this shell, which would warn that it has no such locale.
case ${1:-} in
  wineboot | wineserver) exec env LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 "$@" ;;
  *) exec env LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 wine "$@" ;;
esac
