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
  static skin::Lanes3<V> Gather(const vec3* v) {
    __m128 m[3];
    skin::Vec3Columns4(&v->x, m);
    return {m[0], m[1], m[2]};
  }
  static void Scatter(const skin::Lanes3<V>& r, vec3* v) {
    skin::Vec3Rows4(r.x, r.y, r.z, &v->x);
  }
#else
  static void Columns(const quat* const q[kLanes], V out[4]) {
    for (int i = 0; i < 4; ++i) out[i] = V{(*q[0])[i], (*q[1])[i], (*q[2])[i], (*q[3])[i]};
  }
  static V Sqrt(V v) {
    return V{std::sqrt(v[0]), std::sqrt(v[1]), std::sqrt(v[2]), std::sqrt(v[3])};
  }
  static skin::Lanes3<V> Gather(const vec3* v) {
    return skin::GatherSome<V>(v, 0, kLanes);
  }
  static void Scatter(const skin::Lanes3<V>& r, vec3* v) {
    skin::ScatterSome(r, v, 0, kLanes);
  }
#endif
};
}  // namespace

void SkinFourLanes(const SkinningJob& job) {
  skin::SkinAll<FourLanes>(job);
}
