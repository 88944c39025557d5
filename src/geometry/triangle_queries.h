// Triangle-list queries in model space, the narrow phase of the model
// queries (the Model does the bounding-sphere rejection and the change of
// coordinates between world and model space, and keeps hitTriangle).
//
// Two ways to run them, with identical results:
// - the Scan* functions visit every triangle in list order;
// - TriangleIndex, built once over arrays that never change afterwards
//   (map, trees), visits only the triangles that could change the answer,
//   still in ascending order.
//
// Common contract: `hitTriangle` is written only on an accepted hit (callers
// set it to -1 first); every out value is left untouched when nothing is
// accepted. Every index in tris must be below the vertex count.
#pragma once
#include <cstdint>
#include <vector>

#include "math/vec3.h"

struct TriangleSet {
  const vec3* verts = nullptr;
  const uint32_t* tris = nullptr;  // 3 vertex indices per triangle
  const vec3* triNorm = nullptr;   // unit plane normal per triangle
  uint32_t triCount = 0;
};

// Segment test symmetric about o: the caller starts t at 1 and accepts
// -1 < t < 1. A rayTriangle hit t' replaces t when |t'| < t (so a negative
// accepted t ends further replacement). On a hit, normal is triangleNormal of
// the accepted triangle's corners.
bool ScanRayCast(const TriangleSet& set, const vec3& o, const vec3& d, float& t,
                 int32_t& hitTriangle, vec3& normal);

// sweepSphereTriangle over the triangles in order with their stored normals;
// every accepted hit slides v for the triangles that follow. Returns whether
// any triangle accepted a hit.
bool ScanSweepSphere(const TriangleSet& set, const vec3& c0, vec3& v, float r, vec3& point,
                     vec3& normal, float& nearest, int32_t& hitTriangle);

// Nearest surface point to q among the triangles that have q on their front
// side or plane (stored normal): a triangle is taken when its nearest point
// is strictly closer than best, which then decreases. Returns whether any
// triangle was taken.
bool ScanClosestPoint(const TriangleSet& set, const vec3& q, float& best, vec3& point,
                      int32_t& hitTriangle);

// A bounding-volume hierarchy over a fixed triangle set. The arrays are
// referenced, not copied: they must outlive the index and not change.
// Queries are not const (they reuse a scratch list) and not reentrant.
class TriangleIndex {
 public:
  // Builds over set (replacing any previous build). Triangles whose stored
  // normal disagrees with their corners, and slivers, are kept aside and
  // always visited, so any set is accepted.
  void Build(const TriangleSet& set);
  void Release();

  // Same contracts and exactly the same results as the Scan* functions.
  bool RayCast(const vec3& o, const vec3& d, float& t, int32_t& hitTriangle, vec3& normal);
  bool SweepSphere(const vec3& c0, vec3& v, float r, vec3& point, vec3& normal, float& nearest,
                   int32_t& hitTriangle);
  bool ClosestPoint(const vec3& q, float& best, vec3& point, int32_t& hitTriangle);

  const TriangleSet& set() const { return set_; }

 private:
  struct Node {
    float lo[3], hi[3];  // box of the node's triangles
    float axis[3];       // the unit normals of its ordinary triangles lie within
    float coneCos;       // this cone (cosine of the half angle; -1: any)
    float maxEdge;       // longest edge of its triangles
    float maxAspect;     // largest longest-edge^2 / |e1 x e2| of its ordinary triangles
    uint32_t first;      // leaf: first entry in order_; inner: left child (right = first + 1)
    uint32_t count;      // leaf: number of triangles; inner: 0
  };
  enum : uint8_t { kRayAlways = 1, kSweepAlways = 2 };

  void BuildNode(uint32_t node, uint32_t first, uint32_t count);
  void CollectRay(uint32_t node, const double o[3], const double d[3], double t0);
  void CollectNear(uint32_t node, const double centre[3], double reach, bool cube, uint8_t skip);
  void AddLeaf(const Node& node, uint8_t skip);
  void Finish(uint8_t always);

  TriangleSet set_;
  std::vector<Node> nodes_;
  std::vector<uint32_t> order_;      // triangle indices, leaf after leaf
  std::vector<vec3> unit_;           // true unit normal of each triangle (from its corners)
  std::vector<uint8_t> flags_;       // kRayAlways, kSweepAlways per triangle
  std::vector<uint32_t> always_[2];  // the flagged triangles, ascending
  std::vector<uint32_t> scratch_;
  double extent_ = 0;  // largest absolute coordinate of the corners
};
