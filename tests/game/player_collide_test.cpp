// World collision regimes (SPlayer::Collide): the ground probe, the sweep
// that stops or slides, the longer-slide rule, character 3's surface search.
#include <gtest/gtest.h>

#include "core/timer.h"
#include "environment/terrain.h"
#include "game/player.h"
#include "shell/input.h"
#include "support/test_character.h"

namespace {
class CollideTest : public CharacterTest {
 protected:
  // Character i airborne next to the wall (the one tree) after one step.
  SPlayer& StepAtWall(int i, const vec3& centre, const vec3& velocity) {
    g_trees = &wall_.model;
    g_treeCount = 1;
    SPlayer& p = Airborne(i, centre, velocity);
    p.Collide(ground_.model, nullptr);
    return p;
  }
  // Character i airborne with its bounding centre at `centre`.
  SPlayer& Airborne(int i, const vec3& centre, const vec3& velocity) {
    SPlayer& p = crew_.players[i];
    p.body.position = centre - vec3(0, 0, 2);
    p.velocity = velocity;
    p.body.UpdateMatrix();
    return p;
  }

  TestCrew crew_;
  TestBox ground_{vec3(-500, -500, -10), vec3(500, 500, 0)};
  // Its face toward -x lies at x = 10; the contacts below stay well away
  // from the face's diagonal and borders.
  TestBox wall_{vec3(10, -5, -10), vec3(14, 45, 30)};
};
}  // namespace

TEST_F(CollideTest, TheGroundProbeSnapsWithinOneRadiusEitherSide) {
  SPlayer& p = crew_.players[2];
  p.grounded = true;
  p.body.position = vec3(3, 4, -1);  // sunk in by less than a radius
  p.Collide(ground_.model, nullptr);
  EXPECT_TRUE(p.grounded);
  EXPECT_TRUE(p.touched);
  EXPECT_NEAR(p.body.position.z, 0, 1e-4f);
  EXPECT_EQ(p.up, vec3(0, 0, 1));

  // The grounded step is the whole velocity, not velocity * dt.
  p.velocity = vec3(1, 0, 0);
  p.Collide(ground_.model, nullptr);
  EXPECT_NEAR(p.body.position.x, 4, 1e-4f);
  EXPECT_EQ(p.velocity, vec3());

  // More than a radius above the ground: airborne at once, with gravity.
  p.body.position = vec3(0, 0, 5);
  p.Collide(ground_.model, nullptr);
  EXPECT_FALSE(p.grounded);
  EXPECT_FALSE(p.touched);
  EXPECT_NEAR(p.velocity.z, -100 * kDt, 1e-4f);
  EXPECT_NEAR(p.body.position.z, 5 - 100 * kDt * kDt, 1e-5f);
}

TEST_F(CollideTest, LandingStartsTheLandingClipAndLevelsTheRoot) {
  SPlayer& p = crew_.players[1];
  p.body.position = vec3(0, 0, 0.2f);
  p.touched = true;
  p.body.restRot[p.rootBone].y = 0.3f;
  p.Collide(ground_.model, nullptr);
  EXPECT_TRUE(p.grounded);
  EXPECT_STREQ(p.ClipName(), "Land");
  EXPECT_EQ(p.Clip(p.clipLand)->time, 3.0f);
  EXPECT_EQ(p.body.restRot[p.rootBone].y, 0);
}

TEST_F(CollideTest, MovingIntoATreeStopsOnItsSurface) {
  SPlayer& p = StepAtWall(3, vec3(5, 0, 10), vec3(200, 0, 0));
  EXPECT_TRUE(p.touched);
  EXPECT_FALSE(p.grounded);
  EXPECT_EQ(p.body.position, vec3(5, 0, 8));
  EXPECT_EQ(p.velocity, vec3());
  EXPECT_NEAR(p.up.x, -1, 1e-6f);  // the character now stands on the wall
}

TEST_F(CollideTest, AnOverlappingSweepSlidesAlongTheTree) {
  // Two units from the wall (less than the radius), moving into it and along it.
  SPlayer& p = StepAtWall(2, vec3(8, 0, 10), vec3(50, 100, 0));
  const float r = p.body.radius;
  EXPECT_TRUE(p.touched);
  // Pushed out to one radius from the wall; the motion along it is kept.
  EXPECT_NEAR(p.body.position.x, 10 - r, 1e-3f);
  EXPECT_NEAR(p.body.position.y, 100 * kDt, 1e-3f);
  EXPECT_NEAR(p.velocity.x, (10 - r - 8) / kDt, 0.1f);
  EXPECT_NEAR(p.velocity.y, 100, 0.1f);
}

TEST_F(CollideTest, ASlideLongerThanTheStepIsReplacedByTheStep) {
  // Overlapping the wall and moving along it, slightly away: the push-out
  // would lengthen the step, so the plain step is taken.
  SPlayer& p = StepAtWall(3, vec3(8, 0, 10), vec3(-1, 100, 0));
  EXPECT_TRUE(p.touched);
  EXPECT_NEAR(p.body.position.x, 8 - kDt, 1e-5f);
  EXPECT_NEAR(p.body.position.y, 100 * kDt, 1e-4f);
  EXPECT_NEAR(p.velocity.z, -100 * kDt, 1e-3f);
}

TEST_F(CollideTest, UpRisesInTheAirExceptForCharacterThreeWhoTurnsItTowardSurfaces) {
  SPlayer& p = Airborne(2, vec3(0, 0, 40), vec3());
  p.up = vec3(1, 0, 0);
  p.Collide(ground_.model, nullptr);
  EXPECT_GT(p.up.z, 0);

  SPlayer& k = Airborne(3, vec3(0, 0, 40), vec3());
  k.up = vec3(1, 0, 0);
  k.Collide(ground_.model, nullptr);
  EXPECT_EQ(k.up, vec3(1, 0, 0));
  g_mouseLeft = true;  // within reach of the ground: up turns toward its normal
  k.Collide(ground_.model, nullptr);
  EXPECT_NEAR(k.up.z, normalize(vec3(1 - 8 * kDt, 0, 8 * kDt)).z, 1e-5f);

  // Nothing within 1000 units: up stays.
  SPlayer& far = Airborne(3, vec3(0, 0, 3000), vec3());
  far.up = vec3(1, 0, 0);
  far.Collide(ground_.model, nullptr);
  EXPECT_EQ(far.up, vec3(1, 0, 0));
}

TEST_F(CollideTest, AZeroFrameTimeKeepsTheVelocity) {
  g_timer.frameTime = 0;
  SPlayer& p = Airborne(2, vec3(0, 0, 40), vec3(3, 0, -1));
  p.Collide(ground_.model, nullptr);
  EXPECT_EQ(p.velocity, vec3(3, 0, -1));
  EXPECT_EQ(p.body.position, vec3(0, 0, 38));
}
