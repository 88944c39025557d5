#!/usr/bin/env bash
# Renders docs/content.png: both bodies at rest and in the middle of every
# clip (each in a character's own skin, eyes and strands), the map and a tree,
# from the archive the default build generates. Needs the build (build/ or
# $QH_BUILD_DIR); runs under Xvfb when there is no display.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QH_BUILD_DIR:-build}
cmake --build "$build" -j 2 --target qhtool content > /dev/null
archive=$build/run/brookfield.core
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/qhtool" extract "$archive" "$work/files"

# Middle frame of a clip, from its header.
middle() {
  local frames
  frames=$("$build/qhtool" info "$work/files/bin/$1.Anim" | sed -n 's/.*frames=\([0-9]*\).*/\1/p')
  echo $(( (frames + 1) / 2 ))
}

winged=('ZL --tex ZL.jpg --eyes eye_zl.jpg --line ZL.Line'
        'WN --tex WN.jpg --eyes eye_wn.jpg --line WN.Line')
ground=('MV --tex MV.jpg --eyes eye_mv.jpg --line MV.Line'
        'KT --tex KT.jpg --eyes eye_kt.jpg --line KT.Line')
{
  echo "pegasus_rest bin\\pegasus.Model ${winged[0]#* }"
  echo "earthling_rest bin\\earthling.Model ${ground[0]#* }"
  i=0
  for clip in stand stand_s hwalk run jump_land jump_air jump_airf fly ffly Lturn Rturn; do
    t=$(middle "$clip")
    # Spread wings read best from behind.
    yaw=35
    case $clip in fly | ffly) yaw=150 ;; esac
    w=${winged[$((i % 2))]}
    g=${ground[$((i % 2))]}
    echo "pegasus_${clip}@${t} bin\\pegasus.Model --clip bin\\${clip}.Anim --time $t --yaw $yaw ${w#* }"
    echo "earthling_${clip}@${t} bin\\earthling.Model --clip bin\\${clip}.Anim --time $t --yaw $yaw ${g#* }"
    i=$((i + 1))
  done
  echo "map bin\\map2.Model --yaw 210"
  echo "tree bin\\tree.Model"
} > "$work/tiles.txt"

mkdir -p docs
run=("$build/qhtool" sheet "$work/tiles.txt" --archive "$archive" --tile 256 --columns 6
     --out docs/content.png)
if [ -n "${DISPLAY:-}" ]; then
  "${run[@]}"
else
  xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}"
fi
echo "contact-sheet: docs/content.png"
