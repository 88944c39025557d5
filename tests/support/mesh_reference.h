// The all-pairs duplicate and weld passes and the linear edge search, written
// literally, as the reference the hashed Mesh passes must match (tests and
// benchmarks), plus generators of meshes that stress them.
#pragma once
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "geometry/mesh.h"

namespace reference {

inline bool Within(const vec3& a, const vec3& b, float tolerance) {
  return std::abs(a.x - b.x) <= tolerance && std::abs(a.y - b.y) <= tolerance &&
         std::abs(a.z - b.z) <= tolerance;
}

struct Dupes {
  std::vector<std::vector<uint32_t>> lists;
  int pairs = 0;
};

// i outer, j inner, both ascending; a pair is dropped when either list is full (255).
inline Dupes DupeVerts(const Mesh& mesh) {
  Dupes out;
  out.lists.resize(mesh.vertCount);
  for (uint32_t i = 0; i < mesh.vertCount; ++i)
    for (uint32_t j = i + 1; j < mesh.vertCount; ++j) {
      if (!Within(mesh.pos[i], mesh.pos[j], 0.001f) || out.lists[i].size() == 255 ||
          out.lists[j].size() == 255)
        continue;
      out.lists[i].push_back(j), out.lists[j].push_back(i), ++out.pairs;
    }
  return out;
}

struct Edges {
  std::vector<uint32_t> edges, triEdges;  // 2 per edge, 3 per triangle
};

inline Edges BuildEdges(const Mesh& mesh) {
  const uint32_t n = mesh.vertCount;
  std::vector<uint32_t> w(n, n);
  for (uint32_t i = 0; i < n; ++i) {
    if (w[i] != n) continue;
    w[i] = i;
    for (uint32_t j = i + 1; j < n; ++j)
      if (w[j] == n && Within(mesh.pos[i], mesh.pos[j], 0.00001f)) w[j] = i;
  }
  Edges out;
  for (uint32_t t = 0; t < mesh.triCount; ++t)
    for (int k = 0; k < 3; ++k) {
      const uint32_t p = w[mesh.tris[3 * t + k]], q = w[mesh.tris[3 * t + (k + 1) % 3]];
      size_t e = 0;
      const size_t count = out.edges.size() / 2;
      while (e < count && !((out.edges[2 * e] == p && out.edges[2 * e + 1] == q) ||
                            (out.edges[2 * e] == q && out.edges[2 * e + 1] == p)))
        ++e;
      if (e == count) out.edges.insert(out.edges.end(), {p, q});
      out.triEdges.push_back(static_cast<uint32_t>(e));
    }
  return out;
}

// Into an empty mesh, `count` vertices each repeating an earlier one shifted
// right at or just past a tolerance on some axes, or on a fresh lattice point,
// some exactly on hash cell borders (multiples of 0.002 and 0.00002).
// Triangles pick random vertices.
inline void ClusteredMesh(Mesh& mesh, uint32_t count, uint32_t triangles, uint32_t seed) {
  std::mt19937 rng(seed);
  mesh.resizeV(count, true);
  const float shifts[] = {0.0f,     0.001f,    -0.001f,   0.0011f, -0.0011f,
                          0.00001f, -0.00001f, 0.000011f, 0.0005f, 0.002f};
  for (uint32_t i = 0; i < count; ++i) {
    if (i > 0 && rng() % 3 != 0) {
      vec3 p = mesh.pos[rng() % i];
      for (int k = 0; k < 3; ++k)
        if (rng() % 2) p[k] += shifts[rng() % 10];
      mesh.pos[i] = p;
    } else {
      for (int k = 0; k < 3; ++k) {
        const int cell = static_cast<int>(rng() % 64) - 32;
        mesh.pos[i][k] = rng() % 2 ? cell * 0.002f : cell * 0.00002f + (rng() % 8) * 0.37f;
      }
    }
    mesh.uv[2 * i] = mesh.uv[2 * i + 1] = 0;
  }
  mesh.resizeF(triangles, true);
  for (uint32_t t = 0; t < 3 * triangles; ++t) mesh.tris[t] = rng() % count;
}

}  // namespace reference
