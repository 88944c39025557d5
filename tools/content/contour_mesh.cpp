#include "contour_mesh.h"

#include <algorithm>
#include <cmath>

namespace {
// Welding cells: points closer than this (world units) are one vertex.
constexpr float kWeld = 0.001f;

int32_t Cell(float v) {
  return static_cast<int32_t>(std::floor(v / kWeld));
}

uint64_t Key(int32_t x, int32_t y, int32_t z) {
  // Cells of the map fit in 22 bits each (+-2000 units at 0.001).
  const uint64_t m = (1u << 22) - 1;
  return (static_cast<uint64_t>(x) & m) | (static_cast<uint64_t>(y) & m) << 22 |
         (static_cast<uint64_t>(z) & m) << 44;
}

// Whether p comes before q in a fixed order of positions, so that an edge is
// always walked from the same end whichever triangle asks.
bool Before(const vec3& p, const vec3& q) {
  if (p.x != q.x) return p.x < q.x;
  if (p.y != q.y) return p.y < q.y;
  return p.z < q.z;
}

// Where field k crosses zero between p and q.
FieldPoint Crossing(const FieldPoint& p, const FieldPoint& q, int k) {
  const FieldPoint& a = Before(p.pos, q.pos) ? p : q;
  const FieldPoint& b = &a == &p ? q : p;
  const float t = a.f[k] / (a.f[k] - b.f[k]);
  FieldPoint x;
  x.pos = a.pos + (b.pos - a.pos) * t;
  for (int i = 0; i < FieldPoint::kFields; ++i) x.f[i] = a.f[i] + (b.f[i] - a.f[i]) * t;
  return x;
}
}  // namespace

ContourSplitter::ContourSplitter(MeshBuild* out, float fileScale, float tile,
                                 GroundClassifier classify)
    : out_(out), fileScale_(fileScale), tile_(tile), classify_(classify) {}

void ContourSplitter::Add(const FieldPoint& a, const FieldPoint& b, const FieldPoint& c) {
  // Every piece is split by every zero line, so a crossing on a piece's edge
  // is a corner of the pieces on both sides of it (no corner of one lies on
  // an edge of another).
  pieces_.assign(1, Polygon());
  signs_.assign(1, 0);
  pieces_[0].count = 3;
  pieces_[0].p[0] = a;
  pieces_[0].p[1] = b;
  pieces_[0].p[2] = c;
  for (int k = 0; k < FieldPoint::kFields; ++k)
    for (size_t i = 0, n = pieces_.size(); i < n; ++i) {
      Polygon above, below;
      Split(pieces_[i], k, &above, &below);
      if (above.count < 3) continue;  // all of it below
      if (below.count >= 3) {
        pieces_.push_back(below);
        signs_.push_back(signs_[i]);
      }
      pieces_[i] = above;
      signs_[i] |= 1u << k;
    }
  for (size_t i = 0; i < pieces_.size(); ++i) {
    const int group = classify_(signs_[i]);
    if (group >= 0) Emit(pieces_[i], group);
  }
}

void ContourSplitter::Split(const Polygon& in, int field, Polygon* above, Polygon* below) {
  above->count = below->count = 0;
  for (int i = 0; i < in.count; ++i) {
    const FieldPoint& p = in.p[i];
    const FieldPoint& q = in.p[(i + 1) % in.count];
    const bool pUp = p.f[field] >= 0, qUp = q.f[field] >= 0;
    (pUp ? above : below)->p[(pUp ? above : below)->count++] = p;
    if (pUp != qUp) {
      const FieldPoint x = Crossing(p, q, field);
      above->p[above->count++] = x;
      below->p[below->count++] = x;
    }
  }
}

uint32_t ContourSplitter::Vertex(const vec3& world) {
  // A point where two zero lines meet is found from either side of one of
  // them, and the two results may differ in their last bits: a vertex within
  // kWeld in the same or a neighbouring cell is the same vertex.
  const vec3 file = world * fileScale_;
  const int32_t cx = Cell(world.x), cy = Cell(world.y), cz = Cell(world.z);
  for (int n = 0; n < 27; ++n) {
    const int dx = (n + 1) % 3 - 1, dy = (n / 3 + 1) % 3 - 1, dz = (n / 9 + 1) % 3 - 1;
    const auto range = welded_.equal_range(Key(cx + dx, cy + dy, cz + dz));
    for (auto found = range.first; found != range.second; ++found) {
      const vec3 d = out_->pos[found->second] - file;
      if (dot(d, d) <= kWeld * kWeld * fileScale_ * fileScale_) return found->second;
    }
  }
  const uint32_t index = out_->Add(file, world.x / tile_, world.y / tile_);
  welded_.emplace(Key(cx, cy, cz), index);
  return index;
}

void ContourSplitter::Emit(const Polygon& polygon, int group) {
  if (polygon.count < 3) return;
  uint32_t index[kMaxCorners];
  for (int i = 0; i < polygon.count; ++i) index[i] = Vertex(polygon.p[i].pos);
  for (int i = 1; i + 1 < polygon.count; ++i) {
    if (index[0] == index[i] || index[i] == index[i + 1] || index[0] == index[i + 1]) continue;
    // Where two zero lines meet on an edge, a corner may lie on the line
    // between two others: that triangle has no area and no sound normal.
    const vec3 &a = polygon.p[0].pos, &b = polygon.p[i].pos, &c = polygon.p[i + 1].pos;
    const float longest = std::max(length(b - a), std::max(length(c - a), length(c - b)));
    if (length(cross(c - a, b - a)) <= 1e-6f * longest * longest) continue;
    out_->Tri(group, index[0], index[i], index[i + 1]);
  }
}
