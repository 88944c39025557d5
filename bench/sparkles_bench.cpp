// One frame of the sparkles' movement: 100 sparkles, each tested against
// every tree until one is hit and then against the map, with the triangle
// index the world models get at start-up.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "../tests/support/terrain.h"
#include "environment/sparkles.h"

namespace {
void BM_SparklesUpdate(benchmark::State& state) {
  // Rolling hills 2000 units across, 3200 triangles.
  const TriangleData ground = Terrain(40, 3, 7);
  Mesh mapMesh, treeMesh;
  mapMesh.Init();
  mapMesh.resizeV(static_cast<uint32_t>(ground.verts.size()), false);
  std::memcpy(mapMesh.pos, ground.verts.data(), ground.verts.size() * sizeof(vec3));
  mapMesh.resizeF(static_cast<uint32_t>(ground.tris.size() / 3), false);
  std::memcpy(mapMesh.tris, ground.tris.data(), ground.tris.size() * sizeof(uint32_t));
  mapMesh.Scale(50, 50, 10);
  Model map;
  map.Assign(&mapMesh);
  map.BuildQueryIndex();

  const int treeCount = static_cast<int>(state.range(0));
  treeMesh.Init();
  treeMesh.GenBox(2, 2, 6);
  treeMesh.Scale(20, 20, 120);
  std::vector<Model> trees(static_cast<size_t>(treeCount));
  for (int i = 0; i < treeCount; ++i) {
    trees[i].Assign(&treeMesh);
    trees[i].position =
        vec3(static_cast<float>(i % 10) * 80 - 400, static_cast<float>(i / 10) * 80 - 200, 0);
    trees[i].UpdateMatrix();
    trees[i].BuildQueryIndex();
  }

  Sparkles sparkles;
  sparkles.Init(100);
  SparkleWorld world;
  world.dt = 0.016f;
  world.eye = vec3(0, 0, 60);
  world.characterPos = vec3(0, 0, 20);
  world.trees = trees.data();
  world.treeCount = static_cast<uint32_t>(treeCount);
  world.map = &map;
  for (auto _ : state) sparkles.Update(world);
  sparkles.Release();
  for (Model& t : trees) t.Release();
  map.Release();
  treeMesh.Clear();
  mapMesh.Clear();
}
}  // namespace

BENCHMARK(BM_SparklesUpdate)->Arg(0)->Arg(4)->Arg(50)->Unit(benchmark::kMicrosecond);
