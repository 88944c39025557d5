#!/usr/bin/env bash
# Installs a build into a scratch prefix and checks what lands where: the
# program and qhtool, the content, a valid desktop entry and its icon.
# Usage: check-install.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null
for f in bin/quietharbour bin/qhtool share/quietharbour/brookfield.core \
  share/quietharbour/harbour_theme.mp3 share/applications/quietharbour.desktop \
  share/icons/hicolor/128x128/apps/quietharbour.png; do
  [ -s "$prefix/$f" ] || { echo "install: $f is missing"; exit 1; }
done
for f in quietharbour qhtool; do
  [ -x "$prefix/bin/$f" ] || { echo "install: bin/$f is not executable"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/quietharbour.desktop"
# The icon is a 128x128 PNG with an alpha channel (colour type 6).
python3 - "$prefix/share/icons/hicolor/128x128/apps/quietharbour.png" << 'PY'
import struct, sys
head = open(sys.argv[1], "rb").read(26)
assert head[:8] == b"\x89PNG\r\n\x1a\n" and head[12:16] == b"IHDR", "not a PNG"
width, height, depth, colour = struct.unpack(">IIBB", head[16:26])
assert (width, height, depth, colour) == (128, 128, 8, 6), (width, height, depth, colour)
PY
# The installed program finds its data beside it without --data, from any
# working directory.
run=$(mktemp -d)
if ! (cd "$run" && "$prefix/bin/quietharbour" --windowed --size 160x120 --frames 2 > out.txt 2>&1) ||
  grep -q "can't open core file" "$run/out.txt"; then
  cat "$run/out.txt"; echo "install: the installed program did not find its data"; exit 1
fi
rm -rf "$run"
echo "install: layout under $prefix checked"
