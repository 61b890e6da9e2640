#!/usr/bin/env bash
# Builds the per-user MSI from a finished program folder: tamberlox.wxs plus a
# fragment listing the folder's files, compiled by wixl, then finished with
# msibuild, because wixl 0.101 writes every non-ASCII table string as an empty
# one: the database gets code page 932 and the Japanese texts are set into it.
# Usage: packaging/windows/build-msi.sh VERSION FOLDER ICON OUT.msi
# (ICON: an .ico, or an .exe whose icon Windows takes.)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[[ $# -eq 4 ]] || { echo "usage: $0 VERSION FOLDER ICON OUT.msi" >&2; exit 2; }
version=$1
folder=$(cd "$2" && pwd)
icon=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
out=$4

log() { echo "build-msi: $*" >&2; }
fail() { log "$*"; exit 1; }

product_name='Tamberlox トルメア暗号化ﾌｧｲﾙ出力'
caption='トルメア暗号化ﾌｧｲﾙ出力'
downgrade='新しい版の Tamberlox がインストール済みです / A newer Tamberlox is already installed.'

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# An MSI identifier from a file name: letters, digits, "_" and "." only.
ident() { local s=${1//[^A-Za-z0-9_.]/_}; [[ $s =~ ^[A-Za-z_] ]] || s=_$s; echo "$s"; }

# One component per folder, its key path an HKCU value (the folders are in the
# user's profile) and a RemoveFile row so the folder goes when it is empty.
component() { # id, registry value name, value type, value
  echo "      <Component Id=\"$1\" Guid=\"*\" Win64=\"yes\">"
  echo "        <RegistryValue Root=\"HKCU\" Key=\"Software\\Tamberlox\" Name=\"$2\" Type=\"$3\" Value=\"$4\" KeyPath=\"yes\"/>"
  echo "        <RemoveFolder Id=\"Remove_$1\" On=\"uninstall\"/>"
}
files_of() { # folder, id prefix
  local f name
  for f in "$1"/*; do
    [[ -f $f ]] || continue
    name=$(basename "$f")
    # wixl would leave a non-ASCII name empty; nothing else needs escaping.
    [[ $name =~ ^[A-Za-z0-9._+-]+$ ]] || fail "file name wixl cannot hold: $name"
    echo "        <File Id=\"$(ident "$2$name")\" Name=\"$name\" Source=\"files/${f#"$folder"/}\"/>"
  done
}
fragment=$work/files.wxs
{
  echo '<?xml version="1.0" encoding="utf-8"?>'
  echo '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">'
  echo '  <Fragment>'
  echo '    <DirectoryRef Id="INSTALLDIR">'
  component ProgramFolder_root InstallDir string '[INSTALLDIR]'
  files_of "$folder" ""
  echo '      </Component>'
  groups=(ProgramFolder_root)
  for d in "$folder"/*/; do
    [[ -d $d ]] || continue
    d=${d%/}
    name=$(basename "$d")
    [[ $name =~ ^[A-Za-z0-9._-]+$ ]] || fail "folder name wixl cannot hold: $name"
    [[ -z $(find "$d" -mindepth 1 -type d) ]] || fail "$name: folders inside folders are not packaged"
    id=$(ident "ProgramFolder_$name")
    echo "      <Directory Id=\"$(ident "dir_$name")\" Name=\"$name\">"
    component "$id" "Folder.$name" integer 1
    files_of "$d" "${name}_"
    echo '        </Component>'
    echo '      </Directory>'
    groups+=("$id")
  done
  echo '    </DirectoryRef>'
  echo '    <ComponentGroup Id="ProgramFolder">'
  for c in "${groups[@]}"; do echo "      <ComponentRef Id=\"$c\"/>"; done
  echo '    </ComponentGroup>'
  echo '  </Fragment>'
  echo '</Wix>'
} >"$fragment"

# wixl 0.101 finds sources only by paths relative to where it runs.
icon_id=tamberlox.${icon##*.}
ln -s "$folder" "$work/files"
ln -s "$icon" "$work/$icon_id"
msi=$work/tamberlox.msi
(cd "$work" && wixl -a x64 -D Version="$version" -D Icon="$icon_id" -D IconId="$icon_id" \
   -o "$msi" "$here/tamberlox.wxs" "$fragment") || fail "wixl failed"

# Code page 932 for the tables (the texts are Japanese), then the texts.
printf '\r\n\r\n932\t_ForceCodepage\r\n' >"$work/_ForceCodepage.idt"
msibuild "$msi" -i "$work/_ForceCodepage.idt"
msibuild "$msi" \
  -q "UPDATE \`Property\` SET \`Value\` = '$product_name' WHERE \`Property\` = 'ProductName'" \
  -q "UPDATE \`Shortcut\` SET \`Description\` = '$caption' WHERE \`Shortcut\` = 'TamberloxShortcut'" \
  -q "UPDATE \`LaunchCondition\` SET \`Description\` = '$downgrade' WHERE \`Condition\` = 'NOT WIX_DOWNGRADE_DETECTED'"
# wixl puts 1033 in the template whatever the product's language.
msibuild "$msi" -s "$product_name" Tamberlox "x64;1041"

# msibuild answers 0 even when a query matched nothing: read the texts back.
exported() { # table, key, column number
  msiinfo export "$msi" "$1" | awk -F '\t' -v k="$2" -v c="$3" '$1 == k { print $c }' | tr -d '\r'
}
[[ $(exported Property ProductName 2) == "$product_name" ]] || fail "ProductName was not set"
[[ $(exported Shortcut TamberloxShortcut 7) == "$caption" ]] || fail "the shortcut's description was not set"
[[ $(exported LaunchCondition 'NOT WIX_DOWNGRADE_DETECTED' 2) == "$downgrade" ]] ||
  fail "the downgrade message was not set"
# msidump writes binary columns under the folder it runs in, whatever -d says.
mkdir "$work/dump"
(cd "$work/dump" && msidump -d . -t "$msi" >/dev/null)
grep -q $'^932\t_ForceCodepage' "$work/dump/_ForceCodepage.idt" || fail "the tables' code page is not 932"

mkdir -p "$(dirname "$out")"
mv "$msi" "$out"
