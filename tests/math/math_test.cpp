// Vectors, matrices, quaternions and the queries on them: stated results and conventions.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>

#include "math/mat4.h"
#include "math/quat.h"
#include "math/queries.h"
#include "math/vec3.h"
#include "support/vec_expect.h"

namespace {
constexpr float kDeg = 3.1415927f / 180.0f;
// Front side of this triangle is -z: (p3 - p1) x (p2 - p1) = y x x.
const vec3 kA(0, 0, 0), kB(1, 0, 0), kC(0, 1, 0), kD(2, 0, 0);

void ExpectMatNear(const mat4& a, const float* b, float eps) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(a[i], b[i], eps) << i;
}
}  // namespace

TEST(Vec3, NormalizeLengthNormalsForwardAndUp) {
  EXPECT_EQ(vec3().normalize(), vec3());
  ExpectNear(normalize(vec3(3, 0, 4)), vec3(0.6f, 0, 0.8f));
  EXPECT_TRUE(length(vec3(INFINITY, 0, 0)) == 0 && length(vec3(3, 4, 0)) == 5);
  vec3 n, flat, quad;
  n.triangleNormal({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  flat.triangleNormal({0, 0, 0}, {1, 1, 1}, {2, 2, 2});  // collinear
  quad.quadNormal({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0});
  EXPECT_TRUE(n == vec3(0, 0, -1) && flat == vec3()) << n.z << flat.z;
  ExpectNear(quad, vec3(0, 0, -1));
  // Forward and up are the rotation's columns.
  const vec3 angles(20, 30, 40);  // degrees
  mat4 m;
  m.fromEuler(angles * kDeg, {});
  ExpectNear(angles.anglesForward(), vec3(m[0], m[1], m[2]));
  ExpectNear(angles.anglesUp(), vec3(m[8], m[9], m[10]));
  // Positive yaw turns forward toward +Y, positive pitch down; positive roll lifts the left axis.
  EXPECT_TRUE(vec3(0, 0, 10).anglesForward().y > 0 && vec3(0, 10, 0).anglesForward().z < 0);
  m.fromEuler(vec3(10, 0, 0) * kDeg, {});
  EXPECT_GT(m[6], 0);
}

TEST(Mat4, EulerAffineProductInversePerspectiveAndAxes) {
  // A matrix may report the equivalent triple (roll - 180, 180 - pitch, yaw - 180);
  // at pitch 90 degrees both report roll 0 and yaw - roll.
  const std::tuple<vec3, vec3, vec3> cases[] = {{{15, -40, 100}, {15, -40, 100}, {15, -40, 100}},
                                                {{120, 10, 30}, {-60, 170, -150}, {120, 10, 30}},
                                                {{20, 90, 50}, {0, 90, 30}, {0, 90, 30}}};
  for (const auto& [in, fromMatrix, fromQuat] : cases) {
    mat4 m;
    m.fromEuler(in * kDeg, {});
    ExpectNear(m.toEuler() / kDeg, fromMatrix, 2e-3f);
    quat q;
    q.fromEuler(in * kDeg);
    ExpectNear(q.toEuler() / kDeg, fromQuat, 2e-3f);
  }
  // The affine product ignores bottom rows; the inverse undoes scaled rotations.
  mat4 a, b;
  a.fromEuler({0.3f, -0.2f, 1.1f}, {1, 2, 3});
  b.fromEuler({-0.5f, 0.4f, 0.2f}, {-4, 5, 0.5f});
  for (int i = 0; i < 3; ++i) b[i * 4] *= 2.5f;  // scale the X axis
  mat4 dirty = b;
  dirty[3] = 7, dirty[7] = -1, dirty[15] = 9;
  const mat4 ab = a.mulAffine(b);
  ExpectMatNear(a.mulAffine(dirty), ab.m, 1e-6f);
  EXPECT_EQ(ab[15], 1.0f);
  const vec3 p(0.7f, -1.2f, 2.0f);  // B acts first
  ExpectNear(ab.transformPoint(p), a.transformPoint(b.transformPoint(p)), 1e-4f);
  const mat4 inv = b.inverseAffine();
  ExpectMatNear(b.mulAffine(inv), mat4().m, 1e-5f);
  mat4 c = b;
  c.invertAffine();
  ExpectMatNear(c, inv.m, 1e-6f);
  EXPECT_TRUE(inv[3] == 0 && inv[7] == 0 && inv[11] == 0 && inv[15] == 1);  // bottom row
  mat4 m;
  m.perspective(90, 800, 600, 1, 101);
  const float expected[16] = {0.75f, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1.02f, -1, 0, 0, -2.02f, 0};
  ExpectMatNear(m, expected, 1e-6f);
  m.fromAxes({1, 2, 3}, {4, 5, 6}, {7, 8, 9});  // the axes are the columns
  const float columns[16] = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 0, 0, 0, 1};
  ExpectMatNear(m, columns, 0);
}

TEST(Quat, SlerpTakesTheShortArcAndDualQuatsMatchTheirMatrix) {
  quat q, r, id, yaw;
  q.fromEuler({0.2f, 0.5f, -1.0f});
  r.slerp(q, quat(-q.x, -q.y, -q.z, -q.w), 0.5f);  // the same rotation: stays
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(r[i], q[i], 1e-6f);
  yaw.fromEuler({0, 0, 1.0f});
  for (float t : {0.0f, 0.25f, 1.0f}) {
    r.slerp(id, yaw, t);
    const quat expected(0, 0, std::sin(t / 2), std::cos(t / 2));
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(r[i], expected[i], 1e-6f) << t;
  }
  // A dual quaternion matches the matrix it was built from.
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

TEST(Queries, RayTriangleClosestPointsOnTrianglesSegmentsAndLines) {
  const std::tuple<vec3, vec3, bool, float> cases[] = {
      // From behind, from the front, behind o, on an edge, on a corner, outside, parallel.
      {{0.25f, 0.25f, 1}, {0, 0, -1}, false, 7}, {{0.25f, 0.25f, -1}, {0, 0, 1}, true, 1},
      {{0.25f, 0.25f, 1}, {0, 0, 1}, true, -1},  {{0, 0.5f, -0.5f}, {0, 0, 1}, true, 0.5f},
      {{1, 0, -2}, {0, 0, 1}, true, 2},          {{0.6f, 0.6f, -1}, {0, 0, 1}, false, 7},
      {{0, 0, -1}, {1, 0, 0}, false, 7}};
  float t;
  for (const auto& [o, d, hit, expected] : cases) {
    t = 7;
    EXPECT_EQ(rayTriangle(o, d, kA, kB, kC, t), hit) << o.x << o.y;
    EXPECT_FLOAT_EQ(t, expected) << o.x << o.y;
  }
  // The determinant threshold is absolute: a small triangle is missed.
  EXPECT_FALSE(rayTriangle(vec3(2e-4f, 2e-4f, -1), vec3(0, 0, 1), kA, kB * 1e-3f, kC * 1e-3f, t));
  // The closest point on a triangle matches dense sampling in every region.
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> coord(-3, 3);
  for (int trial = 0; trial < 300; ++trial) {
    const vec3 p1(coord(rng), coord(rng), coord(rng)), p2(coord(rng), coord(rng), coord(rng)),
        p3(coord(rng), coord(rng), coord(rng)), q(coord(rng), coord(rng), coord(rng));
    const vec3 found = closestPointOnTriangle(p1, p2, p3, q);
    float sampled = 1e30f, n = 120;
    for (int i = 0; i <= n; ++i)
      for (int j = 0; i + j <= n; ++j)
        sampled = std::min(sampled, length(q - p1 - (p2 - p1) * (i / n) - (p3 - p1) * (j / n)));
    EXPECT_LE(length(q - found), sampled + 1e-4f) << trial;
    EXPECT_NEAR(dot(found - p1, normalize(cross(p3 - p1, p2 - p1))), 0, 1e-4f);  // in the plane
    EXPECT_GE(length(q - found), sampled - 0.1f);
  }
  ExpectNear(closestPointOnTriangle(kA, kB, kB * 2.0f, vec3(0.5f, 1, 0)), vec3(0.5f, 0, 0), 1e-6f);
  EXPECT_EQ(closestPointOnTriangle(kB, kB, kB, vec3(4, 4, 4)), kB);  // flat: the edges
  // Segments: ends, interior, zero length; lines; ties between edges.
  const std::tuple<vec3, vec3, vec3, vec3, float, vec3> segments[] = {
      {kA, kD, vec3(5, 1, 0), kD, 2, vec3(5, 0, 0)},
      {kA, kD, vec3(0, 3, 0), kA, 0, kA},
      {kA, kD, vec3(-1, 3, 1), kA, 0, vec3(-1, 0, 0)},
      {kA, kD, vec3(1.5f, -3, 0), vec3(1.5f, 0, 0), 1.5f, vec3(1.5f, 0, 0)},
      {kB, kB, vec3(3, 3, 3), kB, 0, kB}};
  for (const auto& [a, b, q, expected, s, onLine] : segments) {
    vec3 point(9, 9, 9);
    EXPECT_FLOAT_EQ(closestPointOnSegment(a, b, q, point), s);
    EXPECT_EQ(point, expected);
    EXPECT_EQ(closestPointOnLine(a, b, q), onLine);
  }
  // Equally far from p1p2 and p3p1: the earlier edge wins.
  EXPECT_EQ(closestPointOnTriangleEdges(kA, kB, kC, vec3(0.25f, 0.25f, 3)), vec3(0.25f, 0, 0));
  EXPECT_EQ(closestPointOnTriangleEdges(kC, kA, kB, vec3(0.25f, 0.25f, 3)), vec3(0, 0.25f, 0));
}

TEST(SweepSphereTriangle, FaceHitSlidesOntoThePlaneAndEdgesPushAway) {
  const vec3 p1(-10, -10, 0), p2(-10, 30, 0), p3(30, -10, 0), n(0, 0, 1);  // front side +z
  vec3 v, point, normal;
  float nearest = 1;
  auto sweep = [&](vec3 c, vec3 velocity) {
    v = velocity;
    return sweepSphereTriangle(c, v, n, p1, p2, p3, point, normal, 1, nearest);
  };
  ASSERT_TRUE(sweep(vec3(0, 0, 2), vec3(1, 0, -2)));
  EXPECT_FLOAT_EQ(nearest, 2.0f / 3.0f);
  EXPECT_NEAR(point.x, 2.0f / 3.0f, 1e-6f);
  EXPECT_EQ(normal, n);
  EXPECT_EQ(v, vec3(1, 0, -1));  // leading point ends on the plane
  const std::tuple<vec3, vec3, float> misses[] = {
      // Beyond the running best, moving away, centre on or behind the plane.
      {{0, 0, 2}, {1, 0, -2}, 0.5f},
      {{0, 0, 2}, {0, 0, 3}, 1},
      {{0, 0, 0}, {0, 0, -1}, 1},
      {{0, 0, -0.5f}, {0, 0, -1}, 1}};
  for (const auto& [c, velocity, best] : misses) {
    nearest = best;
    EXPECT_FALSE(sweep(c, velocity)) << c.z;
    EXPECT_EQ(nearest, best);
    EXPECT_EQ(v, velocity);
  }
  // An edge contact pushes away from the edge.
  const vec3 c0(-11.5f, 0, 0.1f);
  ASSERT_TRUE(sweep(c0, vec3(2, 0, 0)));
  EXPECT_EQ(point, vec3(-10, 0, 0));
  ExpectNear(normal, normalize(c0 - point), 1e-6f);
  EXPECT_TRUE(nearest > 0 && nearest < 1) << nearest;
  EXPECT_NEAR(dot(normal, c0 + v - normal), dot(normal, point), 1e-5f);
}

TEST(Frustum, PlanesOfAPerspectiveAndSphereClassification) {
  mat4 projection, modelview;
  projection.perspective(90, 100, 100, 1, 100);
  Frustum f;
  extractFrustum(projection, modelview, f);
  // Right, left, top, bottom, far, near; inside is positive.
  const float h = std::sqrt(0.5f);
  const float planes[6][4] = {{-h, 0, -h, 0}, {h, 0, -h, 0},  {0, -h, -h, 0},
                              {0, h, -h, 0},  {0, 0, 1, 100}, {0, 0, -1, -1}};
  for (int i = 0; i < 6; ++i)
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(f.planes[i][k], planes[i][k], 1e-3f) << i << k;
  EXPECT_EQ(sphereInFrustum(f, vec3(0, 0, -10), 1), 1);
  EXPECT_EQ(sphereInFrustum(f, vec3(0, 0, 10), 1), 0);
  EXPECT_EQ(sphereInFrustum(f, vec3(0, 0, -1), 0.5f), 2);
  modelview.m[12] = -5;  // a camera at x = 5: planes in world coordinates
  extractFrustum(projection, modelview, f);
  EXPECT_EQ(sphereInFrustum(f, vec3(5, 0, -10), 1), 1);
  EXPECT_EQ(sphereInFrustum(f, vec3(-20, 0, -10), 1), 0);
  Frustum box = {};
  for (int i = 0; i < 6; ++i) box.planes[i][i / 2] = i % 2 ? 1.0f : -1.0f, box.planes[i][3] = 1;
  EXPECT_EQ(sphereInFrustum(box, vec3(2, 0, 0), 1), 0);  // touches from outside
  EXPECT_EQ(sphereInFrustum(box, vec3(0, 0, 0), 1), 2);  // touches from inside
  EXPECT_EQ(sphereInFrustum(box, vec3(0, 0, 0), 0.5f), 1);
}
