// SPlayer::Draw: one character's part of the frame.
#include <GL/gl.h>

#include "core/bench.h"
#include "core/input_tables.h"
#include "core/timer.h"
#include "game/camera.h"
#include "game/player.h"
#include "render/frame.h"
#include "render/pass_timer.h"
#include "render/trail_draw.h"
#include "resources/manager.h"

namespace {
// The collision ellipsoids on the posed body, drawn with the eye's sphere.
// Placements on bones the body doesn't have are skipped.
void DrawSpheres(const SPlayer& p, Model& sphere) {
  glDisable(GL_CULL_FACE);
  const mat4 placement = BodyPlacement(p.body);
  for (int i = 0; i < p.sphereCount; ++i) {
    const SpherePlacement& s = p.spheres[i];
    if (s.bone >= p.body.boneCount || !p.body.boneMatrix) continue;
    mat4 local, scale;
    local.fromEuler(s.rotation, s.position);
    scale.m[0] = s.scale.x;
    scale.m[5] = s.scale.y;
    scale.m[10] = s.scale.z;
    const mat4 m = placement.mulAffine(p.body.boneMatrix[s.bone]).mulAffine(local).mulAffine(scale);
    glPushMatrix();
    glMultMatrixf(m.m);
    // The sphere's own bounding sphere says nothing about where it is drawn
    // here, so it is not culled by it.
    g_manager.DrawModel(&sphere, false, true);
    glPopMatrix();
  }
  glEnable(GL_CULL_FACE);
}
}  // namespace

void SPlayer::DrawTrail(bool active) {
  trail.Update(active, g_timer.frameTime);
  g_manager.BindTexture(trailTexture);
  glEnable(GL_TEXTURE_2D);
  DrawTrailRibbon(trail, g_camera.position);
}

void SPlayer::Draw() {
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  DrawTrail(TrailFed());
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
    PassTimer timer("render.strands");
    line.Simulate(g_timer.frameTime, g_keys['g'] || g_keys['G']);
    CollideStrands();
    line.DrawStrands(g_camera.position, g_keys['l'] != 0);
    EditStrands();
  }

  body.Silhouette(g_camera.position);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glColor3fv(&colors[3].x);
  if (!g_keys['o']) body.DrawOutline(0.1f);
  if (g_keys['n']) DrawSpheres(*this, eye);
  glEnable(GL_TEXTURE_2D);
  PassTimer timer("render.eyes");
  DrawEye(leftEyeBone, 1);
  DrawEye(rightEyeBone, 0);
}
