// SPlayer::Collide: moving a character through the trees, the map and the
// cloud, snapped to the ground while grounded, sliding while airborne.
#include "core/input_tables.h"
#include "core/timer.h"
#include "environment/terrain.h"
#include "game/player.h"

namespace {
// Asks the trees (in order), the map, then the cloud until `query` reports a
// hit. Models without a mesh are skipped.
template <class Query>
bool FirstHit(Model& map, Model* cloud, Query query) {
  for (uint32_t i = 0; i < g_treeCount; ++i)
    if (g_trees[i].mesh && query(g_trees[i])) return true;
  if (map.mesh && query(map)) return true;
  return cloud && cloud->mesh && query(*cloud);
}
}  // namespace

void SPlayer::Collide(Model& map, Model* cloud) {
  const float dt = g_timer.frameTime;
  const float r = body.radius;
  body.UpdateMatrix();

  if (grounded || touched) {
    touched = false;
    // The probe starts one frame's step ahead: while grounded the velocity
    // holds that step whole, after an airborne touch it is per second.
    const vec3 o = body.position + (grounded ? velocity : velocity * dt);
    const vec3 d = body.world.column(2) * -r;
    float t = 1;
    vec3 hit, normal;
    touched = FirstHit(map, cloud, [&](Model& m) { return m.RayCast(o, d, hit, normal, t); });
    if (touched && t > -1 && t < 1) {
      if (!grounded) {
        grounded = true;
        SetClip(clipLand);
        if (CAnim* land = Clip(clipLand)) land->time = 3.0f;
        if (rootBone >= 0) body.restRot[rootBone].y = 0;
      }
      body.position = hit;
      up = normal;
      velocity = vec3();
      return;
    }
  }
  // Leaving the ground, the step the movement code stored becomes a speed
  // again: the character goes on off the edge instead of dropping on the
  // spot with a fiftieth of it.
  if (grounded && dt > 0) velocity = velocity / dt;
  grounded = false;
  touched = false;

  if (index != 3) {  // up rises back toward +Z in the air
    up.z += 0.8f * dt;
    up.normalize();
  }
  if (!InClip(clipFly) && !InClip(clipFlyFast)) velocity -= body.angles.anglesUp() * (100 * dt);

  vec3 s = velocity * dt;
  const float unslid = length(s);
  float t = 1;
  vec3 point, contactNormal;
  touched = FirstHit(map, cloud, [&](Model& m) {
    return m.SweepSphere(body.worldCenter, s, r, point, contactNormal, t);
  });
  if (length(s) > unslid) s = velocity * dt;

  if (!touched && index == 3) {
    // Within reach of a surface, the left button turns up toward it.
    float best = 2000;
    vec3 normal;
    for (uint32_t i = 0; i < g_treeCount; ++i)
      if (g_trees[i].mesh) g_trees[i].ClosestPoint(body.worldCenter, best, normal);
    if (map.mesh) map.ClosestPoint(body.worldCenter, best, normal);
    if (cloud && cloud->mesh) cloud->ClosestPoint(body.worldCenter, best, normal);
    if (g_mouseLeft && best < 1000) {
      up += (normal - up) * (dt * 8);
      up.normalize();
    }
  }

  // Arriving at a surface, stop on it; next frame's probe snaps the character
  // down. A sphere that already reached into the surface (as the body's
  // sphere reaches into the ground it stands on) has not arrived: it moves
  // on, or at the end of the ground, with nothing beyond for the probe, the
  // character would be put back on the last ground forever.
  const bool arrived = dot(body.worldCenter - point, contactNormal) >= r;
  if (touched && arrived && dot(s, contactNormal) < 0) {
    up = contactNormal;
    velocity = vec3();
    return;
  }
  // A zero frame time keeps the velocity instead of dividing by zero.
  if (dt > 0) velocity = s / dt;
  body.position += s;
}
