#include "shell/app.h"

#include <GL/gl.h>

#include <cstdlib>

#include "audio/bass.h"
#include "core/bench.h"
#include "core/log.h"
#include "core/timer.h"
#include "core/trace.h"
#include "environment/cloud.h"
#include "environment/sky.h"
#include "environment/sparkles.h"
#include "environment/terrain.h"
#include "game/camera.h"
#include "game/camera_setup.h"
#include "game/player.h"
#include "game/update.h"
#include "gl/extensions.h"
#include "image/font_gl.h"
#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/window.h"
#include "render/frame.h"
#include "resources/manager.h"
#include "shell/extras.h"
#include "shell/harness.h"
#include "shell/input.h"
#include "shell/window.h"

void SetFixedGlState() {
  glClearColor(0, 0, 0, 0);
  glClearDepth(1.0);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_FRONT);  // the models' front faces are the clockwise ones
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_COLOR_MATERIAL);
  glBlendFunc(GL_ONE, GL_ONE);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_POINT_SMOOTH);
}

namespace {
// What the window set-up does once the context exists: the resource manager,
// then the overlay font, whose texture the manager owns from then on.
void AfterContext() {
  g_manager.init();
  const int dpi = PlatformDisplayDpi();
  g_font.Init("Comic Sans MS", 15, dpi > 0 ? dpi : 96);
  g_manager.RegisterTex(g_font.faceName.c_str(), g_font.texture);
}

// With --camera: the camera stays at the option's position and angles with
// the start-up field of view, whatever the frame's update did.
void FixCameraForRun(const HarnessOptions& options) {
  if (!options.fixCamera) return;
  const float* c = options.camera;
  g_camera.position = vec3(c[0], c[1], c[2]);
  g_camera.angles = vec3(c[3], c[4], c[5]);
  g_camera.fov = kStartFov;
}

void Startup() {
  g_fullscreen = true;
  if (g_windowOptions.windowed) g_fullscreen = false;
  CreateGLWindow("QuietHarbour", g_width, g_height, g_fullscreen, AfterContext);
  PlatformShowCursor(false);
  SetFixedGlState();
  g_audio.Reset();
  InitAudio();  // without a device the program goes on silent

  // Missing entry points end here too: drawing would call through them.
  if (!InitGLSL() || !g_hasGLSL) {
    Log(LOG_WARNING, "NO GLSL");
    PlatformFatalBox("Upgrade Video card(or driver)", "Seriously");
  }
  Log(LOG_INFO, "glsl::initialized");

  g_jumpSound[0] = g_audio.LoadSound("snd\\kt_jump.mp3", 1, true);
  g_jumpSound[1] = g_audio.LoadSound("snd\\mv_jump.mp3", 1, true);
  g_jumpSound[2] = g_audio.LoadSound("snd\\wn_jump.mp3", 1, true);
  g_jumpSound[3] = g_audio.LoadSound("snd\\zl_jump.mp3", 1, true);
  g_music = g_audio.PlayMusic(DataFolder());
  RegisterAudioTrace();

  LoadTerrainAndTrees();
  CreateCharacters();

  g_sky.Init();
  g_cloud.Init(5);
  g_cloud.Place();
  g_cloudModel = &g_cloud.model;
  g_sparkles.Init(100);
  SetUpCamera(g_width, g_height);
  // Mouse look turns by the cursor's distance from the centre: starting
  // anywhere else would jerk the first frame's view.
  CentreCursor();
  FixCameraForRun(g_harness.options());
  RegisterTraceWriter(WriteCameraTrace);
}

// One pass of the loop's input sampling, with the scripted events of the
// coming frame put in place first.
void Sample(long nextFrame) {
  g_harness.ApplyBeforeSampling(nextFrame);
  SampleInput();
  SampleGamepad();
  g_harness.ApplyAfterSampling(nextFrame);
}
}  // namespace

int RunProgram() {
  Startup();
  StartExtras(g_harness.Scripted());

  if (g_harness.Scripted()) Sample(0);
  // Tests draw the sky first, the old way, to compare the pictures.
  const bool skyFirst = std::getenv("QH_SKY_FIRST") != nullptr;
  for (long frame = 0;; ++frame) {
    PumpWindowMessages();
    while (!g_active && !g_closeRequested) {
      PlatformSleep(500);
      PumpWindowMessages();
    }
    PlatformAdvanceClock();
    g_timer.Tick();
    {
      BenchScope scope("update");
      if (KeyPressed('v')) ToggleVsync();
      HandleProgramKeys();
      UpdateFrame(g_freeLook);
      FixCameraForRun(g_harness.options());
    }
    {
      BenchScope scope("render");
      RenderFrame(skyFirst);
      if (BenchEnabled()) glFinish();  // measure the drawing, not the swap
    }
    AfterRenderExtras();
    g_harness.AfterRender(frame, g_timer.frameTime);
    {
      BenchScope scope("swap");
      PlatformSwapBuffers();
    }
    Sample(frame + 1);
    if (g_keys[27] || g_closeRequested || g_harness.LastFrame(frame)) break;
  }

  g_sky.Release();  // while the context still exists
  g_manager.Unload();
  ReleaseCharacters();
  ShutdownAudio();
  g_harness.End();
  return 0;
}
