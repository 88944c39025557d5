#include "geometry/triangle_queries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "support/terrain.h"

namespace {
template <typename T>
bool Same(const T& a, const T& b) {  // bit for bit
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Random triangles of all sizes in a 20-unit box, with slivers, degenerate
// triangles, stored normals that are wrong, zero or flipped.
TriangleData Soup(uint32_t count, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> coord(-10, 10), size(0.01f, 4), unit(-1, 1);
  TriangleData out;
  for (uint32_t t = 0; t < count; ++t) {
    const vec3 base(coord(rng), coord(rng), coord(rng));
    const float s = size(rng);
    vec3 a = base + vec3(unit(rng), unit(rng), unit(rng)) * s;
    vec3 b = base + vec3(unit(rng), unit(rng), unit(rng)) * s;
    if (t % 17 == 0) b = base + (a - base) * unit(rng);                 // flat
    if (t % 23 == 0) b = base + (a - base) * 0.5f + vec3(0, 0, 1e-4f);  // sliver
    const uint32_t first = static_cast<uint32_t>(out.verts.size());
    out.verts.insert(out.verts.end(), {base, a, b});
    out.tris.insert(out.tris.end(), {first, first + 1, first + 2});
  }
  out.ComputeNormals();
  for (uint32_t t = 0; t < count; ++t) {
    if (t % 29 == 0) out.triNorm[t] = normalize(vec3(unit(rng), unit(rng), unit(rng)));
    if (t % 31 == 0) out.triNorm[t] = vec3();
    if (t % 37 == 0) out.triNorm[t] = -out.triNorm[t];
  }
  return out;
}

struct Counts {
  int rayHits = 0, negativeHits = 0, sweepHits = 0, closestHits = 0;
};

// Runs random queries through the scan and the index and requires identical
// answers; returns how many queries hit so the caller can check coverage.
Counts CompareRandomQueries(const TriangleData& data, float extent, int queries, uint32_t seed) {
  TriangleIndex index;
  index.Build(data.set());
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> coord(-extent, extent), unit(-1, 1), pick(0, 1);
  Counts counts;
  for (int q = 0; q < queries; ++q) {
    vec3 o(coord(rng), coord(rng), coord(rng) * 0.3f);
    vec3 d = vec3(unit(rng), unit(rng), unit(rng)) * (0.1f + 8 * pick(rng));
    if (q % 5 == 0) d.z *= 1e-3f;        // grazing the terrain
    if (q % 7 == 0) d = -o * pick(rng);  // through the middle
    if (q % 9 == 0) {                    // in a triangle's own plane, where only rounding decides
      const uint32_t* c = &data.tris[3 * (rng() % (data.tris.size() / 3))];
      const vec3 &a = data.verts[c[0]], &b = data.verts[c[1]], &e = data.verts[c[2]];
      o = a + (b - a) * (0.5f * pick(rng)) + (e - a) * (0.5f * pick(rng));
      d = (b - e) * (0.5f + 3 * pick(rng));
    }
    float ta = q % 11 == 0 ? 3 * unit(rng) : 1, tb = ta;
    int32_t ha = -1, hb = -1;
    vec3 na(9, 9, 9), nb = na;
    const bool a = ScanRayCast(data.set(), o, d, ta, ha, na);
    EXPECT_TRUE(a == index.RayCast(o, d, tb, hb, nb) && Same(ta, tb) && ha == hb && Same(na, nb))
        << "ray " << q;
    counts.rayHits += a;
    counts.negativeHits += a && ta < 0;

    const vec3 c0(coord(rng), coord(rng), coord(rng) * 0.3f + 0.5f);
    const vec3 v0 = vec3(unit(rng), unit(rng), unit(rng) - 0.5f) * (4 * pick(rng));
    const float r = 0.05f + 2 * pick(rng);
    vec3 va = v0, vb = v0, pa(7, 7, 7), pb = pa, ma = pa, mb = pa;
    float nearA = 1, nearB = 1;
    ha = hb = -1;
    const bool sa = ScanSweepSphere(data.set(), c0, va, r, pa, ma, nearA, ha);
    EXPECT_TRUE(sa == index.SweepSphere(c0, vb, r, pb, mb, nearB, hb) && Same(va, vb) &&
                Same(pa, pb) && Same(ma, mb) && Same(nearA, nearB) && ha == hb)
        << "sweep " << q;
    counts.sweepHits += sa;

    const vec3 point(coord(rng), coord(rng), coord(rng) * 0.3f);
    float bestA = q % 13 == 0 ? 1e30f : 0.1f + 5 * pick(rng), bestB = bestA;
    ha = hb = -1;
    const bool ca = ScanClosestPoint(data.set(), point, bestA, pa, ha);
    EXPECT_TRUE(ca == index.ClosestPoint(point, bestB, pb, hb) && Same(bestA, bestB) &&
                Same(pa, pb) && ha == hb)
        << "closest " << q;
    counts.closestHits += ca;
  }
  return counts;
}
}  // namespace

TEST(ScanQueries, NegativeRayTClosestFrontSideAndSweepSlide) {
  TriangleData data;
  // Two copies of a triangle facing down (-z), at z = 1 and z = -0.3.
  data.verts = {vec3(-1, -1, 1),     vec3(3, -1, 1),     vec3(-1, 3, 1),
                vec3(-1, -1, -0.3f), vec3(3, -1, -0.3f), vec3(-1, 3, -0.3f)};
  data.tris = {3, 4, 5, 0, 1, 2};  // the lower one first
  data.ComputeNormals();
  float t = 1;
  int32_t hit = -1;
  vec3 normal;
  ASSERT_TRUE(ScanRayCast(data.set(), vec3(0, 0, 0), vec3(0, 0, 2), t, hit, normal));
  EXPECT_FLOAT_EQ(t, -0.15f);  // the triangle behind, found first
  EXPECT_TRUE(hit == 0 && normal == vec3(0, 0, -1));
  TriangleIndex index;
  index.Build(data.set());
  t = 1, hit = -1;
  ASSERT_TRUE(index.RayCast(vec3(0, 0, 0), vec3(0, 0, 2), t, hit, normal));
  EXPECT_TRUE(std::abs(t + 0.15f) < 1e-6f && hit == 0) << t;
  // Closest points: only front sides, only strictly closer.
  data = Terrain(2, 0, 1);  // flat, facing +z
  float best = 10;
  hit = -1;
  vec3 point;
  EXPECT_FALSE(ScanClosestPoint(data.set(), vec3(0.2f, 0.3f, -1), best, point, hit));
  EXPECT_TRUE(best == 10 && hit == -1);
  ASSERT_TRUE(ScanClosestPoint(data.set(), vec3(0.2f, 0.3f, 2), best, point, hit));
  EXPECT_FLOAT_EQ(best, 2.0f);
  EXPECT_EQ(point, vec3(0.2f, 0.3f, 0));
  best = 2;  // equal is not closer
  EXPECT_FALSE(ScanClosestPoint(data.set(), vec3(0.2f, 0.3f, 2), best, point, hit));
  // A sphere lands on one large triangle facing +z and slides.
  data.verts = {vec3(-50, -50, 0), vec3(-50, 100, 0), vec3(100, -50, 0)};
  data.tris = {0, 1, 2};
  data.ComputeNormals();
  vec3 v(1, 0, -3);
  float nearest = 1;
  hit = -1;
  ASSERT_TRUE(
      ScanSweepSphere(data.set(), vec3(0.3f, 0.3f, 2), v, 0.5f, point, normal, nearest, hit));
  EXPECT_FLOAT_EQ(nearest, 2 / 3.5f);  // 2 to the plane at 3.5 per unit of v - r*n
  EXPECT_FLOAT_EQ(v.z, -1.5f);         // ends with the sphere resting on the plane
  EXPECT_TRUE(normal == vec3(0, 0, 1) && v.x == 1 && hit == 0);  // the sideways part stays
}

TEST(TriangleIndex, MatchesTheScanOnTerrain) {
  const TriangleData terrain = Terrain(70, 2.5f, 3);
  const Counts c = CompareRandomQueries(terrain, 40, 3000, 17);
  EXPECT_TRUE(c.rayHits > 150 && c.negativeHits > 20 && c.sweepHits > 150 && c.closestHits > 150);
  // Rough ground: steep, jumbled normals, so the cones bound little.
  const Counts rough = CompareRandomQueries(Terrain(30, 10, 5), 18, 1000, 23);
  EXPECT_TRUE(rough.rayHits > 50 && rough.sweepHits > 50);
}

TEST(TriangleIndex, MatchesTheScanOnTriangleSoupsAndEmptyOrInfiniteInput) {
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    const Counts c = CompareRandomQueries(Soup(1500, seed), 12, 1000, seed + 100);
    EXPECT_TRUE(c.rayHits > 50 && c.sweepHits > 50 && c.closestHits > 50) << seed;
  }
  TriangleIndex index;
  index.Build(TriangleSet());
  float t = 1, best = INFINITY, ts = INFINITY;
  int32_t hit = -1, hs = -1;
  vec3 normal, point, ns;
  EXPECT_FALSE(index.RayCast(vec3(), vec3(1, 0, 0), t, hit, normal));
  const TriangleData terrain = Terrain(8, 1, 4);
  index.Build(terrain.set());
  ASSERT_TRUE(index.ClosestPoint(vec3(0.5f, 0.5f, 3), best, point, hit));
  t = INFINITY;
  EXPECT_EQ(index.RayCast(vec3(0, 0, 10), vec3(0, 0, -1), t, hit, normal),
            ScanRayCast(terrain.set(), vec3(0, 0, 10), vec3(0, 0, -1), ts, hs, ns));
  EXPECT_EQ(t, ts);
}
