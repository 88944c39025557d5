#include "math/queries.h"

#include <cmath>

namespace {
constexpr float kMinDet = 1e-5f;
}  // namespace

bool rayTriangle(const vec3& o, const vec3& d, const vec3& p1, const vec3& p2, const vec3& p3,
                 float& t) {
  const vec3 e1 = p2 - p1, e2 = p3 - p1;
  const vec3 p = cross(d, e1);
  const float det = dot(e2, p);
  // Written so that a NaN determinant is a miss as well.
  if (!(det >= kMinDet)) return false;
  const vec3 s = o - p1;
  const float u = dot(s, p) / det;
  if (u < 0.0f || u > 1.0f) return false;
  const vec3 q = cross(s, e2);
  const float w = dot(d, q) / det;
  if (w < 0.0f || u + w > 1.0f) return false;
  t = dot(e1, q) / det;
  return true;
}

vec3 closestPointOnTriangle(const vec3& p1, const vec3& p2, const vec3& p3, const vec3& q) {
  const vec3 e0 = p2 - p1, e1 = p3 - p1, D = p1 - q;
  const float a = dot(e0, e0), b = dot(e0, e1), c = dot(e1, e1);
  const float d = dot(e0, D), e = dot(e1, D);
  const float det = a * c - b * b;
  // A flat triangle is its edges (and the divisions below would blow up).
  if (!(det > 0.0f)) return closestPointOnTriangleEdges(p1, p2, p3, q);
  float s = b * e - c * d, t = b * d - a * e;
  if (s + t <= det) {
    if (s < 0.0f) {
      if (t < 0.0f && d < 0.0f) {  // beyond p1, nearest on edge p1p2
        t = 0.0f;
        s = -d >= a ? 1.0f : -d / a;
      } else {  // nearest on edge p1p3
        s = 0.0f;
        t = e >= 0.0f ? 0.0f : (-e >= c ? 1.0f : -e / c);
      }
    } else if (t < 0.0f) {  // nearest on edge p1p2
      t = 0.0f;
      s = d >= 0.0f ? 0.0f : (-d >= a ? 1.0f : -d / a);
    } else {  // inside
      s /= det;
      t /= det;
    }
  } else if (s < 0.0f) {  // beyond p3
    const float tmp0 = b + d, tmp1 = c + e;
    if (tmp1 > tmp0) {
      const float numer = tmp1 - tmp0, denom = a - 2.0f * b + c;
      s = numer >= denom ? 1.0f : numer / denom;
      t = 1.0f - s;
    } else {
      s = 0.0f;
      t = tmp1 <= 0.0f ? 1.0f : (e >= 0.0f ? 0.0f : -e / c);
    }
  } else if (t < 0.0f) {  // beyond p2
    const float tmp0 = b + e, tmp1 = a + d;
    if (tmp1 > tmp0) {
      const float numer = tmp1 - tmp0, denom = a - 2.0f * b + c;
      t = numer >= denom ? 1.0f : numer / denom;
      s = 1.0f - t;
    } else {
      t = 0.0f;
      s = tmp1 <= 0.0f ? 1.0f : (d >= 0.0f ? 0.0f : -d / a);
    }
  } else {  // beyond edge p2p3
    const float numer = c + e - b - d;
    if (numer <= 0.0f) {
      s = 0.0f;
    } else {
      const float denom = a - 2.0f * b + c;
      s = numer >= denom ? 1.0f : numer / denom;
    }
    t = 1.0f - s;
  }
  return p1 + e0 * s + e1 * t;
}

vec3 closestPointOnLine(const vec3& a, const vec3& b, const vec3& q) {
  const vec3 u = normalize(b - a);
  return a + u * dot(q - a, u);
}

float closestPointOnSegment(const vec3& a, const vec3& b, const vec3& q, vec3& point) {
  const float L = length(b - a);
  if (L == 0.0f) {  // a point, not a segment
    point = a;
    return 0.0f;
  }
  const vec3 u = (b - a) / L;
  const float k = dot(q - a, u);
  if (k < 0.0f) {
    point = a;
    return 0.0f;
  }
  if (k <= L) {
    point = a + u * k;
    return k;
  }
  point = b;
  return L;
}

vec3 closestPointOnTriangleEdges(const vec3& p1, const vec3& p2, const vec3& p3, const vec3& q) {
  const vec3* corners[4] = {&p1, &p2, &p3, &p1};
  vec3 best, point;
  float bestDistance = 0.0f;
  for (int k = 0; k < 3; ++k) {
    closestPointOnSegment(*corners[k], *corners[k + 1], q, point);
    const float distance = length(q - point);
    if (k == 0 || distance < bestDistance) {
      best = point;
      bestDistance = distance;
    }
  }
  return best;
}

bool sweepSphereTriangle(const vec3& c0, vec3& v, const vec3& n, const vec3& p1, const vec3& p2,
                         const vec3& p3, vec3& point, vec3& normal, float r, float& nearest) {
  const float dist = dot(n, c0) - dot(n, p1);
  if (dist < 0.0f) return false;
  vec3 w = v - r * n;
  const float den = -dot(w, n);
  if (den <= 0.0f) return false;
  float t = dist / den;
  if (!(t > 0.0f && t <= nearest)) return false;
  const vec3 P = c0 + t * w;

  const vec3* corners[4] = {&p1, &p2, &p3, &p1};
  bool inside = true;
  for (int k = 0; k < 3 && inside; ++k)
    inside = dot(cross(n, *corners[k + 1] - *corners[k]), P - *corners[k]) <= 0.0f;

  vec3 N = n;
  float D = dot(n, p1);
  if (inside) {
    point = P;
  } else {
    const vec3 Q = closestPointOnTriangleEdges(p1, p2, p3, P);
    N = normalize(c0 - Q);
    const float edgeDist = dot(N, c0) - dot(N, Q);
    if (edgeDist < 0.0f) return false;
    w = v - r * N;
    const float edgeDen = -dot(w, N);
    if (edgeDen <= 0.0f) return false;
    t = edgeDist / edgeDen;
    if (!(t > 0.0f && t <= nearest)) return false;
    const vec3 X = c0 + t * w - Q;
    if (std::sqrt(dot(X, X)) > r) return false;
    point = Q;
    D = dot(N, Q);
  }
  nearest = t;
  normal = N;
  v += N * (D - dot(N, c0 + w));
  return true;
}

void extractFrustum(const mat4& projection, const mat4& modelview, Frustum& frustum) {
  float K[16];  // projection * modelview, column-major
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += projection.m[k * 4 + row] * modelview.m[col * 4 + k];
      K[col * 4 + row] = sum;
    }
  for (int plane = 0; plane < 6; ++plane) {
    const int row = plane / 2;
    const float sign = plane % 2 ? 1.0f : -1.0f;
    float* out = frustum.planes[plane];
    for (int col = 0; col < 4; ++col) out[col] = K[col * 4 + 3] + sign * K[col * 4 + row];
    float len = std::sqrt(out[0] * out[0] + out[1] * out[1] + out[2] * out[2]);
    if (!(len > 0.0f)) len = 1.0f;
    for (int col = 0; col < 4; ++col) out[col] /= len;
  }
}

int sphereInFrustum(const Frustum& frustum, const vec3& centre, float radius) {
  int inside = 0;
  for (const float* p : frustum.planes) {
    const float dist = p[0] * centre.x + p[1] * centre.y + p[2] * centre.z + p[3];
    if (dist <= -radius) return 0;
    if (dist > radius) ++inside;
  }
  return inside == 6 ? 1 : 2;
}
