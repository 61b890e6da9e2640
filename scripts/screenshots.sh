#!/usr/bin/env bash
# Takes the screenshots in docs/screenshots/ from the real program: installs a
# build into a temporary folder (a fresh program folder without settings),
# starts it under Xvfb, creates the settings through the settings window,
# adds two report files through the file dialog, runs one output, runs a
# large one with its progress window, stops it a second time, and opens the
# version window through the window menu.
# Usage: scripts/screenshots.sh [build folder]   (build/dev by default)
# Needs: xvfb xauth openbox xdotool x11-utils xclip imagemagick fonts-ipafont-gothic.
#
# scripts/screenshots.sh windows: the same from the Windows package
# (dist/, made by scripts/windows.sh), installed with its MSI into a copy of
# the project's Wine prefix and run in Wine's own desktop window, so the
# frames, system menu, message boxes and file dialog are Wine's Windows ones.
# Writes docs/screenshots/windows_*.png. Needs also wine and fonts-wine
# (Marlett, for the caption buttons).
set -euo pipefail
export LC_ALL=C.UTF-8
cd "$(dirname "$0")/.."

caption='トルメア暗号化ﾌｧｲﾙ出力'

# Whether process $1 ends within $2 tenths of a second.
ended_within() {
  local _
  for _ in $(seq "$2"); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.1
  done
  ! kill -0 "$1" 2>/dev/null
}

# Waits for a visible window of the program whose title is $1 (and which is
# not window $2); prints its id.
wait_window() {
  local title=$1 other=${2:-} id name
  for _ in $(seq 300); do
    for id in $(xdotool search --onlyvisible --class tamberlox 2>/dev/null); do
      name=$(xdotool getwindowname "$id" 2>/dev/null || true)
      if [[ "$name" == "$title" && "$id" != "$other" ]]; then echo "$id"; return 0; fi
    done
    sleep 0.1
  done
  echo "screenshots.sh: no window \"$title\" appeared" >&2
  return 1
}

# Focuses window $1 and sends it keys.
keys() {
  local id=$1; shift
  xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus --sync "$id"
  xdotool key --delay 40 "$@"
}

# Through the clipboard: xdotool drops characters it has to map onto a spare
# key first (kanji, kana).
typein() {
  printf '%s' "$1" | xclip -selection clipboard
  xdotool key --delay 40 ctrl+v
  sleep 0.2
}

# Window $1 with its window manager's frame (title bar included) into $2.
shot() {
  local x y width height left right top bottom
  sleep 0.5
  x=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ { print $NF }')
  y=$(xwininfo -id "$1" | awk '/Absolute upper-left Y/ { print $NF }')
  width=$(xwininfo -id "$1" | awk '/^ *Width:/ { print $NF }')
  height=$(xwininfo -id "$1" | awk '/^ *Height:/ { print $NF }')
  read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,/ /g')
  import -window root -crop "$((width + left + right))x$((height + top + bottom))+$((x - left))+$((y - top))" \
    +repage "$TAMBERLOX_SHOT_OUT/$2"
}

add_report() {
  local main=$1 path=$2 dialog
  keys "$main" space                       # ﾌｧｲﾙ追加 has the focus
  dialog=$(wait_window 'ﾌｧｲﾙを指定')
  sleep 0.3
  typein "$path"
  keys "$dialog" Return
  sleep 0.3
}

session() {
  local tmp=$TAMBERLOX_SHOT_DIR question settings main done_box about progress
  export HOME=$tmp/home XDG_RUNTIME_DIR=$tmp/runtime
  # A window manager, so the pictures show title bars as users see them.
  openbox >/dev/null 2>&1 &
  sleep 1
  "$tmp/dist/tamberlox/tamberlox" &
  local pid=$!

  # No settings file: the question, then the settings window with defaults.
  question=$(wait_window "$caption")
  keys "$question" Return
  settings=$(wait_window 'トルメアﾌｧｲﾙ出力設定')
  sleep 0.3
  keys "$settings" Tab
  typein 'A123'; keys "$settings" Tab
  typein 'secret'; keys "$settings" Tab
  typein 'reply@example.jp'
  shot "$settings" settings_window.png
  keys "$settings" Tab Tab Tab Tab Tab Tab Tab Tab Tab space

  main=$(wait_window "$caption")
  add_report "$main" "$tmp/reports/report_2026_11.xls"
  add_report "$main" "$tmp/reports/集計表_2026_11.csv"
  shot "$main" main_window.png

  # One output run: 出力 is three tabs after ﾌｧｲﾙ追加.
  keys "$main" Tab Tab Tab space
  done_box=$(wait_window "$caption" "$main")
  shot "$done_box" output_done.png
  keys "$done_box" Return

  # A large report: after half a second the progress window with 中止.
  sleep 0.5
  add_report "$main" "$tmp/reports/大容量データ_2026_11.bin"
  keys "$main" Tab Tab Tab space
  progress=$(wait_window '進行状況')
  sleep 0.7
  shot "$progress" progress_window.png
  done_box=$(wait_window "$caption" "$main")
  keys "$done_box" Return

  # The same report again, stopped while it is compressed: the run ends
  # with its box at once (too soon to catch the window saying it stops).
  sleep 0.5
  add_report "$main" "$tmp/reports/大容量データ_2026_11.bin"
  keys "$main" Tab Tab Tab space
  progress=$(wait_window '進行状況')
  sleep 0.7
  keys "$progress" Escape
  done_box=$(wait_window "$caption" "$main")
  shot "$done_box" output_stopped.png
  keys "$done_box" Return

  # The window menu from the window's background, then バージョン情報.
  xdotool mousemove --window "$main" 200 340 click 3
  sleep 0.5
  xdotool key --delay 60 Down Down Return
  about=$(wait_window 'ﾊﾞｰｼﾞｮﾝ情報')
  shot "$about" about_window.png
  keys "$about" Return

  # The close entry of the window menu ends the program.
  sleep 0.3
  xdotool mousemove --window "$main" 200 340 click 3
  sleep 0.5
  xdotool key --delay 60 Down Return
  if ! ended_within "$pid" 50; then
    echo "screenshots.sh: the program did not end through its window menu" >&2
    kill "$pid"
  fi
  wait "$pid" || true
}

# --- Windows, under Wine ------------------------------------------------------

# Only what Wine needs: the copy of the prefix, a home and temporary folder
# of our own, code page 932, the display xvfb-run made.
wine_env() {
  env -i PATH="$PATH" HOME="$TAMBERLOX_SHOT_DIR/home" TMPDIR="$TAMBERLOX_SHOT_DIR/tmp" USER="$(id -un)" \
    DISPLAY="${DISPLAY:-}" XAUTHORITY="${XAUTHORITY:-}" \
    WINEPREFIX="$TAMBERLOX_SHOT_DIR/prefix" WINEARCH=win64 WINEDEBUG=-all \
    WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d' \
    LOCPATH="$TAMBERLOX_SHOT_CACHE/wine/locale" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 "$@"
}
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

# In Wine's desktop each Windows window is a child X window of the desktop's,
# frame included: its place and size on the screen.
geometry() {
  xwininfo -id "$1" 2>/dev/null | awk '
    /Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF }
    END { print x, y, w, h }'
}

# Windows $2... and what lies between them into $1.
wshot() {
  local out=$1 id x y w h x0=100000 y0=100000 x1=0 y1=0
  shift
  sleep 0.7
  for id in "$@"; do
    read -r x y w h < <(geometry "$id")
    ((x < x0)) && x0=$x
    ((y < y0)) && y0=$y
    ((x + w > x1)) && x1=$((x + w))
    ((y + h > y1)) && y1=$((y + h))
  done
  import -window root -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage "$TAMBERLOX_SHOT_OUT/$out"
  written+=("$out")
}

# Keys to Wine's window $1 through its own X window: with the focus on the
# desktop's X window they stop arriving once the pointer has clicked.
wkeys() {
  local id=$1
  shift
  xdotool windowfocus --sync "$id" 2>/dev/null || true
  xdotool key --delay 60 "$@"
}
# Wine takes the X clipboard, kanji and kana included.
wtype() {
  printf '%s' "$2" | xclip -selection clipboard
  wkeys "$1" ctrl+v
  sleep 0.3
}

gone() {
  for _ in $(seq 100); do
    xwininfo -id "$1" 2>/dev/null | grep -q IsViewable || return 0
    sleep 0.1
  done
  echo "screenshots.sh: window $1 stayed" >&2
  return 1
}

wadd_report() {
  local main=$1 path=$2 dialog
  wkeys "$main" space                      # ﾌｧｲﾙ追加 has the focus
  dialog=$(wait_window 'ﾌｧｲﾙを指定')
  sleep 0.5
  wtype "$dialog" "$(winpath "$path")"
  wkeys "$dialog" Return
  gone "$dialog"
  sleep 0.3
}

# The popup of the system menu: a visible X window of the program's at the
# main window's top left corner.
popup_menu() {
  local main=$1 id x y w h mx my mw mh
  read -r mx my mw mh < <(geometry "$main")
  for _ in $(seq 30); do
    for id in $(xdotool search --onlyvisible --class tamberlox 2>/dev/null); do
      [[ $id == "$main" ]] && continue
      read -r x y w h < <(geometry "$id")
      if ((w > 20 && h > 20 && x >= mx && x < mx + 60 && y >= my && y < my + 60)); then
        echo "$id"
        return 0
      fi
    done
    sleep 0.1
  done
  echo "screenshots.sh: no system menu" >&2
  return 1
}

# The system menu of window $1 through a click on its icon, the other way to
# it beside Alt+Space (keys sent to Wine's desktop are lost after a click).
system_menu() {
  local x y w h
  read -r x y w h < <(geometry "$1")
  xdotool mousemove $((x + 10)) $((y + 10)) click 1 mousemove 1023 767
  popup_menu "$1"
}

windows_session() {
  local tmp=$TAMBERLOX_SHOT_DIR question settings main done_box='' about progress menu pid x y w h
  wine_env wine explorer /desktop=Tamberlox,1024x768 "$TAMBERLOX_SHOT_EXE" >"$tmp/wine.log" 2>&1 &
  pid=$!

  # No settings file: the question box, then the settings window.
  question=$(wait_window "$caption")
  # The pointer off the windows, moved on Wine's desktop: until Wine sees it
  # move there it takes it at the screen's centre, where a field then shows
  # it hovering.
  xdotool mousemove 1000 740 sleep 0.2 mousemove 1023 767
  wshot windows_first_start.png "$question"
  wkeys "$question" Return
  settings=$(wait_window 'トルメアﾌｧｲﾙ出力設定')
  sleep 0.5
  wkeys "$settings" Tab
  wtype "$settings" 'A123'
  wkeys "$settings" Tab
  wtype "$settings" 'secret'
  wkeys "$settings" Tab
  wtype "$settings" 'reply@example.jp'
  wshot windows_settings.png "$settings"
  wkeys "$settings" Tab Tab Tab Tab Tab Tab Tab Tab Tab space

  main=$(wait_window "$caption")
  sleep 0.5
  wadd_report "$main" "$tmp/reports/report_2026_11.xls"
  wadd_report "$main" "$tmp/reports/集計表_2026_11.csv"
  wshot windows_main.png "$main"

  wkeys "$main" alt+space
  menu=$(popup_menu "$main")
  wshot windows_system_menu.png "$main" "$menu"
  wkeys "$main" Escape
  gone "$menu"

  # A large report: after half a second the progress window, then the box
  # at the end of the run. 出力 is three tabs after ﾌｧｲﾙ追加.
  wadd_report "$main" "$tmp/reports/大容量データ_2026_11.bin"
  wkeys "$main" Tab Tab Tab space
  progress=$(wait_window '進行状況')
  wshot windows_progress.png "$progress"
  for _ in $(seq 1800); do
    done_box=$(box_over "$main") && break
    sleep 0.1
  done
  [[ -n $done_box ]] || { echo "screenshots.sh: the output run did not end in three minutes" >&2; return 1; }
  wshot windows_output_done.png "$done_box"
  wkeys "$done_box" Return
  gone "$done_box"

  # バージョン情報, the menu's last entry but one.
  menu=$(system_menu "$main")
  read -r x y w h < <(geometry "$menu")
  xdotool mousemove $((x + 40)) $((y + h - 28)) click 1 mousemove 1023 767
  about=$(wait_window 'ﾊﾞｰｼﾞｮﾝ情報')
  wshot windows_about.png "$about"
  wkeys "$about" Return
  gone "$about"

  wkeys "$main" alt+F4
  if ! ended_within "$pid" 100; then
    echo "screenshots.sh: the program did not end on Alt+F4" >&2
    return 1
  fi
  # Wine's desktop and services stay; ended before their display goes.
  wine_env wineserver -k >/dev/null 2>&1 || true
}

# The box the program shows over its main window $1 at the end of a run.
box_over() {
  local id
  for id in $(xdotool search --onlyvisible --class tamberlox 2>/dev/null); do
    [[ $id != "$1" && $(xdotool getwindowname "$id" 2>/dev/null) == "$caption" ]] && { echo "$id"; return 0; }
  done
  return 1
}

windows() {
  local cache=${TAMBERLOX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tamberlox} version msi installdir started=$SECONDS
  version=$(sed -nE 's/^project\(Tamberlox VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
  msi=$PWD/dist/tamberlox-$version-windows-x64.msi
  for tool in wine xvfb-run xdotool xwininfo xclip import iconv; do
    command -v "$tool" >/dev/null || { echo "screenshots.sh: $tool is missing" >&2; exit 1; }
  done
  [[ -f /usr/share/wine/fonts/marlett.ttf ]] || { echo "screenshots.sh: fonts-wine is missing" >&2; exit 1; }
  [[ -f $msi ]] || { echo "screenshots.sh: no $msi: run scripts/windows.sh first" >&2; exit 1; }
  [[ -f $cache/wine/.done ]] || { echo "screenshots.sh: no Wine prefix in $cache/wine: run scripts/windows-deps.sh" >&2; exit 1; }

  tmp=$(mktemp -d)
  export TAMBERLOX_SHOT_DIR=$tmp TAMBERLOX_SHOT_CACHE=$cache TAMBERLOX_SHOT_OUT=$PWD/docs/screenshots
  # A copy of the prefix has a wineserver of its own, ended here alone.
  trap 'wine_env wineserver -k >/dev/null 2>&1 || true; rm -rf "$TAMBERLOX_SHOT_DIR"' EXIT
  mkdir -p "$tmp/home" "$tmp/tmp" "$tmp/reports" docs/screenshots
  cp -a "$cache/wine/prefix" "$tmp/prefix"
  # The prefix links the user's Desktop, Documents... to the real home.
  for l in "$tmp"/prefix/drive_c/users/*/*; do
    if [[ -L $l ]]; then rm "$l" && mkdir "$l"; fi
  done
  # Wine copies its own fonts into a prefix only when it makes it; without
  # Marlett the caption buttons show letters ("r" for the close box).
  cp -n /usr/share/wine/fonts/* "$tmp/prefix/drive_c/windows/Fonts/"
  # The project's prefix draws into no display (for the tests).
  wine_env wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
  # MS UI Gothic, Japanese Windows' dialog font (MS Shell Dlg) and one the
  # program takes, which Wine lacks: without it Qt falls back to the first
  # family it finds (a serif one) and kanji to another size. (MS Gothic as
  # IPAGothic would be closer, but clips the underscores in list rows.)
  wine_env wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'IPAPGothic' /f >/dev/null 2>&1
  wine_env wine msiexec /i "$(winpath "$msi")" /qn /l*v "$(winpath "$tmp/install.log")" >/dev/null 2>&1 ||
    { echo "screenshots.sh: msiexec could not install $msi" >&2; exit 1; }
  # Wine writes the log in code page 932.
  installdir=$(iconv -f CP932 -t UTF-8 "$tmp/install.log" | tr -d '\r' |
    sed -n 's/^Property(S): INSTALLDIR = //p' | tail -1)
  [[ $installdir == *'\AppData\Local\Programs\Tamberlox\' ]] ||
    { echo "screenshots.sh: installed into \"$installdir\", not the user's programs folder" >&2; exit 1; }
  export TAMBERLOX_SHOT_EXE=${installdir}tamberlox.exe

  printf 'report\r\n' >"$tmp/reports/report_2026_11.xls"
  printf 'report\r\n' >"$tmp/reports/集計表_2026_11.csv"
  head -c $((400 * 1024 * 1024)) /dev/urandom >"$tmp/reports/大容量データ_2026_11.bin"

  local rc=0
  TMPDIR=$tmp/tmp xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$0" --windows-session || rc=$?
  wine_env wineserver -k >/dev/null 2>&1 || true
  echo "Screenshots in docs/screenshots: $(cat "$tmp/written" 2>/dev/null) ($((SECONDS - started)) s)"
  return "$rc"
}

if [[ ${1:-} == --windows-session ]]; then
  written=()
  trap 'echo "${written[*]}" >"$TAMBERLOX_SHOT_DIR/written"' EXIT
  windows_session
  exit 0
fi
if [[ ${1:-} == windows ]]; then
  windows
  exit 0
fi

if [[ ${1:-} == --session ]]; then
  session
  exit 0
fi

build=${1:-build/dev}
for tool in xvfb-run openbox xdotool xprop xwininfo xclip import; do
  command -v "$tool" >/dev/null || { echo "screenshots.sh: $tool is missing" >&2; exit 1; }
done
[[ -d "$build" ]] || { echo "screenshots.sh: no build folder $build" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cmake --build "$build" --target tamberlox >/dev/null
cmake --install "$build" --prefix "$tmp/dist" >/dev/null
mkdir -p "$tmp/home/Documents" "$tmp/runtime" "$tmp/reports" docs/screenshots
chmod 700 "$tmp/runtime"
printf 'report\r\n' >"$tmp/reports/report_2026_11.xls"
printf 'report\r\n' >"$tmp/reports/集計表_2026_11.csv"
head -c $((400 * 1024 * 1024)) /dev/urandom >"$tmp/reports/大容量データ_2026_11.bin"

export TAMBERLOX_SHOT_DIR=$tmp TAMBERLOX_SHOT_OUT=$PWD/docs/screenshots
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$0" --session
echo "Screenshots in docs/screenshots: settings_window.png main_window.png output_done.png progress_window.png output_stopped.png about_window.png"
