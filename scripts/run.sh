#!/usr/bin/env bash
# Sets up, builds, generates the content and runs the program from build/run/.
# Arguments go to the program (see: build/quietharbour --help). Without a
# display the program runs under Xvfb for a while and leaves a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
mkdir -p build/run
cd build/run
if [ -n "${DISPLAY:-}" ]; then
  exec ../quietharbour "$@"
fi
echo "run: no display; running under Xvfb for 300 frames, screenshot in build/run/screenshot.png"
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} xvfb-run -a -s "-screen 0 1024x768x24" \
  ../quietharbour --frames 300 --screenshot screenshot.png "$@"
echo "run: the log reads back with: build/qhtool log build/run/dump.mem"
