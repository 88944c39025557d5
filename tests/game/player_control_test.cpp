// The clip state machine and the player's input (SPlayer::Control).
#include <gtest/gtest.h>

#include "core/timer.h"
#include "game/player.h"
#include "game/update.h"
#include "shell/input.h"
#include "support/test_character.h"

namespace {
class ControlTest : public CharacterTest {
 protected:
  // Character i standing on the ground, controlled by the player.
  SPlayer& Standing(int i) {
    SPlayer& p = crew_.players[i];
    p.grounded = true;
    p.mode = kModePlayer;
    p.SetClip(p.clipStand);
    return p;
  }
  // Space pressed this frame (not held in the previous one).
  static void PressSpace() {
    g_keysPrev[32] = 0;
    g_keys[32] = 1;
  }

  TestCrew crew_;
};
}  // namespace

TEST_F(ControlTest, OnTheGroundTheCommandOfThePreviousFrameChoosesTheClip) {
  SPlayer& p = Standing(3);
  p.forwardSpeed = 5;
  p.Control();
  EXPECT_STREQ(p.ClipName(), "Walk");
  EXPECT_EQ(p.forwardSpeed, 0);  // no key held: the command is cleared
  p.forwardSpeed = 5;
  g_mouseLeft = true;
  p.Control();
  EXPECT_STREQ(p.ClipName(), "Run");
  g_mouseLeft = false;
  p.Control();
  EXPECT_STREQ(p.ClipName(), "Stand");

  // A turn plays on while nothing is commanded; Space held keeps any clip.
  p.SetClip(p.clipTurnLeft);
  p.Control();
  EXPECT_STREQ(p.ClipName(), "TurnLeft");
  p.mode = kModeFollow;
  p.SetClip(p.clipRun);
  g_keys[32] = 1;
  p.Control();
  EXPECT_STREQ(p.ClipName(), "Run");
}

TEST_F(ControlTest, MovementKeysGiveSpeedsInBodyRadii) {
  SPlayer& p = Standing(3);
  const float r = p.body.radius;
  ASSERT_GT(r, 1.0f);
  g_keys['w'] = 1;
  p.Control();
  EXPECT_FLOAT_EQ(p.forwardSpeed, 4 * r);
  g_mouseLeft = true;
  p.Control();  // the previous command picks the run clip
  EXPECT_STREQ(p.ClipName(), "Run");
  EXPECT_FLOAT_EQ(p.forwardSpeed, 16 * r);
  g_mouseLeft = false;
  g_keys['s'] = 1;  // w wins over s
  p.Control();
  EXPECT_FLOAT_EQ(p.forwardSpeed, 4 * r);
  g_keys['w'] = 0;
  p.Control();
  EXPECT_FLOAT_EQ(p.forwardSpeed, -8 * r);
  g_keys['s'] = 0;
  g_keys['a'] = 1;
  p.Control();
  EXPECT_FLOAT_EQ(p.strafeSpeed, 8 * r);
  g_keys['d'] = 1;  // d wins over a
  p.Control();
  EXPECT_FLOAT_EQ(p.strafeSpeed, -8 * r);

  // With the left button a and d roll the body instead.
  g_keys['d'] = 0;
  g_mouseLeft = true;
  const float roll = p.body.angles.x;
  p.Control();
  EXPECT_EQ(p.strafeSpeed, 0);
  EXPECT_NEAR(p.body.angles.x, roll - 200 * kDt, 1e-4f);

  // A character the player doesn't control ignores the keys.
  g_mouseLeft = false;
  g_keys['w'] = 1;
  p.mode = kModeFollow;
  p.Control();
  EXPECT_EQ(p.forwardSpeed, 0);
}

TEST_F(ControlTest, SpaceCrouchesUntilTheLandingClipHasLoopedThenJumps) {
  SPlayer& p = Standing(3);
  const float r = p.body.radius;
  p.up = vec3(0, 0, 1);
  g_keys[32] = 1;
  p.Control();
  ASSERT_STREQ(p.ClipName(), "Land");
  CAnim& land = *p.Clip(p.clipLand);
  EXPECT_EQ(land.time, 2.0f);
  EXPECT_EQ(land.loops, 0u);
  p.Control();  // not looped yet: still crouching
  EXPECT_STREQ(p.ClipName(), "Land");
  EXPECT_TRUE(p.grounded);

  land.loops = 1;
  p.touched = true;
  p.Control();
  EXPECT_STREQ(p.ClipName(), "JumpAir");
  EXPECT_FALSE(p.grounded);
  EXPECT_FALSE(p.touched);
  EXPECT_EQ(p.velocity, vec3(0, 0, 70));

  // With w: 2 radii per second along the body's forward axis, times 1.5.
  SPlayer& q = Standing(2);
  q.body.angles = vec3(0, 0, 90);
  q.Clip(q.clipLand)->loops = 1;
  q.SetClip(q.clipLand);
  g_keys['w'] = 1;
  q.Control();
  EXPECT_STREQ(q.ClipName(), "JumpAir");
  EXPECT_NEAR(q.velocity.x, 0, 1e-4f);
  EXPECT_NEAR(q.velocity.y, 2 * r * 1.5f, 1e-4f);
  EXPECT_NEAR(q.velocity.z, 70, 1e-4f);

  // With w and the left button: the fast jump, four times as far.
  SPlayer& f = Standing(1);
  f.Clip(f.clipLand)->loops = 1;
  f.SetClip(f.clipLand);
  g_mouseLeft = true;
  f.Control();
  EXPECT_STREQ(f.ClipName(), "JumpAirFast");
  EXPECT_NEAR(f.velocity.x, 8 * r * 1.5f, 1e-3f);
}

TEST_F(ControlTest, ReleasingSpaceBeforeTheLoopLeavesTheCharacterStanding) {
  SPlayer& p = Standing(3);
  g_keys[32] = 1;
  p.Control();
  ASSERT_STREQ(p.ClipName(), "Land");
  g_keys[32] = 0;
  p.Clip(p.clipLand)->loops = 1;
  p.Control();
  EXPECT_STREQ(p.ClipName(), "Stand");
  EXPECT_TRUE(p.grounded);
  EXPECT_EQ(p.velocity, vec3());
}

TEST_F(ControlTest, OnlyTheWingedCharactersFly) {
  for (int i = 0; i < 4; ++i) {
    SPlayer& p = crew_.players[i];
    p.mode = kModePlayer;
    p.grounded = false;
    p.SetClip(p.clipJumpAir);
    PressSpace();
    p.Control();
    EXPECT_STREQ(p.ClipName(), i < 2 ? "Fly" : "JumpAir") << i;
  }
  // Flying, w commands 8 radii per second and the left button makes it fast.
  SPlayer& p = crew_.players[0];
  g_keysPrev[32] = 1;  // Space held, not pressed
  g_keys['w'] = 1;
  p.Control();
  EXPECT_FLOAT_EQ(p.forwardSpeed, 8 * p.body.radius);
  g_mouseLeft = true;
  p.Control();
  EXPECT_STREQ(p.ClipName(), "FlyFast");
  g_keys['w'] = 0;  // without a command the fast flight falls back
  p.forwardSpeed = 0;
  p.Control();
  EXPECT_STREQ(p.ClipName(), "Fly");
  // In flight the body's up follows the view.
  g_view = vec3(30, 0, 0);
  p.Control();
  EXPECT_NEAR(dot(p.up, g_view.anglesUp()), 1, 1e-5f);

  PressSpace();  // Space pressed again stops flying
  p.Control();
  EXPECT_STREQ(p.ClipName(), "JumpAir");
}

TEST_F(ControlTest, FastHorizontalFallUsesTheFastJumpClipAndPitchesTheRoot) {
  SPlayer& p = crew_.players[2];
  p.grounded = false;
  p.SetClip(p.clipJumpAir);
  p.velocity = vec3(80, 0, -10);  // 80 across, 10 down: 70 >= 50
  p.Control();
  EXPECT_STREQ(p.ClipName(), "JumpAirFast");
  p.Control();  // now pitched with the fall: 10 * 0.25 - 20 degrees
  EXPECT_NEAR(p.body.restRot[p.rootBone].y, DegToRad(-17.5f), 1e-5f);

  p.velocity = vec3(40, 0, -10);
  p.Control();
  EXPECT_STREQ(p.ClipName(), "JumpAir");
  EXPECT_EQ(p.body.restRot[p.rootBone].y, 0);

  // The pitch is clamped to [-60, 25] degrees.
  p.SetClip(p.clipJumpAirFast);
  p.velocity = vec3(600, 0, -500);
  p.Control();
  EXPECT_NEAR(p.body.restRot[p.rootBone].y, DegToRad(25), 1e-5f);
}

TEST_F(ControlTest, TheRightButtonPutsTheLookTargetBehind) {
  SPlayer& p = Standing(3);
  g_view = vec3(0, 0, 90);  // looking along +Y
  p.Control();
  EXPECT_NEAR(p.lookTarget.y - p.body.worldCenter.y, 100, 1e-3f);
  g_mouseRight = true;
  p.Control();
  EXPECT_NEAR(p.lookTarget.y - p.body.worldCenter.y, -100, 1e-3f);
}
