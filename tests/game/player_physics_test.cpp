// Walking, falling, landing, flying and turning (SPlayer::Physics, Orient).
#include <gtest/gtest.h>

#include <algorithm>

#include "core/timer.h"
#include "environment/terrain.h"
#include "game/player.h"
#include "game/update.h"
#include "shell/input.h"
#include "support/test_character.h"

namespace {
class PhysicsTest : public CharacterTest {
 protected:
  // One frame of the character as the per-frame update runs it.
  void Step(SPlayer& p) {
    p.Control();
    p.Physics(ground_.model, nullptr);
  }

  TestCrew crew_;
  TestBox ground_{vec3(-500, -500, -10), vec3(500, 500, 0)};
};
}  // namespace

TEST_F(PhysicsTest, FallsUnderGravityAndLandsOnTheGround) {
  SPlayer& p = crew_.players[3];
  p.body.position = vec3(0, 0, 30);
  Step(p);
  EXPECT_FALSE(p.grounded);
  EXPECT_NEAR(p.velocity.z, -100 * kDt, 1e-4f);
  Step(p);
  EXPECT_NEAR(p.velocity.z, -200 * kDt, 1e-4f);
  int frames = 2;
  while (!p.grounded && frames < 200) {
    Step(p);
    ++frames;
  }
  ASSERT_TRUE(p.grounded) << p.body.position.z;
  EXPECT_LT(frames, 60);  // about 0.8 s for 30 units
  EXPECT_STREQ(p.ClipName(), "Land");
  EXPECT_EQ(p.Clip(p.clipLand)->time, 3.0f);
  EXPECT_NEAR(p.body.position.z, 0, 1e-4f);
  EXPECT_EQ(p.up, vec3(0, 0, 1));
  EXPECT_EQ(p.velocity, vec3());
  Step(p);  // standing stays put
  EXPECT_TRUE(p.grounded);
  EXPECT_STREQ(p.ClipName(), "Stand");
  EXPECT_NEAR(p.body.position.z, 0, 1e-4f);
}

TEST_F(PhysicsTest, HoldingWWalksAtFourAndRunsAtSixteenRadiiPerSecond) {
  SPlayer& p = crew_.players[3];
  p.grounded = true;
  p.mode = kModePlayer;
  p.SetClip(p.clipStand);
  const float r = p.body.radius;
  g_keys['w'] = 1;
  Step(p);  // the command takes effect in the clip one frame later
  Step(p);
  EXPECT_STREQ(p.ClipName(), "Walk");
  const vec3 start = p.body.position;
  for (int i = 0; i < 10; ++i) Step(p);
  EXPECT_NEAR(p.body.position.x - start.x, 4 * r * kDt * 10, 1e-3f);
  EXPECT_NEAR(p.body.position.y, start.y, 1e-4f);
  EXPECT_TRUE(p.grounded);

  g_mouseLeft = true;
  Step(p);
  const vec3 run = p.body.position;
  for (int i = 0; i < 10; ++i) Step(p);
  EXPECT_STREQ(p.ClipName(), "Run");
  EXPECT_NEAR(p.body.position.x - run.x, 16 * r * kDt * 10, 1e-2f);
}

TEST_F(PhysicsTest, AJumpRisesAndComesBackDown) {
  SPlayer& p = crew_.players[2];
  p.grounded = true;
  p.mode = kModePlayer;
  p.SetClip(p.clipLand);
  p.Clip(p.clipLand)->loops = 1;
  g_keys[32] = 1;
  Step(p);
  EXPECT_FALSE(p.grounded);
  EXPECT_NEAR(p.velocity.z, 70 - 100 * kDt, 1e-3f);
  g_keys[32] = 0;
  float top = 0;
  int frames = 1;
  while (!p.grounded && frames < 300) {
    Step(p);
    top = std::max(top, p.body.position.z);
    ++frames;
  }
  EXPECT_TRUE(p.grounded);
  EXPECT_NEAR(top, 70 * 70 / 200.0f, 2.0f);  // v^2 / 2g
  EXPECT_NEAR(frames * kDt, 1.4f, 0.1f);     // 2 v / g
}

TEST_F(PhysicsTest, FlyingHasNoGravityAndApproachesTheCommandedSpeed) {
  SPlayer& p = crew_.players[0];
  p.body.position = vec3(0, 0, 100);
  p.mode = kModePlayer;
  g_keys[32] = 1;
  Step(p);
  ASSERT_STREQ(p.ClipName(), "Fly");
  const float fallen = p.velocity.z;
  g_keysPrev[32] = 1;
  g_keys['w'] = 1;
  for (int i = 0; i < 200; ++i) Step(p);
  EXPECT_STREQ(p.ClipName(), "Fly");
  EXPECT_EQ(fallen, 0);  // no gravity while flying
  EXPECT_NEAR(p.velocity.z, 0, 1.0f);
  // velocity -> target / 0.99 along the body's forward axis.
  EXPECT_NEAR(length(p.velocity), 8 * p.body.radius / 0.99f, 0.5f);
  EXPECT_GT(p.body.position.x, 50);
}

TEST_F(PhysicsTest, StandingCharactersTurnOnTheSpotTowardTheView) {
  SPlayer& p = crew_.players[3];
  p.grounded = true;
  p.SetClip(p.clipStand);
  p.lookTarget = vec3(0, 100, 2);  // well to the left
  p.Orient();
  EXPECT_STREQ(p.ClipName(), "TurnLeft");
  EXPECT_EQ(p.Clip(p.clipTurnLeft)->loops, 0u);
  const float yaw = p.body.angles.z;
  p.Orient();  // turning: aligning toward the target
  EXPECT_GT(p.body.angles.z, yaw);
  p.Clip(p.clipTurnLeft)->loops = 1;
  p.Orient();
  EXPECT_STREQ(p.ClipName(), "Stand");

  p.lookTarget = vec3(0, -100, 2);
  p.Orient();
  EXPECT_STREQ(p.ClipName(), "TurnRight");

  // Almost straight ahead: standing still, no turn, no alignment.
  p.SetClip(p.clipStand);
  p.body.angles = vec3();
  p.lookTarget = vec3(100, 10, 2);
  p.Orient();
  EXPECT_STREQ(p.ClipName(), "Stand");
  EXPECT_NEAR(p.body.angles.z, 0, 1e-4f);

  // While the landing clip still shows, a standing character aligns.
  p.Clip(p.clipLand)->weight = 0.5f;
  p.Orient();
  EXPECT_GT(p.body.angles.z, 0.1f);

  // The right button stops any turning toward the view.
  p.body.angles = vec3();
  g_mouseRight = true;
  p.Orient();
  EXPECT_NEAR(p.body.angles.z, 0, 1e-4f);
}

TEST_F(PhysicsTest, RunningBanksIntoTheTurn) {
  SPlayer& p = crew_.players[3];
  p.grounded = true;
  p.SetClip(p.clipRun);
  p.lookTarget = vec3(100, 50, 0);  // ahead and to the left
  p.Orient();
  EXPECT_LT(p.body.angles.x, -0.5f);
  g_mouseRight = true;
  p.body.angles = vec3();
  p.Orient();
  EXPECT_NEAR(p.body.angles.x, 0, 1e-4f);
}
