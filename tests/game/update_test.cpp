// The per-frame update: mouse look, control keys, separation, world bounds,
// zoom and the camera placement.
#include "game/update.h"

#include <gtest/gtest.h>

#include "environment/terrain.h"
#include "game/camera.h"
#include "game/player.h"
#include "platform/window.h"
#include "shell/app.h"
#include "shell/input.h"
#include "shell/window.h"
#include "support/test_character.h"

namespace {
class UpdateTest : public CharacterTest {
 protected:
  void SetUp() override {
    CharacterTest::SetUp();
    g_map.Reset();
    g_map.Assign(&ground_.mesh);
    g_width = 800;
    g_height = 600;
    PlatformUseVirtualCursor(true);
    PlatformSetCursorPos(400, 300);
    g_camera = Camera();
    g_camDist = 60;
    g_mouseDX = g_mouseDY = 0;
    g_freeLook = false;
    g_cloudModel = nullptr;
    for (int i = 0; i < 4; ++i) {  // standing in a row, 20 apart
      SPlayer& p = crew_.players[i];
      p.body.position = vec3(20.0f * i, 0, 0);
      p.grounded = true;
      p.SetClip(p.clipStand);
    }
  }
  void TearDown() override {
    g_map.Release();
    PlatformUseVirtualCursor(false);
    CharacterTest::TearDown();
  }
  static void Press(int key) {
    g_keysPrev[key] = 0;
    g_keys[key] = 1;
  }
  static void Release(int key) { g_keys[key] = g_keysPrev[key] = 0; }
  // Where the camera looks from: 2.5 above the controlled character's head.
  vec3 Head() const {
    const SPlayer& p = crew_.players[g_current];
    return BodyPlacement(p.body).transformPoint(
        p.body.invBind[p.headBone].inverseAffine().transformPoint(vec3(0, 0, 2.5f)));
  }

  TestCrew crew_;
  // Deep enough that its underside is never within a camera segment: a hit
  // behind the head (negative t) would end the search before the cloud.
  TestBox ground_{vec3(-1000, -1000, -100), vec3(1000, 1000, 0)};
};
}  // namespace

TEST_F(UpdateTest, MouseLookTurnsByAFifthOfADegreePerPixel) {
  PlatformSetCursorPos(400 + 50, 300);  // 50 pixels right: turn right
  UpdateFrame(false);
  EXPECT_FLOAT_EQ(g_mouseDX, -10);
  EXPECT_NEAR(g_camera.angles.z, -10, 1e-3f);
  EXPECT_EQ(g_view, g_camera.angles);
  int x = 0, y = 0;
  PlatformGetCursorPos(&x, &y);
  EXPECT_EQ(x, 400);  // re-centred
  EXPECT_EQ(y, 300);

  PlatformSetCursorPos(400, 300 + 25);  // 25 pixels down: look down
  UpdateFrame(false);
  EXPECT_FLOAT_EQ(g_mouseDXPrev, -10);
  EXPECT_NEAR(g_camera.angles.y, 5, 1e-3f);
  EXPECT_NEAR(g_camera.angles.z, -10, 1e-3f);
}

TEST_F(UpdateTest, ARolledCharacterCarriesTheView) {
  crew_.players[3].frame.fromEuler(vec3(DegToRad(30), 0, 0), vec3());
  UpdateFrame(false);
  EXPECT_NEAR(g_camera.angles.x, 30, 1e-3f);
  EXPECT_NEAR(g_camera.angles.z, 0, 1e-3f);
}

TEST_F(UpdateTest, CPassesControlInOrderAndHTogglesFreeView) {
  const int order[] = {0, 1, 2, 3};
  for (int next : order) {
    crew_.players[next].body.angles = vec3(0, 0, 10.0f * next);
    Press('c');
    UpdateFrame(false);
    EXPECT_EQ(g_current, next);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(crew_.players[i].mode, i == next ? 1 : 0);
  }
  Release('c');

  Press('h');
  UpdateFrame(false);
  EXPECT_EQ(crew_.players[3].mode, kModeFreeView);
  EXPECT_TRUE(g_freeLook);
  // Free view: the cursor is free and the camera angles stay.
  const vec3 angles = g_camera.angles;
  PlatformSetCursorPos(123, 45);
  UpdateFrame(true);
  EXPECT_EQ(g_camera.angles, angles);
  EXPECT_EQ(g_mouseDX, 123);
  EXPECT_EQ(g_mouseDY, 45);
  g_mouseRight = true;  // the right button gives mouse look back while held
  UpdateFrame(true);
  EXPECT_FALSE(g_freeLook);
  int x = 0, y = 0;
  PlatformGetCursorPos(&x, &y);
  EXPECT_EQ(x, 400);  // just pressed: back to the centre

  g_mouseRight = false;
  Press('h');
  UpdateFrame(false);
  EXPECT_EQ(crew_.players[3].mode, kModePlayer);
  EXPECT_FALSE(g_freeLook);
}

TEST_F(UpdateTest, CharactersTooCloseArePushedApart) {
  crew_.players[1].body.position = vec3(1, 0, 0);
  crew_.players[0].body.position = vec3(0, 0, 0);
  UpdateFrame(false);
  const float reach = 2 * crew_.players[0].body.radius;
  EXPECT_GE(length(crew_.players[0].body.position - crew_.players[1].body.position), reach - 1e-3f);
  EXPECT_LT(crew_.players[0].body.position.x, 0);  // the first one processed moved
}

TEST_F(UpdateTest, FallingOutOfTheWorldRestartsAndEdgesWrap) {
  SPlayer& p = crew_.players[2];
  p.grounded = false;
  p.body.position = vec3(40, 40, -301);
  UpdateFrame(false);
  EXPECT_EQ(p.body.position.x, -100);
  EXPECT_EQ(p.body.position.y, 300);
  EXPECT_NEAR(p.body.position.z, 700, 0.1f);

  const float s = g_map.radius;
  p.body.position = vec3(s + 1, -s - 1, 100);
  p.up = vec3(1, 0, 0);
  UpdateFrame(false);
  EXPECT_EQ(p.body.position.x, -s);
  EXPECT_EQ(p.body.position.y, s);
  EXPECT_GT(p.up.z, 0.99f);

  p.body.position = vec3(0, 0, 2100);
  p.velocity = vec3(0, 0, 30);
  UpdateFrame(false);
  EXPECT_LE(p.body.position.z, 2000);
  EXPECT_LT(p.velocity.z, 0);  // bounced off the ceiling
}

TEST_F(UpdateTest, TheWheelZoomsBetweenThreeAndEightRadii) {
  const float r = crew_.players[3].body.radius;
  UpdateFrame(false);
  EXPECT_FLOAT_EQ(g_camDist, 8 * r);  // 60 is beyond the limit
  EXPECT_FLOAT_EQ(g_camera.fov, 1.2f * 8 * r);
  g_wheel = -1;
  UpdateFrame(false);
  EXPECT_FLOAT_EQ(g_camDist, 8 * r - 2);
  for (int i = 0; i < 20; ++i) UpdateFrame(false);
  EXPECT_FLOAT_EQ(g_camDist, 3 * r);
  EXPECT_FLOAT_EQ(g_camera.fov, std::max(5.0f, 3.6f * r));
}

TEST_F(UpdateTest, TheCameraSitsBehindTheHeadAndNeverInsideTheGround) {
  UpdateFrame(false);
  const vec3 h = Head();
  EXPECT_NEAR(length(g_camera.position - h), g_camDist, 1e-3f);
  EXPECT_LT(g_camera.position.x, h.x);  // behind, looking along +x

  // Looking steeply up puts the eye below the ground: it stays above it.
  g_camera.angles = vec3(0, -60, 0);
  UpdateFrame(false);
  EXPECT_NEAR(g_camera.position.z, 0.5f, 1e-3f);
  EXPECT_GE(length(g_camera.position - Head()), 2 * crew_.players[3].body.radius - 1e-3f);

  // The cloud holds the camera off as well.
  TestBox cloud(vec3(-100, -100, 12), vec3(100, 100, 14));
  g_cloudModel = &cloud.model;
  g_camera.angles = vec3(0, 60, 0);  // looking down: the eye is above, in the cloud's way
  UpdateFrame(false);
  EXPECT_NEAR(g_camera.position.z, 11.5f, 1e-3f);
  g_cloudModel = nullptr;
}
