// Rotation quaternions (vector part first, Hamilton convention) and dual
// quaternions for rigid transforms.
#pragma once
#include "math/mat4.h"

struct quat {
  float x = 0, y = 0, z = 0, w = 1;

  quat() = default;
  constexpr quat(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
  float& operator[](int i) { return (&x)[i]; }
  const float& operator[](int i) const { return (&x)[i]; }

  // From Euler angles in radians (roll, pitch, yaw).
  void fromEuler(const vec3& radians);
  // To Euler angles in radians; the quaternion need not be unit.
  vec3 toEuler() const;

  // Shortest-arc spherical interpolation of a and b into this; the result is
  // not renormalised.
  void slerp(const quat& a, const quat& b, const float& t);

  // Rotates a direction (q v q*).
  vec3 rotate(const vec3& v) const {
    const vec3 r(x, y, z);
    return v + 2.0f * cross(r, w * v + cross(r, v));
  }
};

// Rotation `real` and dual part ½·t·real for a rigid transform.
struct dualquat {
  quat real;
  quat dual{0, 0, 0, 0};

  // From an affine matrix (trace method; the rotation is not normalised).
  void fromMatrix(const mat4& m);

  vec3 transformPoint(const vec3& p) const {
    const vec3 r(real.x, real.y, real.z), d(dual.x, dual.y, dual.z);
    const vec3 u = real.w * p + cross(r, p);
    return p + 2.0f * cross(r, u) + 2.0f * (real.w * d - dual.w * r + cross(r, d));
  }
  vec3 rotate(const vec3& v) const { return real.rotate(v); }
};
