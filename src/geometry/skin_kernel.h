// The arithmetic of SkinningJob over groups of vertices, one vertex per lane
// of a vector, with the operations of the one-vertex formulas in the same
// order: each lane gives what scalar arithmetic gives for its vertex.
//
// The lane width and the data movement come from a traits type L, so that
// each instruction set instantiates the kernel in its own file:
//   L::kLanes                      vertices per group
//   L::V, L::M                     float and int32 vectors of kLanes lanes
//   L::Columns(q, out)             out[i]: component i of the kLanes quats q
//   L::Load(const float*)          kLanes floats as a vector
//   L::Gather(v)                   kLanes consecutive vec3 as three vectors
//   L::Scatter(r, v)               the reverse
//   L::Sqrt(V)                     correctly rounded, lane by lane
// A job's last group, when fewer than kLanes vertices remain, moves its data
// lane by lane (GatherSome, ScatterSome) instead.
#pragma once
#include <cstdint>

#include "geometry/pose.h"

namespace skin {
// Below this squared length a blended rotation counts as cancelled.
constexpr float kCancelled = 9.99999997e-7f;

template <class V>
struct Lanes3 {
  V x, y, z;
};

// Lanes whose mask is all ones take a, the others b.
template <class V, class M>
inline V Select(M mask, V a, V b) {
  return reinterpret_cast<V>((mask & reinterpret_cast<M>(a)) | (~mask & reinterpret_cast<M>(b)));
}

template <class V>
inline Lanes3<V> Cross(const Lanes3<V>& a, const Lanes3<V>& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Vertices first ... count - 1 (fewer than a group) as lanes; the rest read
// zeros.
template <class V>
inline Lanes3<V> GatherSome(const vec3* v, uint32_t first, uint32_t count) {
  Lanes3<V> r = {{}, {}, {}};
  for (uint32_t l = 0; first + l < count; ++l)
    r.x[l] = v[first + l].x, r.y[l] = v[first + l].y, r.z[l] = v[first + l].z;
  return r;
}

template <class V>
inline void ScatterSome(const Lanes3<V>& r, vec3* v, uint32_t first, uint32_t count) {
  for (uint32_t l = 0; first + l < count; ++l) v[first + l] = vec3(r.x[l], r.y[l], r.z[l]);
}

// Skins vertices first ... first + kLanes - 1 (those below the job's count).
template <class L>
inline void SkinGroup(const SkinningJob& job, uint32_t first) {
  using V = typename L::V;
  using M = typename L::M;
  constexpr uint32_t kLanes = L::kLanes;
  // Lanes without an influence at some step read these and add nothing.
  static const dualquat kNone = {quat(0, 0, 0, 0), quat(0, 0, 0, 0)};
  static const uint32_t kNoBone[1] = {0};
  static const float kNoWeight[1] = {0};
  const uint32_t bones = static_cast<uint32_t>(job.boneCount);
  const uint32_t* idx[kLanes];
  const float* weight[kLanes];
  int count[kLanes];
  int most = 0;
  for (uint32_t l = 0; l < kLanes; ++l) {
    const uint32_t v = first + l;
    const bool some = v < job.vertexCount && job.boneIdx[v] && job.weights[v];
    idx[l] = some ? job.boneIdx[v] : kNoBone;
    weight[l] = some ? job.weights[v] : kNoWeight;
    count[l] = some ? job.influenceCount[v] : 0;
    if (count[l] > most) most = count[l];
  }
  V rx = {}, ry = {}, rz = {}, rw = {}, dx = {}, dy = {}, dz = {}, dw = {};
  for (int j = 0; j < most; ++j) {
    // Selected rather than branched on: counts differ from lane to lane.
    const quat* real[kLanes];
    const quat* dual[kLanes];
    float w[kLanes];
    for (uint32_t l = 0; l < kLanes; ++l) {
      const int at = j < count[l] ? j : 0;
      const uint32_t bone = idx[l][at];
      const bool use = j < count[l] && bone < bones;
      const dualquat* d = use ? &job.boneDual[bone] : &kNone;
      real[l] = &d->real;
      dual[l] = &d->dual;
      w[l] = use ? weight[l][at] : 0.0f;
    }
    V q[4], e[4];
    L::Columns(real, q);
    L::Columns(dual, e);
    // An influence whose rotation opposes the sum so far is subtracted; the
    // first meets a zero sum, which opposes nothing.
    const V weights = L::Load(w);
    V k = weights;
    if (j > 0) {
      const V dot = rx * q[0] + ry * q[1] + rz * q[2] + rw * q[3];
      k = Select<V, M>(dot < 0, -weights, weights);
    }
    rx += k * q[0];
    ry += k * q[1];
    rz += k * q[2];
    rw += k * q[3];
    dx += k * e[0];
    dy += k * e[1];
    dz += k * e[2];
    dw += k * e[3];
  }
  const V s = rx * rx + ry * ry + rz * rz + rw * rw;
  const V inv = 1.0f / L::Sqrt(s);
  // Cancelled influences leave the identity rotation with the summed
  // translation part.
  const V zero = {}, one = zero + 1.0f;
  const M cancelled = (s < kCancelled) & (s > -kCancelled);
  const Lanes3<V> r = {Select<V, M>(cancelled, zero, rx * inv),
                       Select<V, M>(cancelled, zero, ry * inv),
                       Select<V, M>(cancelled, zero, rz * inv)};
  const V realW = Select<V, M>(cancelled, one, rw * inv);
  const Lanes3<V> d = {Select<V, M>(cancelled, dx, dx * inv), Select<V, M>(cancelled, dy, dy * inv),
                       Select<V, M>(cancelled, dz, dz * inv)};
  const V dualW = Select<V, M>(cancelled, dw, dw * inv);

  const uint32_t end = job.vertexCount;
  const bool whole = first + kLanes <= end;
  // p + 2 r x (w p + r x p) + 2 (w d - dw r + r x d)
  const Lanes3<V> p =
      whole ? L::Gather(job.restPositions + first) : GatherSome<V>(job.restPositions, first, end);
  const Lanes3<V> rp = Cross(r, p);
  const Lanes3<V> u = {realW * p.x + rp.x, realW * p.y + rp.y, realW * p.z + rp.z};
  const Lanes3<V> ru = Cross(r, u), rd = Cross(r, d);
  const Lanes3<V> moved = {p.x + 2.0f * ru.x + 2.0f * (realW * d.x - dualW * r.x + rd.x),
                           p.y + 2.0f * ru.y + 2.0f * (realW * d.y - dualW * r.y + rd.y),
                           p.z + 2.0f * ru.z + 2.0f * (realW * d.z - dualW * r.z + rd.z)};
  if (whole)
    L::Scatter(moved, job.positions + first);
  else
    ScatterSome(moved, job.positions, first, end);

  // n + 2 r x (w n + r x n)
  const Lanes3<V> n =
      whole ? L::Gather(job.restNormals + first) : GatherSome<V>(job.restNormals, first, end);
  const Lanes3<V> rn = Cross(r, n);
  const Lanes3<V> un = {realW * n.x + rn.x, realW * n.y + rn.y, realW * n.z + rn.z};
  const Lanes3<V> run = Cross(r, un);
  const Lanes3<V> turned = {n.x + 2.0f * run.x, n.y + 2.0f * run.y, n.z + 2.0f * run.z};
  if (whole)
    L::Scatter(turned, job.normals + first);
  else
    ScatterSome(turned, job.normals, first, end);
}

// Every vertex of a job that passed Validate.
template <class L>
inline void SkinAll(const SkinningJob& job) {
  // Counted in groups so that the last one can't wrap the index.
  const uint32_t groups = job.vertexCount / L::kLanes + (job.vertexCount % L::kLanes != 0);
  for (uint32_t g = 0; g < groups; ++g) SkinGroup<L>(job, g * L::kLanes);
}
}  // namespace skin
