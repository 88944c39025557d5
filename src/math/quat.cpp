#include "math/quat.h"

#include <cmath>

void quat::fromEuler(const vec3& a) {
  const float cr = std::cos(a.x * 0.5f), sr = std::sin(a.x * 0.5f);
  const float cp = std::cos(a.y * 0.5f), sp = std::sin(a.y * 0.5f);
  const float cy = std::cos(a.z * 0.5f), sy = std::sin(a.z * 0.5f);
  x = sr * cp * cy - cr * sp * sy;
  y = cr * sp * cy + sr * cp * sy;
  z = cr * cp * sy - sr * sp * cy;
  w = cr * cp * cy + sr * sp * sy;
}

vec3 quat::toEuler() const {
  const float n = x * x + y * y + z * z + w * w;
  const float m0 = (w * w + x * x - y * y - z * z) / n;
  const float m1 = 2 * (x * y + z * w) / n;
  const float m2 = 2 * (x * z - y * w) / n;
  const float m4 = 2 * (x * y - z * w) / n;
  const float m5 = (w * w - x * x + y * y - z * z) / n;
  const float m6 = 2 * (y * z + w * x) / n;
  const float m10 = (w * w - x * x - y * y + z * z) / n;
  const float cb = std::sqrt(m0 * m0 + m1 * m1);
  if (cb > 1e-5f) return {std::atan2(m6, m10), std::atan2(-m2, cb), std::atan2(m1, m0)};
  return {0.0f, std::atan2(-m2, cb), std::atan2(-m4, m5)};
}

void quat::slerp(const quat& a, const quat& bIn, const float& t) {
  float dMinus = 0, dPlus = 0;
  for (int i = 0; i < 4; ++i) {
    dMinus += (a[i] - bIn[i]) * (a[i] - bIn[i]);
    dPlus += (a[i] + bIn[i]) * (a[i] + bIn[i]);
  }
  quat b = bIn;
  if (dMinus > dPlus) b = quat(-b.x, -b.y, -b.z, -b.w);
  const float k = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
  float s0, s1;
  if (1.0f - k > 1e-6f) {
    const float omega = std::acos(k);
    const float sinOmega = std::sin(omega);
    s0 = std::sin((1.0f - t) * omega) / sinOmega;
    s1 = std::sin(t * omega) / sinOmega;
  } else {
    s0 = 1.0f - t;
    s1 = t;
  }
  for (int i = 0; i < 4; ++i) (*this)[i] = s0 * a[i] + s1 * b[i];
}

void dualquat::fromMatrix(const mat4& mat) {
  const float* m = mat.m;
  auto M = [m](int i, int j) { return m[j * 4 + i]; };
  quat& q = real;
  const float trace = m[0] + m[5] + m[10];
  if (trace > 0) {
    const float s = std::sqrt(trace + 1.0f);
    q.w = s * 0.5f;
    const float f = 0.5f / s;
    q.x = (m[6] - m[9]) * f;
    q.y = (m[8] - m[2]) * f;
    q.z = (m[1] - m[4]) * f;
  } else {
    static const int next[3] = {1, 2, 0};
    int i = 0;
    if (m[0] < m[5]) i = 1;
    if (M(i, i) < m[10]) i = 2;
    const int j = next[i], k = next[j];
    const float s = std::sqrt(M(i, i) - M(j, j) - M(k, k) + 1.0f);
    q[i] = s * 0.5f;
    const float f = s == 0.0f ? 0.0f : 0.5f / s;
    q.w = (M(k, j) - M(j, k)) * f;
    q[j] = (M(j, i) + M(i, j)) * f;
    q[k] = (M(k, i) + M(i, k)) * f;
  }
  const float tx = m[12], ty = m[13], tz = m[14];
  dual.x = 0.5f * (q.w * tx + q.z * ty - q.y * tz);
  dual.y = 0.5f * (q.w * ty - q.z * tx + q.x * tz);
  dual.z = 0.5f * (q.y * tx - q.x * ty + q.w * tz);
  dual.w = -0.5f * (q.x * tx + q.y * ty + q.z * tz);
}
