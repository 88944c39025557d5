// The frame on the small world, read back: what the sky, the cloud, a character and the keys
// add to the picture, and the state a frame leaves. A character's part of the frame: which
// clips feed the trail, the body posed only in view while the trail always follows.
#include "render/frame.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstring>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "core/input_tables.h"
#include "core/timer.h"
#include "core/window_state.h"
#include "environment/cloud.h"
#include "environment/sky.h"
#include "environment/terrain.h"
#include "game/camera.h"
#include "game/camera_setup.h"
#include "game/player.h"
#include "platform/clock.h"
#include "render/camera_gl.h"
#include "render/eyes.h"
#include "resources/manager.h"
#include "shell/app.h"
#include "storage/core.h"
#include "support/gl_context.h"
#include "support/small_world.h"
#include "support/test_character.h"
#include "support/test_support.h"
#include "support/vec_expect.h"

namespace {
constexpr int kSize = 64;  // the test window
constexpr uint32_t kSun = 0xFFFFCC;

// Start-up on the small world, each clock tick 100 ms.
class FrameTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureGlslContext());
    ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
    previousArchive_ = CoreArchivePath();
    CoreSetArchivePath("brookfield.core");
    PlatformSetVirtualClock(0.1);
    g_width = g_height = kSize;
    std::memset(g_keys, 0, sizeof g_keys);
    std::memset(g_keysPrev, 0, sizeof g_keysPrev);
    g_manager.init();
    LoadTerrainAndTrees();
    g_sky.Init();
    g_cloud.Init(5);
    g_cloud.Place();
    SetUpCamera(kSize, kSize);
    SetFixedGlState();
    g_lightDir = vec3(10, 10, 100);
  }
  void TearDown() override {
    g_sky.Release();
    g_manager.Unload();
    delete[] g_trees;
    g_trees = nullptr;
    g_treeCount = 0;
    std::memset(g_keys, 0, sizeof g_keys);
    PlatformSetVirtualClock(0);
    CoreSetArchivePath(previousArchive_.c_str());
  }
  // What `draw` leaves over a black colour buffer, as 0xRRGGBB, bottom row first.
  template <class F>
  static std::vector<uint32_t> Picture(F draw) {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    std::vector<uint8_t> rgb(kSize * kSize * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::vector<uint32_t> out;
    for (size_t i = 0; i < rgb.size(); i += 3)
      out.push_back(rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2]);
    return out;
  }
  // One frame 100 ms after the previous one.
  std::vector<uint32_t> Frame(const vec3& position, const vec3& angles) {
    g_camera.position = position;
    g_camera.angles = angles;
    const std::vector<uint32_t> out = Picture([] { PlatformAdvanceClock(), RenderFrame(); });
    std::memcpy(g_keysPrev, g_keys, sizeof g_keys);
    return out;
  }
  static int Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    return std::inner_product(a.begin(), a.end(), b.begin(), 0, std::plus<>(),
                              std::not_equal_to<>());
  }
  TempDir dir_{true};
  LogCapture log_;
  std::string previousArchive_;
  SPlayer player_;  // outlives the manager's registry
};
}  // namespace

TEST_F(FrameTest, SkyFillsTheViewWithTheSunDiscStraightAheadAndTheLightFollowsItAFrameLate) {
  // High above the world, looking along the sun direction (60 degrees up in +X).
  const std::vector<uint32_t> picture = Frame(vec3(0, 0, 3000), vec3(0, -60, 0));
  int sun = 0;
  for (uint32_t p : picture) {  // no pixel left uncovered; daylight sky is blue
    sun += p == kSun;
    ASSERT_TRUE(p == kSun || (p & 0xFF) > (p >> 16)) << std::hex << p;
  }
  EXPECT_EQ(picture[kSize / 2 * kSize + kSize / 2], kSun);
  EXPECT_TRUE(sun >= 27 && sun <= 37) << sun;  // radius 0.06 at unit distance: 32 pixels
  // Turning away from the sun: sky everywhere, no disc.
  for (uint32_t p : Frame(vec3(0, 0, 3000), vec3(0, -60, 180))) ASSERT_NE(p, kSun);
  // The light is the sun's direction of the previous frame, in eye space.
  ExpectNear(g_lightDir, vec3(0.5f, 0, 0.8660254f), 1e-6f);
  Frame(vec3(0, 0, 50), vec3(10, 20, 30));
  float light[4];
  glGetLightfv(GL_LIGHT0, GL_POSITION, light);
  ExpectNear(vec3(light[0], light[1], light[2]), g_camera.view.rotateVector(g_lightDir), 1e-5f);
  // The frame ends in the 3D state with the texture cache cleared.
  EXPECT_EQ(g_manager.boundTex, 999u);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_CULL_FACE));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(FrameTest, HoldingOHidesTheCloudAndPressingLTogglesItsAnimation) {
  const vec3 at(-100, -400, 500), angles(0, 0, 90);  // the cloud 700 ahead
  const std::vector<uint32_t> cloud = Frame(at, angles);
  g_keys['o'] = 1;
  const std::vector<uint32_t> hidden = Frame(at, angles);
  EXPECT_GT(Differing(cloud, hidden), 500);
  EXPECT_EQ(Differing(hidden, Frame(at, angles)), 0);  // not even the outline
  g_keys['o'] = 0;
  // "l" toggles the cloud's animation when pressed, not while held.
  for (int i = 0; i < 4; ++i) {  // held, held, released, pressed
    g_keys['l'] = i != 2;
    Frame(at, angles);
    EXPECT_EQ(g_cloud.animate, i == 3) << i;
  }
}

TEST_F(FrameTest, ACharactersEyesAndOutlineAndTheKeysThatChangeThem) {
  // Character 3 facing the camera with its eyes 10 units ahead, in a still picture.
  SPlayer& p = player_;
  p.Init(3);
  g_timer.frameTime = 0;
  g_camera.position = g_camera.angles = vec3();  // looking along +x
  g_camera.Update();
  extractFrustum(g_camera.proj, g_camera.view, g_frustum);
  p.body.angles = vec3(0, 0, 180);
  p.body.position = vec3();
  p.body.UpdateMatrix();
  p.body.UpdateSkin(0);
  p.body.position = vec3(10, 0, 0) - (EyeFrame(p.body, p.leftEyeBone, 1).transformPoint(vec3()) +
                                      EyeFrame(p.body, p.rightEyeBone, 0).transformPoint(vec3())) *
                                         0.5f;
  p.body.UpdateMatrix();
  p.lookTarget = vec3();  // the camera
  auto draw = [&p] { return Picture([&p] { CameraLoadMatrices(g_camera), p.Draw(); }); };
  // The eyes gaze at the camera and change pixels only in the middle of the face.
  const std::vector<uint32_t> with = draw();
  const int left = p.leftEyeBone, right = p.rightEyeBone;
  p.leftEyeBone = p.rightEyeBone = -1;  // a body without eyes
  const std::vector<uint32_t> without = draw();
  EXPECT_GT(Differing(with, without), 40);
  for (int i = 0; i < kSize * kSize; ++i)
    EXPECT_TRUE(with[i] == without[i] || std::abs(i % kSize - 32) + std::abs(i / kSize - 32) < 24)
        << i;
  p.leftEyeBone = left, p.rightEyeBone = right;
  // The outline, a tenth of a unit wide, in colour 3 unless "o" is held.
  const vec3 c = p.colors[3] * 255;
  const uint32_t outline = std::lround(c.x) << 16 | std::lround(c.y) << 8 | std::lround(c.z);
  EXPECT_EQ(outline, 0xE281AAu);
  p.body.position.x -= 5;  // close enough to cover pixels
  p.body.UpdateMatrix();
  std::vector<uint32_t> picture = draw();
  EXPECT_GT(std::count(picture.begin(), picture.end(), outline), 10);
  g_keys['o'] = 1;
  picture = draw();
  EXPECT_EQ(std::count(picture.begin(), picture.end(), outline), 0);
}

TEST_F(CharacterTest, OnlyRunningAndFastMovementFeedTheTrailAndTheBodyIsPosedOnlyInView) {
  TestCrew crew(1);
  SPlayer& p = crew.players[0];
  for (int clip : {p.clipFlyFast, p.clipRun, p.clipJumpAirFast, p.clipStand, p.clipWalk,
                   p.clipJumpAir, p.clipLand, p.clipFly, p.clipTurnLeft, p.clipTurnRight}) {
    p.SetClip(clip);
    EXPECT_EQ(p.TrailFed(), clip == p.clipFlyFast || clip == p.clipRun || clip == p.clipJumpAirFast)
        << p.ClipName();
  }
  p.body.curAnim = p.body.animCount;  // no clip current
  EXPECT_FALSE(p.TrailFed());
  ASSERT_TRUE(EnsureGlContext());
  g_manager.init();
  p.trail.Init(&p.body, 20, 3);
  p.SetClip(p.clipWalk);
  p.body.position = vec3(20, 0, 0);
  p.body.UpdateMatrix();
  g_camera = Camera();  // at the origin looking along +x
  SetUpCamera(64, 64);
  extractFrustum(g_camera.proj, g_camera.view, g_frustum);
  g_timer.frameTime = 0.1f;
  CAnim& walk = *p.Clip(p.clipWalk);
  p.Draw();
  EXPECT_FLOAT_EQ(walk.weight, 0.7f);  // driven at full weight, then faded by one pose
  EXPECT_FLOAT_EQ(walk.time, 1 + walk.speed * 0.1f);
  EXPECT_EQ(p.Clip(p.clipStand)->weight, 0);
  EXPECT_FLOAT_EQ(p.blinkTimer, 0.5f);  // the eyes were drawn
  EXPECT_EQ(p.trail.fade(0), 0);        // walking doesn't feed the trail
  // Behind the camera: nothing drawn, the clock and the blink stand still, but the trail
  // follows the running body (the idle ribbon was due to shift: the new point moved on).
  p.SetClip(p.clipRun);
  p.body.position = vec3(-20, 0, 0);
  p.body.UpdateMatrix();
  const float time = p.Clip(p.clipRun)->time;
  p.Draw();
  EXPECT_EQ(p.Clip(p.clipRun)->time, time);
  EXPECT_FLOAT_EQ(p.blinkTimer, 0.5f);
  EXPECT_EQ(p.trail.fade(1), 1.0f);
  EXPECT_EQ(p.trail.spline.world[0][1], p.body.worldCenter);
  g_manager.Unload();
}
