// The world-space geometric queries of a Model: broad phase and change of
// coordinates here, the triangle work in triangle_queries.h.
#include <new>

#include "core/bench.h"
#include "geometry/model.h"
#include "geometry/triangle_queries.h"

namespace {
TriangleSet Triangles(const Model& m) {
  TriangleSet set;
  if (!m.mesh || m.vertexCount == 0) return set;  // nothing to test
  set.verts = m.verts;
  set.tris = m.mesh->tris;
  set.triNorm = m.mesh->triNorm;
  set.triCount = m.mesh->triCount;
  return set;
}
}  // namespace

bool Model::RayCast(const vec3& o, const vec3& d, vec3& hit, vec3& normal, float& t) {
  if (length(o - worldCenter) > length(d) + 2 * radius) return false;
  BenchScope scope("queries");
  const vec3 mo = invWorld.transformPoint(o), md = invWorld.rotateVector(d);
  hitTriangle = -1;
  vec3 n;
  const bool found = queryIndex ? queryIndex->RayCast(mo, md, t, hitTriangle, n)
                                : ScanRayCast(Triangles(*this), mo, md, t, hitTriangle, n);
  if (!found) return false;
  normal = world.rotateVector(n);
  hit = o + d * t;
  return true;
}

bool Model::SweepSphere(const vec3& c0, vec3& v, float r, vec3& point, vec3& normal,
                        float& nearest) {
  if (length(c0 - worldCenter) > 2 * (radius + r)) return false;
  BenchScope scope("queries");
  const vec3 mc = invWorld.transformPoint(c0);
  vec3 mv = invWorld.rotateVector(v);
  hitTriangle = -1;
  vec3 p, n;
  const bool found = queryIndex
                         ? queryIndex->SweepSphere(mc, mv, r, p, n, nearest, hitTriangle)
                         : ScanSweepSphere(Triangles(*this), mc, mv, r, p, n, nearest, hitTriangle);
  if (!found) return false;
  normal = world.rotateVector(n);
  point = world.transformPoint(p);
  v = world.rotateVector(mv);
  return true;
}

vec3 Model::ClosestPoint(const vec3& q, float& best, vec3& normal) {
  if (length(q - worldCenter) > 2 * radius) return q;
  BenchScope scope("queries");
  const vec3 mq = invWorld.transformPoint(q);
  vec3 p;
  int32_t taken = -1;
  const bool found = queryIndex ? queryIndex->ClosestPoint(mq, best, p, taken)
                                : ScanClosestPoint(Triangles(*this), mq, best, p, taken);
  if (!found) return q;
  hitTriangle = taken;
  normal = world.rotateVector(mesh->triNorm[taken]);
  return world.transformPoint(p);
}

void Model::BuildQueryIndex() {
  ReleaseQueryIndex();
  queryIndex = new (std::nothrow) TriangleIndex;
  if (queryIndex) queryIndex->Build(Triangles(*this));
}

void Model::ShareQueryIndex(const Model& other) {
  if (!other.queryIndex || !other.queryIndex->Matches(Triangles(*this))) {
    BuildQueryIndex();
    return;
  }
  ReleaseQueryIndex();
  queryIndex = TriangleIndex::Share(other.queryIndex);
}

void Model::ReleaseQueryIndex() {
  TriangleIndex::Unshare(queryIndex);
}
