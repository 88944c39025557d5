// The cloud's per-frame and per-keyframe work on its real size (a 100 x 100
// sphere, about ten thousand vertices): the noise of one keyframe, the
// normals after interpolation, and the silhouette pass of its outline.
#include <benchmark/benchmark.h>

#include "environment/noise.h"
#include "geometry/model.h"

namespace {
// The cloud's shape as start-up leaves it, outside the resource manager.
struct CloudShape {
  Mesh mesh;
  Model model;
  CloudShape() {
    mesh.Init();
    mesh.GenSphere(100, 100);
    mesh.Scale(300, 300, 100);
    mesh.BuildEdges();
    model.Reset();
    model.Assign(&mesh);
  }
  ~CloudShape() {
    model.Release();
    mesh.Clear();
  }
};

void BM_CloudKeyframeNoise(benchmark::State& state) {
  CloudShape cloud;
  float phase = 12;
  const float s = 0.005f;
  for (auto _ : state) {
    for (uint32_t v = 0; v < cloud.mesh.vertCount; ++v) {
      const vec3 p = cloud.mesh.pos[v];
      const float x = s * p.x + phase, y = s * p.y + phase, z = 0.33f * s * p.z + phase;
      cloud.mesh.norm[v] = vec3(FractalNoise(3, x, y, z, 1.0f, 2.1f, 120, false),
                                FractalNoise(3, x, y, z, 2.0f, 2.1f, 120, false),
                                FractalNoise(3, x, y, z, 3.0f, 2.1f, 120, false));
    }
    phase += 0.01f;
    benchmark::ClobberMemory();
  }
}

void BM_CloudReNormal(benchmark::State& state) {
  CloudShape cloud;
  for (auto _ : state) cloud.model.ReNormal();
}

void BM_CloudSilhouette(benchmark::State& state) {
  CloudShape cloud;
  for (auto _ : state) cloud.model.Silhouette(vec3(0, -700, 0));
}
}  // namespace

BENCHMARK(BM_CloudKeyframeNoise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CloudReNormal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CloudSilhouette)->Unit(benchmark::kMillisecond);
