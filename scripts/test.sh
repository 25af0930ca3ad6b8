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
(cd build/native && ctest -j "$jobs" --output-on-failure --timeout 600)

echo "== sanitizer build and tests"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
      -DENROL_SANITIZE=ON -DENROL_BENCH=OFF -DENROL_WERROR=ON >/dev/null
cmake --build build/asan -j "$jobs"
(cd build/asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest -j "$jobs" --output-on-failure --timeout 900)

echo "== fuzz targets (bounded)"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-20}"

echo "== Windows test programs under Wine"
bash scripts/wine-tests.sh

echo "== the Windows programs under Wine"
bash scripts/wine-smoke.sh en
bash scripts/wine-smoke.sh de

echo "== all tests passed"
