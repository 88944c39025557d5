#!/usr/bin/env bash
# Sets up, builds and runs every test headless: the test suite under Xvfb,
# then the unit tests again under AddressSanitizer and UBSan, then a short
# fuzzing run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
export SDL_AUDIODRIVER=dummy QH_NONINTERACTIVE=1
bash scripts/setup.sh

echo "== tests"
(cd build && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j 2) | tee build/ctest.log

echo "== tests under AddressSanitizer + UndefinedBehaviorSanitizer"
QH_BUILD_DIR=build-asan QH_CMAKE_ARGS="-DQH_SANITIZE=ON -DQH_BENCH=OFF" bash scripts/setup.sh
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && \
  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j 2)

if [ -f scripts/fuzz-smoke.sh ]; then
  echo "== fuzz smoke"
  bash scripts/fuzz-smoke.sh
fi

# The suite's count once more and the proportion of tests to code, as the
# last lines; too many test lines fail the command.
total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' build/ctest.log | tail -n 1)
failed=$(sed -n 's/.* \([0-9]*\) tests failed out of.*/\1/p' build/ctest.log | tail -n 1)
echo "tests: $((total - failed)) passed, $failed failed"
bash scripts/test-ratio.sh
