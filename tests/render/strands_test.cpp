// The strand simulation step (drawing is checked by eye in the screenshots).
#include <gtest/gtest.h>

#include <cmath>

#include "game/spline.h"
#include "geometry/model.h"

namespace {
// One strand of n points hanging straight out along +X from the body's
// origin, one unit apart, on no bone.
void Straight(CSpline& s, Model& body, int n) {
  body.Reset();
  s.owner = &body;
  ASSERT_TRUE(s.Resize(1, -1));
  ASSERT_TRUE(s.Resize(0, n));
  for (int k = 0; k < n; ++k) {
    s.local[0][k] = vec3(static_cast<float>(k), 0, 0);
    s.world[0][k] = s.local[0][k];
    s.segLen[0][k] = k + 1 < n ? 1.0f : 0.0f;
  }
}
}  // namespace

TEST(StrandSimulation, TheRootFollowsTheBodyAndTwoPointsAreRigid) {
  CSpline s;
  Model body;
  Straight(s, body, 2);
  body.position = vec3(5, 0, 0);
  s.Simulate(0.1f, true);
  EXPECT_FLOAT_EQ(s.world[0][0].x, 5);
  EXPECT_FLOAT_EQ(s.world[0][1].x, 6);
  EXPECT_FLOAT_EQ(s.world[0][1].z, 0);  // nothing pulls a rigid root segment
  s.Clear();
}

TEST(StrandSimulation, ZeroTimeKeepsVelocitiesAndLengths) {
  CSpline s;
  Model body;
  Straight(s, body, 4);
  s.aux2[0][3] = vec3(1, 2, 3);
  s.world[0][3] = vec3(2, 0, 5);  // out of length: the constraint pulls it back
  s.Simulate(0.0f, false);
  EXPECT_FLOAT_EQ(s.aux2[0][3].y, 2);
  EXPECT_NEAR(length(s.world[0][3] - s.world[0][2]), 1.0f, 1e-5f);
  s.Clear();
}

TEST(StrandSimulation, PullingDownBendsTheTipMost) {
  CSpline s;
  Model body;
  Straight(s, body, 5);
  for (int step = 0; step < 60; ++step) s.Simulate(1.0f / 60, true);
  EXPECT_LT(s.world[0][4].z, s.world[0][2].z);
  EXPECT_LT(s.world[0][2].z, -0.01f);
  for (int k = 2; k < 5; ++k) EXPECT_NEAR(length(s.world[0][k] - s.world[0][k - 1]), 1.0f, 1e-4f);
  // Released, the springs bring the strand back toward its rest shape.
  const float bent = s.world[0][4].z;
  for (int step = 0; step < 600; ++step) s.Simulate(1.0f / 60, false);
  EXPECT_GT(s.world[0][4].z, bent);
  s.Clear();
}

TEST(StrandSimulation, ZeroLengthStrandsStayFinite) {
  CSpline s;
  Model body;
  Straight(s, body, 3);
  for (int k = 0; k < 3; ++k) s.segLen[0][k] = 0;
  s.Simulate(0.02f, true);
  for (int k = 0; k < 3; ++k) EXPECT_TRUE(std::isfinite(s.world[0][k].z));
  s.Clear();
}
