#include "render/eyes.h"

#include <algorithm>
#include <cmath>

#include "core/scramble.h"
#include "game/player.h"

namespace {
mat4 Scale(float x, float y, float z) {
  mat4 s;
  s.m[0] = x;
  s.m[5] = y;
  s.m[10] = z;
  return s;
}

mat4 Rotation(float roll, float pitch, float yaw) {
  mat4 r;
  r.fromEuler(vec3(roll, pitch, yaw), vec3());
  return r;
}

// The ball and the lid are stretched along axes tilted back and down from
// the bone's; "u" (wide) tilts them further.
mat4 Tilted(const mat4& stretch, bool wide) {
  const float k = wide ? 40.0f : 30.0f;
  const mat4 p = Rotation(0, -0.34906587f, -k * kPi * kInv180);
  return p.mulAffine(stretch).mulAffine(p.inverseAffine());
}

float MiddleScale(bool wide) {
  return wide ? 0.8f : 1.0f;
}
}  // namespace

mat4 EyeFrame(const Model& body, int bone, int side) {
  const mat4 global = body.boneMatrix[bone].mulAffine(body.invBind[bone].inverseAffine());
  mat4 mirror;
  mirror.m[5] = side ? 1.0f : -1.0f;
  return BodyPlacement(body).mulAffine(global).mulAffine(mirror);
}

vec3 GazeAngles(const mat4& eyeFrame, const vec3& target) {
  const vec3 t = eyeFrame.inverseAffine().transformPoint(target);
  const float yaw = std::clamp(std::atan2(t.y, t.x), kGazeYawMin, kGazeYawMax);
  const float pitch =
      std::clamp(std::atan2(-t.z, std::sqrt(t.x * t.x + t.y * t.y)), kGazePitchMin, kGazePitchMax);
  return vec3(0, pitch, yaw);
}

void AdvanceBlink(float* timer, float dt) {
  *timer += 5.0f * dt;
  if (*timer > 2.0f) *timer = -(3.0f + 20.0f * std::fabs(RandomSigned()));
}

float BlinkClosure(float timer) {
  if (timer <= 0) return 0;
  if (timer <= 1.0f) return timer;
  return std::max(0.0f, 2.0f - timer);
}

float LidAngle(float pitchRadians, float closure, bool sleepy) {
  const float base = 20.0f + pitchRadians * 180.0f * kInvPi;
  return sleepy ? base + 60.0f + 80.0f * closure : base + 160.0f * closure;
}

mat4 EyeballMatrix(const mat4& eyeFrame, const vec3& angles, bool wide, mat4* gaze) {
  gaze->fromEuler(angles, wide ? vec3(0.1f, 0.1f, 0) : vec3());
  return eyeFrame.mulAffine(Tilted(Scale(1.19f, MiddleScale(wide), 1.6f), wide)).mulAffine(*gaze);
}

mat4 LidMatrix(const mat4& eyeFrame, float lidAngle, int index, bool wide) {
  const float a = std::clamp(lidAngle, 20.0f, 180.0f);
  const mat4 opening = Rotation(-a * kPi * kInv180, 0.08726647f, -0.7853982f);
  // Each character holds its lids at its own slant.
  static const float kTiltYaw[3] = {0.13962634f, -0.17453294f, 0.08726647f};
  const mat4 tilt = index >= 0 && index < 3 ? Rotation(0, -0.08726647f, kTiltYaw[index]) : mat4();
  const mat4 upright = Rotation(0, 1.5707964f, 0);
  return eyeFrame.mulAffine(Tilted(Scale(1.2f, MiddleScale(wide) + 0.01f, 1.61f), wide))
      .mulAffine(opening)
      .mulAffine(tilt)
      .mulAffine(upright);
}

void LidEdge(vec3 out[kLidEdgePoints]) {
  for (int j = 0; j < kLidEdgePoints; ++j) {
    const float a = static_cast<float>(j) * kPi * 0.03448276f;
    out[j] = vec3(-std::sin(a), 0, -std::cos(a));
  }
}

void Lashes(vec3 out[kLashPoints]) {
  struct Lash {
    float angle, middle, tip, tipY;
  };
  static const Lash kLashes[3] = {
      {0.10833078f, 1.2f, 1.4f, -0.017452406f * 1.4f},  // sin of one degree
      {0.32499235f, 1.15f, 1.3f, 0},
      {0.54165392f, 1.1f, 1.2f, 0},
  };
  for (int i = 0; i < 3; ++i) {
    const Lash& l = kLashes[i];
    const float s = std::sin(l.angle), c = std::cos(l.angle);
    const vec3 base(-s, 0, -c);
    const vec3 middle((0.05f - s) * l.middle, 0, -c * l.middle);
    const vec3 tip((0.05f - s) * l.tip, l.tipY, -c * l.tip);
    vec3* seg = out + 4 * i;
    seg[0] = base;
    seg[1] = middle;
    seg[2] = middle;
    seg[3] = tip;
  }
}
