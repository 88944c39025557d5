// The strand simulation step, the strands' strips and the trail ribbon.
#include <gtest/gtest.h>

#include <cmath>

#include "game/spline.h"
#include "game/trail.h"
#include "geometry/model.h"
#include "render/feedback.h"
#include "render/trail_draw.h"
#include "support/gl_context.h"

namespace {
// One strand of n points hanging straight out along +X from the body's
// origin, one unit apart, on no bone.
void Straight(CSpline& s, Model& body, int n) {
  body.Reset();
  s.Clear();
  s.owner = &body;
  ASSERT_TRUE(s.Resize(1, -1));
  ASSERT_TRUE(s.Resize(0, n));
  for (int k = 0; k < n; ++k) {
    s.local[0][k] = s.world[0][k] = vec3(static_cast<float>(k), 0, 0);
    s.segLen[0][k] = k + 1 < n ? 1.0f : 0.0f;
  }
}
}  // namespace

TEST(StrandSimulation, RootRigidZeroTimeZeroLengthAndThePullAlongTheStrand) {
  CSpline s;
  Model body;
  Straight(s, body, 2);
  body.position = vec3(5, 0, 0);
  s.Simulate(0.1f, true);  // the root follows the body; two points are rigid
  EXPECT_TRUE(s.world[0][0] == vec3(5, 0, 0) && s.world[0][1] == vec3(6, 0, 0));
  Straight(s, body, 4);
  s.aux2[0][3] = vec3(1, 2, 3);
  s.world[0][3] = vec3(2, 0, 5);  // out of length: the constraint pulls it back
  s.Simulate(0.0f, false);        // no time: velocities stay
  EXPECT_EQ(s.aux2[0][3], vec3(1, 2, 3));
  EXPECT_NEAR(length(s.world[0][3] - s.world[0][2]), 1.0f, 1e-5f);
  for (int k = 0; k < 4; ++k) s.segLen[0][k] = 0;
  s.Simulate(0.02f, true);
  for (int k = 0; k < 4; ++k) EXPECT_TRUE(std::isfinite(s.world[0][k].z));

  Straight(s, body, 5);
  // From rest only the pull acts: -50 (4 - r) with r = 2/3, 1/3, 0 from the
  // root's end to the tip, times 10 dt.
  s.Simulate(0.01f, true);
  for (int k = 2; k < 5; ++k) EXPECT_NEAR(s.aux2[0][k].z, -5 * (4 - (4 - k) / 3.0f), 1e-4f) << k;
  for (int step = 0; step < 60; ++step) s.Simulate(1.0f / 60, true);
  EXPECT_TRUE(s.world[0][4].z < s.world[0][2].z && s.world[0][2].z < -0.01f);  // the tip most
  for (int k = 2; k < 5; ++k) EXPECT_NEAR(length(s.world[0][k] - s.world[0][k - 1]), 1.0f, 1e-4f);
}

TEST(StrandDrawing, StripsFaceTheEyeAndTaperFromRootToTipUnlessTheWidthIsConstant) {
  ASSERT_TRUE(EnsureGlContext());
  CSpline s;
  Model body;
  const int n = 4;
  Straight(s, body, n);
  for (int k = 0; k < n; ++k) s.world[0][k] = vec3(10.0f + 8 * k, 0, 5);
  s.color[0] = vec3(1, 0, 0);
  for (bool constant : {false, true}) {
    s.style = constant;
    // Seen from the origin below, the side is +y: each pair is (+h, -h) and
    // the strip turns counter-clockwise seen from +z.
    std::vector<FedVertex> expected;
    for (int i = 0; i < n; ++i) {
      const float a = 1 - std::max(i, 1) / float(n), b = 1 - (i + 1) / float(n);
      for (float u = 0; u < 0.9f; u += 0.1f) {
        vec3 p;
        s.Evaluate(0, i, u, p, 1, false);
        const float h = constant ? 0.5f : (1 - u) * a + u * b;
        for (float side : {h, -h}) expected.push_back({p + vec3(0, side, 0), 1});
      }
    }
    ExpectStrip([&] { s.DrawStrands(vec3(), false); }, expected);
  }
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE) && glIsEnabled(GL_TEXTURE_2D));
}

TEST(Trail, FedEveryFrameItFollowsTheBodyAndAdvancesInSteps) {
  Model body;
  body.Reset();
  Trail trail;
  trail.Init(&body, 20, 3);
  ASSERT_TRUE(trail.spline.pointCount[0] == 20 && trail.spline.segLen[0][7] == 3);
  // Never active: every value stays at 0 or below, the ribbon invisible.
  for (int f = 0; f < 100; ++f) trail.Update(false, 0.02f);
  for (int i = 0; i < 20; ++i) EXPECT_LE(trail.fade(i), 0.0f);
  int shifts = 0;
  for (int f = 0; f < 200; ++f) {  // four seconds at 50 frames per second
    body.worldCenter = vec3(static_cast<float>(f), 0, 0);
    const vec3 before = trail.spline.world[0][1];
    trail.Update(true, 0.02f);
    EXPECT_EQ(trail.spline.world[0][0].x, static_cast<float>(f));
    if (f >= 100) shifts += trail.spline.world[0][1].x != before.x;
  }
  // Once full-opacity values reach the second-to-last point, each holds the
  // ribbon for a quarter second: about four shifts a second.
  EXPECT_TRUE(shifts >= 7 && shifts <= 9) << shifts;
  EXPECT_GT(trail.fade(5), 0.0f);
}

TEST(Trail, TheRibbonFacesTheEyeHalfARadiusWideAndFadesAlongSkippingNegativeFades) {
  ASSERT_TRUE(EnsureGlContext());
  Model body;
  body.Reset();
  body.radius = 4;
  Trail trail;
  trail.Init(&body, 4, 3);
  CSpline& s = trail.spline;
  const float fades[4] = {1, 0.5f, -1, 0.8f};
  for (int i = 0; i < 4; ++i) s.world[0][i] = vec3(10.0f + 10 * i, 0, 5), s.aux1[0][i].x = fades[i];
  // Seen from the origin below the ribbon, the side is +y: each pair is
  // (y = +2, y = -2), so the strip turns counter-clockwise seen from +z.
  std::vector<FedVertex> expected;
  for (int i = 0; i < 4; ++i) {
    if (fades[i] < 0) continue;
    const float a = 0.5f * fades[i], b = i < 3 ? 0.5f * fades[i + 1] : 0;
    for (float u = 0; u < 1.0f; u += 0.1f) {
      vec3 p;
      s.Evaluate(0, i, u, p, 1, false);
      for (float side : {2.0f, -2.0f})
        expected.push_back({p + vec3(0, side, 0), (1 - u) * a + u * b});
    }
  }
  ExpectStrip([&] { DrawTrailRibbon(trail, vec3()); }, expected);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
}
