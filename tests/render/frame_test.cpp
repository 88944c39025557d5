// The frame render on the small world, drawn into the test window and read
// back: what each pass adds to the picture and the state a frame leaves.
#include "render/frame.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "environment/cloud.h"
#include "environment/sky.h"
#include "environment/terrain.h"
#include "game/camera.h"
#include "game/camera_setup.h"
#include "platform/clock.h"
#include "resources/manager.h"
#include "shell/app.h"
#include "shell/input.h"
#include "shell/window.h"
#include "storage/core.h"
#include "support/gl_context.h"
#include "support/small_world.h"
#include "support/test_support.h"
#include "support/vec_expect.h"

namespace {
constexpr int kSize = 64;  // the test window

struct Pixel {
  int r, g, b;
  bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b; }
};

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

  void Look(const vec3& position, const vec3& angles) {
    g_camera.position = position;
    g_camera.angles = angles;
  }

  // One frame over a black colour buffer, 100 ms after the previous one;
  // the picture, bottom row first.
  std::vector<Pixel> Frame() {
    PlatformAdvanceClock();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    RenderFrame();
    std::vector<unsigned char> rgb(kSize * kSize * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::vector<Pixel> out(kSize * kSize);
    for (size_t i = 0; i < out.size(); ++i) out[i] = {rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]};
    std::memcpy(g_keysPrev, g_keys, sizeof g_keys);
    return out;
  }

  // Pixels that differ between two pictures within the centre square of
  // side `side`.
  static int Differing(const std::vector<Pixel>& a, const std::vector<Pixel>& b, int side) {
    int n = 0;
    for (int y = (kSize - side) / 2; y < (kSize + side) / 2; ++y)
      for (int x = (kSize - side) / 2; x < (kSize + side) / 2; ++x)
        n += !(a[y * kSize + x] == b[y * kSize + x]);
    return n;
  }

  TempDir dir_{true};
  LogCapture log_;
  std::string previousArchive_;
};

Pixel Centre(const std::vector<Pixel>& p) {
  return p[kSize / 2 * kSize + kSize / 2];
}
}  // namespace

TEST_F(FrameTest, SkyFillsTheViewWhereNothingElseIsWithTheSunStraightAhead) {
  // High above the world, looking along the sun direction (60 degrees up in +X).
  Look(vec3(0, 0, 3000), vec3(0, -60, 0));
  const std::vector<Pixel> picture = Frame();
  int sunPixels = 0;
  for (const Pixel& p : picture) {
    ASSERT_GT(p.r + p.g + p.b, 0) << "an uncovered pixel";
    if (p == Pixel{255, 255, 204}) {
      ++sunPixels;
    } else {
      EXPECT_GT(p.b, p.r) << "daylight sky is blue";
    }
  }
  EXPECT_EQ(Centre(picture), (Pixel{255, 255, 204}));
  // Radius 0.06 at unit distance: about 3.3 pixels at 60 degrees over 64.
  EXPECT_GT(sunPixels, 20);
  EXPECT_LT(sunPixels, 60);

  // The frustum came from the matrices the camera loaded; nothing else is in it.
  Frustum expected;
  extractFrustum(g_camera.proj, g_camera.view, expected);
  for (int p = 0; p < 6; ++p)
    for (int k = 0; k < 4; ++k)
      EXPECT_NEAR(g_frustum.planes[p][k], expected.planes[p][k],
                  1e-5f * (1 + std::fabs(expected.planes[p][k])));
  EXPECT_EQ(sphereInFrustum(g_frustum, g_map.worldCenter, g_map.radius), 0);
  EXPECT_EQ(sphereInFrustum(g_frustum, g_cloud.model.worldCenter, g_cloud.model.radius), 0);

  // Turning away from the sun: sky everywhere, no disc.
  Look(vec3(0, 0, 3000), vec3(0, -60, 180));
  for (const Pixel& p : Frame()) ASSERT_FALSE(p == (Pixel{255, 255, 204}));
}

TEST_F(FrameTest, TreeInFrontOfTheCameraCoversPixels) {
  ASSERT_EQ(g_treeCount, 4u);
  // Tree 0 stands on the map at (-30, -30), a 4 x 4 x 20 box.
  EXPECT_NEAR(g_trees[0].position.x, -30.0f, 1e-3f);
  EXPECT_NEAR(g_trees[0].position.y, -30.0f, 1e-3f);
  EXPECT_NEAR(g_trees[0].position.z, 0.0f, 1e-3f);
  Look(vec3(-50, -28, 10), vec3(0, 0, 0));
  const std::vector<Pixel> withTree = Frame();
  g_trees[0].position.z = -1000;  // out of sight
  g_trees[0].UpdateMatrix();
  const std::vector<Pixel> without = Frame();
  // The tree covers the whole centre block; a few of its texels may match
  // what lies behind.
  EXPECT_GE(Differing(withTree, without, 8), 56);
}

TEST_F(FrameTest, HoldingOHidesTheCloudAndItsOutline) {
  Look(vec3(-100, -400, 500), vec3(0, 0, 90));  // the cloud 700 ahead
  const std::vector<Pixel> cloud = Frame();
  g_keys['o'] = 1;
  const std::vector<Pixel> hidden = Frame();
  const std::vector<Pixel> stillHidden = Frame();
  EXPECT_EQ(Differing(cloud, hidden, 16), 256);
  EXPECT_EQ(Differing(hidden, stillHidden, kSize), 0);  // not even the outline
  g_keys['o'] = 0;
  EXPECT_GT(Differing(Frame(), hidden, 16), 200);
}

TEST_F(FrameTest, PressingLFreezesTheCloudAndPressingAgainResumesIt) {
  Look(vec3(-100, -400, 500), vec3(0, 0, 90));
  const uint32_t n = g_cloud.model.vertexCount;
  auto shape = [n] { return std::vector<vec3>(g_cloud.model.verts, g_cloud.model.verts + n); };
  auto same = [n](const std::vector<vec3>& a, const std::vector<vec3>& b) {
    for (uint32_t v = 0; v < n; ++v)
      if (a[v].x != b[v].x || a[v].y != b[v].y || a[v].z != b[v].z) return false;
    return true;
  };
  for (int i = 0; i < 4; ++i) Frame();  // past the first keyframe
  std::vector<vec3> before = shape();
  Frame();
  EXPECT_FALSE(same(before, shape())) << "the cloud animates";

  g_keys['l'] = 1;  // pressed: takes effect at the end of this frame
  Frame();
  EXPECT_FALSE(g_cloud.animate);
  before = shape();
  for (int i = 0; i < 5; ++i) Frame();  // held: no second toggle
  EXPECT_FALSE(g_cloud.animate);
  EXPECT_TRUE(same(before, shape()));

  g_keys['l'] = 0;
  Frame();
  g_keys['l'] = 1;
  Frame();
  EXPECT_TRUE(g_cloud.animate);
  Frame();
  EXPECT_FALSE(same(before, shape()));
}

TEST_F(FrameTest, LightFollowsTheSunOneFrameLateAndTheFrameEndsIn3DState) {
  Look(vec3(0, 0, 50), vec3(10, 20, 30));
  auto lightInEyeSpace = [] {
    float p[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, p);
    return vec3(p[0], p[1], p[2]);
  };
  Frame();
  vec3 expected = g_camera.view.rotateVector(vec3(10, 10, 100));
  ExpectNear(lightInEyeSpace(), expected, 1e-3f);
  ExpectNear(g_lightDir, vec3(0.5f, 0, 0.8660254f), 1e-6f);

  Frame();
  expected = g_camera.view.rotateVector(vec3(0.5f, 0, 0.8660254f));
  ExpectNear(lightInEyeSpace(), expected, 1e-5f);

  EXPECT_EQ(g_manager.boundTex, 999u);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
