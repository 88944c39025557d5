#include "clips.h"

#include <cmath>

#include "core/growth.h"

namespace {
// Ground clips carry the body this much lower than the bind pose (where the
// legs are straight), so the legs have room to bend while the hooves stay
// down through the body's bobbing.
constexpr float kKneeSlack = -0.25f;

// The four legs: bones, whether it is a hind leg, and its gait phase offset
// for the walk.
struct Leg {
  int upper, lower;
  bool hind;
};
const Leg kLegs[4] = {{kLFront1, kLFront2, false},
                      {kRFront1, kRFront2, false},
                      {kLHind1, kLHind2, true},
                      {kRHind1, kRHind2, true}};

// Where the sole of a leg's hoof is in the bind pose (model space).
vec3 RestFoot(const Leg& leg) {
  const Rig& rig = GetRig();
  return rig.bind[leg.lower].transformPoint(vec3(rig.lowerLeg, 0, 0));
}

// Two-bone leg reaching for `target` (model space) in the leg's own plane:
// front knees bend with the hoof going back, hind hocks the other way. The
// parents' rotations in `pose` must already be set.
void ReachFoot(Pose* pose, const Leg& leg, const vec3& target) {
  const Rig& rig = GetRig();
  mat4 globals[kBoneTotal];
  PoseGlobals(*pose, globals);
  const BoneDef& d = rig.bones[leg.upper];
  mat4 local;
  local.fromEuler(d.rot, d.pos);
  const vec3 h = globals[d.parent].mulAffine(local).inverseAffine().transformPoint(target);
  const float l1 = rig.upperLeg, l2 = rig.lowerLeg;
  float dist = std::sqrt(h.x * h.x + h.z * h.z);
  dist = std::fmin(std::fmax(dist, std::fabs(l1 - l2) + 0.01f), l1 + l2 - 0.01f);
  const float phi = std::atan2(-h.z, h.x);
  float cosB = (dist * dist - l1 * l1 - l2 * l2) / (2 * l1 * l2);
  cosB = std::fmin(1.0f, std::fmax(-1.0f, cosB));
  const float b = std::acos(cosB) * (leg.hind ? -1.0f : 1.0f);
  const float a = phi - std::atan2(l2 * std::sin(b), l1 + l2 * std::cos(b));
  pose->rot[leg.upper] = vec3(0, a, 0);
  pose->rot[leg.lower] = vec3(0, b, 0);
}

void PlantFeet(Pose* pose) {
  for (const Leg& leg : kLegs) ReachFoot(pose, leg, RestFoot(leg));
}

// Folds the legs by fixed angles (airborne poses): the upper bone swings
// by `upper` (positive: hoof backward), the lower by `lower`.
void FoldLeg(Pose* pose, const Leg& leg, float upper, float lower) {
  pose->rot[leg.upper] = vec3(0, upper, 0);
  pose->rot[leg.lower] = vec3(0, lower, 0);
}

// Hoof offset along a stepping cycle: on the ground for `stance` of the
// cycle, sliding back by `stride`, then lifted forward in an arc.
vec3 StepOffset(float phase, float stance, float stride, float lift) {
  phase -= std::floor(phase);
  if (phase < stance) return vec3(stride * (0.5f - phase / stance), 0, 0);
  const float s = (phase - stance) / (1 - stance);
  return vec3(stride * (s - 0.5f), 0, lift * std::sin(s * kPi));
}

// Wing delta rotation that turns the bind (folded) wing into the frame
// whose span axis is `span` and leading edge `lead` (spine space).
vec3 WingDelta(int bone, const vec3& span, const vec3& lead) {
  const vec3 x = normalize(span);
  const vec3 y = normalize(lead - x * dot(lead, x));
  mat4 want, rest;
  want.fromAxes(x, y, cross(x, y));
  rest.fromEuler(GetRig().bones[bone].rot, vec3());
  return rest.inverseAffine().mulAffine(want).toEuler();
}

// Spreads the wings: `open` 0 keeps them folded, 1 straight out; `beat` is
// the stroke angle (radians, positive up).
void Wings(Pose* pose, float open, float beat) {
  const Rig& rig = GetRig();
  for (int side = 0; side < 2; ++side) {
    const int bone = side ? kRWing : kLWing;
    const float s = side ? -1.0f : 1.0f;
    const mat4& bind = rig.bind[bone];
    const vec3 foldedSpan = bind.column(0), foldedLead = bind.column(1);
    const vec3 spreadSpan(0.1f, s * std::cos(beat), std::sin(beat));
    const vec3 spreadLead(1, 0, 0);
    pose->rot[bone] =
        WingDelta(bone, lerp(foldedSpan, spreadSpan, open), lerp(foldedLead, spreadLead, open));
  }
}

void Tail(Pose* pose, float lift, float sway) {
  pose->rot[kTail] = vec3(0, -lift, sway);
}

void Stand(float p, Pose* pose) {
  const float breath = std::sin(p * kTwoPi);
  pose->rootShift = vec3(0, 0, kKneeSlack + 0.08f * breath);
  pose->rot[kSpine] = vec3(0, -0.02f * breath, 0);
  pose->rot[kNeck1] = vec3(0, 0.03f * breath, 0);
  pose->rot[kHead] = vec3(0, -0.04f * breath, 0.05f * std::sin(p * kTwoPi * 2));
  Tail(pose, 0.1f, 0.12f * std::sin(p * kTwoPi));
  Wings(pose, 0.04f + 0.03f * breath, 0);
  PlantFeet(pose);
}

void StandShift(float p, Pose* pose) {
  const float sway = std::sin(p * kTwoPi);
  pose->rootShift = vec3(0, 0.3f * sway, kKneeSlack - 0.1f + 0.06f * std::sin(p * kTwoPi * 2));
  pose->rot[kRoot] = vec3(-0.05f * sway, 0, 0);
  pose->rot[kNeck1] = vec3(0, 0, 0.12f * sway);
  pose->rot[kHead] = vec3(0.22f * std::sin(p * kTwoPi + 1), -0.05f, 0);
  Tail(pose, 0.25f, 0.45f * std::sin(p * kTwoPi * 2));
  Wings(pose, 0.05f, 0);
  PlantFeet(pose);
  // The right front hoof paws the ground once per loop.
  const float paw =
      std::fmax(0.0f, std::sin((p - 0.55f) * kTwoPi * 2.5f)) * (p > 0.55f && p < 0.95f);
  ReachFoot(pose, kLegs[1], RestFoot(kLegs[1]) + vec3(0.5f * paw, 0, 1.1f * paw));
}

void Walk(float p, Pose* pose) {
  pose->rootShift = vec3(0, 0, kKneeSlack - 0.15f + 0.15f * std::cos(p * kTwoPi * 2));
  pose->rot[kRoot] = vec3(0.03f * std::sin(p * kTwoPi), 0, 0);
  pose->rot[kNeck1] = vec3(0, 0.06f * std::sin(p * kTwoPi * 2), 0);
  pose->rot[kHead] = vec3(0, -0.05f * std::sin(p * kTwoPi * 2), 0);
  Tail(pose, 0.2f, 0.2f * std::sin(p * kTwoPi));
  Wings(pose, 0.05f, 0);
  const float offsets[4] = {0.25f, 0.75f, 0.0f, 0.5f};
  for (int i = 0; i < 4; ++i)
    ReachFoot(pose, kLegs[i], RestFoot(kLegs[i]) + StepOffset(p + offsets[i], 0.65f, 2.2f, 1.0f));
}

void Run(float p, Pose* pose) {
  // A gallop: hind pair lands, then the front pair, then a moment of flight.
  const float c = std::cos(p * kTwoPi);
  pose->rootShift = vec3(0, 0, 0.5f + 0.5f * std::sin(p * kTwoPi + 0.6f));
  pose->rot[kRoot] = vec3(0, 0.12f * c, 0);
  pose->rot[kNeck1] = vec3(0, 0.35f - 0.15f * c, 0);
  pose->rot[kHead] = vec3(0, 0.1f * c, 0);
  Tail(pose, 0.9f + 0.15f * c, 0.05f * std::sin(p * kTwoPi));
  Wings(pose, 0.12f, 0);
  const float offsets[4] = {0.5f, 0.42f, 0.1f, 0.0f};
  for (int i = 0; i < 4; ++i)
    ReachFoot(pose, kLegs[i], RestFoot(kLegs[i]) + StepOffset(p + offsets[i], 0.38f, 4.2f, 2.0f));
}

void Land(float p, Pose* pose) {
  const float crouch = std::sin(p * kPi);
  pose->rootShift = vec3(-0.2f * crouch, 0, kKneeSlack - 1.3f * crouch);
  pose->rot[kRoot] = vec3(0, 0.08f * crouch, 0);
  pose->rot[kNeck1] = vec3(0, 0.25f * crouch, 0);
  pose->rot[kHead] = vec3(0, -0.2f * crouch, 0);
  Tail(pose, 0.3f * crouch, 0);
  Wings(pose, 0.25f * crouch, 0.4f * crouch);
  PlantFeet(pose);
}

void JumpAir(float p, Pose* pose) {
  const float s = std::sin(p * kTwoPi);
  pose->rot[kNeck1] = vec3(0, -0.1f, 0);
  pose->rot[kHead] = vec3(0, 0.1f + 0.05f * s, 0);
  Tail(pose, 0.6f + 0.1f * s, 0.1f * s);
  Wings(pose, 0.35f, 0.5f + 0.1f * s);
  FoldLeg(pose, kLegs[0], -0.9f + 0.05f * s, 1.9f);
  FoldLeg(pose, kLegs[1], -0.8f - 0.05f * s, 1.8f);
  FoldLeg(pose, kLegs[2], -0.5f, -1.1f + 0.05f * s);
  FoldLeg(pose, kLegs[3], -0.45f, -1.0f - 0.05f * s);
}

void JumpAirFast(float p, Pose* pose) {
  const float s = std::sin(p * kTwoPi);
  pose->rot[kNeck1] = vec3(0, 0.45f, 0);
  pose->rot[kHead] = vec3(0, -0.25f, 0);
  Tail(pose, 1.3f, 0.08f * s);
  Wings(pose, 0.2f, 0.2f);
  FoldLeg(pose, kLegs[0], -1.25f + 0.05f * s, 0.35f);
  FoldLeg(pose, kLegs[1], -1.15f - 0.05f * s, 0.3f);
  FoldLeg(pose, kLegs[2], 1.15f, -0.25f + 0.05f * s);
  FoldLeg(pose, kLegs[3], 1.1f, -0.2f - 0.05f * s);
}

void Fly(float p, Pose* pose) {
  const float c = std::cos(p * kTwoPi);
  pose->rootShift = vec3(0, 0, -0.35f * std::cos(p * kTwoPi + 0.8f));
  pose->rot[kNeck1] = vec3(0, 0.1f, 0);
  pose->rot[kHead] = vec3(0, -0.05f + 0.04f * c, 0);
  Tail(pose, 0.7f, 0.1f * std::sin(p * kTwoPi));
  Wings(pose, 1.0f, 0.2f + 0.6f * c);
  FoldLeg(pose, kLegs[0], -0.35f, 0.9f + 0.1f * c);
  FoldLeg(pose, kLegs[1], -0.3f, 0.85f + 0.1f * c);
  FoldLeg(pose, kLegs[2], 0.35f, -0.45f);
  FoldLeg(pose, kLegs[3], 0.3f, -0.4f);
}

void FlyFast(float p, Pose* pose) {
  const float c = std::cos(p * kTwoPi);
  pose->rootShift = vec3(0, 0, -0.25f * std::cos(p * kTwoPi + 0.8f));
  pose->rot[kNeck1] = vec3(0, 0.55f, 0);
  pose->rot[kHead] = vec3(0, -0.35f, 0);
  Tail(pose, 1.4f, 0.05f * std::sin(p * kTwoPi));
  Wings(pose, 0.95f, 0.15f + 0.75f * c);
  FoldLeg(pose, kLegs[0], 0.2f, 1.9f);
  FoldLeg(pose, kLegs[1], 0.25f, 1.85f);
  FoldLeg(pose, kLegs[2], 1.3f, -0.1f);
  FoldLeg(pose, kLegs[3], 1.25f, -0.1f);
}

// Turning on the spot toward +Y (side 1, left) or -Y (side -1): the head
// leads, the front hooves step toward the turn and the hind ones away.
void Turn(float p, Pose* pose, float side) {
  pose->rootShift = vec3(0, 0, kKneeSlack - 0.2f + 0.1f * std::cos(p * kTwoPi * 2));
  pose->rot[kRoot] = vec3(0, 0, 0.12f * side);
  pose->rot[kNeck1] = vec3(0, 0, 0.35f * side);
  pose->rot[kHead] = vec3(-0.12f * side, 0, 0.3f * side);
  Tail(pose, 0.2f, -0.35f * side);
  Wings(pose, 0.05f, 0);
  const float offsets[4] = {0.0f, 0.5f, 0.5f, 0.0f};
  for (int i = 0; i < 4; ++i) {
    const vec3 step = StepOffset(p + offsets[i], 0.5f, 0.8f, 1.0f);
    const float sideways = (kLegs[i].hind ? -0.6f : 0.6f) * side * (step.z > 0 ? 1.0f : 0.0f);
    ReachFoot(pose, kLegs[i], RestFoot(kLegs[i]) + vec3(step.x * 0.3f, sideways, step.z));
  }
}

void TurnLeft(float p, Pose* pose) {
  Turn(p, pose, 1);
}
void TurnRight(float p, Pose* pose) {
  Turn(p, pose, -1);
}
}  // namespace

const std::vector<ClipSpec>& ClipSpecs() {
  static const std::vector<ClipSpec> specs = {
      {"bin\\stand.Anim", 41, 10, Stand},     {"bin\\stand_s.Anim", 49, 12, StandShift},
      {"bin\\hwalk.Anim", 17, 8, Walk},       {"bin\\run.Anim", 11, 10, Run},
      {"bin\\jump_air.Anim", 21, 5, JumpAir}, {"bin\\jump_airf.Anim", 21, 5, JumpAirFast},
      {"bin\\jump_land.Anim", 7, 6, Land},    {"bin\\fly.Anim", 13, 12, Fly},
      {"bin\\ffly.Anim", 11, 10, FlyFast},    {"bin\\Lturn.Anim", 13, 12, TurnLeft},
      {"bin\\Rturn.Anim", 13, 12, TurnRight},
  };
  return specs;
}

Pose ClipPose(const ClipSpec& def, float phase) {
  Pose pose;
  def.pose(phase, &pose);
  return pose;
}

bool BuildClip(const ClipSpec& def, CAnim* clip) {
  const char* kSource = "tools\\content";
  clip->Clear();
  clip->frames = def.frames;
  clip->boneCount = kBoneTotal;
  if (!ResizeArray(clip->tracks, kBoneTotal, kSource, __LINE__, "BuildClip") ||
      !ResizeObjects(clip->trackName, 0, kBoneTotal, kSource, __LINE__, "BuildClip"))
    return false;
  const int n = def.keys;
  const uint32_t step = (def.frames - 1) / static_cast<uint32_t>(n);
  std::vector<Pose> poses;
  for (int k = 0; k < n; ++k) poses.push_back(ClipPose(def, static_cast<float>(k) / n));
  for (int b = 0; b < kBoneTotal; ++b) {
    clip->trackName[b].assign(GetRig().bones[b].name);
    AnimTrack& t = clip->tracks[b];
    t = AnimTrack();
    // Every bone gets full key lists, even a still one: a clip must pull
    // every bone back to its own pose when it takes over from another.
    if (!ResizeArray(t.posKeys, n, kSource, __LINE__, "BuildClip") ||
        !ResizeArray(t.posTimes, n, kSource, __LINE__, "BuildClip") ||
        !ResizeArray(t.rotKeys, n, kSource, __LINE__, "BuildClip") ||
        !ResizeArray(t.rotTimes, n, kSource, __LINE__, "BuildClip") ||
        !ResizeArray(t.scaleKeys, 1, kSource, __LINE__, "BuildClip") ||
        !ResizeArray(t.scaleTimes, 1, kSource, __LINE__, "BuildClip"))
      return false;
    t.posCount = t.rotCount = static_cast<uint16_t>(n);
    t.scaleCount = 1;
    t.scaleKeys[0] = vec3(1, 1, 1);
    t.scaleTimes[0] = 1;
    for (int k = 0; k < n; ++k) {
      const float time = static_cast<float>(1 + step * k);
      t.posTimes[k] = t.rotTimes[k] = time;
      t.posKeys[k] = b == kRoot ? poses[k].rootShift : vec3();
      t.rotKeys[k] = poses[k].rot[b];
    }
  }
  return true;
}
