// Vectors, matrices and quaternions: the stated results and conventions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "math/mat4.h"
#include "math/quat.h"
#include "math/vec3.h"
#include "support/vec_expect.h"

namespace {
constexpr float kDeg = 3.1415927f / 180.0f;

void ExpectAnglesDeg(const vec3& radians, float roll, float pitch, float yaw) {
  ExpectNear(radians / kDeg, vec3(roll, pitch, yaw), 2e-3f);
}
}  // namespace

TEST(Vec3, NormalizeLengthAndNormals) {
  vec3 zero;
  zero.normalize();
  ExpectNear(zero, vec3(0, 0, 0), 0);
  ExpectNear(normalize(vec3(3, 0, 4)), vec3(0.6f, 0, 0.8f));
  EXPECT_EQ(length(vec3(std::numeric_limits<float>::infinity(), 0, 0)), 0.0f);
  EXPECT_FLOAT_EQ(length(vec3(3, 4, 0)), 5.0f);
  vec3 n;
  n.triangleNormal({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  ExpectNear(n, vec3(0, 0, -1), 0);
  n.triangleNormal({0, 0, 0}, {1, 1, 1}, {2, 2, 2});  // collinear
  ExpectNear(n, vec3(0, 0, 0), 0);
  n.quadNormal({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0});
  ExpectNear(n, vec3(0, 0, -1));
}

TEST(Vec3, ForwardAndUpAreTheRotationColumns) {
  const vec3 angles(20, 30, 40);  // degrees
  mat4 m;
  m.fromEuler(angles * kDeg, {});
  const vec3 f = angles.anglesForward(), u = angles.anglesUp();
  ExpectNear(f, vec3(m[0], m[1], m[2]));
  ExpectNear(u, vec3(m[8], m[9], m[10]));
  // Positive yaw turns forward toward +Y; positive pitch turns it down.
  EXPECT_GT(vec3(0, 0, 10).anglesForward().y, 0);
  EXPECT_LT(vec3(0, 10, 0).anglesForward().z, 0);
  // Positive roll lifts the left axis.
  mat4 r;
  r.fromEuler(vec3(10, 0, 0) * kDeg, {});
  EXPECT_GT(r[6], 0);
}

TEST(Mat4, EulerRoundTripAndTheEquivalentTriple) {
  mat4 m;
  m.fromEuler(vec3(15, -40, 100) * kDeg, {});
  ExpectAnglesDeg(m.toEuler(), 15, -40, 100);

  m.fromEuler(vec3(120, 10, 30) * kDeg, {});
  ExpectAnglesDeg(m.toEuler(), -60, 170, -150);
  quat q;
  q.fromEuler(vec3(120, 10, 30) * kDeg);
  ExpectAnglesDeg(q.toEuler(), 120, 10, 30);

  // At pitch 90 degrees both report roll 0 and yaw - roll.
  m.fromEuler(vec3(20, 90, 50) * kDeg, {});
  ExpectAnglesDeg(m.toEuler(), 0, 90, 30);
  q.fromEuler(vec3(20, 90, 50) * kDeg);
  ExpectAnglesDeg(q.toEuler(), 0, 90, 30);
}

TEST(Mat4, AffineProductIgnoresBottomRowsAndInverseUndoesScaledRotations) {
  mat4 a, b;
  a.fromEuler({0.3f, -0.2f, 1.1f}, {1, 2, 3});
  b.fromEuler({-0.5f, 0.4f, 0.2f}, {-4, 5, 0.5f});
  for (int i = 0; i < 3; ++i) b[i * 4] *= 2.5f;  // scale the X axis
  const mat4 ab = a.mulAffine(b);
  mat4 dirty = b;
  dirty[3] = 7;
  dirty[7] = -1;
  dirty[15] = 9;
  const mat4 ab2 = a.mulAffine(dirty);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(ab[i], ab2[i]);
  EXPECT_EQ(ab[15], 1.0f);
  // B acts first.
  const vec3 p(0.7f, -1.2f, 2.0f);
  ExpectNear(ab.transformPoint(p), a.transformPoint(b.transformPoint(p)), 1e-4f);
  const mat4 id = b.mulAffine(b.inverseAffine());
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(id[j * 4 + i], i == j ? 1.0f : 0.0f, 1e-5f);
  mat4 c = b;
  c.invertAffine();
  const mat4 inv = b.inverseAffine();
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(c[i], inv[i]);
  for (int i : {3, 7, 11}) EXPECT_EQ(inv[i], 0.0f);  // the bottom row is (0, 0, 0, 1)
  EXPECT_EQ(inv[15], 1.0f);
}

TEST(Mat4, PerspectiveMatchesTheExampleAndFromAxesFillsColumns) {
  mat4 m;
  m.perspective(90, 800, 600, 1, 101);
  EXPECT_NEAR(m[0], 0.75f, 1e-6f);
  EXPECT_NEAR(m[5], 1.0f, 1e-6f);
  EXPECT_NEAR(m[10], -1.02f, 1e-6f);
  EXPECT_EQ(m[11], -1.0f);
  EXPECT_NEAR(m[14], -2.02f, 1e-6f);
  EXPECT_EQ(m[15], 0.0f);
  EXPECT_EQ(m[1], 0.0f);
  m.fromAxes({1, 2, 3}, {4, 5, 6}, {7, 8, 9});  // the axes are the columns
  EXPECT_EQ(m[4], 4);
  EXPECT_EQ(m[10], 9);
  EXPECT_EQ(m[12], 0);
  EXPECT_EQ(m[15], 1);
}

TEST(Quat, SlerpTakesTheShortArcAndEndpoints) {
  quat q;
  q.fromEuler({0.2f, 0.5f, -1.0f});
  const quat neg(-q.x, -q.y, -q.z, -q.w);
  quat r;
  r.slerp(q, neg, 0.5f);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(r[i], q[i], 1e-6f);
  quat a, b;
  a.fromEuler({0, 0, 0});
  b.fromEuler({0, 0, 1.0f});
  r.slerp(a, b, 0.5f);
  ExpectNear(r.toEuler(), vec3(0, 0, 0.5f));
  r.slerp(a, b, 0.0f);
  EXPECT_NEAR(r.w, 1.0f, 1e-6f);
}

TEST(DualQuat, MatchesTheMatrixItWasBuiltFrom) {
  for (const vec3& angles : {vec3(0.1f, 0.2f, 0.3f), vec3(3.0f, 0.1f, -2.9f), vec3(0, 3.1f, 0),
                             vec3(1.5f, -1.4f, 3.1f)}) {
    mat4 m;
    m.fromEuler(angles, {3, -2, 5});
    dualquat dq;
    dq.fromMatrix(m);
    const vec3 p(1.5f, -0.5f, 2.0f);
    ExpectNear(dq.transformPoint(p), m.transformPoint(p), 1e-4f);
    ExpectNear(dq.rotate(p), m.rotateVector(p), 1e-4f);
  }
}
