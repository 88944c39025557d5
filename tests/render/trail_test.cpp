#include "game/trail.h"
#include "render/trail_draw.h"

#include <gtest/gtest.h>

#include "geometry/model.h"

TEST(Trail, FedEveryFrameItFollowsTheBodyAndAdvancesInSteps) {
  Model body;
  body.Reset();
  Trail trail;
  trail.Init(&body, 20, 3);
  ASSERT_EQ(trail.spline.pointCount[0], 20);
  EXPECT_EQ(trail.spline.segLen[0][7], 3.0f);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(trail.fade(i), 0.0f);

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
  trail.spline.Clear();
}
