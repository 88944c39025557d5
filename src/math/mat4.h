// 4x4 matrix in OpenGL column-major order: element (row i, column j) is at
// m[j * 4 + i]; columns 0..2 are the images of the X, Y and Z axes and
// m[12..14] the translation. Handed to glLoadMatrixf unchanged.
#pragma once
#include "math/vec3.h"

struct mat4 {
  float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

  mat4() = default;
  explicit mat4(const float* values) {
    for (int i = 0; i < 16; ++i) m[i] = values[i];
  }
  float& operator[](int i) { return m[i]; }
  const float& operator[](int i) const { return m[i]; }

  void setIdentity() { *this = mat4(); }

  // Columns 0, 1, 2 = u, v, w; no translation.
  void fromAxes(const vec3& u, const vec3& v, const vec3& w);

  // Rotation Rz(yaw) * Ry(pitch) * Rx(roll) from angles in radians, plus a
  // translation.
  void fromEuler(const vec3& radians, const vec3& translation);

  // Euler angles in radians; for a negative m[10] the equivalent triple whose
  // roll has a positive cosine is reported. Roll is 0 at pitch +-90 degrees.
  vec3 toEuler() const;

  // this * other, both taken as affine (bottom rows never read).
  mat4 mulAffine(const mat4& other) const;

  // Affine inverse through the adjugate (no orthogonality assumed, no guard
  // against a zero determinant).
  mat4 inverseAffine() const;
  void invertAffine() { *this = inverseAffine(); }

  // gluPerspective's matrix; fov in degrees.
  void perspective(float fovDegrees, int width, int height, float zNear, float zFar);

  vec3 transformPoint(const vec3& p) const {
    return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
            m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
            m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
  }
  vec3 rotateVector(const vec3& v) const {
    return {m[0] * v.x + m[4] * v.y + m[8] * v.z, m[1] * v.x + m[5] * v.y + m[9] * v.z,
            m[2] * v.x + m[6] * v.y + m[10] * v.z};
  }
  vec3 column(int j) const { return {m[j * 4], m[j * 4 + 1], m[j * 4 + 2]}; }
};
