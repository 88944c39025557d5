#include "math/queries.h"

#include <gtest/gtest.h>

#include <random>

namespace {
// Front side of this triangle is -z: (p3 - p1) x (p2 - p1) = y x x.
const vec3 kA(0, 0, 0), kB(1, 0, 0), kC(0, 1, 0);

float Distance(const vec3& a, const vec3& b) {
  return length(a - b);
}
}  // namespace

TEST(RayTriangle, FrontOnlyBordersInsideAndNegativeT) {
  float t = 7;
  EXPECT_FALSE(rayTriangle(vec3(0.25f, 0.25f, 1), vec3(0, 0, -1), kA, kB, kC, t));  // from behind
  EXPECT_EQ(t, 7.0f);
  EXPECT_TRUE(rayTriangle(vec3(0.25f, 0.25f, -1), vec3(0, 0, 1), kA, kB, kC, t));
  EXPECT_FLOAT_EQ(t, 1.0f);
  EXPECT_TRUE(rayTriangle(vec3(0.25f, 0.25f, 1), vec3(0, 0, 1), kA, kB, kC, t));  // behind o
  EXPECT_FLOAT_EQ(t, -1.0f);
  EXPECT_TRUE(rayTriangle(vec3(0, 0.5f, -1), vec3(0, 0, 1), kA, kB, kC, t));  // on an edge
  EXPECT_TRUE(rayTriangle(vec3(1, 0, -1), vec3(0, 0, 1), kA, kB, kC, t));     // on a corner
  EXPECT_FALSE(rayTriangle(vec3(0.6f, 0.6f, -1), vec3(0, 0, 1), kA, kB, kC, t));
  EXPECT_FALSE(rayTriangle(vec3(0, 0, -1), vec3(1, 0, 0), kA, kB, kC, t));  // parallel
  // The determinant threshold is absolute: a small triangle is missed.
  EXPECT_FALSE(
      rayTriangle(vec3(0.0002f, 0.0002f, -1), vec3(0, 0, 1), kA, kB * 0.001f, kC * 0.001f, t));
}

TEST(ClosestPointOnTriangle, MatchesDenseSamplingInEveryRegion) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> coord(-3, 3);
  for (int trial = 0; trial < 300; ++trial) {
    const vec3 p1(coord(rng), coord(rng), coord(rng)), p2(coord(rng), coord(rng), coord(rng)),
        p3(coord(rng), coord(rng), coord(rng)), q(coord(rng), coord(rng), coord(rng));
    const vec3 found = closestPointOnTriangle(p1, p2, p3, q);
    float sampled = 1e30f;
    const int n = 120;
    for (int i = 0; i <= n; ++i)
      for (int j = 0; i + j <= n; ++j)
        sampled = std::min(
            sampled, Distance(q, p1 + (p2 - p1) * (float(i) / n) + (p3 - p1) * (float(j) / n)));
    EXPECT_LE(Distance(q, found), sampled + 1e-4f) << trial;
    EXPECT_NEAR(dot(found - p1, normalize(cross(p3 - p1, p2 - p1))), 0, 1e-4f);  // in the plane
    EXPECT_GE(Distance(q, found), sampled - 0.1f);
  }
  // Flat triangles are their edges.
  const vec3 onEdge = closestPointOnTriangle(kA, kB, kB * 2.0f, vec3(0.5f, 1, 0));
  EXPECT_NEAR(onEdge.x, 0.5f, 1e-6f);
  EXPECT_EQ(onEdge.y, 0.0f);
  EXPECT_EQ(closestPointOnTriangle(kB, kB, kB, vec3(4, 4, 4)), kB);
}

TEST(ClosestPointOnSegment, EndsInteriorZeroLengthLinesAndEdgeTies) {
  const struct {
    vec3 a, b, q, point;
    float s;
  } cases[] = {{kA, vec3(2, 0, 0), vec3(5, 1, 0), vec3(2, 0, 0), 2},
               {kA, vec3(2, 0, 0), vec3(0, 3, 0), kA, 0},
               {kA, vec3(2, 0, 0), vec3(-1, 3, 0), kA, 0},
               {kA, vec3(2, 0, 0), vec3(1.5f, -3, 0), vec3(1.5f, 0, 0), 1.5f},
               {kB, kB, vec3(3, 3, 3), kB, 0}};
  for (const auto& c : cases) {
    vec3 point(9, 9, 9);
    EXPECT_FLOAT_EQ(closestPointOnSegment(c.a, c.b, c.q, point), c.s);
    EXPECT_EQ(point, c.point);
  }
  EXPECT_EQ(closestPointOnLine(kA, vec3(2, 0, 0), vec3(5, 3, 1)), vec3(5, 0, 0));
  EXPECT_EQ(closestPointOnLine(kA, vec3(2, 0, 0), vec3(-4, 3, 1)), vec3(-4, 0, 0));
  EXPECT_EQ(closestPointOnLine(kB, kB, vec3(3, 3, 3)), kB);
  // Equally far from p1p2 and p3p1: the earlier edge wins.
  EXPECT_EQ(closestPointOnTriangleEdges(kA, kB, kC, vec3(0.25f, 0.25f, 3)), vec3(0.25f, 0, 0));
  EXPECT_EQ(closestPointOnTriangleEdges(kC, kA, kB, vec3(0.25f, 0.25f, 3)), vec3(0, 0.25f, 0));
}

TEST(SweepSphereTriangle, FaceHitSlidesOntoThePlaneAndEdgesPushAway) {
  // Front side +z.
  const vec3 p1(-10, -10, 0), p2(-10, 30, 0), p3(30, -10, 0), n(0, 0, 1);
  vec3 v(1, 0, -2), point, normal;
  float nearest = 1;
  ASSERT_TRUE(sweepSphereTriangle(vec3(0, 0, 2), v, n, p1, p2, p3, point, normal, 1, nearest));
  EXPECT_FLOAT_EQ(nearest, 2.0f / 3.0f);
  EXPECT_NEAR(point.x, 2.0f / 3.0f, 1e-6f);
  EXPECT_EQ(normal, n);
  EXPECT_EQ(v, vec3(1, 0, -1));  // leading point ends on the plane

  // Beyond the running best, moving away, centre on or behind the plane.
  v = vec3(1, 0, -2);
  float best = 0.5f;
  EXPECT_FALSE(sweepSphereTriangle(vec3(0, 0, 2), v, n, p1, p2, p3, point, normal, 1, best));
  v = vec3(0, 0, 3);
  nearest = 1;
  EXPECT_FALSE(sweepSphereTriangle(vec3(0, 0, 2), v, n, p1, p2, p3, point, normal, 1, nearest));
  v = vec3(0, 0, -1);
  EXPECT_FALSE(sweepSphereTriangle(vec3(0, 0, 0), v, n, p1, p2, p3, point, normal, 1, nearest));
  EXPECT_FALSE(sweepSphereTriangle(vec3(0, 0, -0.5f), v, n, p1, p2, p3, point, normal, 1, nearest));
  EXPECT_EQ(nearest, 1.0f);
  EXPECT_EQ(v, vec3(0, 0, -1));
  // An edge contact pushes away from the edge.
  const vec3 c0(-11.5f, 0, 0.1f);
  v = vec3(2, 0, 0);
  ASSERT_TRUE(sweepSphereTriangle(c0, v, n, p1, p2, p3, point, normal, 1, nearest));
  EXPECT_EQ(point, vec3(-10, 0, 0));
  const vec3 expected = normalize(c0 - point);
  EXPECT_NEAR(Distance(normal, expected), 0.0f, 1e-6f);
  EXPECT_GT(nearest, 0.0f);
  EXPECT_LT(nearest, 1.0f);
  EXPECT_NEAR(dot(normal, c0 + v - normal), dot(normal, point), 1e-5f);
}

TEST(Frustum, PlanesOfAPerspectiveAndSphereClassification) {
  mat4 projection, modelview;
  projection.perspective(90, 100, 100, 1, 100);
  Frustum f;
  extractFrustum(projection, modelview, f);
  for (const float* p : f.planes) EXPECT_NEAR(p[0] * p[0] + p[1] * p[1] + p[2] * p[2], 1.0f, 1e-5f);
  EXPECT_LT(f.planes[0][0], 0);  // right
  EXPECT_GT(f.planes[1][0], 0);  // left
  EXPECT_LT(f.planes[2][1], 0);  // top
  EXPECT_GT(f.planes[3][1], 0);  // bottom
  EXPECT_GT(f.planes[4][2], 0);  // far
  EXPECT_LT(f.planes[5][2], 0);  // near
  EXPECT_NEAR(f.planes[5][3], -1.0f, 1e-5f);
  EXPECT_EQ(sphereInFrustum(f, vec3(0, 0, -10), 1), 1);
  EXPECT_EQ(sphereInFrustum(f, vec3(0, 0, 10), 1), 0);
  EXPECT_EQ(sphereInFrustum(f, vec3(0, 0, -1), 0.5f), 2);
  // A camera moved to x = 5 sees planes in world coordinates.
  modelview.m[12] = -5;
  extractFrustum(projection, modelview, f);
  EXPECT_EQ(sphereInFrustum(f, vec3(5, 0, -10), 1), 1);
  EXPECT_EQ(sphereInFrustum(f, vec3(-20, 0, -10), 1), 0);

  Frustum box = {};
  for (int i = 0; i < 6; ++i) {
    box.planes[i][i / 2] = i % 2 ? 1.0f : -1.0f;
    box.planes[i][3] = 1;
  }
  EXPECT_EQ(sphereInFrustum(box, vec3(2, 0, 0), 1), 0);  // touches from outside
  EXPECT_EQ(sphereInFrustum(box, vec3(0, 0, 0), 1), 2);  // touches from inside
  EXPECT_EQ(sphereInFrustum(box, vec3(0, 0, 0), 0.5f), 1);
}
