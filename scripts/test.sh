#!/usr/bin/env bash
# Sets up what is missing, builds everything and runs every test:
#   1. native build (g++, -Wall -Wextra, warnings are errors) and all unit, file,
#      link and view tests;
#   2. the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. every fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
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

if [ -d fuzz ] && ls fuzz/*.cpp >/dev/null 2>&1; then
  echo "== fuzz targets (bounded)"
  bash scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
fi
echo "== all tests passed"
