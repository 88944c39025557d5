// The query index against the plain scan on the generated island and tree,
// for segments that run nearly parallel to the surface: sparkle steps skimming
// the ground and crossing the tree, the camera's segment from the head to the
// eye, long level segments, and segments lying in a triangle's own plane,
// where only rounding decides whether det passes its threshold.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "content/loaded_model.h"
#include "geometry/triangle_queries.h"

namespace {
struct Query {
  vec3 o, d;
  float t;
};

TriangleSet SetOf(const LoadedModel& m) {
  return {m.model.verts, m.mesh.tris, m.mesh.triNorm, m.mesh.triCount};
}

struct Tally {
  int hits = 0, nearParallel = 0;  // hits at under 0.1 degree from the surface
};

Tally Compare(const LoadedModel& m, const std::vector<Query>& queries) {
  TriangleIndex index;
  index.Build(SetOf(m));
  Tally tally;
  for (size_t i = 0; i < queries.size(); ++i) {
    const Query& q = queries[i];
    float ta = q.t, tb = q.t;
    int32_t ha = -1, hb = -1;
    vec3 na(9, 9, 9), nb(9, 9, 9);
    const bool a = ScanRayCast(SetOf(m), q.o, q.d, ta, ha, na);
    const bool b = index.RayCast(q.o, q.d, tb, hb, nb);
    const bool same = a == b && std::memcmp(&ta, &tb, sizeof ta) == 0 && ha == hb &&
                      std::memcmp(&na, &nb, sizeof na) == 0;
    EXPECT_TRUE(same) << "query " << i << ": t " << ta << " vs " << tb << ", triangle " << ha
                      << " vs " << hb;
    if (!same) return tally;
    if (!a) continue;
    ++tally.hits;
    tally.nearParallel += std::fabs(dot(normalize(q.d), m.Normal(ha))) < 1.7e-3f;
  }
  return tally;
}

// A point of triangle t (barycentric a, b) and the triangle's corners.
vec3 PointOn(const LoadedModel& m, uint32_t t, float a, float b) {
  const uint32_t* c = m.mesh.tris + 3 * t;
  const vec3 &p1 = m.model.verts[c[0]], &p2 = m.model.verts[c[1]], &p3 = m.model.verts[c[2]];
  return p1 + (p2 - p1) * a + (p3 - p1) * b;
}

// Segments over random triangles of the model: `lift` above the surface
// (along +z for the ground, the normal for the tree), moving `length` along
// the triangle's plane tilted by `tilt` (radians) towards it.
std::vector<Query> Skimming(const LoadedModel& m, int count, float lift, float length, float tilt,
                            uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> unit(0, 1), angle(0, 6.2831853f);
  std::uniform_int_distribution<uint32_t> pick(0, m.mesh.triCount - 1);
  std::vector<Query> out;
  for (int i = 0; i < count; ++i) {
    const uint32_t t = pick(rng);
    const vec3 n = m.Normal(t);
    const float a = unit(rng), b = unit(rng) * (1 - a);
    const vec3 across = normalize(cross(n, std::fabs(n.z) < 0.9f ? vec3(0, 0, 1) : vec3(1, 0, 0)));
    const vec3 along =
        normalize(across * std::cos(angle(rng)) + cross(n, across) * std::sin(angle(rng)));
    const vec3 o = PointOn(m, t, a, b) + n * (lift * unit(rng));
    // The normal points away from the side rays hit from, so tilt against it.
    out.push_back({o, (along - n * (tilt * unit(rng))) * length, i % 5 ? 1.0f : 0.5f});
  }
  return out;
}
}  // namespace

TEST(IndexGrazing, MatchesTheScanOnTheIsland) {
  const LoadedModel map("bin\\map2.Model", 10);
  ASSERT_GT(map.mesh.triCount, 1000u);
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> unit(-1, 1), pick(0, 1);
  // Sparkle steps (3 units) and long level segments skimming the ground, in
  // its plane and just above it.
  std::vector<Query> queries = Skimming(map, 1500, 0.01f, 3.2f, 2e-3f, 1);
  for (const Query& q : Skimming(map, 600, 0, 3.2f, 0, 2)) queries.push_back(q);
  for (const Query& q : Skimming(map, 300, 2, 400, 1e-2f, 3)) queries.push_back(q);
  // The camera: from a head 12 units over a vertex to an eye 40-90 units
  // behind and a little above it.
  for (int i = 0; i < 600; ++i) {
    const vec3 head = map.model.verts[static_cast<uint32_t>(pick(rng) * (map.mesh.vertCount - 1))] +
                      vec3(0, 0, 12);
    const vec3 back = normalize(vec3(unit(rng), unit(rng), 0.3f * pick(rng)));
    queries.push_back({head, back * (40 + 50 * pick(rng)), 1.0f});
  }
  const Tally tally = Compare(map, queries);
  EXPECT_GT(tally.hits, 800);
  EXPECT_GT(tally.nearParallel, 100);
}

TEST(IndexGrazing, MatchesTheScanOnTheTree) {
  const LoadedModel tree("bin\\tree.Model", 2);
  ASSERT_GT(tree.mesh.triCount, 100u);
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> unit(-1, 1);
  std::vector<Query> queries = Skimming(tree, 1500, 0.01f, 3.2f, 2e-3f, 4);
  for (const Query& q : Skimming(tree, 500, 0, 3.2f, 0, 5)) queries.push_back(q);
  // Sparkles falling through the crown: random 3-unit steps inside its sphere.
  const float r = tree.model.radius;
  for (int i = 0; i < 1500; ++i)
    queries.push_back({tree.model.center + vec3(unit(rng), unit(rng), unit(rng)) * r,
                       vec3(unit(rng), unit(rng), unit(rng) - 1) * 2.0f, 1.0f});
  const Tally tally = Compare(tree, queries);
  EXPECT_GT(tally.hits, 500);
  EXPECT_GT(tally.nearParallel, 100);
}
