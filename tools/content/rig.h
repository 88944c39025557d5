// The one skeleton layout both bodies share (clips are matched to bones by
// index): parents before children, the two wing bones last so the ground
// body is the same list cut short. Every bone points along its own +X axis.
// Model space: +X forward, +Y left, +Z up, feet on z = 0.
#pragma once
#include <cstdint>

#include "math/mat4.h"

enum BoneId {
  kRoot,
  kSpine,
  kNeck1,
  kNeck2,
  kHead,
  kLeye,
  kReye,
  kTail,
  kLFront1,
  kLFront2,
  kRFront1,
  kRFront2,
  kLHind1,
  kLHind2,
  kRHind1,
  kRHind2,
  kLWing,
  kRWing,
  kBoneTotal
};

constexpr int kGroundBones = kLWing;      // the ground body stops before the wings
constexpr int kWingedBones = kBoneTotal;  // the winged body has them all

// Bind pitches the program's head turning relies on: the global +X of
// "neck1" and of "head" point forward and this far up (radians).
constexpr float kNeckRise = 1.2566371f;
constexpr float kHeadRise = 0.08726647f;

// The skeleton and every shape on it are laid out in design units and
// scaled by this, so that the body's bounding radius comes out at about 10.
constexpr float kRigScale = 0.92f;
// Upper and lower leg length, design units.
constexpr float kLegSegment = 2.35f;

struct BoneDef {
  const char* name;
  int parent;  // -1 for the root
  vec3 pos;    // bind position relative to the parent
  vec3 rot;    // bind rotation relative to the parent, Euler radians
};

// The skeleton with its bind matrices and the measures the shapes and clips
// are built from. All lengths are model units.
struct Rig {
  BoneDef bones[kBoneTotal];
  mat4 bind[kBoneTotal];  // global bind matrix of each bone
  float upperLeg = 0;     // shoulder/hip to knee
  float lowerLeg = 0;     // knee to the sole of the hoof
};

// The rig, built once.
const Rig& GetRig();

// A pose: per-bone rotation (Euler radians, applied in the bone's bind frame,
// as a clip key does) and a translation of the root.
struct Pose {
  vec3 rot[kBoneTotal];
  vec3 rootShift;
};

// Global matrices of every bone in `pose` (the program's posing order:
// parent global * bind local * pose delta).
void PoseGlobals(const Pose& pose, mat4 out[kBoneTotal]);

// A point given in design units in a bone's bind frame, in model space.
vec3 BindPoint(int bone, const vec3& designLocal);

// Euler angles (radians) of a rotation whose columns are the given
// orthonormal axes.
vec3 EulerOfAxes(const vec3& x, const vec3& y, const vec3& z);
