#include "math/mat4.h"

#include <cmath>

void mat4::fromAxes(const vec3& u, const vec3& v, const vec3& w) {
  const float values[16] = {u.x, u.y, u.z, 0, v.x, v.y, v.z, 0, w.x, w.y, w.z, 0, 0, 0, 0, 1};
  *this = mat4(values);
}

void mat4::fromEuler(const vec3& a, const vec3& t) {
  const float cr = std::cos(a.x), sr = std::sin(a.x);
  const float cp = std::cos(a.y), sp = std::sin(a.y);
  const float cy = std::cos(a.z), sy = std::sin(a.z);
  m[0] = cp * cy;
  m[1] = cp * sy;
  m[2] = -sp;
  m[3] = 0;
  m[4] = sr * sp * cy - cr * sy;
  m[5] = sr * sp * sy + cr * cy;
  m[6] = sr * cp;
  m[7] = 0;
  m[8] = cr * sp * cy + sr * sy;
  m[9] = cr * sp * sy - sr * cy;
  m[10] = cr * cp;
  m[11] = 0;
  m[12] = t.x;
  m[13] = t.y;
  m[14] = t.z;
  m[15] = 1;
}

vec3 mat4::toEuler() const {
  const float cb = std::sqrt(m[0] * m[0] + m[1] * m[1]);
  vec3 e;  // (roll, pitch, yaw)
  if (cb > 1e-5f) {
    if (m[10] > 0) {
      e.z = std::atan2(m[1], m[0]);
      e.y = std::atan2(-m[2], cb);
      e.x = std::atan2(m[6], m[10]);
    } else {
      e.z = -std::atan2(m[1], -m[0]);
      e.y = -std::atan2(m[2], -cb);
      e.x = -std::atan2(m[6], -m[10]);
    }
  } else {
    e.z = std::atan2(-m[4], m[5]);
    e.y = std::atan2(-m[2], cb);
    e.x = 0;
  }
  return e;
}

mat4 mat4::mulAffine(const mat4& b) const {
  const float* a = m;
  mat4 r;
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 3; ++i)
      r.m[j * 4 + i] = a[i] * b.m[j * 4] + a[4 + i] * b.m[j * 4 + 1] + a[8 + i] * b.m[j * 4 + 2];
    r.m[j * 4 + 3] = 0;
  }
  for (int i = 0; i < 3; ++i)
    r.m[12 + i] = a[i] * b.m[12] + a[4 + i] * b.m[13] + a[8 + i] * b.m[14] + a[12 + i];
  r.m[15] = 1;
  return r;
}

mat4 mat4::inverseAffine() const {
  // Element (row i, column j) of the 3x3 block.
  auto e = [this](int i, int j) { return m[j * 4 + i]; };
  const float det = e(0, 0) * e(1, 1) * e(2, 2) + e(0, 1) * e(1, 2) * e(2, 0) +
                    e(0, 2) * e(1, 0) * e(2, 1) - e(0, 2) * e(1, 1) * e(2, 0) -
                    e(0, 1) * e(1, 0) * e(2, 2) - e(0, 0) * e(1, 2) * e(2, 1);
  const float inv = 1.0f / det;
  mat4 r;
  auto set = [&r](int i, int j, float v) { r.m[j * 4 + i] = v; };
  set(0, 0, (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) * inv);
  set(0, 1, (e(0, 2) * e(2, 1) - e(0, 1) * e(2, 2)) * inv);
  set(0, 2, (e(0, 1) * e(1, 2) - e(0, 2) * e(1, 1)) * inv);
  set(1, 0, (e(1, 2) * e(2, 0) - e(1, 0) * e(2, 2)) * inv);
  set(1, 1, (e(0, 0) * e(2, 2) - e(0, 2) * e(2, 0)) * inv);
  set(1, 2, (e(0, 2) * e(1, 0) - e(0, 0) * e(1, 2)) * inv);
  set(2, 0, (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0)) * inv);
  set(2, 1, (e(0, 1) * e(2, 0) - e(0, 0) * e(2, 1)) * inv);
  set(2, 2, (e(0, 0) * e(1, 1) - e(0, 1) * e(1, 0)) * inv);
  const vec3 t(m[12], m[13], m[14]);
  const vec3 it = r.rotateVector(t);
  r.m[12] = -it.x;
  r.m[13] = -it.y;
  r.m[14] = -it.z;
  r.m[3] = r.m[7] = r.m[11] = 0;
  r.m[15] = 1;
  return r;
}

void mat4::perspective(float fovDegrees, int width, int height, float zNear, float zFar) {
  const float f = 1.0f / std::tan(fovDegrees * kPi / 180.0f * 0.5f);
  const float aspect = static_cast<float>(width) / static_cast<float>(height);
  for (float& v : m) v = 0;
  m[0] = f / aspect;
  m[5] = f;
  m[10] = (zNear + zFar) / (zNear - zFar);
  m[11] = -1;
  m[14] = 2 * zFar * zNear / (zNear - zFar);
  m[15] = 0;
}
