// Mesh welding and edge building (hashed against the all-pairs reference)
// and triangle queries against a terrain (index against the plain scan).
#include <benchmark/benchmark.h>

#include <random>

#include "../tests/support/mesh_reference.h"
#include "../tests/support/terrain.h"
#include "geometry/mesh.h"
#include "geometry/model.h"
#include "geometry/triangle_queries.h"

namespace {
void MakeMesh(Mesh& mesh, int kind) {
  if (kind == 0)
    reference::ClusteredMesh(mesh, 50000, 50000, 1);
  else
    mesh.GenSphere(100, 100);
}

void BM_DupesHashed(benchmark::State& state) {
  Mesh mesh;
  MakeMesh(mesh, static_cast<int>(state.range(0)));
  for (auto _ : state) mesh.setDupeVerts();
  mesh.Clear();
}
void BM_DupesAllPairs(benchmark::State& state) {
  Mesh mesh;
  MakeMesh(mesh, static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(reference::DupeVerts(mesh));
  mesh.Clear();
}
void BM_EdgesHashed(benchmark::State& state) {
  Mesh mesh;
  MakeMesh(mesh, static_cast<int>(state.range(0)));
  for (auto _ : state) mesh.BuildEdges();
  mesh.Clear();
}
void BM_EdgesLinear(benchmark::State& state) {
  Mesh mesh;
  MakeMesh(mesh, static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(reference::BuildEdges(mesh));
  mesh.Clear();
}
// 0: 50,000-vertex clustered mesh, 1: GenSphere(100, 100).
BENCHMARK(BM_DupesHashed)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DupesAllPairs)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_EdgesHashed)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EdgesLinear)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

// 158 x 158 squares: 49,928 triangles.
const TriangleData& Ground() {
  static const TriangleData terrain = Terrain(158, 3, 7);
  return terrain;
}

template <bool kIndexed>
void BM_SegmentCasts(benchmark::State& state) {
  TriangleIndex index;
  index.Build(Ground().set());
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> coord(-79, 79), unit(-1, 1);
  for (auto _ : state) {
    for (int i = 0; i < 100; ++i) {
      const vec3 o(coord(rng), coord(rng), 2 + 3 * unit(rng));
      const vec3 d(3 * unit(rng), 3 * unit(rng), -4 + unit(rng));
      float t = 1;
      int32_t hit = -1;
      vec3 normal;
      if (kIndexed)
        benchmark::DoNotOptimize(index.RayCast(o, d, t, hit, normal));
      else
        benchmark::DoNotOptimize(ScanRayCast(Ground().set(), o, d, t, hit, normal));
    }
  }
}
template <bool kIndexed>
void BM_SphereSweeps(benchmark::State& state) {
  TriangleIndex index;
  index.Build(Ground().set());
  std::mt19937 rng(4);
  std::uniform_real_distribution<float> coord(-70, 70), unit(-1, 1);
  for (auto _ : state) {
    for (int i = 0; i < 4; ++i) {
      const vec3 c0(coord(rng), coord(rng), 4);
      vec3 v(2 * unit(rng), 2 * unit(rng), -3), point, normal;
      float nearest = 1;
      int32_t hit = -1;
      if (kIndexed)
        benchmark::DoNotOptimize(index.SweepSphere(c0, v, 1, point, normal, nearest, hit));
      else
        benchmark::DoNotOptimize(
            ScanSweepSphere(Ground().set(), c0, v, 1, point, normal, nearest, hit));
    }
  }
}
BENCHMARK(BM_SegmentCasts<true>)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SegmentCasts<false>)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SphereSweeps<true>)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SphereSweeps<false>)->Unit(benchmark::kMicrosecond);
}  // namespace

// A model whose 40,000 vertices share one point: every duplicate list
// reaches the cap.
void BM_AssignCoincident(benchmark::State& state) {
  Mesh mesh;
  mesh.Init();
  mesh.resizeV(40000, true);
  for (uint32_t v = 0; v < mesh.vertCount; ++v) mesh.pos[v] = vec3(1, 2, 3);
  mesh.resizeF(1, true);
  mesh.tris[0] = 0, mesh.tris[1] = 1, mesh.tris[2] = 2;
  for (auto _ : state) {
    Model model;
    model.Assign(&mesh);
    model.Release();
  }
  mesh.Clear();
}
BENCHMARK(BM_AssignCoincident)->Unit(benchmark::kMillisecond)->Iterations(1);
