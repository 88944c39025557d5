// A character's part of the frame: which clips feed the trail, the body posed only in view
// while the trail always follows.
#include <gtest/gtest.h>

#include "core/timer.h"
#include "game/camera.h"
#include "game/camera_setup.h"
#include "game/player.h"
#include "render/frame.h"
#include "resources/manager.h"
#include "support/gl_context.h"
#include "support/test_character.h"

TEST_F(CharacterTest, OnlyRunningAndFastMovementFeedTheTrailAndTheBodyIsPosedOnlyInView) {
  TestCrew crew(1);
  SPlayer& p = crew.players[0];
  for (int clip : {p.clipFlyFast, p.clipRun, p.clipJumpAirFast, p.clipStand, p.clipWalk,
                   p.clipJumpAir, p.clipLand, p.clipFly, p.clipTurnLeft, p.clipTurnRight}) {
    p.SetClip(clip);
    EXPECT_EQ(p.TrailFed(), clip == p.clipFlyFast || clip == p.clipRun || clip == p.clipJumpAirFast)
        << p.ClipName();
  }
  p.body.curAnim = p.body.animCount;  // no clip current
  EXPECT_FALSE(p.TrailFed());
  ASSERT_TRUE(EnsureGlContext());
  g_manager.init();
  p.trail.Init(&p.body, 20, 3);
  p.SetClip(p.clipWalk);
  p.body.position = vec3(20, 0, 0);
  p.body.UpdateMatrix();
  g_camera = Camera();  // at the origin looking along +x
  SetUpCamera(64, 64);
  extractFrustum(g_camera.proj, g_camera.view, g_frustum);
  g_timer.frameTime = 0.1f;
  CAnim& walk = *p.Clip(p.clipWalk);
  p.Draw();
  EXPECT_FLOAT_EQ(walk.weight, 0.7f);  // driven at full weight, then faded by one pose
  EXPECT_FLOAT_EQ(walk.time, 1 + walk.speed * 0.1f);
  EXPECT_EQ(p.Clip(p.clipStand)->weight, 0);
  EXPECT_FLOAT_EQ(p.blinkTimer, 0.5f);  // the eyes were drawn
  EXPECT_EQ(p.trail.fade(0), 0);        // walking doesn't feed the trail
  // Behind the camera: nothing drawn, the clock and the blink stand still, but the trail
  // follows the running body (the idle ribbon was due to shift: the new point moved on).
  p.SetClip(p.clipRun);
  p.body.position = vec3(-20, 0, 0);
  p.body.UpdateMatrix();
  const float time = p.Clip(p.clipRun)->time;
  p.Draw();
  EXPECT_EQ(p.Clip(p.clipRun)->time, time);
  EXPECT_FLOAT_EQ(p.blinkTimer, 0.5f);
  EXPECT_EQ(p.trail.fade(1), 1.0f);
  EXPECT_EQ(p.trail.spline.world[0][1], p.body.worldCenter);
  g_manager.Unload();
}
