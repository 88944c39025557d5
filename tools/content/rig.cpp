#include "rig.h"

namespace {
constexpr float kHalfPi = 1.5707964f;

// Folded wing: span back and a little up and out, leading edge up.
void FoldedWing(float side, vec3* x, vec3* y, vec3* z) {
  *x = normalize(vec3(-1.0f, 0.12f * side, 0.22f));
  const vec3 lead(0, -0.45f * side, 1.0f);
  *y = normalize(lead - *x * dot(lead, *x));
  *z = cross(*x, *y);
}

Rig Build() {
  Rig rig;
  const float s = kRigScale;
  const float neck2Bend = 0.55f;  // neck2 bends forward from neck1
  const float headPitch = -kHeadRise - (-kNeckRise + neck2Bend);
  const float eyeYaw = 0.35f;
  rig.upperLeg = kLegSegment * s;
  rig.lowerLeg = kLegSegment * s;
  const vec3 down(0, kHalfPi, 0);
  vec3 wx, wy, wz;
  FoldedWing(1, &wx, &wy, &wz);
  const vec3 leftWing = EulerOfAxes(wx, wy, wz);
  FoldedWing(-1, &wx, &wy, &wz);
  const vec3 rightWing = EulerOfAxes(wx, wy, wz);
  const BoneDef defs[kBoneTotal] = {
      {"root", -1, vec3(-0.6f, 0, 6.0f) * s, vec3()},
      {"spine", kRoot, vec3(2.4f, 0, 0.2f) * s, vec3()},
      {"neck1", kSpine, vec3(1.5f, 0, 1.1f) * s, vec3(0, -kNeckRise, 0)},
      {"neck2", kNeck1, vec3(1.8f, 0, 0) * s, vec3(0, neck2Bend, 0)},
      {"head", kNeck2, vec3(1.6f, 0, 0) * s, vec3(0, headPitch, 0)},
      // Eyes sit on the cranium (centre (0.9, 0, 0.9), radius about 2.8 in
      // the head's frame), gazing forward and a little outward.
      {"Leye", kHead, vec3(2.95f, 1.74f, 1.32f) * s, vec3(0, 0, eyeYaw)},
      {"Reye", kHead, vec3(2.95f, -1.74f, 1.32f) * s, vec3(0, 0, -eyeYaw)},
      {"tail", kRoot, vec3(-3.5f, 0, 0.9f) * s, vec3(0, 0.7f, 3.1415927f)},
      {"Lfleg1", kSpine, vec3(0.5f, 1.35f, -1.5f) * s, down},
      {"Lfleg2", kLFront1, vec3(kLegSegment, 0, 0) * s, vec3()},
      {"Rfleg1", kSpine, vec3(0.5f, -1.35f, -1.5f) * s, down},
      {"Rfleg2", kRFront1, vec3(kLegSegment, 0, 0) * s, vec3()},
      {"Lhleg1", kRoot, vec3(-2.2f, 1.35f, -1.3f) * s, down},
      {"Lhleg2", kLHind1, vec3(kLegSegment, 0, 0) * s, vec3()},
      {"Rhleg1", kRoot, vec3(-2.2f, -1.35f, -1.3f) * s, down},
      {"Rhleg2", kRHind1, vec3(kLegSegment, 0, 0) * s, vec3()},
      {"Lwing", kSpine, vec3(0.1f, 1.35f, 1.75f) * s, leftWing},
      {"Rwing", kSpine, vec3(0.1f, -1.35f, 1.75f) * s, rightWing},
  };
  for (int b = 0; b < kBoneTotal; ++b) {
    rig.bones[b] = defs[b];
    mat4 local;
    local.fromEuler(defs[b].rot, defs[b].pos);
    rig.bind[b] = defs[b].parent < 0 ? local : rig.bind[defs[b].parent].mulAffine(local);
  }
  return rig;
}
}  // namespace

const Rig& GetRig() {
  static const Rig rig = Build();
  return rig;
}

void PoseGlobals(const Pose& pose, mat4 out[kBoneTotal]) {
  const Rig& rig = GetRig();
  for (int b = 0; b < kBoneTotal; ++b) {
    const BoneDef& d = rig.bones[b];
    mat4 local, delta;
    local.fromEuler(d.rot, d.pos);
    delta.fromEuler(pose.rot[b], b == kRoot ? pose.rootShift : vec3());
    const mat4 m = local.mulAffine(delta);
    out[b] = d.parent < 0 ? m : out[d.parent].mulAffine(m);
  }
}

vec3 BindPoint(int bone, const vec3& designLocal) {
  return GetRig().bind[bone].transformPoint(designLocal * kRigScale);
}

vec3 EulerOfAxes(const vec3& x, const vec3& y, const vec3& z) {
  mat4 m;
  m.fromAxes(x, y, z);
  return m.toEuler();
}
