#!/usr/bin/env bash
# Sets up what is missing, builds everything and runs every test:
#   1. native build (g++, -Wall -Wextra, warnings are errors) and all unit, file,
#      link and view tests (headless ui backend, simulator in process);
#   2. the same tests built with clang, AddressSanitizer and
#      UndefinedBehaviorSanitizer;
#   3. every fuzz target for a bounded time (FUZZ_SECONDS per target, default 20);
#   4. the Windows cross build (MinGW-w64): the test programs, the view tests on
#      the Win32 backend among them, run under Wine with Xvfb;
#   5. the real enrolstation.exe and enrolstation_de.exe under Wine: the first
#      administrator login creates the installation, the station is initialised
#      against the simulator;
#   6. the installer packages under Wine (scripts/wine-installer.sh): silent
#      install, the installed program through its shortcut, upgrades, uninstall.
# Run as root on a fresh Debian machine: scripts/setup.sh installs the packages.
#
#   bash scripts/test.sh          everything above (what CI runs)
#   bash scripts/test.sh quick    step 1 only, for day-to-day work
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
mode=${1:-full}

# "N" from ctest's "... tests failed out of N" line of a log.
ctest_count() { sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$1" | tail -1; }

if [ "$mode" != quick ]; then bash scripts/setup.sh; fi

echo "== native build and tests"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENROL_WERROR=ON >/dev/null
cmake --build build/native -j "$jobs"
(cd build/native && ctest -j "$jobs" --output-on-failure --timeout 600) | tee build/native-ctest.log
native=$(ctest_count build/native-ctest.log)

if [ "$mode" = quick ]; then
  echo "${native:-0} tests passed natively, 0 failed (quick run: native build only)"
  exit 0
fi

echo "== sanitizer build and tests"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
      -DENROL_SANITIZE=ON -DENROL_BENCH=OFF -DENROL_WERROR=ON >/dev/null
cmake --build build/asan -j "$jobs"
(cd build/asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest -j "$jobs" --output-on-failure --timeout 900) | tee build/asan-ctest.log
asan=$(ctest_count build/asan-ctest.log)

echo "== fuzz targets (bounded)"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-20}"

echo "== Windows test programs under Wine"
bash scripts/wine-tests.sh | tee build/wine-tests.log

echo "== the Windows programs under Wine"
bash scripts/wine-smoke.sh en
bash scripts/wine-smoke.sh de

echo "== the installer packages under Wine"
bash scripts/wine-installer.sh

# One closing line: every step above has stopped the script on any failure.
# Each build's tests are counted once: the native and the sanitizer CTest runs,
# the Wine test programs (a view folder only in its Win32-backend build), the
# two smoke runs of the Windows programs and the installer run.
wine=$(awk '/ passed [0-9]+, skipped /{for(i=1;i<NF;i++) if($i=="passed") s+=$(i+1)} END{print s+0}' build/wine-tests.log)
total=$(( ${native:-0} + ${asan:-0} + ${wine:-0} + 3 ))
echo "== all tests passed"
echo "$total tests passed, 0 failed: ${native:-0} native, ${asan:-0} sanitizer, ${wine:-0} under Wine, 2 Wine smoke runs, 1 installer run"
