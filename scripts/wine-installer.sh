#!/usr/bin/env bash
# The Windows Installer packages under Wine, in a fresh prefix of their own:
#   1. builds both packages (cmake --build build/mingw --target installers) and
#      checks that the package version, the manifest of the program in it and its
#      software-info text agree;
#   2. installs the English package silently (msiexec /i /qn): the programs under
#      Program Files, the data folder ProgramData\Enrol Station, the shortcut;
#   3. runs the installed tools: enroltool.exe and readersim.exe answer --help and
#      refuse a wrong argument;
#   4. the smoke test (scripts/wine-smoke.sh) started through the shortcut: the
#      first login creates the data files in the shortcut's working folder, the
#      station is initialised against the installed readersim.exe;
#   5. the German package installs beside it and uninstalls again, leaving the
#      English edition and the tools both use;
#   6. a rebuilt package of the same version and one of a newer version install
#      over it (upgrades, one product left), an older one is refused; the data
#      files stay byte for byte;
#   7. msiexec /x /qn removes the programs and the shortcut, the data files stay.
#   bash scripts/wine-installer.sh
# Environment: KEEP=1 keeps the prefix (build/wineprefix-installer); those of
# scripts/wine-gui.sh (CROSS_BUILD, JOBS).
set -uo pipefail
export GUI_WINEPREFIX=${GUI_WINEPREFIX:-$(cd "$(dirname "$0")/.." && pwd)/build/wineprefix-installer}
source "$(dirname "$0")/wine-gui.sh"
# No desktop entries for the shortcuts on this machine.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

started=$SECONDS
bash "$root/scripts/setup.sh" || exit 1

failures=0
check() {  # check "what" command...
  local what=$1
  shift
  if "$@"; then
    echo "ok    $what"
  else
    echo "FAIL  $what"
    failures=$((failures + 1))
  fi
}
fail_now() {
  echo "FAIL  $*"
  exit 1
}

# 1. The packages, from the cross build of the programs and tools.
build_editions || exit 1
gui_log "cross build of enroltool.exe and readersim.exe, and the packages"
if ! cmake --build "$cross_build" -j "$jobs" --target enroltool readersim installers \
      >"$cross_build/build-installers.log" 2>&1; then
  grep -E 'error|Error' "$cross_build/build-installers.log" | head -30
  exit 1
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$cross_build/CMakeCache.txt")
[[ "$version" =~ ^([0-9]+)\.([0-9]+)\.([0-9]+)$ ]] || fail_now "no project version in the cross build"
major=${BASH_REMATCH[1]} minor=${BASH_REMATCH[2]} patch=${BASH_REMATCH[3]}
next="$major.$minor.$((patch + 1))"
msi_en=$cross_build/installer/enrolstation-$version.msi
msi_de=$cross_build/installer/enrolstation_de-$version.msi
[ -f "$msi_en" ] && [ -f "$msi_de" ] || fail_now "the packages were not built"

work=$root/build/wine-installer
rm -rf "$work"
mkdir -p "$work"
# The same programs packed again: the same version (a new product code) and the
# next version, for the upgrades.
pack() {  # pack VERSION OUTPUT
  cmake -DEDITION=en -DVERSION="$1" -DPROGRAM="$exe_en" \
        -DENROLTOOL="$cross_build/tools/enroltool/enroltool.exe" \
        -DREADERSIM="$cross_build/tools/readersim/readersim.exe" -DOUTPUT="$2" \
        -P "$root/installer/build_msi.cmake" >>"$work/pack.log" 2>&1
}
pack "$version" "$work/same.msi" && pack "$next" "$work/next.msi" || fail_now "packing again (see ${work#$root/}/pack.log)"

property() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' -v p="$2" '$1 == p { print $2 }'; }
check "package version $(property "$msi_en" ProductVersion) is the project's $version" \
  test "$(property "$msi_en" ProductVersion)" = "$version"

# 2. A fresh prefix and the silent install.
finish() {
  stop_gui
  [ "${KEEP:-0}" = 1 ] || rm -rf "$WINEPREFIX"
}
trap finish EXIT
rm -rf "$WINEPREFIX"
gui_log "fresh Wine prefix ${WINEPREFIX#$root/}"
prepare_prefix
drive=$WINEPREFIX/drive_c
programs="$drive/Program Files/Enrol Station"
data="$drive/ProgramData/Enrol Station"

msiexec() {  # msiexec /i|/x PACKAGE LOG: the exit code of a silent run
  wine msiexec "$1" "$(winepath -w "$2")" /qn /l*v "$(winepath -w "$work/$3.log")" >/dev/null 2>&1
}
# The Start-menu shortcut. Wine puts a per-machine shortcut into the Start menu
# of the installing user (Windows: that of all users); either is found.
shortcut() { find "$drive" -name "$1.lnk" -path '*Start Menu/Programs/*' 2>/dev/null | head -1; }
registered() {  # the DisplayVersion lines of the registered Enrol Station products
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' |
    awk '/^HKEY/ { p = 0 } /DisplayName.*Enrol Station/ { p = 1 } p && /DisplayVersion/ { print $NF }' | sort
}

check "silent install of ${msi_en#$root/} (exit code 0)" msiexec /i "$msi_en" install-en
for f in enrolstation.exe enroltool.exe readersim.exe; do
  check "Program Files\\Enrol Station\\$f installed" test -s "$programs/$f"
done
empty_dir() { [ -d "$1" ] && [ -z "$(ls -A "$1")" ]; }
check "the data folder ProgramData\\Enrol Station exists and is empty" empty_dir "$data"
link_en=$(shortcut "Enrol Station")
check "Start-menu shortcut \"Enrol Station\" (${link_en#$drive/})" test -n "$link_en"
check "registered: version $version ($(registered | tr '\n' ' '))" test "$(registered)" = "$version"

# The version of the installed program: its manifest and its software-info text.
manifest=$(grep -a -o 'name="EnrolStation" version="[0-9.]*"' "$programs/enrolstation.exe" | head -1)
check "manifest of the installed program: $manifest" test "$manifest" = "name=\"EnrolStation\" version=\"$version.0\""
info=$(printf '\tVersion\t\t%03d.%02d.%02d\n' "$major" "$minor" "$patch")
check "software-info text of the installed program: ${info//[$'\t\n']/ }" grep -a -q -F "$info" "$programs/enrolstation.exe"

# 3. The installed tools: the usage on standard output with exit code 0, a
# wrong argument refused with one line on standard error and exit code 2.
helps() {  # helps TOOL FIRST-LINE
  local out
  out=$(wine "$programs/$1" --help 2>/dev/null | tr -d '\r'; exit "${PIPESTATUS[0]}") || return 1
  [ "$(head -1 <<<"$out")" = "$2" ]
}
refuses() {  # refuses TOOL LINE ARGUMENTS...
  local err code
  err=$(wine "$programs/$1" "${@:3}" 2>&1 >/dev/null | tr -d '\r'; exit "${PIPESTATUS[0]}")
  code=$?
  [ "$code" = 2 ] && [ "$err" = "$2" ] || { echo "      exit code $code: $err"; return 1; }
}
check "enroltool.exe --help" helps enroltool.exe "Usage: enroltool [--yes|--no] COMMAND ARGUMENTS"
check "enroltool.exe refuses --address for the station" refuses enroltool.exe \
  "enroltool: read-card: --address does not apply to this command" read-card --tcp 127.0.0.1:1 --address 3
check "readersim.exe --help" helps readersim.exe "usage: readersim (--station | --readers 1,2,3) --tcp HOST:PORT"
check "readersim.exe refuses --pty" refuses readersim.exe \
  "readersim: --pty is not available on Windows (TCP only) (see readersim --help)" --station --pty

# 4. The smoke test through the shortcut, against the installed simulator.
wineserver -k 2>/dev/null
if [ -n "$link_en" ]; then
  gui_log "smoke test of the installed program, started through its shortcut"
  if SMOKE_LINK=$link_en SMOKE_DIR=$data SMOKE_READERSIM="$programs/readersim.exe" \
       bash "$root/scripts/wine-smoke.sh" en; then
    check "smoke test of the installed program" true
  else
    check "smoke test of the installed program" false
  fi
fi
sums() { (cd "$data" && find . -type f -print0 | sort -z | xargs -0 md5sum); }
before=$(sums)
has_data() { [ -s "$data/Programm.cfg" ] && [ -s "$data/Personen.dat" ] && [ -s "$data/Usepas.dat" ]; }
check "data files in the shortcut's working folder ($(cd "$data" && ls | tr '\n' ' '))" has_data
# the data files are the same, byte for byte, as after the smoke test
kept() { [ -n "$before" ] && [ "$(sums)" = "$before" ]; }

# 5. The German edition beside it, and removed again.
check "silent install of ${msi_de#$root/}" msiexec /i "$msi_de" install-de
link_de=$(shortcut "Enrol Station (Deutsch)")
check "enrolstation_de.exe and the shortcut \"Enrol Station (Deutsch)\"" \
  test -s "$programs/enrolstation_de.exe" -a -n "$link_de"
check "silent uninstall of the German edition" msiexec /x "$msi_de" uninstall-de
english_only() {
  [ ! -e "$programs/enrolstation_de.exe" ] && [ -z "$(shortcut "Enrol Station (Deutsch)")" ] &&
    [ -s "$programs/enrolstation.exe" ] && [ -s "$programs/enroltool.exe" ] &&
    [ -s "$programs/readersim.exe" ] && [ -e "$link_en" ]
}
check "enrolstation_de.exe and its shortcut removed, the English edition and the tools kept" english_only
check "data files unchanged" kept

# 6. Upgrades over it.
check "silent install of the same version packed again" msiexec /i "$work/same.msi" install-same
check "one product registered, version $version ($(registered | tr '\n' ' '))" test "$(registered)" = "$version"
check "data files unchanged" kept
check "silent install of version $next" msiexec /i "$work/next.msi" install-next
check "one product registered, version $next ($(registered | tr '\n' ' '))" test "$(registered)" = "$next"
check "program files in place" test -s "$programs/enrolstation.exe" -a -s "$programs/enroltool.exe"
check "data files unchanged" kept
refused() { ! msiexec /i "$1" "$2"; }
check "the older version $version is refused" refused "$work/same.msi" install-older

# 7. Uninstall.
check "silent uninstall (exit code 0)" msiexec /x "$work/next.msi" uninstall
check "no product registered ($(registered | tr '\n' ' '))" test -z "$(registered)"
check "program files removed" test -z "$(ls -A "$programs" 2>/dev/null)"
check "shortcut removed" test -z "$(shortcut "Enrol Station")"
check "data files unchanged after the uninstall" kept

elapsed=$((SECONDS - started))
if [ $failures -gt 0 ]; then
  echo "== installer test: $failures check(s) failed in ${elapsed} s (logs: ${work#$root/}/)"
  exit 1
fi
echo "== installer test passed in ${elapsed} s"
