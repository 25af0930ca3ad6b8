#!/usr/bin/env bash
# enroltool.exe's download under Wine against simulated readers on three TCP
# connections (two readers on one bus, one reader alone on each of two more):
# the download at the same time and one reader after the other (--parallel 1)
# on copies of one installation must leave the same Personen.dat and
# Widerruf.dat, the same exit code and the same readers' contents; the times
# of both are printed.
#   bash scripts/wine-parallel-download.sh [PERSONS]     (default 20)
# Needs the native build (readersim, enroltool to make the installation) and
# cross-builds enroltool.exe.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
persons=${1:-20}
native=$root/build/native
build=$root/build/mingw
work=$(mktemp -d /tmp/wine-parallel-download.XXXXXX)
export WINEPREFIX=$root/build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine || command -v wine64) || { echo "wine not found"; exit 1; }

sims=()
cleanup() {
  for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null; done
  "${wine}server" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cmake --build "$native" -j "${JOBS:-2}" --target readersim enroltool >/dev/null || exit 1
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENROL_BENCH=OFF -DENROL_WERROR=ON >/dev/null || exit 1
cmake --build "$build" -j "${JOBS:-2}" --target enroltool >/dev/null || exit 1
tool_exe=$build/tools/enroltool/enroltool.exe
tool=$native/tools/enroltool/enroltool

# Three connections: readers 1 and 2 on one bus, a reader alone on each of two more.
base=$((20000 + RANDOM % 20000))
start_sim() {  # PORT CONTROL-PORT ADDRESSES
  "$native/tools/readersim/readersim" --readers "$3" --tcp "127.0.0.1:$1" --control "$2" >/dev/null 2>&1 &
  sims+=($!)
}
start_sim $base $((base + 10)) 1,2
start_sim $((base + 1)) $((base + 11)) 1
start_sim $((base + 2)) $((base + 12)) 1
sleep 1

inst=$work/inst
"$tool" init "$inst" --admin-password Sesam-oeffne-di! >/dev/null || exit 1
"$tool" reader add "$inst" --name "Bus 1" --tcp 127.0.0.1:$base --address 1 --preselect >/dev/null
"$tool" reader add "$inst" --name "Bus 2" --tcp 127.0.0.1:$base --address 2 --preselect >/dev/null
"$tool" reader add "$inst" --name "Alone 1" --tcp 127.0.0.1:$((base + 1)) --address 1 --preselect >/dev/null
"$tool" reader add "$inst" --name "Alone 2" --tcp 127.0.0.1:$((base + 2)) --address 1 --preselect >/dev/null
for i in $(seq 1 "$persons"); do
  "$tool" person add "$inst" --name "Person $i" --personnel-number "$(printf %010d "$i")" \
          --id "$(printf %X $((0x100 + i)))" --demo-templates 2 >/dev/null || exit 1
done
cp -r "$inst" "$work/one"
cp -r "$inst" "$work/all"

# What every reader holds, through the simulators' control ports.
contents() {
  for c in 10 11 12; do
    for a in 1 2; do
      { exec 3<>"/dev/tcp/127.0.0.1/$((base + c))"; } 2>/dev/null || continue
      printf 'address %d\nusers\n' "$a" >&3
      timeout 1 cat <&3
      exec 3>&-
    done
  done
}

run() {  # DIR OPTIONS...
  local dir=$1
  shift
  local start=$(date +%s%N)
  "$wine" "$tool_exe" --yes download "$(winepath -w "$dir")" "$@" >"$dir.out" 2>"$dir.err"
  local rc=$?
  echo "rc $rc  $(( ($(date +%s%N) - start) / 1000000 )) ms  $*"
  contents >"$dir.readers"
  return 0
}

echo "== enroltool.exe download, $persons persons, 4 readers on 3 connections"
run "$work/one" --parallel 1
run "$work/all"
cat "$work/all.err"
same=0
for f in Personen.dat Widerruf.dat; do
  cmp -s "$work/one/$f" "$work/all/$f" && echo "$f: the same" || { echo "$f: DIFFERS"; same=1; }
done
cmp -s "$work/one.out" "$work/all.out" && echo "totals: the same ($(cat "$work/all.out"))" || { echo "totals DIFFER"; same=1; }
cmp -s "$work/one.readers" "$work/all.readers" && echo "readers' contents: the same" || { echo "readers' contents DIFFER"; same=1; }
exit $same
