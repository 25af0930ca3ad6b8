#!/usr/bin/env bash
# Cross-builds the test programs for Windows (MinGW-w64) and runs each .exe under
# Wine, then prints one summary line per program.
#   bash scripts/wine-tests.sh            all test programs that Wine can run
#   bash scripts/wine-tests.sh shell store only these (names without _tests)
# Environment: JOBS (parallel compile jobs, default 2), WINE_TIMEOUT (seconds
# per program, default 900), WINE_SKIP (programs not run under Wine: they start
# native Linux programs or need pseudo-terminals).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${JOBS:-2}
per_program=${WINE_TIMEOUT:-900}
skip=${WINE_SKIP:-"enroltool_tests readersim_tests"}
build=$root/build/mingw
logs=$build/wine-logs

bash scripts/setup.sh || exit 1

export WINEPREFIX=$root/build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
wine=$(command -v wine || command -v wine64) || { echo "wine not found"; exit 1; }

echo "== cross build (MinGW-w64)"
mkdir -p "$logs"
if ! cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENROL_BENCH=OFF -DENROL_WERROR=ON >"$logs/configure.log" 2>&1; then
  tail -30 "$logs/configure.log"
  exit 1
fi

if [ $# -gt 0 ]; then
  targets=()
  for name in "$@"; do targets+=("${name%_tests}_tests"); done
else
  # "... name_tests" (Makefiles) or "name_tests: phony" (Ninja)
  mapfile -t targets < <(cmake --build "$build" --target help |
                         sed -n -E 's/^(\.\.\. )?([a-z0-9_]+_tests)(: .*)?$/\2/p' | sort -u)
fi

# Programs without a display: Wine runs console programs without one, but the
# Win32 ui tests need an X server; a private Xvfb is started when none is set.
xvfb_pid=
cleanup() {
  "${wine}server" -k 2>/dev/null || wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  for n in $(seq 91 120); do
    [ -e /tmp/.X$n-lock ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    sleep 1
    if kill -0 "$xvfb_pid" 2>/dev/null; then export DISPLAY=":$n"; break; fi
    xvfb_pid=
  done
fi

# The first run creates the Wine prefix; that takes a while.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== creating the Wine prefix in build/wineprefix"
  mkdir -p "$WINEPREFIX"
  timeout 600 "$wine" wineboot -i >/dev/null 2>&1
fi
# The windows of the Win32 ui tests are not handed to a window manager: the
# keyboard focus stays where the program puts it, and a destroyed window needs
# no wait for its withdrawal.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

# A view folder's tests are built twice for Windows; under Wine only the build
# on the Win32 backend runs, so that each test runs (and is counted) once.
runnable=()
for target in "${targets[@]}"; do
  case " ${targets[*]} " in *" ${target%_tests}_win32_tests "*) continue ;; esac
  runnable+=("$target")
done
targets=("${runnable[@]}")

summary=()
failed=0
for target in "${targets[@]}"; do
  case " $skip " in *" $target "*) summary+=("$(printf '%-18s skipped (not run under Wine)' "$target")"); continue ;; esac
  if ! cmake --build "$build" -j "$jobs" --target "$target" >"$logs/$target.build.log" 2>&1; then
    summary+=("$(printf '%-18s BUILD FAILED (see %s)' "$target" "${logs#$root/}/$target.build.log")")
    failed=1
    continue
  fi
  exe=$build/tests/$target.exe
  echo "== $target"
  start=$(date +%s)
  (cd "$build/tests" && timeout "$per_program" "$wine" "$exe" --gtest_color=no) >"$logs/$target.log" 2>&1
  rc=$?
  secs=$(( $(date +%s) - start ))
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$logs/$target.log" | tail -1)
  nfailed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' "$logs/$target.log" | tail -1)
  skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) test.*/\1/p' "$logs/$target.log" | tail -1)
  if [ "$rc" -eq 0 ]; then
    summary+=("$(printf '%-18s passed %s, skipped %s (%ss)' "$target" "${passed:-0}" "${skipped:-0}" "$secs")")
  else
    [ "$rc" -eq 124 ] && why="timed out after ${per_program}s" || why="exit code $rc"
    summary+=("$(printf '%-18s FAILED: %s, passed %s, failed %s (see %s)' "$target" "$why" \
              "${passed:-0}" "${nfailed:-?}" "${logs#$root/}/$target.log")")
    grep -E '^\[  FAILED  \] [A-Za-z]' "$logs/$target.log" | head -20
    failed=1
  fi
done

echo "== Wine test summary"
printf '%s\n' "${summary[@]}"
exit $failed
