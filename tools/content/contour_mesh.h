// Ground triangles split along the zero lines of fields given at their
// corners, so that kinds of ground meet along smooth curves instead of along
// triangle edges, and the ground can end along a smooth line.
#pragma once
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "mesh_build.h"

// A corner: its position (world units) and the fields, linear over each
// triangle. Values within 0.001 of zero make thin slivers: keep them away
// from it.
struct FieldPoint {
  static constexpr int kFields = 8;
  vec3 pos;
  float f[kFields];
};

// Which group a piece of ground goes to, from the signs of the fields over
// it (bit k set: field k at or above zero); -1 drops the piece.
using GroundClassifier = int (*)(unsigned signs);

class ContourSplitter {
 public:
  // Writes into `out`: positions scaled by `fileScale`, texture coordinates
  // (x, y) / `tile` in world units.
  ContourSplitter(MeshBuild* out, float fileScale, float tile, GroundClassifier classify);

  // Adds the triangle (a, b, c), clockwise seen from its front, split along
  // every field's zero line, each piece to the group `classify` gives it.
  // A point where a zero line crosses an edge depends on that edge's two
  // corners only, so triangles sharing the edge share the point: no cracks.
  void Add(const FieldPoint& a, const FieldPoint& b, const FieldPoint& c);

 private:
  static constexpr int kMaxCorners = 3 + FieldPoint::kFields;
  struct Polygon {
    int count = 0;
    FieldPoint p[kMaxCorners];
  };
  static void Split(const Polygon& in, int field, Polygon* above, Polygon* below);
  void Emit(const Polygon& polygon, int group);
  uint32_t Vertex(const vec3& world);

  MeshBuild* out_;
  float fileScale_, tile_;
  GroundClassifier classify_;
  std::vector<Polygon> pieces_;
  std::vector<unsigned> signs_;
  std::unordered_multimap<uint64_t, uint32_t> welded_;  // by position cell
};
