// The pictures of the ground and the trees. The ground's tile across one
// repeat of the map's texture coordinates (80 world units), so they are
// large enough to keep their grain at the character's camera distance.
#pragma once
#include "image.h"

constexpr int kGroundTextureSize = 512;

Picture GrassTexture();
Picture EarthTexture();  // dry dirt with pebbles: the paths and the hills' scree
Picture RockTexture();   // grey rock with cracks and lichen
Picture SandTexture();   // pale sand in shallow ripples
Picture BarkTexture();
Picture LeavesTexture();
