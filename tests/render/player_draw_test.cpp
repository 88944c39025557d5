// A character's part of the frame: the body posed only when in view, the
// trail always, the outline, the collision ellipsoids and the eyes, drawn
// into the test window and read back.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "core/timer.h"
#include "environment/terrain.h"
#include "game/camera.h"
#include "game/player.h"
#include "render/camera_gl.h"
#include "render/eyes.h"
#include "render/frame.h"
#include "resources/manager.h"
#include "shell/app.h"
#include "shell/input.h"
#include "support/gl_context.h"
#include "support/small_world.h"
#include "support/test_character.h"
#include "support/test_support.h"
#include "support/vec_expect.h"

namespace {
constexpr int kSize = 64;  // the test window

// A camera at the origin looking along +x, as the frame sets it up.
Camera TestCamera() {
  Camera camera;
  camera.fov = 60;
  camera.zNear = 0.1f;
  camera.zFar = 100;
  camera.viewportW = camera.viewportH = kSize;
  camera.Update();
  return camera;
}

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// Character 3 of the small world, set up as the program does, facing the
// camera with its eyes 10 units ahead of it.
class PlayerDrawTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureGlslContext());
    ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
    std::memset(g_keys, 0, sizeof g_keys);
    g_manager.init();
    g_map.Reset();
    g_map.radius = 100;
    player_ = new SPlayer;
    player_->Init(3);
    g_camera = TestCamera();
    extractFrustum(g_camera.proj, g_camera.view, g_frustum);
    SetFixedGlState();
    g_timer.frameTime = 0;  // a still picture: clips and blinks stand
    Model& body = player_->body;
    body.angles = vec3(0, 0, 180);
    body.position = vec3();
    body.UpdateMatrix();
    body.UpdateSkin(0);
    const vec3 between = (EyeFrame(body, player_->leftEyeBone, 1).transformPoint(vec3()) +
                          EyeFrame(body, player_->rightEyeBone, 0).transformPoint(vec3())) *
                         0.5f;
    body.position = vec3(10, 0, 0) - between;
    body.UpdateMatrix();
    player_->lookTarget = vec3();  // the camera
  }
  void TearDown() override {
    std::memset(g_keys, 0, sizeof g_keys);
    g_manager.Unload();  // the registry refers to the player's models
    delete player_;
    g_map.Reset();
  }

  // The character drawn over a blue background; the picture, bottom row
  // first. GL errors fail the test.
  std::vector<Rgb> Draw() {
    glViewport(0, 0, kSize, kSize);
    glClearColor(0, 0, 1, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    CameraLoadMatrices(g_camera);
    player_->Draw();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    std::vector<Rgb> out(kSize * kSize);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, out.data());
    return out;
  }

  static int Count(const std::vector<Rgb>& picture, const Rgb& colour) {
    int n = 0;
    for (const Rgb& p : picture) n += p == colour;
    return n;
  }

  // Window position of a world point.
  static void Project(const vec3& p, float* x, float* y) {
    const vec3 e = g_camera.view.transformPoint(p);
    const float f = 1.0f / std::tan(DegToRad(g_camera.fov) * 0.5f);
    *x = (f * e.x / -e.z + 1) * 0.5f * kSize;
    *y = (f * e.y / -e.z + 1) * 0.5f * kSize;
  }

  TempDir dir_{true};
  LogCapture log_;
  SPlayer* player_ = nullptr;
};
}  // namespace

TEST_F(CharacterTest, OnlyRunningAndFastMovementFeedTheTrail) {
  TestCrew crew(1);
  SPlayer& p = crew.players[0];
  const int fed[] = {p.clipFlyFast, p.clipRun, p.clipJumpAirFast};
  const int unfed[] = {p.clipStand, p.clipWalk,     p.clipJumpAir,  p.clipLand,
                       p.clipFly,   p.clipTurnLeft, p.clipTurnRight};
  for (int clip : fed) {
    p.SetClip(clip);
    EXPECT_TRUE(p.TrailFed()) << p.ClipName();
  }
  for (int clip : unfed) {
    p.SetClip(clip);
    EXPECT_FALSE(p.TrailFed()) << p.ClipName();
  }
  p.body.curAnim = p.body.animCount;  // no clip current
  EXPECT_FALSE(p.TrailFed());
}

TEST(PlayerDraw, TheBodyIsPosedWithItsCurrentClipOnlyWhenInView) {
  ASSERT_TRUE(EnsureGlContext());
  g_manager.init();
  {
    TestCrew crew(1);
    SPlayer& p = crew.players[0];
    p.trail.Init(&p.body, 20, 3);
    p.SetClip(p.clipWalk);
    p.body.position = vec3(20, 0, 0);
    p.body.UpdateMatrix();
    g_camera = TestCamera();
    extractFrustum(g_camera.proj, g_camera.view, g_frustum);
    g_timer.frameTime = 0.1f;

    CAnim& walk = *p.Clip(p.clipWalk);
    p.Draw();
    EXPECT_FLOAT_EQ(walk.weight, 0.7f);  // driven at full weight, then faded by one pose
    EXPECT_FLOAT_EQ(walk.time, 1 + walk.speed * 0.1f);
    EXPECT_EQ(p.Clip(p.clipStand)->weight, 0);
    EXPECT_FLOAT_EQ(p.blinkTimer, 0.5f);  // the eyes were drawn
    EXPECT_EQ(p.trail.fade(0), 0);        // walking doesn't feed the trail

    // Behind the camera: nothing drawn, the clock and the blink stand
    // still, but the trail still follows the running body.
    p.SetClip(p.clipRun);
    p.body.position = vec3(-20, 0, 0);
    p.body.UpdateMatrix();
    const float time = p.Clip(p.clipRun)->time;
    p.Draw();
    EXPECT_EQ(p.Clip(p.clipRun)->time, time);
    EXPECT_FLOAT_EQ(p.blinkTimer, 0.5f);
    // (The idle ribbon was due to shift: the new point has moved on by one.)
    EXPECT_EQ(p.trail.fade(1), 1.0f);
    EXPECT_EQ(p.trail.spline.world[0][1], p.body.worldCenter);
    p.trail.spline.Clear();
  }
  g_manager.Unload();
}

TEST_F(PlayerDrawTest, EachCharacterHasATrailWhoseTextureIsBoundThroughTheCache) {
  const CSpline& s = player_->trail.spline;
  ASSERT_EQ(s.count, 1);
  EXPECT_EQ(s.pointCount[0], 20);
  EXPECT_EQ(s.segLen[0][19], 3.0f);
  EXPECT_EQ(s.owner, &player_->body);

  // The small world has no trail picture: the checkerboard of slot 0.
  EXPECT_EQ(player_->trailTexture, g_manager.textures[0].glId);
  g_manager.boundTex = 999;
  player_->trailTexture = g_manager.texCount + 2u;  // beyond the registered ones
  player_->DrawTrail(false);
  EXPECT_EQ(g_manager.boundTex, g_manager.textures[0].glId);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<uint32_t>(bound), g_manager.textures[0].glId);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

  // A name the cache holds is not bound again.
  player_->trailTexture = g_manager.textures[0].glId;
  glBindTexture(GL_TEXTURE_2D, 0);
  player_->DrawTrail(false);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);
}

TEST_F(PlayerDrawTest, TheOutlineIsDrawnInColourThreeUnlessOIsHeld) {
  const vec3& c = player_->colors[3];
  const Rgb outline = {static_cast<uint8_t>(std::lround(c.x * 255)),
                       static_cast<uint8_t>(std::lround(c.y * 255)),
                       static_cast<uint8_t>(std::lround(c.z * 255))};
  EXPECT_EQ(outline, (Rgb{226, 129, 170}));
  // Close enough for the outline, a tenth of a unit wide, to cover pixels.
  player_->body.position.x -= 5;
  player_->body.UpdateMatrix();
  EXPECT_GT(Count(Draw(), outline), 10);
  g_keys['o'] = 1;
  EXPECT_EQ(Count(Draw(), outline), 0);
}

TEST_F(PlayerDrawTest, EyesAreDrawnWhereTheEyeBonesAreAndLookAtTheTarget) {
  const std::vector<Rgb> with = Draw();
  // Gazing at the camera straight ahead of the face: both eyes point along
  // the same line, within the limits.
  EXPECT_NEAR(player_->eyeAngles[0].z, player_->eyeAngles[1].z, 1e-3f);
  EXPECT_NEAR(player_->lidAngle, 20 + player_->eyeAngles[0].y * 180 / kPi, 1e-3f);
  EXPECT_GE(player_->ballData[3], 0.35f);
  EXPECT_LE(player_->ballData[3], 0.85f);

  const int left = player_->leftEyeBone, right = player_->rightEyeBone;
  float lx, ly, rx, ry;
  Project(EyeFrame(player_->body, left, 1).transformPoint(vec3()), &lx, &ly);
  Project(EyeFrame(player_->body, right, 0).transformPoint(vec3()), &rx, &ry);
  player_->leftEyeBone = player_->rightEyeBone = -1;  // a body without eyes
  const std::vector<Rgb> without = Draw();
  int changed = 0, far = 0;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      if (with[y * kSize + x] == without[y * kSize + x]) continue;
      ++changed;
      const float dl = std::hypot(x + 0.5f - lx, y + 0.5f - ly);
      const float dr = std::hypot(x + 0.5f - rx, y + 0.5f - ry);
      far += std::min(dl, dr) > 16;
    }
  EXPECT_GT(changed, 40);
  EXPECT_EQ(far, 0);

  // Held "u" widens the eyes: a different picture.
  player_->leftEyeBone = left;
  player_->rightEyeBone = right;
  g_keys['u'] = 1;
  const std::vector<Rgb> wide = Draw();
  EXPECT_NE(std::memcmp(wide.data(), with.data(), with.size() * sizeof(Rgb)), 0);
}

TEST_F(PlayerDrawTest, HoldingNShowsTheCollisionEllipsoids) {
  // The small world's placements lie inside the body: one that sticks out
  // of its side.
  SpherePlacement& s = player_->spheres[0];
  s.position = vec3(0, 1.5f, 2);
  s.scale = vec3(0.5f, 0.5f, 0.5f);
  const std::vector<Rgb> plain = Draw();
  g_keys['n'] = 1;
  const std::vector<Rgb> shown = Draw();
  int changed = 0;
  for (size_t i = 0; i < plain.size(); ++i) changed += !(plain[i] == shown[i]);
  EXPECT_GT(changed, 20);

  // A placement on a bone the body doesn't have is skipped.
  player_->spheres[0].bone = 200;
  player_->spheres[1].bone = 201;
  EXPECT_EQ(std::memcmp(Draw().data(), plain.data(), plain.size() * sizeof(Rgb)), 0);
}
