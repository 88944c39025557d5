#include "environment/sparkles.h"

#include <GL/gl.h>

#include <cmath>

#include "core/bench.h"
#include "core/growth.h"
#include "core/scramble.h"
#include "resources/manager.h"

Sparkles g_sparkles;

namespace {
constexpr float kTerminalPull = 100;  // gravity; with the drag the fall tends to 200
constexpr float kPullRadius = 100;
constexpr float kRespawnDistance = 500;

// A colour in [0, 1) from three draws, the last draw going to red.
vec3 RandomColour() {
  const float d1 = RandomSigned(), d2 = RandomSigned(), d3 = RandomSigned();
  return vec3((d3 + 1) * 0.5f, (d2 + 1) * 0.5f, (d1 + 1) * 0.5f);
}

// Beyond `limit`, skipping a zero or non-finite distance.
bool FartherThan(const vec3& v, float limit) {
  const float s = dot(v, v);
  return s != 0.0f && std::isfinite(s) && std::sqrt(s) > limit;
}

// Mirrors the step about the surface of the first tree it crosses, else the
// map's.
void Bounce(const SparkleWorld& world, const vec3& p, vec3& step) {
  const vec3 origin = p + step;
  vec3 hit, normal;
  float t = 1.0f;
  bool found = false;
  for (uint32_t k = 0; k < world.treeCount && !found; ++k)
    found = world.trees[k].RayCast(origin, step, hit, normal, t);
  if (!found && world.map) found = world.map->RayCast(origin, step, hit, normal, t);
  if (found) step = step - normal * (2 * dot(step, normal));
}

// A point 500 units from the eye, above it and around it in the character's
// frame, falling at 150..350 with sideways speeds within 50.
void Respawn(const SparkleWorld& world, vec3& p, vec3& v) {
  const vec3 f0 = world.characterFrame.column(0), f1 = world.characterFrame.column(1),
             f2 = world.characterFrame.column(2);
  const float d1 = RandomSigned(), d2 = RandomSigned();
  const float a = d2, b = d1;
  const float w = kRespawnDistance / std::sqrt(a * a + b * b + 1);
  p = world.eye + f0 * (a * w) + f1 * (b * w) + f2 * w;
  const float d3 = RandomSigned(), d4 = RandomSigned(), d5 = RandomSigned();
  v = f0 * (d5 * 0.1f * -kRespawnDistance) + f1 * (d4 * 0.1f * -kRespawnDistance) +
      f2 * ((d3 * 0.2f + 0.5f) * -kRespawnDistance);
}
}  // namespace

void Sparkles::Init(uint32_t n) {
  count = 0;
  const bool ok = ResizeArray(pos, n, "Sparkles", __LINE__, "Sparkles::Init") &&
                  ResizeArray(vel, n, "Sparkles", __LINE__, "Sparkles::Init") &&
                  ResizeArray(color, n, "Sparkles", __LINE__, "Sparkles::Init");
  if (!ok) {
    Release();
    return;
  }
  count = n;
  for (uint32_t i = 0; i < count; ++i) {
    const vec3 c = normalize(RandomColour());
    color[i] = c;
    pos[i] = c * 200.0f;
    vel[i] = pos[i];
  }
  halfSize = 1.0f;
  texture = 0;
}

void Sparkles::Release() {
  ResizeArray(pos, 0, "Sparkles", __LINE__, "Sparkles::Release");
  ResizeArray(vel, 0, "Sparkles", __LINE__, "Sparkles::Release");
  ResizeArray(color, 0, "Sparkles", __LINE__, "Sparkles::Release");
  count = 0;
}

void Sparkles::Update(const SparkleWorld& world) {
  BenchScope scope("sparkles.move");
  const float dt = world.dt;
  const vec3 g = world.characterFrame.column(2) * -kTerminalPull;
  const vec3 gd = normalize(g);
  for (uint32_t i = 0; i < count; ++i) {
    vec3 p = pos[i], v = vel[i];
    const float d = dot(v, gd);
    v += (g - gd * d * 0.5f) * dt;
    if (world.pull) {
      const vec3 t = world.characterPos - p;
      if (FartherThan(t, kPullRadius)) v += (t - v * 0.5f) * dt;
    }
    vec3 step = v * dt;
    Bounce(world, p, step);
    // Without time passing there is no step to turn back into a velocity.
    if (dt != 0) v = step / dt;
    p += step;
    if (FartherThan(p - world.eye, kRespawnDistance)) Respawn(world, p, v);
    pos[i] = p;
    vel[i] = v;
  }
}

void Sparkles::Draw(const vec3& cameraAngles) {
  glDisable(GL_LIGHTING);
  uint32_t t = texture;
  if ((t == 0 || t > static_cast<uint32_t>(g_manager.texCount) + 1) && g_manager.textures)
    t = g_manager.textures[0].glId;
  if (t != g_manager.boundTex) {
    glBindTexture(GL_TEXTURE_2D, t);
    g_manager.boundTex = t;
  }
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);

  // The camera's left and up axes: the quads face the camera.
  mat4 camera;
  camera.fromEuler(
      vec3(DegToRad(cameraAngles.x), DegToRad(cameraAngles.y), DegToRad(cameraAngles.z)), vec3());
  const vec3 a = camera.column(1) * halfSize, b = camera.column(2) * halfSize;
  for (uint32_t i = 0; i < count; ++i) {
    const vec3 c = i == 0 ? RandomColour() : color[i];
    const vec3& p = pos[i];
    glColor3f(c.x, c.y, c.z);
    glBegin(GL_QUADS);
    const vec3 corners[4] = {p - a - b, p + a - b, p + a + b, p - a + b};
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int k = 0; k < 4; ++k) {
      glTexCoord2f(uv[k][0], uv[k][1]);
      glVertex3f(corners[k].x, corners[k].y, corners[k].z);
    }
    glEnd();
  }
  glDisable(GL_BLEND);
}
