// SPlayer::LookAt: the neck and head turn toward a point.
#include <algorithm>
#include <cmath>

#include "core/input_tables.h"
#include "game/player.h"

namespace {
constexpr int kKeyControl = 11;

// Global rest matrix of `bone` from the current rest rotations and positions.
mat4 RestGlobal(const Model& body, int bone) {
  mat4 local;
  local.fromEuler(body.restRot[bone], body.restPos[bone]);
  const int parent = body.mesh->boneParent[bone];
  if (parent < 0 || parent >= bone) return local;
  return RestGlobal(body, parent).mulAffine(local);
}

// Pitch and yaw (radians) of `target` (body space) seen from the bone's origin.
void AnglesTo(const Model& body, int bone, const vec3& target, float* pitch, float* yaw) {
  const mat4 g = RestGlobal(body, bone);
  const vec3 d = target - vec3(g.m[12], g.m[13], g.m[14]);
  *yaw = std::atan2(d.y, d.x);
  *pitch = std::atan2(-d.z, std::sqrt(d.x * d.x + d.y * d.y));
}

// Sets the bone's rest rotation so that it faces (pitch, yaw) in body space,
// less the pitch at which the bone sits in the rest pose.
void Aim(Model& body, int bone, float pitch, float yaw, float restPitch) {
  mat4 parentInverse;
  const int parent = body.mesh->boneParent[bone];
  if (parent >= 0 && parent < bone) parentInverse = RestGlobal(body, parent).inverseAffine();
  mat4 aim, rest;
  aim.fromEuler(vec3(0, pitch, yaw), vec3());
  rest.fromEuler(vec3(0, restPitch, 0), vec3());
  body.restRot[bone] = parentInverse.mulAffine(aim).mulAffine(rest.inverseAffine()).toEuler();
}
}  // namespace

mat4 BodyPlacement(const Model& body) {
  mat4 w;
  w.fromEuler(vec3(DegToRad(body.angles.x), DegToRad(body.angles.y), DegToRad(body.angles.z)),
              body.position);
  return w;
}

void SPlayer::LookAt(const vec3& target) {
  // Control+Y is the strand editor's redo, not a held "y".
  if ((g_keys['y'] && !g_keys[kKeyControl]) || !body.mesh || !body.restRot) return;
  const vec3 t = BodyPlacement(body).inverseAffine().transformPoint(target);
  float yaw1 = 0;
  if (neck1Bone >= 0) {
    float pitch1;
    AnglesTo(body, neck1Bone, t, &pitch1, &yaw1);
    yaw1 = std::min(0.7853982f, std::max(-0.7853982f, yaw1));
    pitch1 = std::min(3.1415927f, std::max(-0.31415927f, pitch1));
    Aim(body, neck1Bone, pitch1, yaw1, 1.2566371f);
  }
  if (headBone >= 0) {
    float pitch2, yaw2;
    AnglesTo(body, headBone, t, &pitch2, &yaw2);
    yaw2 = std::min(1.5707964f, std::max(-1.5707964f, yaw2));
    pitch2 = std::min(1.2566371f, std::max(-1.2566371f, pitch2));
    if ((yaw1 < 0 && yaw2 > 0) || (yaw1 > 0 && yaw2 < 0)) yaw2 = 0;  // no twisted neck
    Aim(body, headBone, pitch2, yaw2, 0.08726647f);
  }
}
