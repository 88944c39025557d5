#!/usr/bin/env bash
# Fails when a file in src/ or tools/ includes a folder that is not on a
# lower floor than its own, in the order of scripts/layers.txt.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A floor
n=0
while read -r line; do
  line=${line%%#*}
  [ -z "${line// /}" ] && continue
  for dir in $line; do floor[$dir]=$n; done
  n=$((n + 1))
done < scripts/layers.txt

bad=0
while IFS= read -r file; do
  dir=$(dirname "$file")
  while [ -z "${floor[$dir]+set}" ] && [ "$dir" != . ]; do dir=$(dirname "$dir"); done
  if [ "$dir" = . ]; then
    echo "layering: $file is in no floor of scripts/layers.txt"
    bad=1
    continue
  fi
  own=${floor[$dir]}
  while IFS= read -r target; do
    [ "src/$target" = "$dir" ] && continue
    if [ -z "${floor[src/$target]+set}" ]; then
      echo "layering: $file includes \"$target/...\", a folder not in scripts/layers.txt"
      bad=1
    elif [ "${floor[src/$target]}" -ge "$own" ]; then
      echo "layering: $file ($dir) includes \"$target/...\", which is not below it"
      bad=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([A-Za-z0-9_]*\)\/.*/\1/p' "$file" | sort -u)
done < <(find src tools -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

if [ "$bad" = 0 ]; then echo "layering: every include goes down the floors of scripts/layers.txt"; fi
exit "$bad"
