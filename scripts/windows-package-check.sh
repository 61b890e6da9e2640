#!/usr/bin/env bash
# Tries the MSI that scripts/windows.sh made, under Wine, in a throwaway copy of
# the project's Wine prefix with a home of its own and nothing of the build on
# its paths: installs it for the user, compares the installed folder and the
# Start-menu shortcut with what was packaged, runs the installed
# tamberlox-open.exe, upgrades to a newer version over the user's TAMBERLOX.INI
# and log, refuses the older version back, uninstalls, and checks that the
# user's files stay and nothing else does. Run after scripts/windows.sh.
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
cleanup() { wine_env wineserver -k >/dev/null 2>&1 || true; rm -rf "$scratch"; }
trap cleanup EXIT

cp -a "$cache/wine/prefix" "$prefix"
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

# The installed tamberlox.exe on a display of its own, traced by Wine: Qt
# must load its platform and style plugins and open its Japanese texts from
# the installed folder, with no qt.conf. Waits for both, at most a minute.
check_gui() {
  local trace=$scratch/gui.trace i w seen=
  local dir=${installdir//\\/\\\\}
  local wanted=("Loaded L\"${dir}platforms\\\\qwindows.dll\""
                "Loaded L\"${dir}styles\\\\qwindowsvistastyle.dll\""
                "CreateFileW L\"\\\\\\\\?\\\\${dir}translations\\\\qtbase_ja.qm\" GENERIC_READ")
  (cd "$scratch" && wine_env WINEDEBUG=-all,+loaddll,+file xvfb-run -a wine "${installdir}tamberlox.exe" \
     >/dev/null 2>"$trace") &
  local run=$!
  for ((i = 0; i < 120; i++)); do
    seen=yes
    for w in "${wanted[@]}"; do grep -qF -- "$w" "$trace" 2>/dev/null || seen=; done
    [[ -n $seen ]] && break
    kill -0 "$run" 2>/dev/null || break
    sleep 0.5
  done
  wine_env wineserver -k >/dev/null 2>&1 || true
  wait "$run" || true
  for w in "${wanted[@]}"; do
    grep -qF -- "$w" "$trace" || fail "$1: tamberlox.exe did not get $w"
  done
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
check_gui "$version"

# The user's files, which no package installs.
printf '[Settings]\r\nOutput=C:\\work\r\n' >"$installed/TAMBERLOX.INI"
head -c 3000 /dev/urandom >>"$installed/TAMBERLOX.INI"
printf 'error log line\r\n' >"$installed/Err_20261207.LOG"
user_files=(TAMBERLOX.INI Err_20261207.LOG)
mkdir "$scratch/user"
for f in "${user_files[@]}"; do cp "$installed/$f" "$scratch/user/"; done
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
diff <(printf '%s\n' "${user_files[@]}" | sort) <(cd "$installed" && find . -mindepth 1 -printf '%P\n' | sort) >&2 ||
  fail "the uninstall left other things than the user's files in $installed"
check_user_files "uninstall"

log "installing and uninstalling $newer with no files of the user's"
rm -f "${user_files[@]/#/$installed/}"
msiexec_expect 0 reinstall /i "$(winpath "$msi2")"
msiexec_expect 0 uninstall2 /x "$code2"
[[ -e $installed ]] && fail "the uninstall left $installed"
[[ $programs_before == no && -e $programs ]] && fail "the uninstall left the empty $programs"

log "all checks passed in $((SECONDS - started)) s"
