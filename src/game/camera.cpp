#include "game/camera.h"

Camera g_camera;

mat4 Camera::ViewMatrix(const vec3& viewAngles) const {
  mat4 axes;
  axes.fromAxes(vec3(0, 0, -1), vec3(-1, 0, 0), vec3(0, 1, 0));
  mat4 rotation;
  rotation.fromEuler(vec3(DegToRad(viewAngles.x), DegToRad(viewAngles.y), DegToRad(viewAngles.z)),
                     vec3());
  mat4 translation;
  translation.m[12] = -position.x;
  translation.m[13] = -position.y;
  translation.m[14] = -position.z;
  return axes.mulAffine(rotation.inverseAffine()).mulAffine(translation);
}

void Camera::Update() {
  proj.perspective(fov, viewportW, viewportH, zNear, zFar);
  view = ViewMatrix(angles);
  invViewProj = proj.mulAffine(view).inverseAffine();
  const vec3 c0 = invViewProj.column(0), c1 = invViewProj.column(1), c2 = invViewProj.column(2);
  cornerRays[0] = c2 - c0 - c1;
  cornerRays[1] = c0 - c1 + c2;
  cornerRays[2] = c1 - c0 + c2;
  cornerRays[3] = c0 + c1 + c2;
}

vec3 Camera::ScreenRay(float x, float y) const {
  const float u = (x - static_cast<float>(viewportX)) / static_cast<float>(viewportW);
  const float v = (y - static_cast<float>(viewportY)) / static_cast<float>(viewportH);
  const vec3 a = cornerRays[0] + (cornerRays[1] - cornerRays[0]) * u;
  const vec3 b = cornerRays[2] + (cornerRays[3] - cornerRays[2]) * u;
  return a + (b - a) * v;
}
