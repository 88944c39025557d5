// Per-query cost of the triangle index against the plain scan on the
// generated island (scaled by 10) and tree (scaled by 2), for the segment
// tests the program makes. Needs the content of the default build
// (build/run/brookfield.core). Argument: 0 the camera's segment from the head
// to the eye, 1 settled sparkles stepping over the ground, 2 sparkles falling
// through the tree's crown, 3 long level segments, 4 tree planting (straight
// down).
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "geometry/em7.h"
#include "geometry/model.h"
#include "geometry/triangle_queries.h"
#include "storage/core.h"

namespace {
struct Loaded {
  Mesh mesh;
  Model model;
  bool ok = false;
  Loaded(const char* name, float scale) {
    mesh.Init();
    model.Reset();
    CoreSetArchivePath(QH_BINARY_DIR "/run/brookfield.core");
    ok = LoadEM7(mesh, name);
    if (!ok) return;
    mesh.Scale(scale, scale, scale);
    model.Assign(&mesh);
  }
  TriangleSet set() const { return {model.verts, mesh.tris, mesh.triNorm, mesh.triCount}; }
};

const Loaded& Island() {
  static const Loaded* map = new Loaded("bin\\map2.Model", 10);
  return *map;
}
const Loaded& Tree() {
  static const Loaded* tree = new Loaded("bin\\tree.Model", 2);
  return *tree;
}

struct Query {
  vec3 o, d;
};

std::vector<Query> Queries(const Loaded& m, int kind) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> unit(-1, 1), pick(0, 1);
  std::vector<Query> out;
  for (int i = 0; i < 512; ++i) {
    const vec3 ground = m.model.verts[static_cast<uint32_t>(pick(rng) * (m.model.vertexCount - 1))];
    const vec3 level = normalize(vec3(unit(rng), unit(rng), 0));
    switch (kind) {
      case 0:
        out.push_back({ground + vec3(0, 0, 12),
                       normalize(level + vec3(0, 0, 0.3f * pick(rng))) * (40 + 50 * pick(rng))});
        break;
      case 1:
        out.push_back(
            {ground + vec3(0, 0, 0.5f * pick(rng)), level * 3 + vec3(0, 0, 0.3f * unit(rng))});
        break;
      case 2:
        out.push_back({m.model.center + vec3(unit(rng), unit(rng), unit(rng)) * m.model.radius,
                       vec3(unit(rng), unit(rng), unit(rng) - 1) * 2.0f});
        break;
      case 3:
        out.push_back({ground + vec3(0, 0, 2 + 18 * pick(rng)), level * 300});
        break;
      default:
        out.push_back({ground + vec3(unit(rng), unit(rng), 500), vec3(0, 0, -1000)});
    }
  }
  return out;
}

template <bool kIndexed>
void BM_SegmentQuery(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0));
  const Loaded& m = kind == 2 ? Tree() : Island();
  if (!m.ok) {
    state.SkipWithError("no generated content: build the default build first");
    return;
  }
  TriangleIndex index;
  index.Build(m.set());
  const std::vector<Query> queries = Queries(m, kind);
  size_t next = 0;
  for (auto _ : state) {
    const Query& q = queries[next++ % queries.size()];
    float t = 1;
    int32_t hit = -1;
    vec3 normal;
    if (kIndexed)
      benchmark::DoNotOptimize(index.RayCast(q.o, q.d, t, hit, normal));
    else
      benchmark::DoNotOptimize(ScanRayCast(m.set(), q.o, q.d, t, hit, normal));
  }
}
BENCHMARK_TEMPLATE(BM_SegmentQuery, true)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_SegmentQuery, false)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

// Building the index of one tree and of the island.
void BM_BuildIndex(benchmark::State& state) {
  const Loaded& m = state.range(0) ? Island() : Tree();
  TriangleIndex index;
  for (auto _ : state) index.Build(m.set());
}
BENCHMARK(BM_BuildIndex)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
}  // namespace
