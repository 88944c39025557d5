// SPlayer::CollideStrands: strands rest on the body instead of passing
// through it.
#include "game/player.h"

namespace {
// Strand points are kept this far out, in units of each ellipsoid's radii.
constexpr float kShell = 1.3f;

// Moves `point` onto the shell when it lies inside; `toUnit` maps the world
// into the ellipsoid's unit-sphere space, `fromUnit` back. A point at the
// very centre leaves upward in that space. False when it was outside (or
// gives no finite distance).
bool PushOut(const mat4& fromUnit, const mat4& toUnit, vec3* point) {
  const vec3 q = toUnit.transformPoint(*point);
  const float r = length(q);
  if (!(r < kShell)) return false;
  *point = fromUnit.transformPoint(r > 0 ? q * (kShell / r) : vec3(0, 0, kShell));
  return true;
}
}  // namespace

void SPlayer::CollideStrands() {
  if (!body.boneMatrix || !spheres) return;
  // In free view the rest shape is what the editor shapes: pushing it (and
  // not the swinging points) keeps combed and moved strands out of the body.
  const bool restShape = mode == kModeFreeView;
  for (int e = 0; e < sphereCount; ++e) {
    const SpherePlacement& p = spheres[e];
    if (!SphereUsable(p)) continue;
    mat4 placement, scale;
    placement.fromEuler(p.rotation, p.position);
    scale.m[0] = p.scale.x;
    scale.m[5] = p.scale.y;
    scale.m[10] = p.scale.z;
    const mat4 fromUnit =
        body.world.mulAffine(body.boneMatrix[p.bone]).mulAffine(placement).mulAffine(scale);
    const mat4 toUnit = fromUnit.inverseAffine();
    for (int s = 0; s < line.count; ++s) {
      const int n = line.pointCount[s];
      if (!restShape) {
        for (int i = 1; i < n; ++i) PushOut(fromUnit, toUnit, &line.world[s][i]);
        continue;
      }
      const mat4 bone = line.BoneWorld(s), toBone = bone.inverseAffine();
      for (int i = 1; i < n; ++i) {
        vec3 w = bone.transformPoint(line.local[s][i]);
        if (PushOut(fromUnit, toUnit, &w)) line.local[s][i] = toBone.transformPoint(w);
      }
    }
  }
}
