#!/usr/bin/env bash
# The Windows deliverables as a user gets them. Builds the package twice (the zips must be
# byte-identical), installs it silently into a fresh Wine prefix, checks the installed
# files against the zip, the "Apps" entry and the Start-menu shortcut, starts the installed
# client, installs again over it (the user's settings stay), uninstalls silently and checks
# that only the user's settings are left. The other architecture's package, which this
# machine cannot run, is built twice from its own build folder too: its zip must be
# reproducible and hold an executable of that architecture and of this version.
#   package_test.sh REPOSITORY BUILD_FOLDER CLOSE_WINDOW_PROGRAM OTHER_BUILD_FOLDER
set -u
repo=$1
build=$2
closer=$3
other=$4
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-package.XXXXXX")
failures=0

fail() {
  echo "  FAILED: $*" >&2
  failures=$((failures + 1))
}

cleanup() {
  WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

# Waits for a condition (a command) for up to a minute, however busy the machine is.
wait_for() {
  for _ in $(seq 1 300); do
    "$@" && return 0
    sleep 0.2
  done
  return 1
}

version=$(tr -d ' \r\n' <"$repo/VERSION")

arch_of() {
  if grep -q "toolchain-mingw64" "$1/CMakeCache.txt" 2>/dev/null; then echo win64; else echo win32; fi
}

# Builds the package of a build folder twice, into $work/NAME-a and $work/NAME-b, checks
# that the two zips are the same and what the zip's executable is.
package_twice() {
  local folder=$1 name=$2 arch zip copy
  arch=$(arch_of "$folder")
  for copy in a b; do
    "$repo/scripts/package" "$folder" "$work/$name-$copy" >/dev/null || { fail "package build from $folder failed"; return 1; }
  done
  zip="$work/$name-a/Tarnwick-$version-$arch.zip"
  [ -f "$zip" ] || { fail "no $(basename "$zip") from $folder"; return 1; }
  [ -f "${zip%.zip}-setup.exe" ] || fail "no $(basename "${zip%.zip}")-setup.exe from $folder"
  cmp -s "$zip" "$work/$name-b/$(basename "$zip")" || fail "two builds of $(basename "$zip") differ"
  echo "  the zip is reproducible: $(basename "$zip")"
  python3 "$repo/tests/scripts/check_executable.py" "$zip" "$arch" "$version" ||
    fail "$(basename "$zip") does not hold the right executable"
}

# The installer in a Wine session of a fresh prefix of its own; the registry lives as long
# as the session, so every step runs inside one session (the "inside" phase below).
if [ "${5:-}" != inside ]; then
  package_twice "$build" main || exit 1
  zip="$work/main-a/Tarnwick-$version-$(arch_of "$build").zip"
  setup=${zip%.zip}-setup.exe
  if [ -f "$other/bin/Tarnwick.exe" ]; then
    [ "$(arch_of "$other")" != "$(arch_of "$build")" ] || fail "$other is built for this machine's architecture too"
    package_twice "$other" other
  else
    fail "no client in $other: the other architecture's build (make other) must come first"
  fi
  unset TARNWICK_WINE_SESSION
  export TARNWICK_WINEPREFIX="$work/prefix"
  TARNWICK_PACKAGE_ZIP="$zip" TARNWICK_PACKAGE_SETUP="$setup" \
    "$repo/scripts/with-display" bash "$0" "$repo" "$build" "$closer" "$other" inside ||
    failures=$((failures + 1))
  [ "$failures" -eq 0 ] && echo "package test passed" || echo "package test: $failures failures" >&2
  exit $(( failures > 0 ))
fi

# Inside the session.
run() { "$repo/scripts/wine-run" "$@"; }
zip=$TARNWICK_PACKAGE_ZIP
setup=$TARNWICK_PACKAGE_SETUP
drive="$TARNWICK_WINEPREFIX/drive_c"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwick'

run "Z:${setup//\//\\}" /S /CurrentUser || fail "the installer failed"
user=$(ls "$drive/users" | grep -v '^Public$' | head -1)
dir="$drive/users/$user/AppData/Local/Programs/Tarnwick"
[ -f "$dir/Tarnwick.exe" ] || fail "no Tarnwick.exe in $dir"

# The installed files are the zip's, plus the uninstaller.
python3 - "$zip" "$dir" <<'PY' || fail "the installed files differ from the zip's"
import os, sys, zipfile
names = zipfile.ZipFile(sys.argv[1]).namelist()
top = names[0].split("/")[0]
expected = sorted(n[len(top) + 1:] for n in names if not n.endswith("/"))
installed = sorted(
    os.path.relpath(os.path.join(root, f), sys.argv[2]).replace(os.sep, "/")
    for root, _, files in os.walk(sys.argv[2]) for f in files)
installed.remove("uninstall.exe")
if expected != installed:
    print("only in the zip:", sorted(set(expected) - set(installed))[:10])
    print("only installed:", sorted(set(installed) - set(expected))[:10])
    sys.exit(1)
print("  installed: the %d files of the zip and the uninstaller" % len(expected))
PY

entry=$(run reg query "$key" 2>/dev/null | tr -d '\r')
# The executable's version resource names the product and the version.
python3 - "$dir/Tarnwick.exe" "$version" <<'PY' || fail "the executable's version resource is wrong"
import sys
data = open(sys.argv[1], "rb").read()
for text in ("ProductName", "Tarnwick", "ProductVersion", sys.argv[2]):
    if text.encode("utf-16-le") not in data:
        sys.exit("no %s in the version resource" % text)
PY
for want in "DisplayName.*Tarnwick" "DisplayVersion.*$version" "Publisher.*Tarnwick Games" \
  "DisplayIcon.*Tarnwick.exe" "UninstallString.*uninstall.exe" "EstimatedSize.*0x"; do
  grep -q "$want" <<<"$entry" || fail "the Apps entry lacks $want"
done
echo "  the Apps entry names Tarnwick $version"
shortcut="$drive/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Tarnwick/Tarnwick.lnk"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"

# The installed client shows its start window, with the browser named in its engine
# folder, and ends with 0 when that window is closed.
printf '[engine]\r\nbrowser=%s\r\n' "$(command -v chromium || echo /usr/bin/chromium)" >"$dir/cef/engine.ini"
timeout 300 "$repo/scripts/wine-run" "$dir/Tarnwick.exe" &
client=$!
run "Z:${closer//\//\\}" Game_start || fail "the installed client showed no start window"
wait "$client"
code=$?
[ "$code" -eq 0 ] || fail "the installed client ended with $code"
echo "  the installed client showed its start window and ended with 0 when it was closed"

# An upgrade keeps the user's settings.
printf '[vexmor]\r\nuid=player\r\n' >"$dir/config.ini"
run "Z:${setup//\//\\}" /S /CurrentUser || fail "installing again failed"
grep -q "uid=player" "$dir/config.ini" || fail "installing again replaced config.ini"
[ -f "$dir/Tarnwick.exe" ] || fail "installing again lost Tarnwick.exe"
echo "  installing again kept config.ini"

# The browser's data beside the client (where the run above left it) and in the user's
# local application data, each with a link planted in it to a folder of someone else's.
# Wine shows a Unix symbolic link to a folder as a reparse point, as Windows shows a
# junction: the uninstaller removes the client's files and never what the link points at.
appdata="$drive/users/$user/AppData/Local/Tarnwick/cef_temp"
victim="$drive/victim"
mkdir -p "$dir/cef_temp/CefLocalStorage/Default" "$appdata/CefLocalStorage" "$victim/inside"
echo log >"$dir/cef_temp/cef.log"
echo cookie >"$dir/cef_temp/CefLocalStorage/Default/Cookies"
echo cookie >"$appdata/CefLocalStorage/Cookies"
echo precious >"$victim/precious.txt"
echo precious >"$victim/inside/precious.txt"
ln -s "$victim" "$dir/cef_temp/link"
ln -s "$victim" "$dir/cef_temp/CefLocalStorage/link"
ln -s "$victim" "$appdata/link"

# Uninstalling: the uninstaller copies itself away and runs from there.
run "Z:${dir//\//\\}\\uninstall.exe" /S /CurrentUser || fail "the uninstaller failed"
wait_for test ! -e "$dir/uninstall.exe" || fail "the uninstaller did not finish"
for kept in "$victim/precious.txt" "$victim/inside/precious.txt"; do
  [ -f "$kept" ] || fail "uninstalling deleted $kept through a link"
done
data_left=$(find "$dir/cef_temp" "$appdata" -type f 2>/dev/null | tr '\n' ' ')
[ -z "$data_left" ] || fail "the browser's data is still there: $data_left"
echo "  uninstalled the browser's data and nothing a link in it points at"
left=$(cd "$dir" 2>/dev/null && find . -type f | sort | tr '\n' ' ')
[ "$left" = "./config.ini ./service.ini " ] || fail "left after uninstalling: $left"
run reg query "$key" >/dev/null 2>&1 && fail "the Apps entry is still there"
[ -e "$shortcut" ] && fail "the Start-menu shortcut is still there"
echo "  uninstalled: only config.ini and service.ini are left"
exit $(( failures > 0 ))
