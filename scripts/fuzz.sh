#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (seconds per target, default 20). Any crash, leak or sanitizer report fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DENROL_FUZZ=ON -DENROL_TESTS=OFF -DENROL_BENCH=OFF >/dev/null
cmake --build build/fuzz -j "${JOBS:-2}"
for target in build/fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/seeds/$name" ] && seeds=("fuzz/seeds/$name")
  echo "-- $name (${seconds}s)"
  "$target" -max_total_time="$seconds" -print_final_stats=0 "$corpus" "${seeds[@]}" \
      > "build/fuzz/$name.log" 2>&1 || { tail -40 "build/fuzz/$name.log"; exit 1; }
  grep -E "^(#[0-9]+|Done)" "build/fuzz/$name.log" | tail -1
done
