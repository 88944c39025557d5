#include "environment/sparkles.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "core/scramble.h"
#include "support/gl_context.h"
#include "support/vec_expect.h"

namespace {
// A box of the given size with its centre at `centre`: a slab for the map,
// a block for a tree.
struct Block {
  Mesh mesh;
  Model model;
  Block(const vec3& size, const vec3& centre) {
    mesh.Init();
    mesh.GenBox(0, 0, 0);
    mesh.Scale(size.x, size.y, size.z);
    mesh.Centre();
    model.Assign(&mesh);
    model.position = centre;
    model.UpdateMatrix();
  }
  ~Block() {
    model.Release();
    mesh.Clear();
  }
};

mat4 Frame(const vec3& forward, const vec3& left, const vec3& up) {
  mat4 m;
  m.fromAxes(forward, left, up);
  return m;
}

uint32_t Steps(uint32_t state, int n) {
  for (int i = 0; i < n; ++i) state *= 16807u;
  return state;
}

// One sparkle at p moving at v.
struct One {
  Sparkles s;
  One(const vec3& p, const vec3& v) {
    s.Init(1);
    s.pos[0] = p;
    s.vel[0] = v;
  }
  ~One() { s.Release(); }
};

}  // namespace

TEST(Sparkles, InitSpreadsUnitColoursAroundTheOrigin) {
  Sparkles empty;
  empty.Init(0);
  EXPECT_EQ(empty.count, 0u);
  empty.Update(SparkleWorld());  // nothing to move

  g_randState = 1;
  Sparkles s;
  s.Init(100);
  ASSERT_EQ(s.count, 100u);
  EXPECT_EQ(s.halfSize, 1.0f);
  EXPECT_EQ(s.texture, 0);
  EXPECT_EQ(g_randState, Steps(1, 300));  // three draws a sparkle
  for (uint32_t i = 0; i < s.count; ++i) {
    EXPECT_NEAR(length(s.color[i]), 1.0f, 1e-5f) << i;
    EXPECT_GE(s.color[i].x, 0);
    EXPECT_GE(s.color[i].y, 0);
    EXPECT_GE(s.color[i].z, 0);
    ExpectNear(s.pos[i], s.color[i] * 200, 1e-4f);
    EXPECT_EQ(s.vel[i], s.pos[i]);
  }
  // The third draw is red, the first blue.
  const vec3 first((RandomToFloat(Steps(1, 3)) + 1) * 0.5f, (RandomToFloat(Steps(1, 2)) + 1) * 0.5f,
                   (RandomToFloat(Steps(1, 1)) + 1) * 0.5f);
  ExpectNear(s.color[0], normalize(first), 1e-6f);
  s.Release();
}

TEST(Sparkles, FallAlongTheCharactersDownTowards200) {
  // The character lies on its side: its up is +X.
  const mat4 frame = Frame(vec3(0, 0, 1), vec3(0, 1, 0), vec3(1, 0, 0));
  for (const float start : {0.0f, -600.0f}) {
    One one(vec3(), vec3(start, 0, 0));
    SparkleWorld world;
    world.dt = 0.02f;
    world.characterFrame = frame;
    for (int i = 0; i < 1000; ++i) {
      world.eye = one.s.pos[0];  // keep it in view
      one.s.Update(world);
    }
    ExpectNear(one.s.vel[0], vec3(-200, 0, 0), 0.5f);
  }
}

TEST(Sparkles, BounceOffTheFirstTreeCrossedElseTheMap) {
  Block ground(vec3(2000, 2000, 10), vec3(0, 0, 0));  // top at z = 5
  Block tree(vec3(10, 10, 10), vec3(105, 0, 5));      // face at x = 100
  SparkleWorld world;
  world.dt = 0.02f;
  world.eye = vec3(50, 0, 20);

  // Falling onto the map: the velocity and the step come out mirrored.
  One free{vec3(0, 0, 8), vec3(10, 0, -100)}, bounced{vec3(0, 0, 8), vec3(10, 0, -100)};
  free.s.Update(world);
  world.map = &ground.model;
  bounced.s.Update(world);
  const vec3 v = free.s.vel[0];
  ExpectNear(bounced.s.vel[0], vec3(v.x, v.y, -v.z), 1e-3f);
  ExpectNear(bounced.s.pos[0], vec3(0, 0, 8) + vec3(v.x, v.y, -v.z) * world.dt, 1e-3f);
  EXPECT_GT(bounced.s.pos[0].z, 5);

  // Flying into the tree's side.
  world.trees = &tree.model;
  world.treeCount = 1;
  One side(vec3(98, 0, 5), vec3(100, 0, 0));
  side.s.Update(world);
  EXPECT_LT(side.s.vel[0].x, -99);
  EXPECT_LT(side.s.pos[0].x, 98);
}

TEST(Sparkles, GIsAPullTowardsTheCharacterBeyond100Units) {
  SparkleWorld world;
  world.dt = 0.01f;
  world.characterPos = vec3(300, 0, 0);
  One still{vec3(), vec3()}, pulled{vec3(), vec3()};
  One near{vec3(250, 0, 0), vec3()}, nearPulled{vec3(250, 0, 0), vec3()};
  still.s.Update(world);
  near.s.Update(world);
  world.pull = true;
  pulled.s.Update(world);
  nearPulled.s.Update(world);
  // (t - V/2) dt with t = 300 along x, after the fall has acted on V.
  EXPECT_NEAR(pulled.s.vel[0].x - still.s.vel[0].x, 3.0f, 1e-4f);
  EXPECT_EQ(nearPulled.s.vel[0], near.s.vel[0]);  // 50 units away: no pull
}

TEST(Sparkles, FarSparklesRespawn500UnitsAboveAndAroundTheEye) {
  // Forward +Y, left -X, up +Z.
  const vec3 f0(0, 1, 0), f1(-1, 0, 0), f2(0, 0, 1);
  SparkleWorld world;
  world.dt = 0.01f;
  world.eye = vec3(10, 20, 30);
  world.characterFrame = Frame(f0, f1, f2);
  One one{vec3(), vec3()};
  float minSide = 1e9f, maxSide = -1e9f, minFall = 1e9f, maxFall = -1e9f;
  for (int i = 0; i < 300; ++i) {
    one.s.pos[0] = world.eye + vec3(600, 0, 0);
    one.s.vel[0] = vec3();
    const uint32_t state = g_randState;
    one.s.Update(world);
    EXPECT_EQ(g_randState, Steps(state, 5));
    const vec3 d = one.s.pos[0] - world.eye, v = one.s.vel[0];
    EXPECT_NEAR(length(d), 500, 0.01f);
    EXPECT_GE(dot(d, f2), 500 / std::sqrt(3.0f) - 0.01f);  // above: a, b lie in [-1, 1)
    EXPECT_LE(std::fabs(dot(d, f0)), dot(d, f2) + 0.01f);
    EXPECT_LE(std::fabs(dot(d, f1)), dot(d, f2) + 0.01f);
    EXPECT_LE(std::fabs(dot(v, f0)), 50);
    EXPECT_LE(std::fabs(dot(v, f1)), 50);
    EXPECT_GT(-dot(v, f2), 150 - 1e-3f);
    EXPECT_LE(-dot(v, f2), 350);
    minSide = std::fmin(minSide, dot(d, f0));
    maxSide = std::fmax(maxSide, dot(d, f0));
    minFall = std::fmin(minFall, -dot(v, f2));
    maxFall = std::fmax(maxFall, -dot(v, f2));
  }
  // The draws spread over the whole ranges.
  EXPECT_LT(minSide, -200);
  EXPECT_GT(maxSide, 200);
  EXPECT_LT(minFall, 170);
  EXPECT_GT(maxFall, 330);

  // Within 500 nothing is redrawn.
  one.s.pos[0] = world.eye + vec3(0, 0, 400);
  const uint32_t state = g_randState;
  one.s.Update(world);
  EXPECT_EQ(g_randState, state);
}

TEST(Sparkles, AFrameTimeOfZeroLeavesEverythingAsItWas) {
  Block ground(vec3(2000, 2000, 10), vec3(0, 0, 0));
  SparkleWorld world;
  world.map = &ground.model;
  world.pull = true;
  world.characterPos = vec3(0, 0, 300);
  world.eye = vec3(0, 0, 5.5f);
  One one(vec3(0, 0, 5.5f), vec3(3, 4, -50));  // just above the map, at the eye
  for (int i = 0; i < 3; ++i) one.s.Update(world);
  EXPECT_EQ(one.s.vel[0], vec3(3, 4, -50));
  EXPECT_EQ(one.s.pos[0], vec3(0, 0, 5.5f));
}

TEST(Sparkles, DrawFacesTheCameraAndGivesSparkleZeroAFreshColour) {
  ASSERT_TRUE(EnsureGlContext());
  Sparkles s;
  s.Init(2);
  s.halfSize = 0.25f;
  s.pos[0] = vec3();
  s.pos[1] = vec3(0, -0.6f, 0);
  s.color[1] = vec3(0.2f, 0.4f, 0.8f);
  // World to window: -Y to the right, +Z up, X into the screen.
  const float view[16] = {0, 0, -1, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1};
  glViewport(0, 0, 64, 64);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(view);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_LIGHTING);
  auto pixel = [](int x, int y) {
    uint8_t rgb[3];
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return vec3(rgb[0] / 255.0f, rgb[1] / 255.0f, rgb[2] / 255.0f);
  };

  for (int frame = 0; frame < 2; ++frame) {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    const uint32_t state = g_randState;
    s.Draw(vec3());
    EXPECT_EQ(g_randState, Steps(state, 3));
    const vec3 expected((RandomToFloat(Steps(state, 3)) + 1) * 0.5f,
                        (RandomToFloat(Steps(state, 2)) + 1) * 0.5f,
                        (RandomToFloat(Steps(state, 1)) + 1) * 0.5f);
    ExpectNear(pixel(32, 32), expected, 1.5f / 255);
    ExpectNear(pixel(51, 32), s.color[1], 1.5f / 255);
    EXPECT_EQ(pixel(32, 50), vec3());  // the quads end at their half size
  }
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));

  // Turned 90 degrees, the camera sees the quads edge-on from here.
  glClear(GL_COLOR_BUFFER_BIT);
  s.Draw(vec3(0, 0, 90));
  EXPECT_EQ(pixel(32, 32), vec3());
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  s.Release();
}
