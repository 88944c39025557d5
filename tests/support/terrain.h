// Random triangle sets for the query tests and benchmarks.
#pragma once
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "geometry/triangle_queries.h"

struct TriangleData {
  std::vector<vec3> verts, triNorm;
  std::vector<uint32_t> tris;
  TriangleSet set() const {
    return {verts.data(), tris.data(), triNorm.data(), static_cast<uint32_t>(tris.size() / 3)};
  }
  void ComputeNormals() {
    triNorm.resize(tris.size() / 3);
    for (size_t t = 0; t < triNorm.size(); ++t)
      triNorm[t].triangleNormal(verts[tris[3 * t]], verts[tris[3 * t + 1]], verts[tris[3 * t + 2]]);
  }
};

// A height field of cells x cells squares of size 1 around the origin, two
// triangles per square facing up: rolling hills of the given amplitude plus
// random bumps of a tenth of it.
inline TriangleData Terrain(int cells, float amplitude, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> bump(-0.1f * amplitude, 0.1f * amplitude);
  TriangleData out;
  const int n = cells + 1;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      out.verts.push_back(vec3(i - cells * 0.5f, j - cells * 0.5f,
                               amplitude * std::sin(0.15f * i) * std::cos(0.1f * j) + bump(rng)));
  for (int i = 0; i < cells; ++i)
    for (int j = 0; j < cells; ++j) {
      const uint32_t a = i * n + j, b = a + 1, c = a + n, d = c + 1;
      out.tris.insert(out.tris.end(), {a, b, c, c, b, d});
    }
  out.ComputeNormals();
  return out;
}
