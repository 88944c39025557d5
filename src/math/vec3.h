// The 3-vector shared by positions, directions, Euler angles and colours.
//
// World frame: right-handed, +Z up, +X forward, +Y left. Euler angles are
// (x = roll, y = pitch, z = yaw), applied as Rz(yaw) * Ry(pitch) * Rx(roll).
#pragma once
#include <cmath>

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;
constexpr float kInv180 = 0.0055555557f;
constexpr float kInvPi = 0.31830987f;

// Degrees to radians the way the program does it: angle * pi * (1/180).
inline float DegToRad(float degrees) {
  return degrees * kPi * kInv180;
}

struct vec3 {
  float x = 0, y = 0, z = 0;

  vec3() = default;
  constexpr vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

  vec3& operator+=(const vec3& o) {
    x += o.x;
    y += o.y;
    z += o.z;
    return *this;
  }
  vec3& operator-=(const vec3& o) {
    x -= o.x;
    y -= o.y;
    z -= o.z;
    return *this;
  }
  vec3& operator*=(float s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
  }
  float& operator[](int i) { return (&x)[i]; }
  const float& operator[](int i) const { return (&x)[i]; }

  // Scales to unit length; a zero vector stays zero (no epsilon).
  vec3& normalize() {
    const float s = x * x + y * y + z * z;
    if (s != 0.0f) *this *= 1.0f / std::sqrt(s);
    return *this;
  }

  // Unit normal of (p1, p2, p3): normalize((p3 - p1) x (p2 - p1)); it points
  // to the side from which the corners appear clockwise.
  void triangleNormal(const vec3& p1, const vec3& p2, const vec3& p3);
  void quadNormal(const vec3& p1, const vec3& p2, const vec3& p3, const vec3& p4);

  // Columns 0 and 2 of the rotation of these angles, taken in degrees.
  vec3 anglesForward() const;
  vec3 anglesUp() const;
};

inline vec3 operator+(const vec3& a, const vec3& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline vec3 operator-(const vec3& a, const vec3& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline vec3 operator-(const vec3& a) {
  return {-a.x, -a.y, -a.z};
}
inline vec3 operator*(const vec3& a, float s) {
  return {a.x * s, a.y * s, a.z * s};
}
inline vec3 operator*(float s, const vec3& a) {
  return {a.x * s, a.y * s, a.z * s};
}
inline vec3 operator/(const vec3& a, float s) {
  return {a.x / s, a.y / s, a.z / s};
}
inline bool operator==(const vec3& a, const vec3& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline bool operator!=(const vec3& a, const vec3& b) {
  return !(a == b);
}

inline float dot(const vec3& a, const vec3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline vec3 cross(const vec3& a, const vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline vec3 normalize(vec3 v) {
  return v.normalize();
}
inline vec3 lerp(const vec3& a, const vec3& b, float t) {
  return a + (b - a) * t;
}

// Length; 0 when the squared length is 0 or not finite.
inline float length(const vec3& v) {
  const float s = v.x * v.x + v.y * v.y + v.z * v.z;
  if (s == 0.0f || !std::isfinite(s)) return 0.0f;
  return std::sqrt(s);
}
