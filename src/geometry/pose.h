// Pose evaluation and dual-quaternion skinning as three jobs over arrays the
// caller owns. Each job states its inputs as plain fields; Validate() checks
// them, and Run() validates and then works without allocating, so the jobs
// can run every frame for every drawn skinned model.
//
// The per-frame order is BlendJob (clips -> per-bone rotation and
// translation), PoseJob (-> skinning transforms), SkinningJob (-> vertices).
#pragma once
#include <cstdint>

#include "geometry/anim.h"
#include "math/quat.h"

// Advances every clip's clock and fades its weight, then blends the clips'
// samples, in clip order, into a running weighted average per bone.
//
// Per clip: a weight below 0.001 resets the clip (time 1, loops 0) and skips
// it. Otherwise time += speed * dt, weight *= 0.7, and past `frames` the
// clock restarts at 1 with loops + 1. The first contributing clip sets the
// bones it reaches; each later one is mixed in with weight / (sum so far).
// Only tracks with two or more keys move a bone. Bones no clip reaches keep
// their values.
struct BlendJob {
  CAnim* const* clips = nullptr;  // clipCount clips; clock, weight and loops are updated
  int clipCount = 0;
  float dt = 0;  // seconds since the last evaluation
  int boneCount = 0;
  quat* rotations = nullptr;     // boneCount entries, in/out
  vec3* translations = nullptr;  // boneCount entries, in/out

  // Every array present for its count, every clip present with its tracks,
  // boneCount in 0..255.
  bool Validate() const;
  // False (nothing changed) when Validate fails.
  bool Run() const;
};

// Builds each bone's skinning transform: the animated rotation and
// translation act in the bone's rest frame, composed down the hierarchy, then
// multiplied by the inverse bind matrix. Also gives each transform as a dual
// quaternion for SkinningJob.
struct PoseJob {
  int boneCount = 0;
  const vec3* restRot = nullptr;  // Euler radians, relative to the parent
  const vec3* restPos = nullptr;
  const int32_t* parents = nullptr;  // -1 for a root, else an earlier bone
  const quat* rotations = nullptr;   // from BlendJob
  const vec3* translations = nullptr;
  const mat4* invBind = nullptr;
  mat4* boneMatrix = nullptr;    // out, boneCount entries
  dualquat* boneDual = nullptr;  // out, boneCount entries

  // Every array present when boneCount > 0, boneCount in 0..255, and every
  // parent -1 or lower than its bone.
  bool Validate() const;
  bool Run() const;
};

// Deforms rest positions and normals by the weighted sum of their bones' dual
// quaternions. An influence whose rotation opposes the sum so far is
// subtracted (shorter arc). Weights are used as stored. A vertex whose
// influences cancel (or has none) keeps the identity rotation with the
// accumulated translation. Normals are not renormalised. Influences naming a
// bone outside the skeleton are ignored.
// Vertices are skinned four or eight at a time (eight where the CPU has
// AVX2), with each vertex's arithmetic unchanged by the grouping.
struct SkinningJob {
  uint32_t vertexCount = 0;
  const vec3* restPositions = nullptr;  // vertexCount entries
  const vec3* restNormals = nullptr;
  const uint8_t* influenceCount = nullptr;   // weightSlots entries
  const uint32_t* const* boneIdx = nullptr;  // per vertex, influenceCount entries
  const float* const* weights = nullptr;     // per vertex, influenceCount entries
  uint32_t weightSlots = 0;                  // at least vertexCount
  int boneCount = 0;
  const dualquat* boneDual = nullptr;  // from PoseJob
  vec3* positions = nullptr;           // out, vertexCount entries
  vec3* normals = nullptr;             // out, vertexCount entries

  bool Validate() const;
  bool Run() const;
};
