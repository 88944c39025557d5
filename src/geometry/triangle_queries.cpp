#include "geometry/triangle_queries.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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
// RayCast: every triangle is visited exactly once in one of three ways, and
// the hits are folded in ascending triangle order, so no candidate list needs
// sorting: whether rayTriangle hits and its t' depend only on the triangle,
// only the acceptance |t'| < t depends on the state, so the few triangles
// that hit with |t'| < t0 are collected in any order, sorted and folded.
//
// The error bound. With eps = 2^-24, L the longest edge, S >= |o - p1|,
// N = e1 x e2, A = L^2 / |N| (the triangle's aspect) and x = the cosine
// between d and the triangle's true front normal (the front normal points
// against the rays that hit: the exact det is D = -|d| |N| x), the float
// values of det, s.p, d.q and e1.q differ from the exact ones by at most
//   dD <= 7.9 eps |d| L^2, du, dw <= 7.9 eps S |d| L, dt <= 8.9 eps S L^2
// to first order (3-term dot products, 2-term cross products, and the
// rounded differences e1, e2, s). Cramer's rule is a polynomial identity,
//   D s = Nu e2 + Nw e1 - Nt d,
// so with the computed values (D~ etc.) the point o + (Nt~/D~) d lies within
//   (dD S + du L + dw L + dt |d|) / D~ <= 32.3 eps S |d| L^2 / D~
// of p1 + (Nu~/D~) e2 + (Nw~/D~) e1. An accepted triangle has u, w >= 0,
// u + w <= 1 and |t'| < t0 after one rounded division each, so that second
// point lies within 3 eps L of the triangle and the first on the segment
// [o - t0 d, o + t0 d] stretched by eps t0 |d|. Acceptance needs
// D~ >= 1e-5 > 0; that threshold alone bounds nothing at the program's
// scales (rounding alone moves det by dD, about 3e-3 for a 3-unit sparkle
// step against a 50-unit ground triangle), only its sign helps. Hence:
// - "behind": x > 16 eps A means D + dD < 0, so D~ < 0: never accepted, in
//   any state;
// - "facing": x < -K A (K = kGrazing, far above 16 eps) means D > 2 dD, so
//   D~ >= D / 2 = |d| |N| |x| / 2, and the segment comes within
//   m = 64.6 eps S A / |x| + 3 eps L + eps t0 |d|  <=  64.6 eps S / K + ...
//   of the triangle: a node whose box grown by 2m (for the second-order
//   terms) misses the segment holds no facing triangle that can be accepted.
//   Where the node's normal cone bounds |x| from below by c, A / |x| <=
//   maxAspect / c tightens it for steep rays.
// - "grazing", in between: nothing bounds where rounding can make such a
//   triangle hit (a segment in the plane of a far triangle can), so every
//   grazing triangle is tested. They are found through a second hierarchy
//   over the normals alone: the band of normals with -K A <= x <= 16 eps A is
//   thin, so it holds few triangles.
// x is computed from the stored float unit normal, off by less than 2e-7;
// the thresholds take 1e-6 on either side. Triangles with aspect above 1e4
// (slivers, degenerate) are always tested. Non-finite inputs and magnitudes
// that could overflow the float products fall back to the plain scan.
namespace {
constexpr double kEps = 1.0 / (1 << 24);
constexpr double kMaxAspect = 1e4;    // beyond: a sliver, always a ray candidate
constexpr double kNormalTilt = 1e-3;  // stored normals within this are trusted
constexpr double kGrazing = 1e-4;     // K above: how near parallel a ray must be tested
constexpr double kBehind = 16 * kEps;
constexpr double kUnitSlack = 1e-6;  // error of x from the float unit normals
constexpr double kLargest = 1e9;     // beyond: the float products could overflow
constexpr uint32_t kLeafSize = 4;
constexpr uint32_t kNormalLeaf = 16;

constexpr uint32_t kMinIndexed = 48;  // fewer triangles: the scan is as fast

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
  const int shares = shares_;
  *this = TriangleIndex();
  shares_ = shares;
}

TriangleIndex* TriangleIndex::Share(TriangleIndex* index) {
  if (index) ++index->shares_;
  return index;
}

void TriangleIndex::Unshare(TriangleIndex*& index) {
  if (index && --index->shares_ == 0) delete index;
  index = nullptr;
}

bool TriangleIndex::Matches(const TriangleSet& set) const {
  return set.tris == set_.tris && set.triNorm == set_.triNorm && set.triCount == set_.triCount &&
         (verts_.empty() ||
          (set.verts && std::memcmp(set.verts, verts_.data(), verts_.size() * sizeof(vec3)) == 0));
}

void TriangleIndex::Build(const TriangleSet& set) {
  Release();
  set_ = set;
  const uint32_t n = set.triCount;
  uint32_t vertCount = 0;
  for (uint32_t i = 0; i < 3 * n; ++i) vertCount = std::max(vertCount, set.tris[i] + 1);
  verts_.assign(set.verts, set.verts + vertCount);
  set_.verts = verts_.data();
  unit_.resize(n);
  aspect_.assign(n, 0.0f);
  edge_.resize(n);
  flags_.assign(n, 0);
  order_.resize(n);
  facets_.reserve(n);
  for (uint32_t tri = 0; tri < n; ++tri) {
    order_[tri] = tri;
    const uint32_t* c = set.tris + 3 * tri;
    const vec3 &p1 = set.verts[c[0]], &p2 = set.verts[c[1]], &p3 = set.verts[c[2]];
    for (const vec3* p : {&p1, &p2, &p3})
      for (int k = 0; k < 3; ++k) extent_ = std::max(extent_, std::abs(double{(*p)[k]}));
    // The true normal, in doubles, for the cones, the ray classes and the
    // stored-normal check.
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
    edge_[tri] = static_cast<float>(L * 1.0001);  // rounded up: stays a bound
    if (L * L <= kMaxAspect * area2)
      aspect_[tri] = static_cast<float>(1.01 * L * L / area2);  // rounded up
    else
      flags_[tri] |= kRayAlways;
    const vec3& stored = set.triNorm[tri];
    if (!Finite(stored) || !(length(stored - unit_[tri]) <= kNormalTilt))
      flags_[tri] |= kSweepAlways;
    if (!(flags_[tri] & kRayAlways)) facets_.push_back({unit_[tri], aspect_[tri], tri});
  }
  for (uint32_t tri = 0; tri < n; ++tri)
    for (int a = 0; a < 2; ++a)
      if (flags_[tri] & (1 << a)) always_[a].push_back(tri);
  if (n < kMinIndexed || !(extent_ <= kLargest)) return;
  centre_.resize(3 * size_t{n});  // three times each centre: only the order matters
  for (uint32_t i = 0; i < 3 * n; ++i)
    centre_[i] = verts_[set.tris[i / 3 * 3]][i % 3] + verts_[set.tris[i / 3 * 3 + 1]][i % 3] +
                 verts_[set.tris[i / 3 * 3 + 2]][i % 3];
  nodes_.reserve(2 * (n / kLeafSize + 1));
  nodes_.push_back(Node());
  BuildNode(0, 0, n);
  std::vector<float>().swap(centre_);
  if (facets_.empty()) return;
  normalNodes_.reserve(2 * (facets_.size() / kNormalLeaf + 1));
  normalNodes_.push_back(NormalNode());
  BuildNormalNode(0, 0, static_cast<uint32_t>(facets_.size()));
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
      for (int corner = 0; corner < 3; ++corner) {
        const float x = set_.verts[c[corner]][k];
        node.lo[k] = std::min(node.lo[k], x);
        node.hi[k] = std::max(node.hi[k], x);
      }
      centreLo[k] = std::min(centreLo[k], double{centre_[3 * tri + k]});
      centreHi[k] = std::max(centreHi[k], double{centre_[3 * tri + k]});
    }
    node.maxEdge = std::max(node.maxEdge, edge_[tri]);
    if (flags_[tri] & kRayAlways) continue;
    node.maxAspect = std::max(node.maxAspect, aspect_[tri]);
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
    const float* centre = centre_.data() + axisK;
    std::nth_element(order_.begin() + first, order_.begin() + first + half,
                     order_.begin() + first + count,
                     [centre](uint32_t a, uint32_t b) { return centre[3 * a] < centre[3 * b]; });
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

void TriangleIndex::BuildNormalNode(uint32_t index, uint32_t first, uint32_t count) {
  NormalNode node;
  for (int k = 0; k < 3; ++k) {
    node.lo[k] = INFINITY;
    node.hi[k] = -INFINITY;
  }
  node.maxAspect = 0;
  float minAspect = INFINITY;
  for (uint32_t i = first; i < first + count; ++i) {
    const Facet& f = facets_[i];
    for (int k = 0; k < 3; ++k) {
      node.lo[k] = std::min(node.lo[k], f.normal[k]);
      node.hi[k] = std::max(node.hi[k], f.normal[k]);
    }
    node.maxAspect = std::max(node.maxAspect, f.aspect);
    minAspect = std::min(minAspect, f.aspect);
  }
  node.first = first;
  node.count = count;
  if (count > kNormalLeaf) {
    // The band a node is tested against is as wide as its largest aspect:
    // long thin triangles go apart first, then the normals split.
    int axisK = node.maxAspect > 2 * minAspect ? 3 : 0;
    for (int k = 1; k < 3 && axisK < 3; ++k)
      if (node.hi[k] - node.lo[k] > node.hi[axisK] - node.lo[axisK]) axisK = k;
    const uint32_t half = count / 2;
    std::nth_element(facets_.begin() + first, facets_.begin() + first + half,
                     facets_.begin() + first + count, [axisK](const Facet& a, const Facet& b) {
                       return axisK == 3 ? a.aspect < b.aspect : a.normal[axisK] < b.normal[axisK];
                     });
    const uint32_t left = static_cast<uint32_t>(normalNodes_.size());
    normalNodes_.push_back(NormalNode());
    normalNodes_.push_back(NormalNode());
    BuildNormalNode(left, first, half);
    BuildNormalNode(left + 1, first + half, count - half);
    node.first = left;
    node.count = 0;
  }
  normalNodes_[index] = node;
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

struct TriangleIndex::Ray {
  vec3 o, d;
  double od[3], dd[3];
  double unit[3];  // d / |d|
  float t0;
  double reach;  // t0 |d|

  // Which of the three kinds (see the top of the file) the triangle is.
  enum Kind { kBehindKind, kGrazingKind, kFacingKind };
  Kind KindOf(const vec3& normal, float aspect) const {
    const double x = unit[0] * normal.x + unit[1] * normal.y + unit[2] * normal.z;
    if (x > kBehind * aspect + kUnitSlack) return kBehindKind;
    return x >= -(kGrazing * aspect + kUnitSlack) ? kGrazingKind : kFacingKind;
  }
};

void TriangleIndex::TestRay(uint32_t tri, const Ray& ray) {
  const uint32_t* c = set_.tris + 3 * tri;
  float hit;
  if (rayTriangle(ray.o, ray.d, set_.verts[c[0]], set_.verts[c[1]], set_.verts[c[2]], hit) &&
      std::abs(hit) < ray.t0)
    hits_.push_back({tri, hit});
}

void TriangleIndex::CollectRay(uint32_t index, const Ray& ray) {
  const Node& node = nodes_[index];
  if (node.maxAspect == 0) return;  // only slivers here, and those come from always_
  // The range of x over the node's cone: with beta the angle between d and
  // the axis and alpha the cone's half angle, the normals' angles to d lie
  // in [beta - alpha, beta + alpha].
  double xLo = -1, xHi = 1;
  if (node.coneCos > 0) {
    const double cb =
        std::max(-1.0, std::min(1.0, node.axis[0] * ray.unit[0] + node.axis[1] * ray.unit[1] +
                                         node.axis[2] * ray.unit[2]));
    const double ca = std::min(1.0, double{node.coneCos});
    const double sb = std::sqrt(1 - cb * cb), sa = std::sqrt(1 - ca * ca);
    if (cb < ca) xHi = cb * ca + sb * sa + kUnitSlack;
    if (cb > -ca) xLo = cb * ca - sb * sa - kUnitSlack;
  }
  if (xLo > kBehind * node.maxAspect + kUnitSlack) return;  // every triangle faces away
  double ratio = 1 / kGrazing;                              // A / |x| of the facing triangles
  if (xHi < 0) ratio = std::min(ratio, node.maxAspect / -xHi);
  double S2 = 0;
  for (int k = 0; k < 3; ++k) {
    const double far = std::max(std::abs(ray.od[k] - node.lo[k]), std::abs(ray.od[k] - node.hi[k]));
    S2 += far * far;
  }
  const double m = 64.6 * kEps * std::sqrt(S2) * ratio + 3 * kEps * node.maxEdge + kEps * ray.reach;
  if (!SegmentMeetsBox(ray.od, ray.dd, ray.t0 * (1 + 1e-6), node.lo, node.hi, 2 * m + 1e-30))
    return;
  if (node.count) {
    for (uint32_t i = node.first; i < node.first + node.count; ++i) {
      const uint32_t tri = order_[i];
      if (!(flags_[tri] & kRayAlways) && ray.KindOf(unit_[tri], aspect_[tri]) == Ray::kFacingKind)
        TestRay(tri, ray);
    }
    return;
  }
  CollectRay(node.first, ray);
  CollectRay(node.first + 1, ray);
}

void TriangleIndex::CollectGrazing(uint32_t index, const Ray& ray) {
  const NormalNode& node = normalNodes_[index];
  double xLo = 0, xHi = 0;  // x over the node's box of normals
  for (int k = 0; k < 3; ++k) {
    const double a = ray.unit[k] * node.lo[k], b = ray.unit[k] * node.hi[k];
    xLo += std::min(a, b);
    xHi += std::max(a, b);
  }
  if (xLo > kBehind * node.maxAspect + kUnitSlack + 1e-9 ||
      xHi < -(kGrazing * node.maxAspect + kUnitSlack + 1e-9))
    return;
  if (node.count) {
    for (uint32_t i = node.first; i < node.first + node.count; ++i) {
      const Facet& f = facets_[i];
      if (ray.KindOf(f.normal, f.aspect) == Ray::kGrazingKind) TestRay(f.tri, ray);
    }
    return;
  }
  CollectGrazing(node.first, ray);
  CollectGrazing(node.first + 1, ray);
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
  const double largest = std::max(
      {std::abs(o.x), std::abs(o.y), std::abs(o.z), std::abs(d.x), std::abs(d.y), std::abs(d.z)});
  if (nodes_.empty() || !(largest <= kLargest) || !std::isfinite(t))
    return ScanRayCast(set_, o, d, t, hitTriangle, normal);
  if (d == vec3()) return false;  // det is 0 for every triangle
  Ray ray;
  ray.o = o;
  ray.d = d;
  const double dLength = Length(d.x, d.y, d.z);
  for (int k = 0; k < 3; ++k) {
    ray.od[k] = o[k];
    ray.dd[k] = d[k];
    ray.unit[k] = d[k] / dLength;
  }
  ray.t0 = t;
  ray.reach = t * dLength;
  hits_.clear();
  CollectRay(0, ray);
  if (!normalNodes_.empty()) CollectGrazing(0, ray);
  for (uint32_t tri : always_[0]) TestRay(tri, ray);
  std::sort(hits_.begin(), hits_.end(),
            [](const RayHit& a, const RayHit& b) { return a.tri < b.tri; });
  bool hit = false;
  for (const RayHit& h : hits_)
    if (std::abs(h.t) < t) {
      t = h.t;
      hitTriangle = static_cast<int32_t>(h.tri);
      hit = true;
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
