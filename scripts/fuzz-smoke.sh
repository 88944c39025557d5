#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one briefly.
# Usage: scripts/fuzz-smoke.sh [SECONDS_PER_TARGET]   (default 5: the whole
#        smoke stays under a minute once built)
#        scripts/fuzz-smoke.sh --minutes N            (a long search: each
#        target N minutes, one at a time, with its runs, coverage and corpus)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-5}"
long=0
if [ "${1:-}" = "--minutes" ]; then
  seconds=$(( ${2:?--minutes needs a number} * 60 ))
  long=1
fi
build=build-fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
# The library must be instrumented too, or the fuzzers run blind and
# unsanitized inside it; the fuzz targets add the libFuzzer driver.
CC=clang CXX=clang++ cmake -S . -B "$build" -DQH_FUZZ=ON -DQH_BENCH=OFF "${launcher[@]}" \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  >/dev/null
targets=()
for src in tests/fuzz/*_fuzz.cpp; do targets+=("$(basename "$src" .cpp)"); done
nice -n 10 make -C "$build" -j2 "${targets[@]}" >/dev/null
export ASAN_OPTIONS=allocator_may_return_null=1
faults=0
for target in "${targets[@]}"; do
  kind="${target%_fuzz}"
  corpus="$build/corpus/$target"
  seeds="tests/fuzz/corpus/$kind"
  dict="tests/fuzz/$kind.dict"
  mkdir -p "$corpus"
  [ -d "$seeds" ] || seeds=""
  extra=()
  [ -f "$dict" ] && extra+=(-dict="$dict")
  echo "fuzzing $target for ${seconds}s"
  # New inputs go to the first (scratch) corpus; the seeds in the tree stay
  # as they are. A crash's input is saved in $build.
  if ! nice -n 10 "$build/tests/$target" "$corpus" ${seeds:+"$seeds"} -max_total_time="$seconds" \
    -rss_limit_mb=2048 -timeout=10 "${extra[@]}" \
    -artifact_prefix="$build/$target-" -print_final_stats=1 >"$build/$target.log" 2>&1; then
    tail -n 40 "$build/$target.log"
    echo "$target found a fault" >&2
    faults=$((faults + 1))
    # A long search goes on with the other targets; the smoke stops here.
    [ "$long" = 1 ] && continue
    exit 1
  fi
  if [ "$long" = 1 ]; then
    # The last status line: runs, coverage (cov: edges, ft: features), corpus.
    last=$(grep -E "^#[0-9]+" "$build/$target.log" | tail -n 1)
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$target.log")
    echo "$target runs=$runs $(echo "$last" | grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [^ ]+')"
  else
    grep -E "^(Done|stat::number_of_executed_units)" "$build/$target.log" || true
  fi
done
[ "$faults" = 0 ]
