#include "game/spline.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/growth.h"
#include "core/log.h"
#include "geometry/model.h"
#include "storage/bytes.h"
#include "storage/core.h"

namespace {
constexpr const char* kSource = "inc\\Spline";
constexpr const char* kResize = "CSpline::Resize";
constexpr int kMaxCount = 65535;

float SegmentLength(const vec3& a, const vec3& b) {
  const vec3 d = a - b;
  const float s = dot(d, d);
  return (s == 0.0f || !std::isfinite(s)) ? 0.0f : std::sqrt(s);
}

// Reads the whole file or archive entry `name`; false when it can't be opened.
bool ReadEntry(const char* name, std::vector<uint8_t>* out) {
  FILE* f = CoreOpen(name, "rb", true);
  if (!f) return false;
  const int32_t size = CWsize(name, "rb", true);
  out->resize(size > 0 ? static_cast<size_t>(size) : 0);
  out->resize(std::fread(out->data(), 1, out->size(), f));
  std::fclose(f);
  return true;
}
}  // namespace

bool CSpline::Resize(int a, int b) {
  // The counts are 16 bits: growing past them would wrap a count and leave
  // it short of its arrays. Refused before anything changes.
  if (a > kMaxCount || b > kMaxCount) {
    Log(LOG_WARNING, "Spline:: can't grow to [%i]x[%i], at most [%i] strands and points", a, b,
        kMaxCount);
    return false;
  }
  if (a > count) {
    const int n = a;
    bool ok =
        ResizeArray(pointCount, n, kSource, 37, kResize) &&
        ResizeArray(local, n, kSource, 38, kResize) &&
        ResizeArray(world, n, kSource, 39, kResize) && ResizeArray(aux1, n, kSource, 40, kResize) &&
        ResizeArray(aux2, n, kSource, 41, kResize) &&
        ResizeArray(segLen, n, kSource, 42, kResize) &&
        ResizeArray(color, n, kSource, 43, kResize) &&
        ResizeArray(flags, n, kSource, 44, kResize) && ResizeArray(bone, n, kSource, 45, kResize);
    if (!ok) {
      Clear();
      return false;
    }
    for (int i = count; i < n; ++i) {
      pointCount[i] = 0;
      local[i] = world[i] = aux1[i] = aux2[i] = nullptr;
      segLen[i] = nullptr;
      flags[i] = nullptr;
      color[i] = vec3();
      bone[i] = -1;
    }
    count = static_cast<uint16_t>(n);
    return true;
  }
  if (a < 0 || a >= count || b < 0) return true;
  const int old = pointCount[a];
  if (b > old) {
    bool ok = ResizeArray(local[a], b, kSource, 50, kResize) &&
              ResizeArray(world[a], b, kSource, 51, kResize) &&
              ResizeArray(aux1[a], b, kSource, 52, kResize) &&
              ResizeArray(aux2[a], b, kSource, 53, kResize) &&
              ResizeArray(segLen[a], b, kSource, 54, kResize) &&
              ResizeArray(flags[a], b, kSource, 55, kResize);
    if (!ok) {
      pointCount[a] = 0;
      return false;
    }
    for (int k = old; k < b; ++k) {
      local[a][k] = world[a][k] = aux1[a][k] = aux2[a][k] = vec3();
      segLen[a][k] = 0;
      flags[a][k] = 0;
    }
  }
  pointCount[a] = static_cast<uint16_t>(b);
  return true;
}

void CSpline::Clear() {
  for (int i = 0; i < count; ++i) {
    if (local) std::free(local[i]);
    if (world) std::free(world[i]);
    if (aux1) std::free(aux1[i]);
    if (aux2) std::free(aux2[i]);
    if (segLen) std::free(segLen[i]);
    if (flags) std::free(flags[i]);
  }
  for (void* p :
       {static_cast<void*>(pointCount), static_cast<void*>(local), static_cast<void*>(world),
        static_cast<void*>(aux1), static_cast<void*>(aux2), static_cast<void*>(segLen),
        static_cast<void*>(color), static_cast<void*>(flags), static_cast<void*>(bone)})
    std::free(p);
  pointCount = nullptr;
  local = world = aux1 = aux2 = nullptr;
  segLen = nullptr;
  color = nullptr;
  flags = nullptr;
  bone = nullptr;
  count = 0;
}

void CSpline::Swap(int i, int j) {
  if (i < 0 || j < 0 || i >= count || j >= count) return;
  std::swap(pointCount[i], pointCount[j]);
  std::swap(local[i], local[j]);
  std::swap(world[i], world[j]);
  std::swap(aux1[i], aux1[j]);
  std::swap(aux2[i], aux2[j]);
  std::swap(segLen[i], segLen[j]);
  std::swap(color[i], color[j]);
  std::swap(flags[i], flags[j]);
  std::swap(bone[i], bone[j]);
}

void CSpline::Remove(int s) {
  if (s < 0 || s >= count) return;
  const int last = count - 1;
  Swap(s, last);
  for (void* p : {static_cast<void*>(local[last]), static_cast<void*>(world[last]),
                  static_cast<void*>(aux1[last]), static_cast<void*>(aux2[last]),
                  static_cast<void*>(segLen[last]), static_cast<void*>(flags[last])})
    std::free(p);
  local[last] = world[last] = aux1[last] = aux2[last] = nullptr;
  segLen[last] = nullptr;
  flags[last] = nullptr;
  pointCount[last] = 0;
  count = static_cast<uint16_t>(last);
}

bool CSpline::Decode(const uint8_t* data, size_t size) {
  Clear();
  ByteReader in{data, data + size};
  char magic[3];
  uint16_t n = 0;
  bool ok = in.Bytes(magic, 3) && std::memcmp(magic, "SH3", 3) == 0 && in.U16(&n);
  // Each record takes at least 15 bytes: a count that can't fit is damage.
  ok = ok && in.Left() >= static_cast<size_t>(n) * 15 && Resize(n, -1);
  for (int i = 0; ok && i < n; ++i) {
    uint16_t p = 0;
    uint8_t b = 0;
    ok = in.U16(&p) && in.Left() >= 13 + static_cast<size_t>(p) * 12 && Resize(i, p) &&
         in.Vec(&color[i]) && in.U8(&b);
    if (!ok) break;
    bone[i] = static_cast<int32_t>(b) - 1;
    for (int k = 0; k < p; ++k) {
      in.Vec(&local[i][k]);
      world[i][k] = local[i][k];
    }
    for (int k = 0; k + 1 < p; ++k) segLen[i][k] = SegmentLength(local[i][k], local[i][k + 1]);
  }
  if (!ok) Clear();
  return ok;
}

std::vector<uint8_t> CSpline::Encode() const {
  ByteWriter out;
  out.bytes = {'S', 'H', '3'};
  out.U16(count);
  for (int i = 0; i < count; ++i) {
    out.U16(pointCount[i]);
    out.Vec(color[i]);
    out.U8(static_cast<uint32_t>(bone[i] + 1));
    for (int k = 0; k < pointCount[i]; ++k) out.Vec(local[i][k]);
  }
  return out.bytes;
}

bool CSpline::Load(const char* name) {
  Clear();
  std::vector<uint8_t> file;
  if (!ReadEntry(name, &file)) {
    Log(LOG_WARNING, "Spline::(%s) file not found", name);
    return false;
  }
  if (!Decode(file.data(), file.size())) {
    Log(LOG_WARNING, "Spline::(%s) bad file", name);
    return false;
  }
  Constrain(-1);
  Log(LOG_INFO, "Loaded Spline [%s] :: (v:%i)", name, count);
  return true;
}

bool CSpline::Save(const char* name, std::string* reason) const {
  const std::vector<uint8_t> out = Encode();
  // Never lose the previous file: write beside it, sync, then rename over it.
  const std::string temp = std::string(name) + ".saving";
  FILE* f = std::fopen(temp.c_str(), "wb");
  bool ok = f != nullptr;
  int error = ok ? 0 : errno;
  if (f) {
    ok = std::fwrite(out.data(), 1, out.size(), f) == out.size() && std::fflush(f) == 0 &&
         fsync(fileno(f)) == 0;
    if (!ok) error = errno;
    if (std::fclose(f) != 0 && ok) {
      ok = false;
      error = errno;
    }
  }
  if (ok && std::rename(temp.c_str(), name) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    std::remove(temp.c_str());
    const char* why = std::strerror(error);
    Log(LOG_WARNING, "Spline::(%s) can't save: %s", name, why);
    if (reason) *reason = why;
    return false;
  }
  Log(LOG_INFO, "Saved [%s]", name);
  return true;
}

mat4 CSpline::BoneWorld(int s) const {
  mat4 placement;
  if (!owner) return placement;
  placement.fromEuler(owner->angles * (kPi * kInv180), owner->position);
  const int b = (s >= 0 && s < count) ? bone[s] : -1;
  if (b < 0 || b >= owner->boneCount || !owner->boneMatrix) return placement;
  return placement.mulAffine(owner->boneMatrix[b]);
}

void CSpline::AddStrand(const vec3& point, const vec3& normal, int n) {
  if (n < 1) return;
  const int i = count;
  if (!Resize(count + 1, -1)) return;
  // The bone under the owner's last ray hit: the first weight of that
  // triangle's first corner.
  bone[i] = -1;
  if (owner && owner->mesh && owner->hitTriangle >= 0 &&
      static_cast<uint32_t>(owner->hitTriangle) < owner->mesh->triCount) {
    const Mesh& m = *owner->mesh;
    const uint32_t v = m.tris[3 * owner->hitTriangle];
    if (v < m.vertCount && m.weightCount && m.weightCount[v] && m.boneIdx && m.boneIdx[v])
      bone[i] = static_cast<int32_t>(m.boneIdx[v][0]);
  }
  if (!Resize(i, n)) return;
  const mat4 inverse = BoneWorld(i).inverseAffine();
  for (int k = 0; k < n; ++k) {
    const vec3 offset = normal * static_cast<float>(k);
    local[i][k] = inverse.transformPoint(point + offset);
    // Rᵀ of the inverse's rotation: back into the world frame.
    const float* r = inverse.m;
    world[i][k] = point + vec3(r[0] * offset.x + r[1] * offset.y + r[2] * offset.z,
                               r[4] * offset.x + r[5] * offset.y + r[6] * offset.z,
                               r[8] * offset.x + r[9] * offset.y + r[10] * offset.z);
  }
  for (int k = 0; k + 1 < n; ++k) segLen[i][k] = SegmentLength(local[i][k], local[i][k + 1]);
}

void CSpline::Constrain(int s) {
  const int first = s < 0 ? 0 : s, last = s < 0 ? count - 1 : s;
  for (int i = first; i <= last && i < count; ++i)
    for (int k = 1; k < pointCount[i]; ++k)
      local[i][k] = local[i][k - 1] + normalize(local[i][k] - local[i][k - 1]) * segLen[i][k - 1];
}

void CSpline::Evaluate(int s, int k, float t, vec3& out, int mode, bool closed) const {
  if (s < 0 || s >= count || pointCount[s] == 0 || (mode != 0 && mode != 1)) return;
  const int p = pointCount[s];
  const vec3* w = world[s];
  auto at = [&](int i) {
    if (closed) return w[((i % p) + p) % p];
    return w[i < 0 ? 0 : (i >= p ? p - 1 : i)];
  };
  // Closed: P0..P3 = k-1 .. k+2. Open: k-2 .. k+1, clamped; below 0 the next
  // valid point and past the end point k stand in.
  vec3 p0, p1, p2, p3;
  if (closed) {
    p0 = at(k - 1), p1 = at(k), p2 = at(k + 1), p3 = at(k + 2);
  } else {
    p2 = at(k);
    p1 = at(k - 1 < 0 ? k : k - 1);
    p0 = at(k - 2 < 0 ? (k - 1 < 0 ? k : k - 1) : k - 2);
    p3 = at(k + 1 >= p ? k : k + 1);
  }
  const float t2 = t * t, t3 = t2 * t;
  if (mode == 0) {
    out = 0.5f * (2.0f * p1 + (p2 - p0) * t + (2.0f * p0 - 5.0f * p1 + 4.0f * p2 - p3) * t2 +
                  (3.0f * p1 - p0 - 3.0f * p2 + p3) * t3);
  } else {
    out = 0.16666667f * ((1 - 3 * t + 3 * t2 - t3) * p0 + (4 - 6 * t2 + 3 * t3) * p1 +
                         (1 + 3 * t + 3 * t2 - 3 * t3) * p2 + t3 * p3);
  }
}
