#include "geometry/skin_lanes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {
// One vertex the plain way: the formulas the kernels must reproduce lane for
// lane.
void SkinOne(const SkinningJob& job, uint32_t v, vec3& position, vec3& normal) {
  float rx = 0, ry = 0, rz = 0, rw = 0, dx = 0, dy = 0, dz = 0, dw = 0;
  const int n = job.boneIdx[v] && job.weights[v] ? job.influenceCount[v] : 0;
  for (int j = 0; j < n; ++j) {
    if (job.boneIdx[v][j] >= static_cast<uint32_t>(job.boneCount)) continue;
    const dualquat& d = job.boneDual[job.boneIdx[v][j]];
    const float dot = rx * d.real.x + ry * d.real.y + rz * d.real.z + rw * d.real.w;
    const float k = dot < 0 ? -job.weights[v][j] : job.weights[v][j];
    rx += k * d.real.x, ry += k * d.real.y, rz += k * d.real.z, rw += k * d.real.w;
    dx += k * d.dual.x, dy += k * d.dual.y, dz += k * d.dual.z, dw += k * d.dual.w;
  }
  dualquat acc;
  const float s = rx * rx + ry * ry + rz * rz + rw * rw;
  const float inv = std::fabs(s) < 9.99999997e-7f ? 0.0f : 1.0f / std::sqrt(s);
  acc.real = inv == 0 ? quat() : quat(rx * inv, ry * inv, rz * inv, rw * inv);
  acc.dual = inv == 0 ? quat(dx, dy, dz, dw) : quat(dx * inv, dy * inv, dz * inv, dw * inv);
  position = acc.transformPoint(job.restPositions[v]);
  normal = acc.rotate(job.restNormals[v]);
}
}  // namespace

// Random bodies of every length around the lane widths: influences of 0 to 5
// bones (some past the skeleton, some opposed, some cancelling with negative
// weights, some lists missing). Each kernel gives exactly the plain result
// and writes nothing past the last vertex.
TEST(SkinLanes, EveryKernelGivesTheOneVertexResultAndStopsAtTheCount) {
  std::vector<void (*)(const SkinningJob&)> kernels = {SkinFourLanes};
#if defined(QH_SKIN_AVX2)
  if (SkinEightLanesSupported()) kernels.push_back(SkinEightLanes);
#endif
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> unit(-1, 1);
  dualquat bones[6];
  for (int b = 0; b < 5; ++b) {
    mat4 m;
    m.fromEuler(vec3(unit(rng), unit(rng), unit(rng)) * 3,
                vec3(unit(rng), unit(rng), unit(rng)) * 5);
    bones[b].fromMatrix(m);
  }
  for (int i = 0; i < 4; ++i)
    bones[5].real[i] = -bones[0].real[i], bones[5].dual[i] = -bones[0].dual[i];
  const uint32_t kSentinel = 99;
  for (uint32_t count : {1u, 3u, 4u, 5u, 8u, 13u, 17u, 203u}) {
    std::vector<vec3> rest(count), restNormal(count), plain(count), plainNormal(count);
    std::vector<uint8_t> influences(count);
    std::vector<std::vector<uint32_t>> idx(count);
    std::vector<std::vector<float>> weight(count);
    std::vector<const uint32_t*> idxPtr(count);
    std::vector<const float*> weightPtr(count);
    for (uint32_t v = 0; v < count; ++v) {
      rest[v] = vec3(unit(rng), unit(rng), unit(rng)) * 10;
      restNormal[v] = normalize(vec3(unit(rng), unit(rng), unit(rng)));
      influences[v] = static_cast<uint8_t>(rng() % 6);
      for (int j = 0; j < influences[v]; ++j) {
        idx[v].push_back(rng() % 8);  // 6 and 7 are past the skeleton
        weight[v].push_back(unit(rng) + 1.2f);
      }
      if (v % 7 == 3) idx[v] = {2, 2}, weight[v] = {0.5f, -0.5f}, influences[v] = 2;  // cancels
      idxPtr[v] = v % 11 == 5 ? nullptr : idx[v].data();
      weightPtr[v] = v % 13 == 6 ? nullptr : weight[v].data();
    }
    SkinningJob job = {
        count, rest.data(), restNormal.data(), influences.data(), idxPtr.data(), weightPtr.data(),
        count};
    job.boneCount = 6, job.boneDual = bones;
    for (uint32_t v = 0; v < count; ++v) SkinOne(job, v, plain[v], plainNormal[v]);
    for (auto kernel : kernels) {
      std::vector<vec3> out(count + 8, vec3(kSentinel, 0, 0)), outNormal = out;
      job.positions = out.data(), job.normals = outNormal.data();
      kernel(job);
      for (uint32_t v = 0; v < count; ++v) {
        EXPECT_TRUE(out[v] == plain[v] && outNormal[v] == plainNormal[v]) << count << " " << v;
      }
      for (uint32_t v = count; v < count + 8; ++v)
        EXPECT_TRUE(out[v].x == kSentinel && outNormal[v].x == kSentinel) << count << " " << v;
    }
  }
}
