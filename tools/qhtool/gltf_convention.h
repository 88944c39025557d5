// How the program's models and clips meet glTF 2.0 (qhtool export/import).
//
// Axes: the program's frame is +X forward, +Y left, +Z up; glTF's is +Z
// forward, +X left, +Y up. The two differ by a rotation (a cyclic swap of
// the axes), so a bone's frame and every rotation carry over by conjugation
// and handedness is kept. Outward faces wind clockwise in the program and
// counter-clockwise in glTF: every triangle swaps two corners on the way.
// Texture rows: the program's v = 0 is the last row of the image file, glTF's
// v = 0 the first, so v becomes 1 - v.
//
// Time: a clip's clock counts frames from 1 and runs at 10 frames per second
// unless the program sets another speed; frame f is at (f - 1) / 10 seconds.
// Rotations are Euler radians in the files and quaternions in glTF.
#pragma once
#include "math/mat4.h"
#include "math/quat.h"

constexpr float kGltfFramesPerSecond = 10.0f;

inline vec3 ToGltf(const vec3& v) {
  return {v.y, v.z, v.x};
}
inline vec3 FromGltf(const vec3& v) {
  return {v.z, v.x, v.y};
}
inline quat ToGltf(const quat& q) {
  const vec3 v = ToGltf(vec3(q.x, q.y, q.z));
  return {v.x, v.y, v.z, q.w};
}
inline quat FromGltf(const quat& q) {
  const vec3 v = FromGltf(vec3(q.x, q.y, q.z));
  return {v.x, v.y, v.z, q.w};
}

// Hamilton product a * b (b applied first).
inline quat Multiply(const quat& a, const quat& b) {
  return {
      a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
      a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

// The rotation of Euler radians (roll, pitch, yaw) as the program builds it.
inline quat EulerQuat(const vec3& radians) {
  quat q;
  q.fromEuler(radians);
  return q;
}

// A transform carried between the frames (the same map seen in the other
// axes); FromGltf also scales the translation by `scale`.
mat4 ToGltf(const mat4& m);
mat4 FromGltf(const mat4& m, float scale);

// Rigid transform from a unit quaternion and a translation.
mat4 RigidMatrix(const quat& q, const vec3& t);
// The unit rotation of a matrix whose first three columns may carry a
// scale (each column is normalised first).
quat RotationOf(const mat4& m);

// Every bone the characters look up by name; a body without one loses the
// feature that bone carries (eyes, neck look-at, ...).
constexpr const char* kCharacterBones[] = {"neck2", "Reye", "Leye", "root", "neck1", "head"};
// Every clip a character body plays, by file stem ("bin\\NAME.Anim").
constexpr const char* kBodyClips[] = {"stand",     "stand_s",   "hwalk", "jump_air",
                                      "jump_airf", "jump_land", "run",   "Rturn",
                                      "Lturn",     "fly",       "ffly"};
