#include "game/trail.h"

#include <gtest/gtest.h>

#include "geometry/model.h"
#include "render/feedback.h"
#include "render/trail_draw.h"
#include "support/gl_context.h"

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
  EXPECT_GE(shifts, 7);
  EXPECT_LE(shifts, 9);
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
  const auto triangles = FeedbackPolygons([&] { DrawTrailRibbon(trail, vec3()); });
  ASSERT_EQ(triangles.size(), expected.size() - 2);  // one strip
  for (const auto& t : triangles) EXPECT_GT(Turn(t), 0.0f);
  ExpectVertices(triangles, expected);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
}
