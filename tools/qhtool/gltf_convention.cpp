#include "gltf_convention.h"

mat4 RigidMatrix(const quat& q, const vec3& t) {
  const float x = q.x, y = q.y, z = q.z, w = q.w;
  mat4 m;
  m.fromAxes(vec3(1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w)),
             vec3(2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w)),
             vec3(2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y)));
  m.m[12] = t.x;
  m.m[13] = t.y;
  m.m[14] = t.z;
  return m;
}

quat RotationOf(const mat4& m) {
  mat4 unit;
  unit.fromAxes(normalize(m.column(0)), normalize(m.column(1)), normalize(m.column(2)));
  dualquat d;
  d.fromMatrix(unit);
  const quat q = d.real;
  const float n = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
  return n > 0 ? quat(q.x / n, q.y / n, q.z / n, q.w / n) : quat();
}

namespace {
using VectorMap = vec3 (*)(const vec3&);

// `to` applied after m, the inverse map `from` before it: m seen in the
// other axes, its translation scaled.
mat4 Carry(const mat4& m, VectorMap to, VectorMap from, float scale) {
  mat4 c;
  c.fromAxes(to(m.rotateVector(from(vec3(1, 0, 0)))), to(m.rotateVector(from(vec3(0, 1, 0)))),
             to(m.rotateVector(from(vec3(0, 0, 1)))));
  const vec3 t = to(m.column(3)) * scale;
  c.m[12] = t.x;
  c.m[13] = t.y;
  c.m[14] = t.z;
  return c;
}
}  // namespace

mat4 ToGltf(const mat4& m) {
  return Carry(m, static_cast<VectorMap>(ToGltf), static_cast<VectorMap>(FromGltf), 1.0f);
}

mat4 FromGltf(const mat4& m, float scale) {
  return Carry(m, static_cast<VectorMap>(FromGltf), static_cast<VectorMap>(ToGltf), scale);
}
