#!/usr/bin/env bash
# Sets up what is missing, builds everything and runs every test:
#   1. native build (g++, -Wall -Wextra, warnings are errors) and all unit, file,
#      link and view tests (headless ui backend, simulator in process);
#   2. the same tests built with clang, AddressSanitizer and
#      UndefinedBehaviorSanitizer;
#   3. every fuzz target for a bounded time (FUZZ_SECONDS per target, default 20);
#   4. the Windows cross build (MinGW-w64): the test programs, among them the view
#      tests on the Win32 backend, run under Wine with Xvfb;
#   5. the real enrolstation.exe and enrolstation_de.exe under Wine: the first
#      administrator login creates the installation, the station is initialised
#      against the simulator.
# Run as root on a fresh Debian machine: scripts/setup.sh installs the packages.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}

bash scripts/setup.sh

echo "== native build and tests"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENROL_WERROR=ON >/dev/null
cmake --build build/native -j "$jobs"
(cd build/native && ctest -j "$jobs" --output-on-failure --timeout 600) | tee build/native-ctest.log

echo "== sanitizer build and tests"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
      -DENROL_SANITIZE=ON -DENROL_BENCH=OFF -DENROL_WERROR=ON >/dev/null
cmake --build build/asan -j "$jobs"
(cd build/asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest -j "$jobs" --output-on-failure --timeout 900) | tee build/asan-ctest.log

echo "== fuzz targets (bounded)"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-20}"

echo "== Windows test programs under Wine"
bash scripts/wine-tests.sh | tee build/wine-tests.log

echo "== the Windows programs under Wine"
bash scripts/wine-smoke.sh en
bash scripts/wine-smoke.sh de

# One closing line with the number of tests run in all (every step above has
# stopped the script on any failure).
total=0
for log in build/native-ctest.log build/asan-ctest.log; do
  n=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -1)
  total=$((total + ${n:-0}))
done
wine_passed=$(awk '/ passed [0-9]+, skipped /{for(i=1;i<NF;i++) if($i=="passed") s+=$(i+1)} END{print s+0}' build/wine-tests.log)
total=$((total + ${wine_passed:-0} + 2))  # the two smoke tests
echo "== all tests passed"
echo "$total passed, 0 failed"
