#include "game/camera_setup.h"

#include "core/trace.h"
#include "game/camera.h"

void SetUpCamera(int width, int height) {
  g_camera.fov = kStartFov;
  g_camera.zNear = 0.1f;
  g_camera.zFar = 5000.0f;
  g_camera.viewportX = 0;
  g_camera.viewportY = 0;
  g_camera.viewportW = width;
  g_camera.viewportH = height;
  g_camera.Update();
}

void FitCameraToWindow(int width, int height) {
  if (width <= 0 || height <= 0) return;  // minimised: keep the last view
  if (g_camera.viewportW == width && g_camera.viewportH == height) return;
  g_camera.viewportW = width;
  g_camera.viewportH = height;
  g_camera.Update();
}

void WriteCameraTrace(std::string* out) {
  const vec3& p = g_camera.position;
  const vec3& a = g_camera.angles;
  const float position[3] = {p.x, p.y, p.z}, angles[3] = {a.x, a.y, a.z};
  *out += ",\"camera\":{\"position\":";
  TraceVec3(out, position);
  *out += ",\"angles\":";
  TraceVec3(out, angles);
  *out += ",\"fov\":";
  TraceNumber(out, g_camera.fov);
  *out += "}";
}
