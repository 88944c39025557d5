// Point, segment, triangle, sphere and frustum tests for collision, picking
// and culling.
//
// Triangles are single-sided: the front of (p1, p2, p3) is the side toward
// which normalize((p3 - p1) x (p2 - p1)) points (vec3::triangleNormal).
// None of these allocate.
#pragma once
#include "math/mat4.h"
#include "math/vec3.h"

// True when the line o + t*d crosses the triangle from its front side
// (det >= 1e-5, an absolute threshold); t is then the crossing parameter,
// which may be negative. Border points count as inside. t is untouched on
// a miss.
bool rayTriangle(const vec3& o, const vec3& d, const vec3& p1, const vec3& p2, const vec3& p3,
                 float& t);

// The point of the triangle (interior or border) nearest to q. A degenerate
// triangle is treated as its three edges, so the result always lies on the
// triangle.
vec3 closestPointOnTriangle(const vec3& p1, const vec3& p2, const vec3& p3, const vec3& q);

// Foot of the perpendicular from q on the infinite line ab; a when a == b.
vec3 closestPointOnLine(const vec3& a, const vec3& b, const vec3& q);

// Nearest point of segment ab to q, written to point; returns its distance
// from a along the segment. A zero-length segment gives a and 0.
float closestPointOnSegment(const vec3& a, const vec3& b, const vec3& q, vec3& point);

// Nearest point to q on the edges p1p2, p2p3, p3p1; on equal distances the
// earlier edge in that order wins.
vec3 closestPointOnTriangleEdges(const vec3& p1, const vec3& p2, const vec3& p3, const vec3& q);

// Sphere of radius r at c0 moving by v against the triangle with unit plane
// normal n. On an accepted hit (0 < t <= nearest) returns true, sets nearest
// = t, writes the contact point and normal and turns v into the sliding
// movement. On a miss nothing is written.
bool sweepSphereTriangle(const vec3& c0, vec3& v, const vec3& n, const vec3& p1, const vec3& p2,
                         const vec3& p3, vec3& point, vec3& normal, float r, float& nearest);

// Six planes (nx, ny, nz, d), normals of unit length, a point inside when
// n.p + d > 0. Order: right, left, top, bottom, far, near.
struct Frustum {
  float planes[6][4];
};

// Planes of K = projection * modelview, expressed in the coordinates in
// which the modelview matrix applies.
void extractFrustum(const mat4& projection, const mat4& modelview, Frustum& frustum);

// 0 outside (touching from outside counts as outside), 1 entirely inside,
// 2 intersecting.
int sphereInFrustum(const Frustum& frustum, const vec3& centre, float radius);
