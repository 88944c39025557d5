// A character's part of the frame: drawn and posed only when in view.
#include <gtest/gtest.h>

#include "game/camera.h"
#include "game/player.h"
#include "render/frame.h"
#include "resources/manager.h"
#include "shell/timer.h"
#include "support/gl_context.h"
#include "support/test_character.h"

TEST(PlayerDraw, TheBodyIsPosedWithItsCurrentClipOnlyWhenInView) {
  ASSERT_TRUE(EnsureGlContext());
  g_manager.init();
  {
    TestCrew crew(1);
    SPlayer& p = crew.players[0];
    p.SetClip(p.clipWalk);
    p.body.position = vec3(20, 0, 0);
    p.body.UpdateMatrix();
    Camera camera;  // at the origin looking along +x
    camera.fov = 60;
    camera.zNear = 0.1f;
    camera.zFar = 100;
    camera.viewportW = camera.viewportH = 64;
    camera.Update();
    extractFrustum(camera.proj, camera.view, g_frustum);
    g_timer.frameTime = 0.1f;

    CAnim& walk = *p.Clip(p.clipWalk);
    p.Draw();
    EXPECT_FLOAT_EQ(walk.weight, 0.7f);  // driven at full weight, then faded by one pose
    EXPECT_FLOAT_EQ(walk.time, 1 + walk.speed * 0.1f);
    EXPECT_EQ(p.Clip(p.clipStand)->weight, 0);

    // Behind the camera: nothing drawn, the clock stands still.
    p.body.position = vec3(-20, 0, 0);
    p.body.UpdateMatrix();
    const float time = walk.time;
    p.Draw();
    EXPECT_EQ(walk.time, time);
  }
  g_manager.Unload();
}
