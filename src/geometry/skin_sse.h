// SSE data movement shared by the skinning kernels: 4x4 transposes between
// four records and four lanes. Internal linkage on purpose: each kernel file
// compiles these for its own instruction set, and a shared out-of-line copy
// built for AVX2 must never be what the SSE kernel calls.
#pragma once
#include <xmmintrin.h>

#include "math/quat.h"

namespace skin {
// [a[i], a[j], b[k], b[l]]
template <int i, int j, int k, int l>
static inline __m128 Pick(__m128 a, __m128 b) {
  return _mm_shuffle_ps(a, b, _MM_SHUFFLE(l, k, j, i));
}

// out[i]: component i of q[0..3].
static inline void QuatColumns4(const quat* const q[4], __m128 out[4]) {
  __m128 r0 = _mm_loadu_ps(&q[0]->x), r1 = _mm_loadu_ps(&q[1]->x), r2 = _mm_loadu_ps(&q[2]->x),
         r3 = _mm_loadu_ps(&q[3]->x);
  _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
  out[0] = r0, out[1] = r1, out[2] = r2, out[3] = r3;
}

// Four packed vec3 (x0 y0 z0 x1 | y1 z1 x2 y2 | z2 x3 y3 z3) as x, y, z lanes.
static inline void Vec3Columns4(const float* f, __m128 out[3]) {
  const __m128 a = _mm_loadu_ps(f), b = _mm_loadu_ps(f + 4), c = _mm_loadu_ps(f + 8);
  out[0] = Pick<0, 3, 0, 2>(a, Pick<2, 2, 1, 1>(b, c));
  out[1] = Pick<0, 2, 0, 2>(Pick<1, 1, 0, 0>(a, b), Pick<3, 3, 2, 2>(b, c));
  out[2] = Pick<0, 2, 0, 3>(Pick<2, 2, 1, 1>(a, b), c);
}

// The reverse of Vec3Columns4.
static inline void Vec3Rows4(__m128 x, __m128 y, __m128 z, float* f) {
  _mm_storeu_ps(f, Pick<0, 2, 0, 2>(Pick<0, 0, 0, 0>(x, y), Pick<0, 0, 1, 1>(z, x)));
  _mm_storeu_ps(f + 4, Pick<0, 2, 0, 2>(Pick<1, 1, 1, 1>(y, z), Pick<2, 2, 2, 2>(x, y)));
  _mm_storeu_ps(f + 8, Pick<0, 2, 0, 2>(Pick<2, 2, 3, 3>(z, x), Pick<3, 3, 3, 3>(y, z)));
}
}  // namespace skin
