#include "environment/sparkles.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "core/scramble.h"
#include "support/gl_context.h"
#include "support/test_character.h"

namespace {
uint32_t Steps(uint32_t state, int n) {
  for (int i = 0; i < n; ++i) state *= 16807u;
  return state;
}

// The colour three draws after `state` give: the third draw is red, the first blue.
vec3 Colour(uint32_t state) {
  return vec3(RandomToFloat(Steps(state, 3)) + 1, RandomToFloat(Steps(state, 2)) + 1,
              RandomToFloat(Steps(state, 1)) + 1) *
         0.5f;
}

// One sparkle at p moving at v, moved `frames` times.
vec3 Moved(const SparkleWorld& world, vec3* p, const vec3& v, int frames = 1) {
  Sparkles s;
  s.Init(1);
  s.pos[0] = *p, s.vel[0] = v;
  for (int i = 0; i < frames; ++i) s.Update(world);
  const vec3 out = s.vel[0];
  *p = s.pos[0], s.Release();
  return out;
}
}  // namespace

TEST(Sparkles, FallTowards200PullBeyond100BounceAndStandStillWithoutTime) {
  SparkleWorld world;
  world.dt = 0.02f;
  world.characterFrame.fromAxes(vec3(0, 0, 1), vec3(0, 1, 0), vec3(1, 0, 0));  // up is +X
  world.eye = vec3(INFINITY, 0, 0);  // an infinite distance respawns nothing
  for (const float start : {0.0f, -600.0f}) {
    vec3 p;
    ExpectNear(Moved(world, &p, vec3(start, 0, 0), 1000), vec3(-200, 0, 0), 0.5f);
  }
  // The pull adds (t - V/2) dt, t = 300 along x, after the fall has acted on V.
  world = SparkleWorld();
  world.dt = 0.01f, world.pull = true, world.characterPos = vec3(300, 0, 0);
  vec3 p, q(250, 0, 0);
  ExpectNear(Moved(world, &p, vec3()), vec3(3, 0, -0.995f), 1e-4f);
  ExpectNear(Moved(world, &q, vec3()), vec3(0, 0, -1), 1e-5f);  // 50 units away: no pull

  // Falling onto the map: the velocity and the step come out mirrored.
  TestBox ground(vec3(-1000, -1000, -5), vec3(1000, 1000, 5)),
      tree(vec3(100, -5, 0), vec3(110, 5, 10));
  world = SparkleWorld();
  world.dt = 0.02f, world.eye = vec3(50, 0, 20), world.map = &ground.model;
  p = vec3(0, 0, 8);  // the fall makes V (10, 0, -101) before the bounce
  ExpectNear(Moved(world, &p, vec3(10, 0, -100)), vec3(10, 0, 101), 1e-3f);
  ExpectNear(p, vec3(0.2f, 0, 10.02f), 1e-4f);
  // Flying into the tree's side.
  world.trees = &tree.model, world.treeCount = 1;
  p = vec3(98, 0, 5);
  EXPECT_LT(Moved(world, &p, vec3(100, 0, 0)).x, -99);
  EXPECT_LT(p.x, 98);

  world.dt = 0, world.pull = true;  // no time, no move, even pulled, at the eye above the map
  p = world.eye = vec3(0, 0, 5.5f);
  EXPECT_TRUE(Moved(world, &p, vec3(3, 4, -50), 3) == vec3(3, 4, -50) && p == world.eye);
}

TEST(Sparkles, FarSparklesRespawn500UnitsAboveAndAroundTheEye) {
  const vec3 f0(0, 1, 0), f1(-1, 0, 0), f2(0, 0, 1);  // forward, left, up
  SparkleWorld world;
  world.dt = 0.01f, world.eye = vec3(10, 20, 30);
  world.characterFrame.fromAxes(f0, f1, f2);
  const uint32_t state = Steps(g_randState = 12345, 3);  // after the sparkle's colour draws
  vec3 p = world.eye + vec3(600, 0, 0);
  const vec3 v = Moved(world, &p, vec3());
  EXPECT_EQ(g_randState, Steps(state, 5));
  float u[6];
  for (int i = 1; i <= 5; ++i) u[i] = RandomToFloat(Steps(state, i));
  const float a = u[2], b = u[1], w = 500 / std::sqrt(a * a + b * b + 1);
  ExpectNear(p, world.eye + f0 * (a * w) + f1 * (b * w) + f2 * w, 1e-3f);
  ExpectNear(v, f0 * (u[5] * -50) + f1 * (u[4] * -50) + f2 * ((u[3] * 0.2f + 0.5f) * -500), 1e-3f);
}

TEST(Sparkles, InitSpreadsUnitColoursAndDrawFacesTheCameraGivingSparkleZeroAFreshColour) {
  Sparkles s;
  g_randState = 1;
  s.Init(100);
  ASSERT_EQ(s.count, 100u);
  EXPECT_EQ(g_randState, Steps(1, 300));  // three draws a sparkle
  for (uint32_t i = 0; i < s.count; ++i) {
    ExpectNear(s.color[i], normalize(Colour(Steps(1, 3 * i))), 1e-6f);
    ExpectNear(s.pos[i], s.color[i] * 200, 1e-4f);
    EXPECT_EQ(s.vel[i], s.pos[i]);
  }
  EXPECT_EQ(s.halfSize, 1.0f);
  ASSERT_TRUE(EnsureGlContext());
  s.count = 2, s.halfSize = 0.25f;
  s.pos[0] = vec3(), s.pos[1] = vec3(0, -0.6f, 0), s.color[1] = vec3(0.2f, 0.4f, 0.8f);
  // World to window: -Y to the right, +Z up, X into the screen.
  const float view[16] = {0, 0, -1, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1};
  glViewport(0, 0, 64, 64);
  glMatrixMode(GL_PROJECTION), glLoadIdentity();
  glMatrixMode(GL_MODELVIEW), glLoadMatrixf(view);
  glClearColor(0, 0, 0, 0);
  for (GLenum cap : {GL_DEPTH_TEST, GL_CULL_FACE, GL_TEXTURE_2D}) glDisable(cap);
  glEnable(GL_LIGHTING);
  auto pixel = [](int x, int y) {
    uint8_t rgb[3];
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return vec3(rgb[0], rgb[1], rgb[2]) / 255.0f;
  };
  for (int frame = 0; frame < 2; ++frame) {
    glClear(GL_COLOR_BUFFER_BIT);
    const uint32_t state = g_randState;
    // Turned 90 degrees, the camera sees the quads edge-on from here.
    s.Draw(vec3(0, 0, frame ? 90 : 0));
    EXPECT_EQ(g_randState, Steps(state, 3));
    ExpectNear(pixel(32, 32), frame ? vec3() : Colour(state), 1.5f / 255);
    ExpectNear(pixel(51, 32), frame ? vec3() : s.color[1], 1.5f / 255);
    EXPECT_EQ(pixel(32, 50), vec3());  // the quads end at their half size
    EXPECT_FALSE(glIsEnabled(GL_BLEND) || glIsEnabled(GL_LIGHTING));
  }
  s.Release();
}
