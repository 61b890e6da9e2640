#!/usr/bin/env bash
# Tries the MSI that scripts/windows.sh made, under Wine, in a throwaway copy of
# the project's Wine prefix with a home of its own and nothing of the build on
# its paths: installs it for the user, compares the installed folder and the
# Start-menu shortcut with what was packaged, runs the installed
# tamberlox-open.exe, drives the installed tamberlox.exe through its windows on
# a display of its own (a component missing, a folder it cannot write, then
# the first start and an output run that Linux's tamberlox-open opens),
# upgrades to a newer version over the user's TAMBERLOX.INI and logs, refuses
# the older version back, uninstalls, and checks that the user's files stay
# and nothing else does. Run after scripts/windows.sh, with a Linux build in
# build/dev (its tamberlox-open reads the output).
set -euo pipefail
cd "$(dirname "$0")/.."
here=$PWD
started=$SECONDS

log() { echo "windows-package-check: $*" >&2; }
fail() { log "FAILED: $*"; exit 1; }

cache=${TAMBERLOX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tamberlox}
version=$(sed -nE 's/^project\(Tamberlox VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
msi=$here/dist/tamberlox-$version-windows-x64.msi
folder=$here/dist/tamberlox-windows
[[ -f $msi && -d $folder ]] || fail "no $msi or $folder: run scripts/windows.sh first"
[[ -f $cache/wine/.done ]] || fail "no Wine prefix in $cache/wine: run scripts/windows-deps.sh"
linux_open=$here/build/dev/bin/tamberlox-open
[[ -x $linux_open ]] || fail "no $linux_open: build the Linux tamberlox-open first"
for tool in Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/deps.sh package"
done
caption='トルメア暗号化ﾌｧｲﾙ出力'
product_name="Tamberlox $caption"

scratch=$(mktemp -d)
prefix=$scratch/prefix
mkdir -p "$scratch/home" "$scratch/tmp"

# Only what Wine needs, nothing from the caller: no WINEPATH to the build's Qt,
# no QT_* variables, no display, the scratch home and temporary folder (where
# Debian's Wine keeps its server's socket). Code page 932 as the project's
# prefix has it; no menu entries written into the home.
wine_env() {
  env -i PATH="$PATH" HOME="$scratch/home" TMPDIR="$scratch/tmp" USER="$(id -un)" \
    WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all \
    WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d' \
    LOCPATH="$cache/wine/locale" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 "$@"
}
cleanup() {
  # The script's own verdict stands, whatever is left to tidy.
  local rc=$?
  set +e
  wine_env wineserver -k >/dev/null 2>&1
  stop_display
  if [[ -n ${installed:-} ]] && mountpoint -q "$installed" 2>/dev/null; then umount "$installed"; fi
  # TAMBERLOX_KEEP_SCRATCH=1 keeps the prefix, traces and logs to look at.
  if [[ -n ${TAMBERLOX_KEEP_SCRATCH:-} ]]; then log "kept $scratch"; else rm -rf "$scratch"; fi
  exit "$rc"
}
trap cleanup EXIT

cp -a "$cache/wine/prefix" "$prefix"
# The project's prefix has the null display driver; here the program is shown.
wine_env wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1 ||
  fail "cannot set Wine's X11 driver in the copy of the prefix"
# The prefix links the user's Desktop, Documents... to the real home.
for l in "$prefix"/drive_c/users/*/*; do
  if [[ -L $l ]]; then rm "$l" && mkdir "$l"; fi
done

winpath() { local p=$1; echo "Z:${p//\//\\}"; }
unixpath() { wine_env wine winepath -u "$1" 2>/dev/null | tr -d '\r'; }

# msiexec with a verbose log; on an unexpected answer, the log's end.
# Wine writes the log in the ANSI code page, 932 here. Its exit code reaches
# us as a Unix status, only the low 8 bits of Windows' (1603 comes as 67).
msiexec_expect() { # expected Windows exit code, log name, msiexec arguments...
  local expected=$1 name=$2 rc=0
  shift 2
  wine_env wine msiexec "$@" /qn /l*v "$(winpath "$scratch/$name.log")" >/dev/null 2>&1 || rc=$?
  if [[ $rc != $((expected & 255)) ]]; then
    [[ -f $scratch/$name.log ]] && iconv -f CP932 -t UTF-8 "$scratch/$name.log" | tail -40 >&2
    fail "msiexec $* answered $rc, not $expected"
  fi
}
logged() { # log name, text
  iconv -f CP932 -t UTF-8 "$scratch/$1.log" | grep -qF -- "$2"
}
property() { # log name, property: its value as the install logged it
  iconv -f CP932 -t UTF-8 "$scratch/$1.log" | tr -d '\r' |
    sed -n "s/^Property(S): $2 = //p" | tail -1
}

# The same files, byte for byte, and no others.
same_tree() { # what, expected folder, actual folder, files to leave out of the actual one...
  local what=$1 a=$2 b=$3 f
  shift 3
  local skip=("$@")
  diff <(cd "$a" && find . -type f | sort) \
       <(cd "$b" && find . -type f | sort | grep -vxF -f <(printf './%s\n' "${skip[@]}")) >&2 ||
    fail "$what: the installed files differ from the packaged ones"
  while IFS= read -r f; do
    cmp -s "$a/$f" "$b/$f" || fail "$what: $f differs from the packaged one"
  done < <(cd "$a" && find . -type f)
}

# Windows Installer's packed form of a product code, its key under
# HKCU\Software\Microsoft\Installer\Products for a per-user install.
packed() { # {GUID}
  local g=${1//[\{\}-]/} out='' i
  out=$(rev <<<"${g:0:8}")$(rev <<<"${g:8:4}")$(rev <<<"${g:12:4}")
  for ((i = 16; i < 32; i += 2)); do out+=${g:i+1:1}${g:i:1}; done
  echo "$out"
}
product_code() { msiinfo export "$1" Property | tr -d '\r' | awk -F '\t' '$1 == "ProductCode" { print $2 }'; }
products_key='HKCU\Software\Microsoft\Installer\Products'
registered() { wine_env wine reg query "$products_key\\$(packed "$1")" >/dev/null 2>&1; }
# The product's registration, exported as Unicode: its name and version as
# the user's system holds them.
check_registration() { # product code, dotted version
  local code=$1 v=$2 file=$scratch/product.reg major minor build
  registered "$code" || fail "$code ($v) is not registered for the user"
  rm -f "$file"
  wine_env wine reg export "$products_key\\$(packed "$code")" "$(winpath "$file")" >/dev/null 2>&1 ||
    fail "cannot export the registration of $code"
  local text
  text=$(iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r')
  IFS=. read -r major minor build <<<"$v"
  grep -qiF "\"Version\"=dword:$(printf '%02x%02x%04x' "$major" "$minor" "$build")" <<<"$text" ||
    fail "$code is registered with another version than $v"
  grep -qF "\"ProductName\"=\"$product_name\"" <<<"$text" ||
    fail "$code is registered under another name than \"$product_name\""
}

# The .lnk's description, working folder and target (MS-SHLLINK).
read_shortcut() { # .lnk file
  python3 - "$1" <<'EOF'
import struct, sys
d = open(sys.argv[1], 'rb').read()
flags = struct.unpack_from('<I', d, 20)[0]
pos = 76
if flags & 0x01:
    pos += 2 + struct.unpack_from('<H', d, pos)[0]
target = ''
if flags & 0x02:
    size, = struct.unpack_from('<I', d, pos)
    base = pos + struct.unpack_from('<I', d, pos + 16)[0]
    target = d[base:d.index(b'\0', base)].decode('cp932')
    pos += size
strings = {}
for bit, name in ((0x04, 'description'), (0x08, 'relative'), (0x10, 'workdir'),
                  (0x20, 'arguments'), (0x40, 'icon')):
    if flags & bit:
        n, = struct.unpack_from('<H', d, pos)
        strings[name] = d[pos + 2:pos + 2 + 2 * n].decode('utf-16le')
        pos += 2 + 2 * n
print(strings.get('description', ''))
print(strings.get('workdir', ''))
print(target)
EOF
}

check_installed() { # what, packaged folder, user files left out of the comparison...
  local what=$1 packaged=$2
  shift 2
  same_tree "$what" "$packaged" "$installed" "$@"
  [[ -f $shortcut ]] || fail "$what: no Start-menu shortcut $shortcut"
  local lines
  mapfile -t lines < <(read_shortcut "$shortcut")
  [[ ${lines[0]} == "$caption" ]] || fail "$what: the shortcut's description is \"${lines[0]}\""
  [[ ${lines[1]%\\} == "${installdir%\\}" ]] || fail "$what: the shortcut works in \"${lines[1]}\""
  [[ ${lines[2]} == "${installdir}tamberlox.exe" ]] || fail "$what: the shortcut starts \"${lines[2]}\""
}

# The installed tamberlox-open.exe, with only its own folder to find Qt in.
check_runs() { # what
  local out rc=0
  out=$(cd "$scratch" && wine_env wine "${installdir}tamberlox-open.exe" --help 2>&1) || rc=$?
  [[ $rc == 0 ]] || { echo "$out" >&2; fail "$1: the installed tamberlox-open.exe --help answered $rc"; }
  grep -qF 'usage: tamberlox-open' <<<"$out" || { echo "$out" >&2; fail "$1: no usage from tamberlox-open.exe"; }
}

# The installed tamberlox.exe on a display of its own: Xvfb with openbox,
# where Wine's windows are X windows, found by their titles. Wine traces the
# text of every message box it shows (+msgbox), so the checks read what the
# user is told; +loaddll and +file show what the program loads from where.
xvfb_pid= openbox_pid= program_pid= display= trace=
start_display() {
  : >"$scratch/display"
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$scratch/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  local i
  for ((i = 0; i < 100; i++)); do [[ -s $scratch/display ]] && break; sleep 0.1; done
  [[ -s $scratch/display ]] || fail "Xvfb did not start"
  display=:$(tr -d '\n' <"$scratch/display")
  # Openbox's own Alt+Space menu left out: on Windows that key is the window's.
  mkdir -p "$scratch/home/.config/openbox"
  sed '/<keybind key="A-space">/,/<\/keybind>/d' /etc/xdg/openbox/rc.xml >"$scratch/home/.config/openbox/rc.xml"
  DISPLAY=$display HOME="$scratch/home" openbox >/dev/null 2>&1 &
  openbox_pid=$!
  # Wine's desktop process started with the first program (msiexec), without
  # a display: a new one starts with the display's driver.
  wine_env wineserver -k >/dev/null 2>&1 || true
  wine_env wineserver -w >/dev/null 2>&1 || true
}
stop_display() {
  [[ -n $openbox_pid ]] && kill "$openbox_pid" 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null || true
}
x() { DISPLAY=$display "$@"; }

start_program() { # name of its trace
  trace=$scratch/$1.trace
  (cd "$scratch" && wine_env DISPLAY="$display" WINEDEBUG=-all,+msgbox,+loaddll,+file \
     wine "${installdir}tamberlox.exe" >/dev/null 2>"$trace") &
  program_pid=$!
}
# The program ends by itself within half a minute, or the check fails.
wait_program_end() { # what
  local i
  for ((i = 0; i < 300; i++)); do
    kill -0 "$program_pid" 2>/dev/null || { wait "$program_pid" || true; return 0; }
    sleep 0.1
  done
  fail "$1: tamberlox.exe did not end"
}
stop_program() {
  wine_env wineserver -k >/dev/null 2>&1 || true
  wait "$program_pid" 2>/dev/null || true
}

# The texts of the boxes shown so far, one line each (Wine writes UTF-16 units
# as \xxxx; a line break in a box becomes " / ").
box_texts() {
  python3 - "$trace" <<'EOF'
import re, sys
escapes = {'n': '\n', 'r': '\r', 't': '\t', '\\': '\\', '"': '"'}
def unescape(m):
    e = m.group(1)
    return escapes[e] if e in escapes else chr(int(e, 16))
for line in open(sys.argv[1], encoding='latin-1'):
    m = re.search(r'trace:msgbox:MSGBOX_OnInit L"(.*)"$', line.rstrip('\n'))
    if m:
        text = re.sub(r'\\([0-9a-fA-F]{4}|[nrt\\"])', unescape, m.group(1))
        print(text.replace('\r\n', ' / ').replace('\n', ' / '))
EOF
}
# Waits for box number $1 of this run and prints its text.
wait_box() { # number, what
  local i text
  for ((i = 0; i < 600; i++)); do
    text=$(box_texts | sed -n "$1p")
    [[ -n $text ]] && { echo "$text"; return 0; }
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
  done
  fail "$2: no message box number $1 (shown: $(box_texts | tr '\n' '|'))"
}

# A visible window titled $1 (and not window $2); prints its id.
wait_window() { # title, other window
  local title=$1 other=${2:-} i id
  for ((i = 0; i < 600; i++)); do
    for id in $(x xdotool search --onlyvisible --name . 2>/dev/null); do
      [[ $id != "$other" && $(x xdotool getwindowname "$id" 2>/dev/null) == "$title" ]] &&
        { echo "$id"; return 0; }
    done
    sleep 0.1
  done
  fail "no window \"$title\" appeared"
}
# Window $1 is no longer shown within half a minute, or the check fails.
wait_gone() { # window, what
  local i
  for ((i = 0; i < 300; i++)); do
    x xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || return 0
    sleep 0.1
  done
  fail "$2 did not close"
}
keys() { # window, keys...
  local id=$1
  shift
  x xdotool windowactivate --sync "$id" >/dev/null 2>&1 || x xdotool windowfocus --sync "$id"
  sleep 0.3
  x xdotool key --delay 60 "$@"
}
# Alt+Space on window $1, then keys for the menu it opens (sent as they are:
# activating the window again would close the menu).
from_system_menu() { # window, keys...
  local id=$1
  shift
  keys "$id" alt+space
  sleep 0.5
  x xdotool key --delay 100 "$@"
}
typein() { x xdotool type --delay 40 -- "$1"; sleep 0.2; }
# Answers the box titled $1 (not the window $2) with Return.
answer_box() { # title, other window
  local box
  box=$(wait_window "$1" "${2:-}")
  keys "$box" Return
}

# The settings window after the first-start question: user id, password,
# reply address typed in, the defaults kept, 登録 pressed.
fill_settings() {
  local settings
  settings=$(wait_window 'トルメアﾌｧｲﾙ出力設定')
  sleep 0.5
  keys "$settings" Tab
  typein 'A123'
  keys "$settings" Tab
  typein 'secret'
  keys "$settings" Tab
  typein 'reply@example.jp'
  keys "$settings" Tab Tab Tab Tab Tab Tab Tab Tab Tab space
}

# A component missing from the installed folder: the start says which and ends.
check_missing_component() {
  log "starting without cab32.dll"
  mv "$installed/cab32.dll" "$scratch/cab32.dll"
  start_program missing
  local text
  text=$(wait_box 1 "without cab32.dll")
  [[ $text == 'CAB32.DLLが見つかりません!!' ]] || fail "without cab32.dll the start said \"$text\""
  answer_box Error
  wait_program_end "without cab32.dll"
  [[ $(box_texts | wc -l) == 1 ]] || fail "without cab32.dll: more boxes: $(box_texts | tr '\n' '|')"
  mv "$scratch/cab32.dll" "$installed/cab32.dll"
}

# Installed where the user cannot write (an administrator's install): saving
# the settings fails with its message, no settings file is left, no crash.
check_read_only_folder() {
  log "first start in a folder the program cannot write"
  if [[ $(id -u) == 0 ]]; then
    mount --bind "$installed" "$installed" && mount -o remount,ro,bind "$installed" ||
      fail "cannot make $installed read-only"
  else
    chmod a-w "$installed"
  fi
  start_program read-only
  local text
  text=$(wait_box 1 "read-only folder")
  [[ $text == '設定ファイルを作成しますか？' ]] || fail "read-only folder: the first box said \"$text\""
  answer_box "$caption"
  fill_settings
  text=$(wait_box 2 "read-only folder")
  [[ $text == 'WriteValueString INIﾌｧｲﾙ書込みｴﾗｰ。 '* ]] ||
    fail "read-only folder: saving said \"$text\""
  answer_box "$caption"
  [[ -e $installed/TAMBERLOX.INI ]] && fail "read-only folder: a settings file appeared"
  kill -0 "$program_pid" 2>/dev/null || fail "read-only folder: the program ended after the failure"
  stop_program
  if [[ $(id -u) == 0 ]]; then umount "$installed"; else chmod u+w "$installed"; fi
}

# The first start as the user meets it, and one output run through the
# windows: the output is opened by Linux's tamberlox-open, byte for byte.
check_first_start_and_run() {
  log "first start and an output run through the windows"
  local reports=$scratch/reports documents text main dialog f
  mkdir -p "$reports"
  printf '年,月,件数\r\n2026,12,42\r\n' >"$reports/report_2026_11.csv"
  head -c 200000 /dev/urandom >"$reports/data_2026_11.bin"
  documents=$(unixpath 'C:\users\'"$(id -un)"'\Documents')
  start_program first-start
  text=$(wait_box 1 "first start")
  [[ $text == '設定ファイルを作成しますか？' ]] || fail "first start: the first box said \"$text\""
  answer_box "$caption"
  fill_settings
  main=$(wait_window "$caption")
  [[ -f $installed/TAMBERLOX.INI ]] || fail "first start: no TAMBERLOX.INI after 登録"
  for f in report_2026_11.csv data_2026_11.bin; do
    keys "$main" space                     # ﾌｧｲﾙ追加 has the focus
    dialog=$(wait_window 'ﾌｧｲﾙを指定')
    sleep 0.5
    typein "$(winpath "$reports/$f")"
    keys "$dialog" Return
    sleep 0.5
  done
  keys "$main" Tab Tab Tab space           # 出力
  text=$(wait_box 2 "output run")
  [[ $text == 'トルメアﾌｧｲﾙは'*'です。' ]] || fail "output run: the box said \"$text\""
  answer_box "$caption" "$main"
  local made=("$documents"/TMPA123*.txt)
  [[ -f ${made[0]} && ${#made[@]} == 1 ]] || fail "output run: no single output in $documents"
  [[ $text == *"$(basename "${made[0]}")"* ]] || fail "output run: the box names another file"
  "$linux_open" -d "$scratch/opened" "${made[0]}" >/dev/null || fail "Linux tamberlox-open cannot open the output"
  for f in report_2026_11.csv data_2026_11.bin; do
    cmp -s "$reports/$f" "$scratch/opened/$f" || fail "output run: $f did not come back byte for byte"
  done
  [[ -f $scratch/opened/MAIN_TEXT.txt ]] || fail "output run: no MAIN_TEXT.txt"
  # Qt's plugins and Japanese texts from the installed folder, with no qt.conf.
  local dir=${installdir//\\/\\\\} w
  for w in "Loaded L\"${dir}platforms\\\\qwindows.dll\"" \
           "Loaded L\"${dir}styles\\\\qwindowsvistastyle.dll\"" \
           "CreateFileW L\"\\\\\\\\?\\\\${dir}translations\\\\qtbase_ja.qm\" GENERIC_READ"; do
    grep -qF -- "$w" "$trace" || fail "tamberlox.exe did not get $w"
  done
  # Alt+Space opens the system menu (Qt's own); its last two entries open the
  # version and the settings window.
  local about settings
  from_system_menu "$main" End Up Return
  about=$(wait_window 'ﾊﾞｰｼﾞｮﾝ情報')
  keys "$about" Return
  wait_gone "$about" "the version window"
  from_system_menu "$main" End Return
  settings=$(wait_window 'トルメアﾌｧｲﾙ出力設定')
  keys "$settings" alt+F4
  wait_gone "$settings" "the settings window"
  keys "$main" alt+F4
  wait_program_end "closing the main window"
  [[ $(box_texts | wc -l) == 2 ]] || fail "output run: other boxes: $(box_texts | tr '\n' '|')"
}

log "installing $(basename "$msi") for the user"
programs_before=no
[[ -d $prefix/drive_c/users/$(id -un)/AppData/Local/Programs ]] && programs_before=yes
msiexec_expect 0 install /i "$(winpath "$msi")"
code1=$(product_code "$msi")
installdir=$(property install INSTALLDIR)
menu=$(property install ProgramMenuFolder)
[[ $installdir == *'\AppData\Local\Programs\Tamberlox\' ]] ||
  fail "installed into $installdir, not the user's AppData\\Local\\Programs\\Tamberlox"
[[ -z $(property install ALLUSERS) ]] || fail "ALLUSERS was set: not a per-user install"
installed=$(unixpath "$installdir")
installed=${installed%/}
shortcut=$(unixpath "$menu")
shortcut=${shortcut%/}/Tamberlox.lnk
programs=$(dirname "$installed")
check_installed "$version" "$folder"
check_registration "$code1" "$version"
check_runs "$version"
start_display
check_missing_component
check_read_only_folder
check_first_start_and_run
stop_display

# The user's files, which no package installs: what the program wrote in
# its folder (its settings, its logs) and an error log.
printf 'error log line\r\n' >>"$installed/Err_20261207.LOG"
mapfile -t user_files < <(comm -23 <(cd "$installed" && find . -type f -printf '%P\n' | sort) \
                                   <(cd "$folder" && find . -type f -printf '%P\n' | sort))
[[ " ${user_files[*]} " == *' TAMBERLOX.INI '* ]] || fail "no TAMBERLOX.INI among the user's files"
mkdir "$scratch/user"
for f in "${user_files[@]}"; do (cd "$installed" && cp --parents "$f" "$scratch/user/"); done
check_user_files() { # what
  local f
  for f in "${user_files[@]}"; do
    cmp -s "$scratch/user/$f" "$installed/$f" || fail "$1: the user's $f was not kept byte for byte"
  done
}

# A newer version, its tamberlox-open.exe unlike the older one's (bytes after
# the image, which Windows ignores), so replaced files can be told apart.
IFS=. read -r major minor build <<<"$version"
newer=$major.$minor.$((build + 1))
mkdir "$scratch/newer"
cp -a "$folder" "$scratch/newer/folder"
printf '\0tamberlox %s' "$newer" >>"$scratch/newer/folder/tamberlox-open.exe"
icon=src/startup/resources/tamberlox.ico
[[ -f $icon ]] || icon=$folder/tamberlox.exe
msi2=$scratch/newer/tamberlox-$newer-windows-x64.msi
bash packaging/windows/build-msi.sh "$newer" "$scratch/newer/folder" "$icon" "$msi2"
code2=$(product_code "$msi2")
[[ $code2 != "$code1" ]] || fail "both versions have product code $code1"

log "upgrading to $newer over the user's ${user_files[*]}"
msiexec_expect 0 upgrade /i "$(winpath "$msi2")"
logged upgrade 'RemoveExistingProducts' || fail "the upgrade did not remove $version"
registered "$code1" && fail "$version is still registered after the upgrade"
check_registration "$code2" "$newer"
check_installed "$newer" "$scratch/newer/folder" "${user_files[@]}"
check_user_files "upgrade"
check_runs "$newer"

log "installing $version over $newer (refused)"
# 1603: the launch condition failed. (Wine logs no message text for it.)
msiexec_expect 1603 downgrade /i "$(winpath "$msi")"
registered "$code1" && fail "$version was registered over $newer"
check_registration "$code2" "$newer"
check_installed "after the refused downgrade" "$scratch/newer/folder" "${user_files[@]}"

log "uninstalling $newer"
msiexec_expect 0 uninstall /x "$(winpath "$msi2")"
registered "$code2" && fail "$newer is still registered after the uninstall"
[[ -e $shortcut ]] && fail "the uninstall left the shortcut"
wine_env wine reg query 'HKCU\Software\Tamberlox' >/dev/null 2>&1 && fail "the uninstall left HKCU\\Software\\Tamberlox"
diff <(printf '%s\n' "${user_files[@]}" | sort) <(cd "$installed" && find . -type f -printf '%P\n' | sort) >&2 ||
  fail "the uninstall left other things than the user's files in $installed"
check_user_files "uninstall"

log "installing and uninstalling $newer with no files of the user's"
# Only the user's files are left here now, with their folders.
find "$installed" -mindepth 1 -delete
msiexec_expect 0 reinstall /i "$(winpath "$msi2")"
msiexec_expect 0 uninstall2 /x "$code2"
[[ -e $installed ]] && fail "the uninstall left $installed"
[[ $programs_before == no && -e $programs ]] && fail "the uninstall left the empty $programs"

log "all checks passed in $((SECONDS - started)) s"
