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

// A bounding-volume hierarchy over a fixed triangle set. The vertex
// positions are copied, so the index answers for any model whose vertices
// equal the ones it was built from (Matches); the triangle and normal arrays
// are referenced: they must outlive the index and not change. Queries are
// not const (they reuse scratch lists) and not reentrant.
//
// An index can be shared: Share hands out another reference and Unshare
// drops one, deleting the index with the last (for indices made with new).
class TriangleIndex {
 public:
  // Builds over set (replacing any previous build). Triangles whose stored
  // normal disagrees with their corners, and slivers, are kept aside and
  // always visited, so any set is accepted. A set too small for an index to
  // pay is left to the plain scan.
  void Build(const TriangleSet& set);
  void Release();
  // Whether the index was built from exactly these arrays' contents.
  bool Matches(const TriangleSet& set) const;

  static TriangleIndex* Share(TriangleIndex* index);
  static void Unshare(TriangleIndex*& index);

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
    float maxAspect;     // largest aspect (below) of its ordinary triangles
    uint32_t first;      // leaf: first entry in order_; inner: left child (right = first + 1)
    uint32_t count;      // leaf: number of triangles; inner: 0
  };
  // The ordinary triangles again, grouped by their normals alone.
  struct NormalNode {
    float lo[3], hi[3];  // box of the unit normals
    float maxAspect;
    uint32_t first;  // as in Node, into facets_
    uint32_t count;
  };
  struct Facet {  // what the band test reads, kept together
    vec3 normal;
    float aspect;
    uint32_t tri;
  };
  struct RayHit {
    uint32_t tri;
    float t;
  };
  struct Ray;
  enum : uint8_t { kRayAlways = 1, kSweepAlways = 2 };

  void BuildNode(uint32_t node, uint32_t first, uint32_t count);
  void BuildNormalNode(uint32_t node, uint32_t first, uint32_t count);
  void CollectRay(uint32_t node, const Ray& ray);
  void CollectGrazing(uint32_t node, const Ray& ray);
  void TestRay(uint32_t tri, const Ray& ray);
  void CollectNear(uint32_t node, const double centre[3], double reach, bool cube, uint8_t skip);
  void AddLeaf(const Node& node, uint8_t skip);
  void Finish(uint8_t always);

  TriangleSet set_;
  std::vector<vec3> verts_;  // the copy set_.verts points at
  std::vector<Node> nodes_;
  std::vector<uint32_t> order_;  // triangle indices, leaf after leaf
  std::vector<NormalNode> normalNodes_;
  std::vector<Facet> facets_;        // the ordinary triangles, normal leaf after leaf
  std::vector<vec3> unit_;           // true unit normal of each triangle (from its corners)
  std::vector<float> aspect_;        // longest edge^2 / |e1 x e2|, rounded up
  std::vector<float> edge_;          // longest edge, rounded up
  std::vector<float> centre_;        // while building: 3 x the centre of each triangle
  std::vector<uint8_t> flags_;       // kRayAlways, kSweepAlways per triangle
  std::vector<uint32_t> always_[2];  // the flagged triangles, ascending
  std::vector<uint32_t> scratch_;
  std::vector<RayHit> hits_;
  double extent_ = 0;  // largest absolute coordinate of the corners
  int shares_ = 1;
};
