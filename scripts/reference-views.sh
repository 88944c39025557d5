#!/usr/bin/env bash
# Redraws every reference view in docs/ from the content the default build
# generates (build/ or $QH_BUILD_DIR), so they can be made again after any
# change to the program or the content:
#   world-trees, world-cloud, world-sun, world-overview  fixed cameras, 60 frames
#   horizon-rim, horizon-above   the sea around the island, from the hills and from high up
#   strands-standing, strands-running   one 512x384 view per character, 2 x 2
#   strands-editor                the editor with "o" held and a picked strand
#   character-face, character-trail
#   overlay-help, overlay-badge   the help card (Tab) and the badge in free view
#   content                       the contact sheet of scripts/contact-sheet.sh
# Every run is at --fixed-dt 0.016, so the same build draws the same pictures.
# Cameras that follow a character are placed from a trace of the same run.
# Runs under Xvfb when there is no display; needs python3 (scripts/views.py).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${QH_BUILD_DIR:-build}" && pwd)
cmake --build "$build" -j 2 --target quietharbour content > /dev/null
docs=$PWD/docs
views="python3 $PWD/scripts/views.py"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
xvfb=()
[ -n "${DISPLAY:-}" ] || xvfb=(xvfb-run -a -s "-screen 0 1280x1024x24")

# run SIZE FRAMES PICTURE [OPTION...]: the program in build/run, its last frame to PICTURE.
run() {
  local size=$1 frames=$2 picture=$3
  shift 3
  (cd "$build/run" && SDL_AUDIODRIVER=dummy QH_NONINTERACTIVE=1 "${xvfb[@]}" ../quietharbour \
    --windowed --size "$size" --fixed-dt 0.016 --frames "$frames" --screenshot "$picture" "$@" \
    > /dev/null)
}

# The world from fixed cameras (X,Y,Z,ROLL,PITCH,YAW; +Z up, yaw 0 along +X).
while read -r name camera; do
  run 1024x768 60 "$docs/$name.png" --camera "$camera"
done << 'EOF'
world-trees -860,470,-112,0,4,170
world-cloud -100,-700,350,0,-8,90
world-sun -100,-200,0,0,-35,0
world-overview -1800,-1800,400,0,12,45
horizon-rim 1330,-300,80,0,28,-55
horizon-above 0,-3400,1500,0,24,90
EOF

# Strands, standing: a camera beside each character, placed from a trace.
run 512x384 200 "$work/trace.png" --camera 0,0,0,0,12,90 --trace "$work/standing.jsonl"
for c in 0 1 2 3; do
  camera=$($views camera "$work/standing.jsonl" 199 $c 0,-40,14 0,12,90)
  run 512x384 200 "$work/standing$c.png" --camera "$camera"
done
$views montage "$docs/strands-standing.png" "$work"/standing{0,1,2,3}.png

# Strands, running: "c" pressed until the character has control, w from frame
# 150, the left button from 170; the camera behind it, looking where it runs.
for c in 0 1 2 3; do
  {
    echo "0 cursor 256 192"
    for ((k = 0; k < (c + 1) % 4; ++k)); do printf '%d key c down\n%d key c up\n' $((2 * k + 2)) $((2 * k + 3)); done
    printf '150 key w down\n170 button left down\n'
  } > "$work/run$c.script"
  run 512x384 216 "$work/trace.png" --camera 0,0,0,0,10,90 --script "$work/run$c.script" \
    --trace "$work/run$c.jsonl"
  camera=$($views camera "$work/run$c.jsonl" 215 $c 0,-60,20 0,10,90)
  run 512x384 216 "$work/running$c.png" --camera "$camera" --script "$work/run$c.script"
done
$views montage "$docs/strands-running.png" "$work"/running{0,1,2,3}.png

# The editor: free view ("h"), zoomed in, "o" held; the strand nearest the
# cursor is picked.
{
  echo "0 cursor 512 384"
  printf '5 key h down\n6 key h up\n'
  for f in 10 11 12 13 14 15 16 17; do echo "$f wheel -1"; done
  echo "150 key o down"
} > "$work/editor.script"
run 1024x768 200 "$docs/strands-editor.png" --script "$work/editor.script"

# Character 0 face to face, its eyes on the controlled character; then the
# trail of a run that turns.
run 1024x768 200 "$work/trace.png" --camera 0,0,0,0,6,172.26 --trace "$work/face.jsonl"
run 1024x768 200 "$docs/character-face.png" \
  --camera "$($views camera "$work/face.jsonl" 199 0 15.9,-2.3,15.5 0,6,172.26)"
run 1024x768 232 "$docs/character-trail.png" --script "$docs/character-trail.script"

# The overlay: the help card (Tab) with the frame rate (Home); the badge in
# free view after paint colour 3 was chosen ("o" held, "3").
printf '0 cursor 512 384\n2 key tab down\n3 key tab up\n2 key home down\n3 key home up\n' \
  > "$work/help.script"
run 1024x768 60 "$docs/overlay-help.png" --script "$work/help.script"
printf '0 cursor 512 384\n5 key h down\n6 key h up\n20 key o down\n21 key 3 down\n23 key 3 up\n' \
  > "$work/badge.script"
run 1024x768 60 "$docs/overlay-badge.png" --script "$work/badge.script"

bash scripts/contact-sheet.sh > /dev/null
echo "reference-views: docs/*.png"
