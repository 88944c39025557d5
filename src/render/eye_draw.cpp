// SPlayer::DrawEye: one eyeball, its lid and the black lines around it.
#include <GL/gl.h>

#include "core/input_tables.h"
#include "core/timer.h"
#include "environment/sky.h"
#include "game/camera.h"
#include "game/player.h"
#include "gl/extensions.h"
#include "render/eyes.h"
#include "resources/manager.h"

namespace {
constexpr int kShift = 10;  // key code of either Shift key

void DrawLidLines() {
  vec3 edge[kLidEdgePoints];
  LidEdge(edge);
  vec3 lashes[kLashPoints];
  Lashes(lashes);
  glColor3f(0, 0, 0);
  glBegin(GL_LINE_STRIP);
  for (const vec3& p : edge) glVertex3f(p.x, p.y, p.z);
  glEnd();
  glBegin(GL_LINES);
  for (const vec3& p : lashes) glVertex3f(p.x, p.y, p.z);
  glEnd();
}
}  // namespace

void SPlayer::DrawEye(int bone, int side) {
  if (bone < 0 || bone >= body.boneCount || !body.boneMatrix || !body.invBind) return;
  glDisable(GL_CULL_FACE);
  const mat4 frame = EyeFrame(body, bone, side);
  vec3& angles = eyeAngles[side ? 0 : 1];
  angles = GazeAngles(frame, lookTarget);
  const bool wide = g_keys['u'] != 0;
  if (side == 1) {
    AdvanceBlink(&blinkTimer, g_timer.frameTime);
    lidAngle = LidAngle(angles.y, BlinkClosure(blinkTimer), g_keys[kShift] != 0);
  }
  mat4 gaze;
  const mat4 ball = EyeballMatrix(frame, angles, wide, &gaze);
  // The eyes catch the light when they face the sun.
  if (side == 1) ballData[3] = 0.6f + 0.25f * dot(frame.mulAffine(gaze).column(0), g_sky.sunDir);

  // Set-up ends the program when the eye program can't be built; only a
  // character that was never set up gets here without one.
  const bool shaded = g_hasGLSL && eyeProgram.active;
  if (shaded) {
    glext::glUseProgramObjectARB(eyeProgram.active);
    glext::glUniform4fARB(locBallData, ballData[2], ballData[3] - 0.2f, ballData[4], ballData[5]);
  }
  glPushMatrix();
  glMultMatrixf(ball.m);
  if (shaded) {
    const mat4 inverse = g_camera.ViewMatrix(g_camera.angles).mulAffine(ball).inverseAffine();
    glext::glUniformMatrix4fvARB(locModelViewInverse, 1, GL_FALSE, inverse.m);
  }
  g_manager.DrawModel(&eye, false, true);
  glPopMatrix();
  if (shaded) glext::glUseProgramObjectARB(0);

  glLineWidth(6.0f);
  glPushMatrix();
  glMultMatrixf(LidMatrix(frame, lidAngle, index, wide).m);
  DrawLidLines();
  glColor3f(1, 1, 1);
  g_manager.DrawModel(&eyelid, false, true);
  glPopMatrix();
  glEnable(GL_CULL_FACE);
}
