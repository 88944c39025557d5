// SPlayer::Draw: one character's part of the frame.
#include <GL/gl.h>

#include "game/camera.h"
#include "game/player.h"
#include "render/frame.h"
#include "resources/manager.h"
#include "shell/harness.h"
#include "shell/input.h"
#include "shell/timer.h"

void SPlayer::Draw() {
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  if (sphereInFrustum(g_frustum, body.worldCenter, body.radius) == 0) return;
  // The body is normally unlit, at full texture brightness; "l" shows it lit.
  if (g_keys['l']) {
    glEnable(GL_LIGHTING);
    const float ambient[4] = {0.9f, 0.9f, 0.9f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  } else {
    glDisable(GL_LIGHTING);
  }
  // The current clip is driven at full weight; the others fade out.
  if (body.curAnim < body.animCount) body.anims[body.curAnim]->weight = 1.0f;
  g_manager.DrawModel(&body, false, true);
  {
    BenchScope scope("render.strands");
    line.Simulate(g_timer.frameTime, g_keys['g'] || g_keys['G']);
    CollideStrands();
    line.DrawStrands(g_camera.position, g_keys['l'] != 0);
    EditStrands();
  }
}
