// The eyes' arithmetic: where an eye sits, how far it turns, the blink clock
// and the lid.
#include "render/eyes.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/scramble.h"
#include "game/player.h"
#include "support/test_character.h"
#include "support/vec_expect.h"

namespace {
// An eye frame at `at` with the axes of the world.
mat4 FrameAt(const vec3& at) {
  mat4 m;
  m.m[12] = at.x;
  m.m[13] = at.y;
  m.m[14] = at.z;
  return m;
}

float Determinant3(const mat4& m) {
  return dot(m.column(0), cross(m.column(1), m.column(2)));
}

void ExpectSameMatrix(const mat4& a, const mat4& b) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], 1e-5f) << i;
}
}  // namespace

TEST(Eyes, GazeTurnsTowardTheTargetWithinTheLimits) {
  const mat4 frame = FrameAt(vec3(1, 2, 3));
  ExpectNear(GazeAngles(frame, vec3(11, 2, 3)), vec3(0, 0, 0), 1e-6f);
  // Outward (+y) and a little down: both angles as they are.
  const vec3 out = GazeAngles(frame, vec3(2, 3, 3 - std::sqrt(2.0f)));
  EXPECT_NEAR(out.z, kPi / 4, 1e-5f);
  EXPECT_NEAR(out.y, kPi / 4, 1e-5f);
  // Straight behind: atan2 gives +pi, held at the outward limit; behind and
  // a little toward the nose gives nearly -pi, held at the inward limit.
  EXPECT_FLOAT_EQ(GazeAngles(frame, vec3(-9, 2, 3)).z, 1.8849556f);
  EXPECT_FLOAT_EQ(GazeAngles(frame, vec3(-9, 1.9f, 3)).z, -0.31415927f);
  EXPECT_FLOAT_EQ(GazeAngles(frame, vec3(2, 1, 3)).z, -0.31415927f);
  // Far above is held at the upward limit; straight below is exactly the
  // downward one.
  EXPECT_FLOAT_EQ(GazeAngles(frame, vec3(1.1f, 2, 13)).y, -0.9424778f);
  EXPECT_NEAR(GazeAngles(frame, vec3(1, 2, -7)).y, 1.5707964f, 1e-6f);

  // Within the limits the ball's x axis points at the target, whatever the
  // frame's turn.
  mat4 turned;
  turned.fromEuler(vec3(0.3f, -0.2f, 1.1f), vec3(4, -5, 6));
  const vec3 target = turned.transformPoint(vec3(5, 2, -1));
  mat4 gaze;
  EyeballMatrix(turned, GazeAngles(turned, target), false, &gaze);
  const vec3 axis = turned.mulAffine(gaze).column(0);
  ExpectNear(normalize(axis), normalize(target - turned.transformPoint(vec3())), 1e-5f);
}

TEST_F(CharacterTest, EyesSitOnTheirBonesMirroredAndMoveWithTheBody) {
  TestCrew crew(1);
  Model& body = crew.players[0].body;
  ASSERT_TRUE(body.UpdateSkin(0));
  const int left = FindBone(body, "Leye"), right = FindBone(body, "Reye");
  const mat4 l = EyeFrame(body, left, 1), r = EyeFrame(body, right, 0);
  // The two bones are placed symmetrically about the body's x-z plane.
  const vec3 lp = l.transformPoint(vec3()), rp = r.transformPoint(vec3());
  EXPECT_GT(lp.y, 0.1f);
  ExpectNear(rp, vec3(lp.x, -lp.y, lp.z), 1e-5f);
  // Side 0 is mirrored: its y axis points the other way, so "outward" is
  // +y in both frames and both eyes share the gaze limits.
  EXPECT_GT(Determinant3(l), 0);
  EXPECT_LT(Determinant3(r), 0);
  ExpectNear(l.column(1), r.column(1) * -1.0f, 1e-5f);
  EXPECT_GT(GazeAngles(l, lp + vec3(1, 1, 0)).z, 0.5f);
  EXPECT_GT(GazeAngles(r, rp + vec3(1, -1, 0)).z, 0.5f);

  // Moved and turned, the frame is the same one carried along.
  body.position = vec3(10, -20, 5);
  body.angles = vec3(0, 0, 90);
  ExpectSameMatrix(EyeFrame(body, left, 1), BodyPlacement(body).mulAffine(l));
}

TEST(Eyes, BlinkClosesInAFifthOfASecondOpensAgainThenPausesForADrawnTime) {
  const uint32_t saved = g_randState;
  float timer = 0;
  float highest = 0;
  int steps = 0;
  g_randState = 12345;
  const float r = RandomToFloat(12345u * 16807u);  // the draw the blink will make
  for (; steps < 1000 && timer >= 0; ++steps) {
    AdvanceBlink(&timer, 0.01f);
    highest = std::max(highest, LidAngle(0, BlinkClosure(timer), false));
    if (steps == 19) {
      EXPECT_NEAR(LidAngle(0, BlinkClosure(timer), false), 180, 0.01f);
    }
  }
  EXPECT_EQ(steps, 41);  // 0.4 s to open again (the clock passes 2 at 0.41 s)
  EXPECT_NEAR(highest, 180, 0.01f);
  EXPECT_FLOAT_EQ(timer, -(3 + 20 * std::fabs(r)));
  EXPECT_EQ(g_randState, 12345u * 16807u);

  // The pause, 0.6 to 4.6 s, keeps the lid at its base.
  int paused = 0;
  for (; timer <= 0; ++paused) {
    AdvanceBlink(&timer, 0.01f);
    if (timer <= 0) {
      EXPECT_EQ(BlinkClosure(timer), 0);
    }
  }
  EXPECT_NEAR(paused * 0.01f, (3 + 20 * std::fabs(r)) / 5, 0.011f);
  g_randState = saved;
}

TEST(Eyes, LidFollowsThePitchAndShiftMakesItSleepy) {
  EXPECT_FLOAT_EQ(LidAngle(0, 0, false), 20);
  EXPECT_NEAR(LidAngle(kPi / 6, 0, false), 50, 1e-4f);  // looking down drops the lid
  EXPECT_NEAR(LidAngle(0, 0.5f, false), 100, 1e-4f);
  EXPECT_FLOAT_EQ(LidAngle(0, 0, true), 80);
  EXPECT_FLOAT_EQ(LidAngle(0, 1, true), 160);

  EXPECT_EQ(BlinkClosure(-3), 0);
  EXPECT_EQ(BlinkClosure(0), 0);
  EXPECT_FLOAT_EQ(BlinkClosure(0.25f), 0.25f);
  EXPECT_FLOAT_EQ(BlinkClosure(1.5f), 0.5f);

  // The lid turns only within 20 to 180 degrees.
  const mat4 frame = FrameAt(vec3(1, 2, 3));
  for (int index = 0; index < 4; ++index) {
    ExpectSameMatrix(LidMatrix(frame, 250, index, false), LidMatrix(frame, 180, index, false));
    ExpectSameMatrix(LidMatrix(frame, -40, index, true), LidMatrix(frame, 20, index, true));
  }
  // Each character tilts its lids its own way; the fourth not at all.
  const mat4 a = LidMatrix(frame, 90, 0, false), b = LidMatrix(frame, 90, 1, false);
  EXPECT_GT(length(a.column(2) - b.column(2)), 0.1f);
}

TEST(Eyes, WideEyesAreNarrowerAndShiftedAndTheLidIsSlightlyLargerThanTheBall) {
  const mat4 frame = FrameAt(vec3());
  mat4 gaze;
  const mat4 normal = EyeballMatrix(frame, vec3(), false, &gaze);
  EXPECT_NEAR(Determinant3(normal), 1.19f * 1.6f, 1e-4f);
  ExpectNear(normal.transformPoint(vec3()), vec3(), 1e-6f);
  const mat4 wide = EyeballMatrix(frame, vec3(), true, &gaze);
  EXPECT_NEAR(Determinant3(wide), 1.19f * 0.8f * 1.6f, 1e-4f);
  EXPECT_GT(length(wide.transformPoint(vec3())), 0.05f);
  EXPECT_NEAR(Determinant3(LidMatrix(frame, 90, 3, false)), 1.2f * 1.01f * 1.61f, 1e-4f);
}

TEST(Eyes, LashesGrowOutOfTheLidEdge) {
  vec3 edge[kLidEdgePoints];
  LidEdge(edge);
  ExpectNear(edge[0], vec3(0, 0, -1), 1e-6f);
  ExpectNear(edge[kLidEdgePoints - 1], vec3(0, 0, 1), 1e-5f);
  vec3 lashes[kLashPoints];
  Lashes(lashes);
  for (int i = 0; i < kLashPoints; i += 4) {
    EXPECT_NEAR(length(lashes[i]), 1, 1e-6f) << i;  // on the edge
    EXPECT_LE(lashes[i].x, 0) << i;
    ExpectNear(lashes[i + 1], lashes[i + 2], 0);  // two joined segments
    EXPECT_GT(length(lashes[i + 3]), length(lashes[i + 1])) << i;
    EXPECT_GT(length(lashes[i + 1]), 1) << i;
  }
}
