// The eight-lane skinning kernel, built with AVX2 enabled for this file only
// (see CMakeLists.txt) and run only on CPUs that have it. AVX2 brings no
// fused multiply-add here, so the arithmetic stays the scalar formulas'.
#if defined(QH_SKIN_AVX2)
#include <immintrin.h>

#include "geometry/skin_kernel.h"
#include "geometry/skin_lanes.h"
#include "geometry/skin_sse.h"

namespace {
struct EightLanes {
  static constexpr uint32_t kLanes = 8;
  typedef float V __attribute__((vector_size(32)));
  typedef int32_t M __attribute__((vector_size(32)));

  static V Join(__m128 low, __m128 high) {
    return _mm256_insertf128_ps(_mm256_castps128_ps256(low), high, 1);
  }
  static __m128 Low(V v) { return _mm256_castps256_ps128(v); }
  static __m128 High(V v) { return _mm256_extractf128_ps(v, 1); }

  // Built from scalars: eight stores and a vector load of them would stall.
  static V Load(const float* f) { return V{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]}; }
  static V Sqrt(V v) { return _mm256_sqrt_ps(v); }

  static void Columns(const quat* const q[kLanes], V out[4]) {
    __m128 low[4], high[4];
    skin::QuatColumns4(q, low);
    skin::QuatColumns4(q + 4, high);
    for (int i = 0; i < 4; ++i) out[i] = Join(low[i], high[i]);
  }

  static skin::Lanes3<V> Gather(const vec3* v) {
    __m128 low[3], high[3];
    skin::Vec3Columns4(&v[0].x, low);
    skin::Vec3Columns4(&v[4].x, high);
    return {Join(low[0], high[0]), Join(low[1], high[1]), Join(low[2], high[2])};
  }

  static void Scatter(const skin::Lanes3<V>& r, vec3* v) {
    skin::Vec3Rows4(Low(r.x), Low(r.y), Low(r.z), &v[0].x);
    skin::Vec3Rows4(High(r.x), High(r.y), High(r.z), &v[4].x);
  }
};
}  // namespace

void SkinEightLanes(const SkinningJob& job) {
  skin::SkinAll<EightLanes>(job);
}
#endif
