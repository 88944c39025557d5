#!/usr/bin/env bash
# Steady-state frame timings of a fixed set of scenes, printed as one table.
#
#   bash scripts/bench.sh [BINARY]
#
# BINARY defaults to build/quietharbour (or $QH_BUILD_DIR/quietharbour); it
# runs from the build's run/ folder, where the generated content is. Every
# scene runs at 1024x768 with --fixed-dt 0.016 and --bench, under Xvfb when
# there is no display, with the dummy audio driver:
#   start    the default start, no input, 1200 frames: long enough for the
#            sparkles to settle on the ground
#   running  the controlled character runs (w and the left button held from
#            frame 30) and turns with the mouse, 600 frames
#   sky      a fixed camera on the hills looking up into the sky, 600 frames
#   editor   the strand editor: free view ("h"), zoomed in with the wheel,
#            600 frames
# Each cell is "median / worst 1%" in milliseconds over the frames after the
# first 60 (--bench). A binary whose --bench prints min/median/max over all
# frames gives its median over all frames and "-" for the worst 1%.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${QH_BUILD_DIR:-build}" && pwd)
binary=$(realpath "${1:-$build/quietharbour}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
xvfb=()
[ -n "${DISPLAY:-}" ] || xvfb=(xvfb-run -a -s "-screen 0 1280x1024x24")

{
  echo "0 cursor 512 384"
  printf '30 key w down\n30 button left down\n'
  for ((f = 60; f < 600; f += 4)); do echo "$f mouse 6 0"; done
} > "$work/running.script"
{
  echo "0 cursor 512 384"
  printf '5 key h down\n6 key h up\n'
  for f in 10 11 12 13 14 15 16 17; do echo "$f wheel -1"; done
} > "$work/editor.script"

# scene NAME FRAMES [OPTION...]: the bench report of one run in $work/NAME.txt.
scene() {
  local name=$1 frames=$2
  shift 2
  (cd "$build/run" && SDL_AUDIODRIVER=dummy QH_NONINTERACTIVE=1 "${xvfb[@]}" "$binary" \
    --windowed --size 1024x768 --fixed-dt 0.016 --frames "$frames" --bench "$@" \
    > "$work/$name.txt")
}
scene start 1200
scene running 600 --script "$work/running.script"
scene sky 600 --camera -100,-200,0,0,-45,30
scene editor 600 --script "$work/editor.script"

python3 - "$work" << 'EOF'
import sys
work = sys.argv[1]
scenes = ["start", "running", "sky", "editor"]
phases = ["update", "physics", "render", "render.sky", "render.terrain+trees", "render.cloud",
          "render.characters", "render.sparkles", "sparkles.move", "queries", "swap"]
cells = {}
for s in scenes:
    lines = open(f"{work}/{s}.txt").read().splitlines()
    header = next(l for l in lines if l.startswith("phase (ms)"))
    worst = "worst" in header
    for l in lines[lines.index(header) + 1:]:
        f = l.split()
        if len(f) < 5:
            continue
        median = float(f[3])
        cells[(f[0], s)] = f"{median:.2f} / {float(f[4]):.2f}" if worst else f"{median:.2f} / -"
print(f"{'median / worst 1% (ms)':<24}" + "".join(f"{s:>18}" for s in scenes))
for p in phases:
    if any((p, s) in cells for s in scenes):
        print(f"{p:<24}" + "".join(f"{cells.get((p, s), '-'):>18}" for s in scenes))
EOF
