// The eyes' arithmetic: where an eye sits, how far it turns, the blink clock
// and the lid.
#include "render/eyes.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/scramble.h"
#include "support/vec_expect.h"

namespace {
float Determinant3(const mat4& m) {
  return dot(m.column(0), cross(m.column(1), m.column(2)));
}

}  // namespace

TEST(Eyes, GazeTurnsTowardTheTargetWithinTheLimits) {
  mat4 frame;  // at (1, 2, 3) with the axes of the world
  frame.fromEuler(vec3(), vec3(1, 2, 3));
  ExpectNear(GazeAngles(frame, vec3(11, 2, 3)), vec3(0, 0, 0), 1e-6f);
  // Outward (+y) and down: both angles as they are.
  ExpectNear(GazeAngles(frame, vec3(2, 3, 3 - std::sqrt(2.0f))), vec3(0, kPi / 4, kPi / 4), 1e-5f);
  // Straight behind (atan2 +pi): the outward limit; a little toward the nose (nearly -pi) the
  // inward one; far above the upward limit; straight below exactly the downward one.
  EXPECT_FLOAT_EQ(GazeAngles(frame, vec3(-9, 2, 3)).z, kGazeYawMax);
  EXPECT_FLOAT_EQ(GazeAngles(frame, vec3(-9, 1.9f, 3)).z, kGazeYawMin);
  EXPECT_FLOAT_EQ(GazeAngles(frame, vec3(2, 1, 3)).z, kGazeYawMin);
  EXPECT_FLOAT_EQ(GazeAngles(frame, vec3(1.1f, 2, 13)).y, kGazePitchMin);
  EXPECT_NEAR(GazeAngles(frame, vec3(1, 2, -7)).y, kGazePitchMax, 1e-6f);
  // Within the limits the ball's x axis points at the target, whatever the frame's turn.
  mat4 turned, gaze;
  turned.fromEuler(vec3(0.3f, -0.2f, 1.1f), vec3(4, -5, 6));
  const vec3 target = turned.transformPoint(vec3(5, 2, -1));
  EyeballMatrix(turned, GazeAngles(turned, target), false, &gaze);
  ExpectNear(normalize(turned.mulAffine(gaze).column(0)),
             normalize(target - turned.transformPoint(vec3())), 1e-5f);
}

TEST(Eyes, BlinkClosesInAFifthOfASecondOpensAgainThenPausesForADrawnTime) {
  float timer = 0, highest = 0;
  int steps = 0;
  g_randState = 12345;
  const float r = RandomToFloat(12345u * 16807u);  // the draw the blink will make
  for (; steps < 1000 && timer >= 0; ++steps) {
    AdvanceBlink(&timer, 0.01f);
    highest = std::max(highest, LidAngle(0, BlinkClosure(timer), false));
    EXPECT_TRUE(steps != 19 || std::fabs(LidAngle(0, BlinkClosure(timer), false) - 180) < 0.01f);
  }
  EXPECT_EQ(steps, 41);  // 0.4 s to open again (the clock passes 2 at 0.41 s)
  EXPECT_NEAR(highest, 180, 0.01f);
  EXPECT_FLOAT_EQ(timer, -(3 + 20 * std::fabs(r)));
  EXPECT_EQ(g_randState, 12345u * 16807u);
}

TEST(Eyes, TheLidFollowsThePitchShiftMakesItSleepyAndTheShapesAreStretched) {
  EXPECT_FLOAT_EQ(LidAngle(0, 0, false), 20);
  EXPECT_NEAR(LidAngle(kPi / 6, 0, false), 50, 1e-4f);  // looking down drops the lid
  EXPECT_NEAR(LidAngle(0, 0.5f, false), 100, 1e-4f);
  EXPECT_FLOAT_EQ(LidAngle(0, 0, true), 80);
  EXPECT_FLOAT_EQ(LidAngle(0, 1, true), 160);
  const float kClosures[][2] = {{-3, 0}, {0, 0}, {0.25f, 0.25f}, {1.5f, 0.5f}};
  for (const auto& c : kClosures) EXPECT_FLOAT_EQ(BlinkClosure(c[0]), c[1]) << c[0];
  // The lid turns only within 20 to 180 degrees.
  const mat4 frame;
  for (int k = 0; k < 4 * 16; ++k) {
    EXPECT_NEAR(LidMatrix(frame, 250, k / 16, false).m[k % 16],
                LidMatrix(frame, 180, k / 16, false).m[k % 16], 1e-5f);
    EXPECT_NEAR(LidMatrix(frame, -40, k / 16, true).m[k % 16],
                LidMatrix(frame, 20, k / 16, true).m[k % 16], 1e-5f);
  }
  // Wide eyes are narrower and shifted; the lid is slightly larger than the ball.
  mat4 gaze;
  const mat4 normal = EyeballMatrix(frame, vec3(), false, &gaze);
  EXPECT_NEAR(Determinant3(normal), 1.19f * 1.6f, 1e-4f);
  ExpectNear(normal.transformPoint(vec3()), vec3(), 1e-6f);
  const mat4 wide = EyeballMatrix(frame, vec3(), true, &gaze);
  EXPECT_NEAR(Determinant3(wide), 1.19f * 0.8f * 1.6f, 1e-4f);
  EXPECT_GT(length(wide.transformPoint(vec3())), 0.05f);
  EXPECT_NEAR(Determinant3(LidMatrix(frame, 90, 3, false)), 1.2f * 1.01f * 1.61f, 1e-4f);
}
