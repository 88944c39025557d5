#include "math/vec3.h"

void vec3::triangleNormal(const vec3& p1, const vec3& p2, const vec3& p3) {
  *this = cross(p3 - p1, p2 - p1);
  normalize();
}

void vec3::quadNormal(const vec3& p1, const vec3& p2, const vec3& p3, const vec3& p4) {
  *this = cross(p3 - p1, p2 - p1) + cross(p4 - p1, p3 - p1);
  normalize();
}

vec3 vec3::anglesForward() const {
  const float p = DegToRad(y), yaw = DegToRad(z);
  return {std::cos(p) * std::cos(yaw), std::cos(p) * std::sin(yaw), -std::sin(p)};
}

vec3 vec3::anglesUp() const {
  const float r = DegToRad(x), p = DegToRad(y), yaw = DegToRad(z);
  const float sr = std::sin(r), cr = std::cos(r), sp = std::sin(p), cp = std::cos(p);
  const float sy = std::sin(yaw), cy = std::cos(yaw);
  return {sp * cr * cy + sr * sy, sp * cr * sy - sr * cy, cr * cp};
}
