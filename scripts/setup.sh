#!/usr/bin/env bash
# Installs every Debian package the project needs that is missing, then
# configures and builds into build/ (or $QH_BUILD_DIR). Run as root.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake pkg-config clang clang-format libclang-rt-14-dev
  libsdl2-dev libsdl2-mixer-dev libgl-dev libgl1-mesa-dri libglx-mesa0 mesa-utils
  libfreetype-dev libfontconfig-dev fontconfig fonts-dejavu-core
  libpng-dev libjpeg-dev libmp3lame-dev libinih-dev
  googletest libgtest-dev libbenchmark-dev
  libtinygltf-dev
  xvfb xauth python3 desktop-file-utils
)
# Node.js runs the Khronos glTF validator in the tests. A Node.js from
# elsewhere (NodeSource) brings its own npm and conflicts with Debian's.
command -v npm > /dev/null 2>&1 || packages+=(nodejs npm)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build=${QH_BUILD_DIR:-build}
validator="$build/gltf-validator"
if [ ! -f "$validator/node_modules/gltf-validator/package.json" ]; then
  echo "setup: installing the Khronos glTF validator into $validator"
  npm install --prefix "$validator" --no-audit --no-fund --silent gltf-validator@2.0.0-dev.3.10
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${QH_CMAKE_ARGS:-} > "$build.configure.log" 2>&1 \
  || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j "$(nproc)"
