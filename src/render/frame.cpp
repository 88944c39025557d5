#include "render/frame.h"

#include <GL/gl.h>

#include "audio/bass.h"
#include "core/bench.h"
#include "core/input_tables.h"
#include "core/timer.h"
#include "environment/cloud.h"
#include "environment/sky.h"
#include "environment/sparkles.h"
#include "environment/terrain.h"
#include "game/camera.h"
#include "game/player.h"
#include "game/update.h"
#include "image/font_gl.h"
#include "render/camera_gl.h"
#include "render/overlay.h"
#include "render/pass_timer.h"
#include "resources/manager.h"

Frustum g_frustum;
vec3 g_lightDir(10, 10, 100);

GlDrain::GlDrain() {
  if (BenchEnabled()) glFinish();
}

PassTimer::~PassTimer() {
  GlDrain();  // a temporary: waits for the pass's own drawing
}

namespace {
void SetAmbient(float r, float g, float b) {
  const float ambient[4] = {r, g, b, 1.0f};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
}

void DrawTerrainAndTrees() {
  PassTimer timer("render.terrain+trees");
  g_manager.DrawModel(&g_map, true, true);
  for (uint32_t i = 0; g_trees && i < g_treeCount; ++i)
    g_manager.DrawModel(&g_trees[i], true, true);
}

void DrawCloud() {
  PassTimer timer("render.cloud");
  Model& cloud = g_cloud.model;
  if (sphereInFrustum(g_frustum, cloud.worldCenter, cloud.radius) == 0) return;
  const bool hidden = g_keys['o'] != 0;
  if (!hidden) g_cloud.Draw();
  glColor3f(0.7f, 0.7f, 1.0f);
  if (hidden) return;
  cloud.Silhouette(g_camera.position);
  cloud.DrawOutline(0.7f);
}
}  // namespace

void DrawScene(const mat4* skyView) {
  g_lightDir = g_sky.sunDir;
  glEnable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glColor3f(1, 1, 1);
  SetAmbient(0.4f, 0.5f, 0.4f);
  DrawTerrainAndTrees();
  SetAmbient(0.5f, 0.5f, 0.7f);
  DrawCloud();
  // The sky goes here, after the opaque world and before the characters,
  // whose trails are blended over what lies behind them.
  if (skyView) {
    PassTimer timer("render.sky");
    const bool lit = glIsEnabled(GL_LIGHTING);
    g_sky.Draw(*skyView, true);
    if (lit) glEnable(GL_LIGHTING);
  }

  glColor3f(1, 1, 1);
  glEnable(GL_TEXTURE_2D);
  {
    PassTimer timer("render.characters");  // each culls itself
    for (int i = 0; g_players && i < g_characterCount; ++i) g_players[i].Draw();
  }
  glDisable(GL_TEXTURE_2D);
  if (!g_keys['p'] && g_players) {
    PassTimer timer("render.sparkles");
    const SPlayer& current = g_players[g_current];
    SparkleWorld world;
    world.dt = g_timer.frameTime;
    world.eye = g_camera.position;
    world.characterPos = current.body.position;
    world.characterFrame = current.frame;
    world.pull = g_keys['g'] != 0;
    world.trees = g_trees;
    world.treeCount = g_treeCount;
    world.map = &g_map;
    g_sparkles.Update(world);
    g_sparkles.Draw(g_camera.angles);
  }
  glEnable(GL_LIGHTING);
  if (KeyPressed('l')) g_cloud.animate = !g_cloud.animate;
}

void RenderFrame(bool skyFirst) {
  g_camera.Update();
  glViewport(g_camera.viewportX, g_camera.viewportY, g_camera.viewportW, g_camera.viewportH);
  // No colour clear: the sky covers the whole view.
  glClear(GL_DEPTH_BUFFER_BIT);
  CameraLoadMatrices(g_camera);
  mat4 projection, modelview;
  glGetFloatv(GL_PROJECTION_MATRIX, projection.m);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview.m);
  extractFrustum(projection, modelview, g_frustum);
  const float light[4] = {g_lightDir.x, g_lightDir.y, g_lightDir.z, 0.0f};  // directional
  glLightfv(GL_LIGHT0, GL_POSITION, light);
  Camera atOrigin = g_camera;  // the dome stays around the eye
  atOrigin.position = vec3();
  const mat4 skyView = atOrigin.ViewMatrix(g_camera.angles);
  g_sky.UpdateSun();
  if (skyFirst) {
    PassTimer timer("render.sky");
    g_sky.Draw(skyView);
  }
  DrawScene(skyFirst ? nullptr : &skyView);
  KeepMusicPlaying();

  {
    PassTimer timer("render.overlay");
    g_font.Begin2D();
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    if (g_freeLook) {  // the mouse-look offsets of this frame
      glPointSize(4.0f);
      glColor3f(1, 1, 1);
      glBegin(GL_POINTS);
      glVertex2i(static_cast<int>(g_mouseDX), static_cast<int>(g_mouseDY));
      glEnd();
    }
    DrawOverlay();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
  }
  g_manager.boundTex = 999;
}
