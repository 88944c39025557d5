#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one briefly.
# Usage: scripts/fuzz-smoke.sh [SECONDS_PER_TARGET]   (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
build=build-fuzz
# The library must be instrumented too, or the fuzzers run blind and
# unsanitized inside it; the fuzz targets add the libFuzzer driver.
CC=clang CXX=clang++ cmake -S . -B "$build" -DQH_FUZZ=ON -DQH_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  >/dev/null
targets=()
for src in tests/fuzz/*_fuzz.cpp; do targets+=("$(basename "$src" .cpp)"); done
make -C "$build" -j2 "${targets[@]}" >/dev/null
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  seeds="tests/fuzz/corpus/${target%_fuzz}"
  mkdir -p "$corpus"
  [ -d "$seeds" ] || seeds=""
  echo "fuzzing $target for ${seconds}s"
  # New inputs go to the first (scratch) corpus; the seeds in the tree stay
  # as they are. A crash stops the script, its input saved in $build.
  if ! "$build/tests/$target" "$corpus" ${seeds:+"$seeds"} -max_total_time="$seconds" -rss_limit_mb=2048 \
    -artifact_prefix="$build/$target-" -print_final_stats=1 >"$build/$target.log" 2>&1; then
    tail -n 40 "$build/$target.log"
    echo "$target found a fault" >&2
    exit 1
  fi
  grep -E "^(Done|stat::number_of_executed_units)" "$build/$target.log" || true
done
