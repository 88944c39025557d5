// The two character bodies: a pony-like creature built from blended bone
// shapes, the winged kind with two feathered wings on the last two bones.
#pragma once
#include "mesh_build.h"

// Height used for the body's v texture coordinate (top of the ears).
constexpr float kBodyHeight = 14.0f;

// The body's round parts (design units, in the bone's bind frame): rump,
// belly, chest, neck, cranium, muzzle. The strands' collision ellipsoids are
// these, shrunk.
struct BodyEllipsoid {
  int bone;
  vec3 centre;
  vec3 radii;
};
constexpr int kBodyEllipsoidCount = 7;
extern const BodyEllipsoid kBodyEllipsoids[kBodyEllipsoidCount];

// The two skinned bodies (the winged one is the ground one plus wings). The
// texture names are the ones the model files carry; the program swaps in
// each character's own.
void BuildBodies(const std::string& groundTexture, const std::string& wingedTexture,
                 MeshBuild* ground, MeshBuild* winged);
