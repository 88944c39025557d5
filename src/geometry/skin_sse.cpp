// The four-lane skinning kernel: SSE where the compiler targets it (every
// x86-64), plain vector code elsewhere.
#include <cmath>

#include "geometry/skin_kernel.h"
#include "geometry/skin_lanes.h"
#if defined(__SSE__)
#include "geometry/skin_sse.h"
#endif

namespace {
struct FourLanes {
  static constexpr uint32_t kLanes = 4;
  typedef float V __attribute__((vector_size(16)));
  typedef int32_t M __attribute__((vector_size(16)));

  // Built from scalars: four stores and a vector load of them would stall.
  static V Load(const float* f) { return V{f[0], f[1], f[2], f[3]}; }

#if defined(__SSE__)
  static void Columns(const quat* const q[kLanes], V out[4]) {
    __m128 m[4];
    skin::QuatColumns4(q, m);
    for (int i = 0; i < 4; ++i) out[i] = m[i];
  }
  static V Sqrt(V v) {
    return _mm_sqrt_ps(v);
  }
#else
  static void Columns(const quat* const q[kLanes], V out[4]) {
    for (int i = 0; i < 4; ++i) out[i] = V{(*q[0])[i], (*q[1])[i], (*q[2])[i], (*q[3])[i]};
  }
  static V Sqrt(V v) {
    return V{std::sqrt(v[0]), std::sqrt(v[1]), std::sqrt(v[2]), std::sqrt(v[3])};
  }
#endif

  static skin::Lanes3<V> Gather(const vec3* v, uint32_t first, uint32_t count) {
#if defined(__SSE__)
    if (first + kLanes <= count) {
      __m128 m[3];
      skin::Vec3Columns4(&v[first].x, m);
      return {m[0], m[1], m[2]};
    }
#endif
    const vec3 zero;
    const vec3& a = v[first];
    const vec3& b = first + 1 < count ? v[first + 1] : zero;
    const vec3& c = first + 2 < count ? v[first + 2] : zero;
    const vec3& d = first + 3 < count ? v[first + 3] : zero;
    return {V{a.x, b.x, c.x, d.x}, V{a.y, b.y, c.y, d.y}, V{a.z, b.z, c.z, d.z}};
  }

  static void Scatter(const skin::Lanes3<V>& r, vec3* v, uint32_t first, uint32_t count) {
#if defined(__SSE__)
    if (first + kLanes <= count) return skin::Vec3Rows4(r.x, r.y, r.z, &v[first].x);
#endif
    for (uint32_t l = 0; l < kLanes && first + l < count; ++l)
      v[first + l] = vec3(r.x[l], r.y[l], r.z[l]);
  }
};
}  // namespace

void SkinFourLanes(const SkinningJob& job) {
  skin::SkinAll<FourLanes>(job);
}
