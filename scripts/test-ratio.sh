#!/usr/bin/env bash
# Prints the lines of tests against the lines of code they test (src/ and
# tools/; tracked files) and fails when the tests pass 0.35 of the code:
# tests that grow past a third of the code mostly restate it.
set -euo pipefail
cd "$(dirname "$0")/.."
limit=35  # hundredths

lines() { { git ls-files -z -- "$@" | xargs -0 cat -- 2>/dev/null || true; } | wc -l; }
grouped() { echo "$1" | sed ':a;s/\B[0-9]\{3\}\>/,&/;ta'; }

tests=$(lines tests)
code=$(lines src tools)
ratio=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.2f", c ? t / c : 0 }')
echo "test lines: $(grouped "$tests") / $(grouped "$code") = $ratio (limit 0.$limit)"
if [ $((tests * 100)) -gt $((code * limit)) ]; then
  echo "test lines are over the limit: cut tests that restate the code" >&2
  exit 1
fi
