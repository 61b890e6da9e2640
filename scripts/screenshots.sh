#!/usr/bin/env bash
# Takes the screenshots in docs/screenshots/ from the real program: installs a
# build into a temporary folder (a fresh program folder without settings),
# starts it under Xvfb, creates the settings through the settings window,
# adds two report files through the file dialog, runs one output, runs a
# large one with its progress window, stops it a second time, and opens the
# version window through the window menu.
# Usage: scripts/screenshots.sh [build folder]   (build/dev by default)
# Needs: xvfb xauth openbox xdotool x11-utils xclip imagemagick fonts-ipafont-gothic.
set -euo pipefail
export LC_ALL=C.UTF-8
cd "$(dirname "$0")/.."

caption='トルメア暗号化ﾌｧｲﾙ出力'

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
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    echo "screenshots.sh: the program did not end through its window menu" >&2
    kill "$pid"
  fi
  wait "$pid" || true
}

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
