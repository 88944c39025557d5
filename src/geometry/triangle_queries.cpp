#include "geometry/triangle_queries.h"

#include <algorithm>
#include <cmath>

#include "math/queries.h"

// Why the index returns exactly what the ordered scan returns
// ---------------------------------------------------------------
// Each query is a fold over the triangles in ascending order whose state
// (t; v and nearest; best) changes only on an accepted triangle. The index
// gathers a candidate set that provably contains every triangle that could be
// accepted in ANY state the fold can reach, sorts it and folds over it in
// ascending order: the skipped triangles would have left the state alone, so
// the result is the same, bit for bit (same float operations, same order).
//
// ClosestPoint: a triangle is taken only when its computed nearest point lies
// strictly closer than best <= best0. That point lies on the triangle (up to
// rounding, covered by the slack below; flat triangles are handled as their
// edges), so only triangles within best0 of q qualify.
//
// SweepSphere: an accepted triangle has a point within
//   R(v, nearest) = nearest * (|v| + |r|) + |r|
// of c0: in the face case the contact P = c0 + t*(v - r*n) with t <= nearest
// lies in the triangle (the stored normal must agree with the corners: the
// few triangles whose stored normal differs by more than 1e-3 are always
// candidates, and the 1e-3 tilt is covered by 2e-3 * longest edge); in the
// edge case the contact Q is on an edge within r of c0 + t'*(v - r*N). c0
// never changes, but an accepted hit slides v and lowers nearest, and sliding
// can lengthen v (it pushes a sphere that already overlaps the plane back out
// by up to r). The candidates are gathered for R0 = nearest0*(|v0| + 2|r|) +
// |r|; after every accepted hit R(v, nearest) is checked against R0 and, in
// the rare case it exceeds it, the query is run again as the plain scan from
// the original inputs.
//
// RayCast: an accepted t' has |t'| < t <= t0, and the state only ever moves
// t down (a negative t blocks everything after it). In exact arithmetic the
// hit point o + t'*d lies in the triangle and on the segment
// [o - t0*d, o + t0*d]. The computed u, w, t' carry rounding errors that grow
// as the ray grazes the plane: with eps = 2^-24, s = |o - p1| <= S, L the
// longest edge, A = L^2 / |e1 x e2| the triangle's aspect and c = |cos| of
// the angle between d and the plane normal, the exact point o + t'*d stays
// within
//   m = eps * (A * (21*S + 12*L + 6*t0*|d|) / c + 2*L + t0*|d|)
// of the triangle (first-order bound of the Moller-Trumbore arithmetic:
// |det| = |d| |e1 x e2| c; the numerators of u, w, t' err by at most
// 7 eps s |d| L, 7 eps s L^2, 7 eps s L^2 and det by 6 eps |d| L^2). A node
// is skipped only when its box grown by 8*m (slack for the first-order
// terms) misses the segment, with c bounded below by the node's normal cone
// and required to keep A / c below 1e4; grazing or sliver cases are simply
// visited. Triangles with aspect above 1e4 (slivers, degenerate) are always
// candidates. Non-finite inputs fall back to the plain scan.
namespace {
constexpr double kEps = 1.0 / (1 << 24);
constexpr double kMaxAspect = 1e4;    // beyond: a sliver, always a ray candidate
constexpr double kNormalTilt = 1e-3;  // stored normals within this are trusted
constexpr uint32_t kLeafSize = 4;

bool Finite(const vec3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

double Length(double x, double y, double z) {
  return std::sqrt(x * x + y * y + z * z);
}

bool RayStep(const TriangleSet& set, uint32_t tri, const vec3& o, const vec3& d, float& t) {
  const uint32_t* c = set.tris + 3 * tri;
  float hit;
  if (!rayTriangle(o, d, set.verts[c[0]], set.verts[c[1]], set.verts[c[2]], hit)) return false;
  if (!(std::abs(hit) < t)) return false;
  t = hit;
  return true;
}

bool SweepStep(const TriangleSet& set, uint32_t tri, const vec3& c0, vec3& v, float r, vec3& point,
               vec3& normal, float& nearest) {
  const uint32_t* c = set.tris + 3 * tri;
  return sweepSphereTriangle(c0, v, set.triNorm[tri], set.verts[c[0]], set.verts[c[1]],
                             set.verts[c[2]], point, normal, r, nearest);
}

bool ClosestStep(const TriangleSet& set, uint32_t tri, const vec3& q, float& best, vec3& point) {
  const uint32_t* c = set.tris + 3 * tri;
  const vec3& p1 = set.verts[c[0]];
  if (dot(set.triNorm[tri], q - p1) < 0.0f) return false;
  const vec3 nearest = closestPointOnTriangle(p1, set.verts[c[1]], set.verts[c[2]], q);
  const float distance = length(nearest - q);
  if (!(distance < best)) return false;
  best = distance;
  point = nearest;
  return true;
}

void RayNormal(const TriangleSet& set, int32_t tri, vec3& normal) {
  const uint32_t* c = set.tris + 3 * tri;
  normal.triangleNormal(set.verts[c[0]], set.verts[c[1]], set.verts[c[2]]);
}

// Segment o + s*d, s in [-t0, t0], against a box grown by margin (doubles).
bool SegmentMeetsBox(const double o[3], const double d[3], double t0, const float lo[3],
                     const float hi[3], double margin) {
  double s0 = -t0, s1 = t0;
  for (int k = 0; k < 3; ++k) {
    const double a = lo[k] - margin, b = hi[k] + margin;
    if (d[k] == 0.0) {
      if (o[k] < a || o[k] > b) return false;
      continue;
    }
    double ta = (a - o[k]) / d[k], tb = (b - o[k]) / d[k];
    if (ta > tb) std::swap(ta, tb);
    // Widened by a relative hair against the rounding of the divisions.
    const double slack = 1e-9 * (std::abs(ta) + std::abs(tb) + 1.0);
    s0 = std::max(s0, ta - slack);
    s1 = std::min(s1, tb + slack);
    if (s0 > s1) return false;
  }
  return true;
}
}  // namespace

bool ScanRayCast(const TriangleSet& set, const vec3& o, const vec3& d, float& t,
                 int32_t& hitTriangle, vec3& normal) {
  bool hit = false;
  for (uint32_t tri = 0; tri < set.triCount; ++tri)
    if (RayStep(set, tri, o, d, t)) {
      hit = true;
      hitTriangle = static_cast<int32_t>(tri);
    }
  if (hit) RayNormal(set, hitTriangle, normal);
  return hit;
}

bool ScanSweepSphere(const TriangleSet& set, const vec3& c0, vec3& v, float r, vec3& point,
                     vec3& normal, float& nearest, int32_t& hitTriangle) {
  bool hit = false;
  for (uint32_t tri = 0; tri < set.triCount; ++tri)
    if (SweepStep(set, tri, c0, v, r, point, normal, nearest)) {
      hit = true;
      hitTriangle = static_cast<int32_t>(tri);
    }
  return hit;
}

bool ScanClosestPoint(const TriangleSet& set, const vec3& q, float& best, vec3& point,
                      int32_t& hitTriangle) {
  bool hit = false;
  for (uint32_t tri = 0; tri < set.triCount; ++tri)
    if (ClosestStep(set, tri, q, best, point)) {
      hit = true;
      hitTriangle = static_cast<int32_t>(tri);
    }
  return hit;
}

void TriangleIndex::Release() {
  *this = TriangleIndex();
}

void TriangleIndex::Build(const TriangleSet& set) {
  Release();
  set_ = set;
  const uint32_t n = set.triCount;
  unit_.resize(n);
  flags_.assign(n, 0);
  order_.resize(n);
  for (uint32_t tri = 0; tri < n; ++tri) {
    order_[tri] = tri;
    const uint32_t* c = set.tris + 3 * tri;
    const vec3 &p1 = set.verts[c[0]], &p2 = set.verts[c[1]], &p3 = set.verts[c[2]];
    for (const vec3* p : {&p1, &p2, &p3})
      for (int k = 0; k < 3; ++k) extent_ = std::max(extent_, std::abs(double{(*p)[k]}));
    // The true normal, in doubles, for the cone and the stored-normal check.
    const double e1[3] = {double{p2.x} - p1.x, double{p2.y} - p1.y, double{p2.z} - p1.z};
    const double e2[3] = {double{p3.x} - p1.x, double{p3.y} - p1.y, double{p3.z} - p1.z};
    const double N[3] = {e2[1] * e1[2] - e2[2] * e1[1], e2[2] * e1[0] - e2[0] * e1[2],
                         e2[0] * e1[1] - e2[1] * e1[0]};
    const double area2 = Length(N[0], N[1], N[2]);
    const double L = std::max({Length(e1[0], e1[1], e1[2]), Length(e2[0], e2[1], e2[2]),
                               Length(e2[0] - e1[0], e2[1] - e1[1], e2[2] - e1[2])});
    if (area2 > 0 && std::isfinite(area2))
      unit_[tri] = vec3(static_cast<float>(N[0] / area2), static_cast<float>(N[1] / area2),
                        static_cast<float>(N[2] / area2));
    if (!(L * L <= kMaxAspect * area2)) flags_[tri] |= kRayAlways;
    const vec3& stored = set.triNorm[tri];
    if (!Finite(stored) || !(length(stored - unit_[tri]) <= kNormalTilt))
      flags_[tri] |= kSweepAlways;
  }
  for (uint32_t tri = 0; tri < n; ++tri)
    for (int a = 0; a < 2; ++a)
      if (flags_[tri] & (1 << a)) always_[a].push_back(tri);
  if (n == 0) return;
  nodes_.reserve(2 * (n / kLeafSize + 1));
  nodes_.push_back(Node());
  BuildNode(0, 0, n);
}

void TriangleIndex::BuildNode(uint32_t index, uint32_t first, uint32_t count) {
  Node node;
  double centreLo[3] = {INFINITY, INFINITY, INFINITY},
         centreHi[3] = {-INFINITY, -INFINITY, -INFINITY};
  double axis[3] = {0, 0, 0};
  for (int k = 0; k < 3; ++k) {
    node.lo[k] = INFINITY;
    node.hi[k] = -INFINITY;
  }
  node.maxEdge = 0;
  node.maxAspect = 0;
  for (uint32_t i = first; i < first + count; ++i) {
    const uint32_t tri = order_[i];
    const uint32_t* c = set_.tris + 3 * tri;
    for (int k = 0; k < 3; ++k) {
      double centre = 0;
      for (int corner = 0; corner < 3; ++corner) {
        const float x = set_.verts[c[corner]][k];
        node.lo[k] = std::min(node.lo[k], x);
        node.hi[k] = std::max(node.hi[k], x);
        centre += x;
      }
      centreLo[k] = std::min(centreLo[k], centre);
      centreHi[k] = std::max(centreHi[k], centre);
    }
    const vec3 &p1 = set_.verts[c[0]], &p2 = set_.verts[c[1]], &p3 = set_.verts[c[2]];
    const float L = std::max({length(p2 - p1), length(p3 - p1), length(p3 - p2)});
    // Rounded up so the stored bound stays a bound.
    node.maxEdge = std::max(node.maxEdge, L * 1.0001f);
    if (flags_[tri] & kRayAlways) continue;
    const vec3 N = cross(p3 - p1, p2 - p1);
    const double area2 = Length(N.x, N.y, N.z);
    node.maxAspect = std::max(node.maxAspect, static_cast<float>(1.01 * L * L / area2));
    for (int k = 0; k < 3; ++k) axis[k] += unit_[tri][k];
  }
  const double axisLength = Length(axis[0], axis[1], axis[2]);
  node.coneCos = axisLength > 0 ? 1.0f : -1.0f;
  for (int k = 0; k < 3; ++k)
    node.axis[k] = axisLength > 0 ? static_cast<float>(axis[k] / axisLength) : 0.0f;
  if (axisLength > 0)
    for (uint32_t i = first; i < first + count; ++i) {
      const uint32_t tri = order_[i];
      if (flags_[tri] & kRayAlways) continue;
      const vec3& u = unit_[tri];
      const double c =
          double{node.axis[0]} * u.x + double{node.axis[1]} * u.y + double{node.axis[2]} * u.z;
      node.coneCos = std::min(node.coneCos, static_cast<float>(c - 1e-6));
    }
  node.first = first;
  node.count = count;
  if (count > kLeafSize) {
    int axisK = 0;
    for (int k = 1; k < 3; ++k)
      if (centreHi[k] - centreLo[k] > centreHi[axisK] - centreLo[axisK]) axisK = k;
    const uint32_t half = count / 2;
    const TriangleSet& set = set_;
    auto centreOf = [&set, axisK](uint32_t tri) {
      const uint32_t* c = set.tris + 3 * tri;
      return double{set.verts[c[0]][axisK]} + set.verts[c[1]][axisK] + set.verts[c[2]][axisK];
    };
    std::nth_element(order_.begin() + first, order_.begin() + first + half,
                     order_.begin() + first + count,
                     [&centreOf](uint32_t a, uint32_t b) { return centreOf(a) < centreOf(b); });
    const uint32_t left = static_cast<uint32_t>(nodes_.size());
    nodes_.push_back(Node());
    nodes_.push_back(Node());
    BuildNode(left, first, half);
    BuildNode(left + 1, first + half, count - half);
    node.first = left;
    node.count = 0;
  }
  nodes_[index] = node;
}

void TriangleIndex::AddLeaf(const Node& node, uint8_t skip) {
  for (uint32_t i = node.first; i < node.first + node.count; ++i)
    if (!(flags_[order_[i]] & skip)) scratch_.push_back(order_[i]);
}

void TriangleIndex::Finish(uint8_t always) {
  const std::vector<uint32_t>& extra = always_[always == kRayAlways ? 0 : 1];
  scratch_.insert(scratch_.end(), extra.begin(), extra.end());
  std::sort(scratch_.begin(), scratch_.end());
}

void TriangleIndex::CollectRay(uint32_t index, const double o[3], const double d[3], double t0) {
  const Node& node = nodes_[index];
  if (node.maxAspect == 0) return;  // only slivers here, and those come from always_
  {
    // Lower bound of |cos| between d and any normal in the node's cone: with
    // beta the angle between d and the axis and alpha the cone's half angle,
    // the normals' angles to d lie in [beta - alpha, beta + alpha].
    const double dLength = Length(d[0], d[1], d[2]);
    const double cb = std::max(
        -1.0,
        std::min(1.0, (node.axis[0] * d[0] + node.axis[1] * d[1] + node.axis[2] * d[2]) / dLength));
    const double ca = std::max(-1.0, std::min(1.0, double{node.coneCos}));
    const double sb = std::sqrt(1 - cb * cb), sa = std::sqrt(1 - ca * ca);
    double c = 0;  // a cone wider than a hemisphere bounds nothing
    if (ca > 0 && cb * ca - sb * sa > 0) c = cb * ca - sb * sa;     // beta + alpha below 90 degrees
    if (ca > 0 && cb * ca + sb * sa < 0) c = -(cb * ca + sb * sa);  // beta - alpha above 90 degrees
    c -= 1e-6;
    if (c > 0 && node.maxAspect < kMaxAspect * c) {
      double S2 = 0;
      for (int k = 0; k < 3; ++k) {
        const double far = std::max(std::abs(o[k] - node.lo[k]), std::abs(o[k] - node.hi[k]));
        S2 += far * far;
      }
      const double S = std::sqrt(S2), L = node.maxEdge, reach = t0 * dLength;
      const double m =
          8 * kEps * (node.maxAspect * (21 * S + 12 * L + 6 * reach) / c + 2 * L + reach);
      if (!SegmentMeetsBox(o, d, t0, node.lo, node.hi, m)) return;
    }
  }
  if (node.count) {
    AddLeaf(node, kRayAlways);
    return;
  }
  CollectRay(node.first, o, d, t0);
  CollectRay(node.first + 1, o, d, t0);
}

void TriangleIndex::CollectNear(uint32_t index, const double centre[3], double reach, bool cube,
                                uint8_t skip) {
  const Node& node = nodes_[index];
  const double grow = reach + (cube ? 2 * kNormalTilt * node.maxEdge : 0.0);
  double outside2 = 0;  // squared distance from centre to the box
  for (int k = 0; k < 3; ++k) {
    const double gap = std::max({node.lo[k] - centre[k], centre[k] - node.hi[k], 0.0});
    if (cube && gap > grow) return;
    outside2 += gap * gap;
  }
  if (!cube && std::sqrt(outside2) > grow) return;
  if (node.count) {
    AddLeaf(node, skip);
    return;
  }
  CollectNear(node.first, centre, reach, cube, skip);
  CollectNear(node.first + 1, centre, reach, cube, skip);
}

bool TriangleIndex::RayCast(const vec3& o, const vec3& d, float& t, int32_t& hitTriangle,
                            vec3& normal) {
  if (!(t > 0.0f)) return false;  // |t'| < t can't hold
  if (nodes_.empty() || !Finite(o) || !Finite(d) || !std::isfinite(t))
    return ScanRayCast(set_, o, d, t, hitTriangle, normal);
  const double od[3] = {o.x, o.y, o.z}, dd[3] = {d.x, d.y, d.z};
  scratch_.clear();
  if (d != vec3()) CollectRay(0, od, dd, t);
  Finish(kRayAlways);
  bool hit = false;
  for (uint32_t tri : scratch_)
    if (RayStep(set_, tri, o, d, t)) {
      hit = true;
      hitTriangle = static_cast<int32_t>(tri);
    }
  if (hit) RayNormal(set_, hitTriangle, normal);
  return hit;
}

bool TriangleIndex::SweepSphere(const vec3& c0, vec3& v, float r, vec3& point, vec3& normal,
                                float& nearest, int32_t& hitTriangle) {
  if (!(nearest > 0.0f)) return false;  // 0 < t <= nearest can't hold
  if (nodes_.empty() || !Finite(c0) || !Finite(v) || !std::isfinite(r) || !std::isfinite(nearest))
    return ScanSweepSphere(set_, c0, v, r, point, normal, nearest, hitTriangle);
  const double radius = std::abs(double{r});
  auto reachOf = [radius](const vec3& move, float t) {
    return t * (Length(move.x, move.y, move.z) + radius) + radius;
  };
  const double R0 = nearest * (Length(v.x, v.y, v.z) + 2 * radius) + radius;
  const double magnitude = std::max({extent_, double{std::abs(c0.x)}, double{std::abs(c0.y)},
                                     double{std::abs(c0.z)}, Length(v.x, v.y, v.z), radius});
  const double centre[3] = {c0.x, c0.y, c0.z};
  scratch_.clear();
  CollectNear(0, centre, R0 + 1e-5 * (1 + magnitude), true, kSweepAlways);
  Finish(kSweepAlways);

  const vec3 v0 = v, point0 = point, normal0 = normal;
  const float nearest0 = nearest;
  const int32_t hit0 = hitTriangle;
  bool hit = false;
  for (uint32_t tri : scratch_) {
    if (!SweepStep(set_, tri, c0, v, r, point, normal, nearest)) continue;
    hit = true;
    hitTriangle = static_cast<int32_t>(tri);
    if (reachOf(v, nearest) > R0) {  // slid beyond the gathered region
      v = v0;
      point = point0;
      normal = normal0;
      nearest = nearest0;
      hitTriangle = hit0;
      return ScanSweepSphere(set_, c0, v, r, point, normal, nearest, hitTriangle);
    }
  }
  return hit;
}

bool TriangleIndex::ClosestPoint(const vec3& q, float& best, vec3& point, int32_t& hitTriangle) {
  if (!(best > 0.0f)) return false;  // a distance is never below 0
  if (nodes_.empty() || !Finite(q) || !std::isfinite(best))
    return ScanClosestPoint(set_, q, best, point, hitTriangle);
  const double magnitude =
      std::max({extent_, double{std::abs(q.x)}, double{std::abs(q.y)}, double{std::abs(q.z)}});
  const double centre[3] = {q.x, q.y, q.z};
  scratch_.clear();
  CollectNear(0, centre, best + 1e-5 * (1 + magnitude + best), false, 0);
  std::sort(scratch_.begin(), scratch_.end());
  bool hit = false;
  for (uint32_t tri : scratch_)
    if (ClosestStep(set_, tri, q, best, point)) {
      hit = true;
      hitTriangle = static_cast<int32_t>(tri);
    }
  return hit;
}
