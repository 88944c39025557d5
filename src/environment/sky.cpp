#include "environment/sky.h"

#include <GL/gl.h>

#include <cmath>
#include <utility>

#include "gl/extensions.h"
#include "resources/manager.h"

Sky g_sky;

void Sky::Init() {
  model.Reset();
  g_manager.RegisterModel(&model);
  const uint16_t slot = g_manager.CreateMesh();
  // Slot 0 is the manager's fallback cube: no dome rather than a reshaped
  // cube; nor a dome for an unregistered model, which the table would leave.
  if (slot && model.slot >= 0) {
    g_manager.meshName[slot].format("%s", "sky.gen");
    Mesh& mesh = g_manager.meshes[slot];
    mesh.GenSphere(40, 40);
    // Seen from inside: every triangle turned round.
    for (uint32_t t = 0; t < mesh.triCount; ++t) std::swap(mesh.tris[3 * t], mesh.tris[3 * t + 2]);
    model.Assign(&mesh);
  }
  sunAngle = 0.5235988f;
  turbidity = 2.0f;
  colorExp = 10.0f;
  LoadShaderOrExit(&program, "sky");
  if (g_hasGLSL) {
    locEyePos = glsl::glGetUniformLocationARB(program.program, "eyePos");
    locSunPos = glsl::glGetUniformLocationARB(program.program, "sunPos");
    locTurbidity = glsl::glGetUniformLocationARB(program.program, "turbidity");
    locColorExp = glsl::glGetUniformLocationARB(program.program, "colorExp");
  } else {
    locEyePos = locSunPos = locTurbidity = locColorExp = 0;
  }
}

void Sky::UpdateSun() {
  sunDir = vec3(std::sin(sunAngle), 0, std::cos(sunAngle));
}

void Sky::Draw(const mat4& rotation, bool behindScene) {
  UpdateSun();
  if (behindScene) {
    // Everything at the far plane with the scene's less-or-equal test: only
    // pixels the scene left at the cleared depth take the sky, and the dome
    // and the disc still cover each other in drawing order.
    glDepthRange(1.0, 1.0);
    glDepthMask(GL_FALSE);
  } else {
    glDisable(GL_DEPTH_TEST);
  }
  glDisable(GL_CULL_FACE);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);

  glPushMatrix();
  glLoadIdentity();
  glLoadMatrixf(rotation.m);
  eyePos = vec3();

  if (g_hasGLSL) {
    glext::glUseProgramObjectARB(program.active);
    glext::glUniform4fARB(locEyePos, eyePos.x, eyePos.y, eyePos.z, 1.0f);
    glext::glUniform4fARB(locSunPos, sunDir.x, sunDir.y, sunDir.z, 1.0f);
    glext::glUniform1fARB(locTurbidity, turbidity);
    glext::glUniform1fARB(locColorExp, colorExp);
  }
  g_manager.DrawModel(&model, false, true);
  if (g_hasGLSL) glext::glUseProgramObjectARB(0);

  // The disc's rim is a circle in eye space turned back into the world by the
  // transposed rotation, so it always faces the eye.
  glColor3f(1.0f, 1.0f, 0.8f);
  glBegin(GL_TRIANGLE_FAN);
  glVertex3f(sunDir.x, sunDir.y, sunDir.z);
  for (int degrees = 0; degrees <= 360; degrees += 10) {
    const float a = static_cast<float>(degrees) * 3.1415927f * 0.0055555557f;
    const vec3 rim(0.06f * std::sin(a), 0.06f * std::cos(a), 0);
    const vec3 p = sunDir + vec3(dot(rotation.column(0), rim), dot(rotation.column(1), rim),
                                 dot(rotation.column(2), rim));
    glVertex3f(p.x, p.y, p.z);
  }
  glEnd();

  glPopMatrix();
  glDepthRange(0.0, 1.0);
  glDepthMask(GL_TRUE);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_CULL_FACE);
}

void Sky::Release() {
  program.Release();
}
