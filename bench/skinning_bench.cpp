// Skinning a synthetic character-sized body (5,000 vertices, 40 bones, up to
// 4 influences per vertex) and the generated bodies. Reported per vertex.
#include <benchmark/benchmark.h>

#include <vector>

#include "geometry/anim.h"
#include "geometry/em7.h"
#include "geometry/model.h"
#include "geometry/pose.h"
#include "storage/core.h"

namespace {
constexpr int kBones = 40;
constexpr uint32_t kVertices = 5000;

struct Body {
  vec3 restRot[kBones], restPos[kBones];
  int32_t parents[kBones];
  quat rot[kBones];
  vec3 pos[kBones];
  mat4 invBind[kBones], matrix[kBones];
  dualquat dual[kBones];
  std::vector<vec3> rest, restNormal, out, outNormal;
  std::vector<uint8_t> count;
  std::vector<uint32_t> boneStore;
  std::vector<float> weightStore;
  std::vector<const uint32_t*> bones;
  std::vector<const float*> weights;

  Body() {
    uint32_t seed = 12345;
    auto next = [&seed]() {
      seed = seed * 1664525u + 1013904223u;
      return static_cast<float>(seed >> 8) / 16777216.0f;
    };
    for (int b = 0; b < kBones; ++b) {
      parents[b] = b == 0 ? -1 : static_cast<int32_t>(next() * b);
      restRot[b] = vec3(next() - 0.5f, next() - 0.5f, next() - 0.5f);
      restPos[b] = vec3(next(), next(), next());
      mat4 local;
      local.fromEuler(restRot[b], restPos[b]);
      matrix[b] = b ? matrix[parents[b]].mulAffine(local) : local;
      rot[b].fromEuler(vec3(next() - 0.5f, next() - 0.5f, next() - 0.5f));
      pos[b] = vec3(next() * 0.1f, 0, 0);
    }
    for (int b = 0; b < kBones; ++b) invBind[b] = matrix[b].inverseAffine();
    boneStore.resize(kVertices * 4);
    weightStore.resize(kVertices * 4);
    for (uint32_t v = 0; v < kVertices; ++v) {
      rest.push_back(vec3(next() * 10, next() * 10, next() * 10));
      restNormal.push_back(normalize(vec3(next() - 0.5f, next() - 0.5f, next() - 0.5f)));
      const int n = 1 + static_cast<int>(next() * 4);
      count.push_back(static_cast<uint8_t>(n));
      float sum = 0;
      for (int j = 0; j < n; ++j) {
        boneStore[v * 4 + j] = static_cast<uint32_t>(next() * kBones);
        weightStore[v * 4 + j] = next() + 0.01f;
        sum += weightStore[v * 4 + j];
      }
      for (int j = 0; j < n; ++j) weightStore[v * 4 + j] /= sum;
      bones.push_back(&boneStore[v * 4]);
      weights.push_back(&weightStore[v * 4]);
    }
    out.resize(kVertices);
    outNormal.resize(kVertices);
  }

  PoseJob Pose() {
    PoseJob job;
    job.boneCount = kBones;
    job.restRot = restRot;
    job.restPos = restPos;
    job.parents = parents;
    job.rotations = rot;
    job.translations = pos;
    job.invBind = invBind;
    job.boneMatrix = matrix;
    job.boneDual = dual;
    return job;
  }

  SkinningJob Skin() {
    SkinningJob job;
    job.vertexCount = kVertices;
    job.restPositions = rest.data();
    job.restNormals = restNormal.data();
    job.influenceCount = count.data();
    job.boneIdx = bones.data();
    job.weights = weights.data();
    job.weightSlots = kVertices;
    job.boneCount = kBones;
    job.boneDual = dual;
    job.positions = out.data();
    job.normals = outNormal.data();
    return job;
  }
};

void PerVertex(benchmark::State& state) {
  state.counters["per_vertex"] = benchmark::Counter(
      static_cast<double>(kVertices),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_SkinVertices(benchmark::State& state) {
  Body body;
  const PoseJob pose = body.Pose();
  pose.Run();
  const SkinningJob skin = body.Skin();
  for (auto _ : state) {
    skin.Run();
    benchmark::DoNotOptimize(body.out.data());
  }
  PerVertex(state);
}
BENCHMARK(BM_SkinVertices);

// The whole per-draw step: bone matrices and skinning.
void BM_PoseAndSkin(benchmark::State& state) {
  Body body;
  const PoseJob pose = body.Pose();
  const SkinningJob skin = body.Skin();
  for (auto _ : state) {
    pose.Run();
    skin.Run();
    benchmark::DoNotOptimize(body.out.data());
  }
  PerVertex(state);
}
BENCHMARK(BM_PoseAndSkin);

// The generated bodies posed by the run clip: the whole per-draw step of a
// character (blend, pose, skin). Needs the default build's content.
void BM_SkinGeneratedBody(benchmark::State& state) {
  static const char* const kBodies[] = {"bin\\pegasus.Model", "bin\\earthling.Model"};
  CoreSetArchivePath(QH_BINARY_DIR "/run/brookfield.core");
  Mesh mesh;
  mesh.Init();
  CAnim clip;
  Model model;
  model.Reset();
  if (!LoadEM7(mesh, kBodies[state.range(0)]) || !LoadClip(clip, "bin\\run.Anim")) {
    state.SkipWithError("no generated content: build the default target first");
    return;
  }
  model.Assign(&mesh);
  model.InitSkelet();
  CAnim* clips[1] = {&clip};
  model.anims = clips;
  model.animCount = 1;
  for (auto _ : state) {
    clip.weight = 1;
    model.UpdateSkin(0.016f);
    benchmark::DoNotOptimize(model.verts);
  }
  state.counters["per_vertex"] = benchmark::Counter(
      static_cast<double>(model.vertexCount),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  model.anims = nullptr;
  model.animCount = 0;
  model.Release();
  clip.Clear();
  mesh.Clear();
}
BENCHMARK(BM_SkinGeneratedBody)->Arg(0)->Arg(1);
}  // namespace
