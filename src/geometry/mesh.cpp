#include "geometry/mesh.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "core/growth.h"
#include "core/log.h"
#include "geometry/vertex_grid.h"

namespace {
const char kSource[] = "inc\\Mesh";
constexpr float kDupeTolerance = 0.001f;
constexpr float kWeldTolerance = 0.00001f;

// Flat arrays hold `per` values of T per element; the growth message reports
// the element as a whole (a triangle is 12 bytes, a uv pair 8).
// 1 when the array has its new size. An unsigned result, so that callers
// combine several with '&' and every array of a family is attempted.
template <class T>
unsigned Grow(T*& array, int64_t count, int per, int line, const char* method) {
  array = static_cast<T*>(ResizeBlock(array, count, sizeof(T) * per, kSource, line, method));
  return array != nullptr || count == 0;
}

template <class T>
void FreeLists(T** lists, uint32_t from, uint32_t to) {
  if (!lists) return;
  for (uint32_t i = from; i < to; ++i) {
    std::free(lists[i]);
    lists[i] = nullptr;
  }
}

bool Within(const vec3& a, const vec3& b, float tolerance) {
  return std::abs(a.x - b.x) <= tolerance && std::abs(a.y - b.y) <= tolerance &&
         std::abs(a.z - b.z) <= tolerance;
}
}  // namespace

// A copy of everything ReNormal reads and writes, taken after a run. Every
// model that takes a shared mesh runs ReNormal on it again (64 trees share
// one), and most find it unchanged.
struct Mesh::NormalMemo {
  std::vector<vec3> pos, norm, triNorm;
  std::vector<uint32_t> tris, dupes;  // dupes: the lists one after another
  std::vector<uint8_t> dupeCount;
  int pairs = 0;  // as setDupeVerts logged it

  void Take(const Mesh& m) {
    pos.assign(m.pos, m.pos + m.vertCount);
    norm.assign(m.norm, m.norm + m.vertCount);
    triNorm.assign(m.triNorm, m.triNorm + m.triCount);
    tris.assign(m.tris, m.tris + 3 * m.triCount);
    dupeCount.assign(m.dupeCount, m.dupeCount + m.vertCount);
    dupes.clear();
    for (uint32_t i = 0; i < m.vertCount; ++i)
      if (m.dupeCount[i]) dupes.insert(dupes.end(), m.dupes[i], m.dupes[i] + m.dupeCount[i]);
    pairs = static_cast<int>(dupes.size() / 2);
  }
  bool Holds(const Mesh& m) const {
    // Bytes, not values: -0 and 0, or two NaNs, may give other normals.
    auto same = [](const auto& memo, const auto* now) {
      return std::memcmp(memo.data(), now, memo.size() * sizeof memo[0]) == 0;
    };
    if (pos.size() != m.vertCount || triNorm.size() != m.triCount || !same(pos, m.pos) ||
        !same(tris, m.tris) || !same(norm, m.norm) || !same(triNorm, m.triNorm) ||
        !same(dupeCount, m.dupeCount))
      return false;
    auto next = dupes.begin();
    for (uint32_t i = 0; i < m.vertCount; ++i, next += m.dupeCount[i - 1])
      if (m.dupeCount[i] && !std::equal(next, next + m.dupeCount[i], m.dupes[i])) return false;
    return true;
  }
};

namespace {
// Whether every duplicate pair is listed on both sides, as after a
// duplicate search in which no list failed to grow (a failed one loses its
// pairs on one side only, and its logged count can't be told any more).
// The search writes every list ascending.
bool Symmetric(const Mesh& m) {
  for (uint32_t i = 0; i < m.vertCount; ++i)
    for (uint8_t k = 0; k < m.dupeCount[i]; ++k) {
      const uint32_t j = m.dupes[i][k];
      if (j >= m.vertCount || !std::binary_search(m.dupes[j], m.dupes[j] + m.dupeCount[j], i))
        return false;
    }
  return true;
}
}  // namespace

void Mesh::Init() {
  const uint32_t keep = slot;
  *this = Mesh();
  slot = keep;
}

void Mesh::Clear() {
  FreeLists(dupes, 0, vertCount);
  FreeLists(boneIdx, 0, weightSlots);
  FreeLists(weights, 0, weightSlots);
  FreeLists(sets, 0, setCount);
  for (void* block : {static_cast<void*>(pos),         static_cast<void*>(norm),
                      static_cast<void*>(extraA),      static_cast<void*>(extraB),
                      static_cast<void*>(uv),          static_cast<void*>(dupes),
                      static_cast<void*>(weightCount), static_cast<void*>(dupeCount),
                      static_cast<void*>(boneIdx),     static_cast<void*>(weights),
                      static_cast<void*>(tris),        static_cast<void*>(polys),
                      static_cast<void*>(triNorm),     static_cast<void*>(edges),
                      static_cast<void*>(triEdges),    static_cast<void*>(edgeFlags),
                      static_cast<void*>(bonePos),     static_cast<void*>(boneRot),
                      static_cast<void*>(boneParent),  static_cast<void*>(groupTris),
                      static_cast<void*>(groupTex),    static_cast<void*>(setSize),
                      static_cast<void*>(sets)})
    std::free(block);
  delete[] boneName;
  delete[] texName;
  delete normalMemo;
  Init();
}

bool Mesh::resizeV(uint32_t n, bool reset) {
  const uint32_t base = reset ? 0 : vertCount;
  // Lists above the new count are released here: nothing else knows they
  // exist once vertCount drops below them.
  FreeLists(dupes, std::min(base, n), vertCount);
  if (dupeCount)
    for (uint32_t i = std::min(base, n); i < vertCount; ++i) dupeCount[i] = 0;
  if (n > base) {
    const char* m = "Mesh::resizeV";
    bool ok = Grow(pos, n, 1, 105, m) & Grow(uv, n, 2, 105, m) & Grow(norm, n, 1, 105, m) &
              Grow(extraA, n, 1, 105, m) & Grow(extraB, n, 1, 105, m);
    ok = Grow(dupeCount, n, 1, 106, m) & Grow(dupes, n, 1, 106, m) & ok;
    if (!ok) {
      FreeLists(dupes, 0, base);
      vertCount = 0;
      return false;
    }
    for (uint32_t i = base; i < n; ++i) {
      dupeCount[i] = 0;
      dupes[i] = nullptr;
    }
  }
  vertCount = n;
  return true;
}

bool Mesh::resizeF(uint32_t n, bool reset) {
  const uint32_t base = reset ? 0 : triCount;
  if (n > base) {
    const char* m = "Mesh::resizeF";
    if (!(Grow(tris, n, 3, 113, m) & Grow(triNorm, n, 1, 113, m) & Grow(polys, n, 4, 113, m))) {
      triCount = 0;
      return false;
    }
  }
  triCount = n;
  return true;
}

bool Mesh::resizeB(uint8_t n, bool reset) {
  const uint8_t base = reset ? 0 : boneCount;
  if (n > base) {
    const char* m = "Mesh::resizeB";
    bool ok =
        Grow(bonePos, n, 1, 118, m) & Grow(boneRot, n, 1, 118, m) & Grow(boneParent, n, 1, 118, m);
    // Every vertex's weight lists start over.
    FreeLists(boneIdx, 0, weightSlots);
    FreeLists(weights, 0, weightSlots);
    weightSlots = 0;
    if (Grow(weightCount, vertCount, 1, 119, m) & Grow(boneIdx, vertCount, 1, 119, m) &
        Grow(weights, vertCount, 1, 119, m)) {
      weightSlots = vertCount;
      for (uint32_t i = 0; i < vertCount; ++i) {
        weightCount[i] = 0;
        boneIdx[i] = nullptr;
        weights[i] = nullptr;
      }
    } else {
      ok = false;
    }
    ok = ResizeObjects(boneName, boneCount, n, kSource, 120, m) && ok;
    if (!ok) {
      boneCount = 0;
      return false;
    }
    for (uint8_t b = base; b < std::min(boneCount, n); ++b) boneName[b] = cstring();
  }
  boneCount = n;
  return true;
}

bool Mesh::resizeT(uint16_t n, bool reset) {
  const uint16_t base = reset ? 0 : groupCount;
  if (n > base) {
    const char* m = "Mesh::resizeT";
    if (!(ResizeObjects(texName, groupCount, n, kSource, 125, m) & Grow(groupTex, n, 1, 125, m) &
          Grow(groupTris, n, 1, 125, m))) {
      groupCount = 0;
      return false;
    }
    for (uint16_t g = base; g < n; ++g) {
      if (g < groupCount) texName[g] = cstring();
      groupTex[g] = 0;
      groupTris[g] = 0;
    }
  }
  groupCount = n;
  return true;
}

bool Mesh::resizeS(uint16_t a, uint16_t b) {
  const char* m = "Mesh::resizeS";
  if (a > setCount) {
    if (!(Grow(setSize, a, 1, 131, m) & Grow(sets, a, 1, 132, m))) {
      FreeLists(sets, 0, setCount);
      setCount = 0;
      return false;
    }
    for (uint16_t s = setCount; s < a; ++s) {
      setSize[s] = 0;
      sets[s] = nullptr;
    }
    setCount = a;
    return true;
  }
  if (a == setCount || b <= setSize[a]) return true;
  if (!Grow(sets[a], b, 1, 137, m)) {
    setSize[a] = 0;
    return false;
  }
  for (uint16_t i = setSize[a]; i < b; ++i) sets[a][i] = 0;
  setSize[a] = b;
  return true;
}

void Mesh::Centre() {
  if (vertCount == 0 || !pos) return;
  vec3 lo = pos[0], hi = pos[0];
  for (uint32_t i = 1; i < vertCount; ++i)
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], pos[i][k]);
      hi[k] = std::max(hi[k], pos[i][k]);
    }
  const vec3 centre = (lo + hi) * 0.5f;
  for (uint32_t i = 0; i < vertCount; ++i) pos[i] -= centre;
}

void Mesh::Scale(float sx, float sy, float sz) {
  if (!pos) return;
  for (uint32_t i = 0; i < vertCount; ++i) {
    pos[i].x *= sx;
    pos[i].y *= sy;
    pos[i].z *= sz;
  }
}

void Mesh::setDupeVerts() {
  FreeLists(dupes, 0, vertCount);
  if (dupeCount)
    for (uint32_t i = 0; i < vertCount; ++i) dupeCount[i] = 0;
  // A mesh without vertex arrays (none made, or their growth failed) has no
  // pairs to find, and says so like any mesh of fewer than two vertices.
  if (vertCount < 2 || !pos || !dupes || !dupeCount) {
    Log(LOG_INFO, "[%i] vert dupes", 0);
    return;
  }
  // The pairs in the order of an all-pairs scan (i ascending, then j > i
  // ascending), so each list comes out ascending and the 255 cap drops the
  // same pairs the scan would. A full list takes no more pairs: its vertex
  // leaves the search, and a full i stops its own, so thousands of
  // coincident vertices cost no more than 255 pairs each.
  VertexGrid grid;
  grid.Build(pos, vertCount, kDupeTolerance);
  std::vector<uint32_t> pairs;
  for (uint32_t i = 0; i < vertCount; ++i) {
    if (dupeCount[i] == 255) continue;
    grid.ForLater(i, [&](uint32_t j) {
      if (!Within(pos[i], pos[j], kDupeTolerance)) return true;
      ++dupeCount[i];
      ++dupeCount[j];
      pairs.push_back(i);
      pairs.push_back(j);
      if (dupeCount[j] == 255) grid.Remove(j);
      return dupeCount[i] < 255;
    });
  }
  for (uint32_t i = 0; i < vertCount; ++i) {
    if (dupeCount[i] && !ResizeArray(dupes[i], dupeCount[i], kSource, 497, "Mesh::setDupeVerts"))
      dupeCount[i] = 0;
  }
  std::vector<uint8_t> filled(vertCount, 0);
  for (size_t k = 0; k < pairs.size(); k += 2) {
    const uint32_t i = pairs[k], j = pairs[k + 1];
    if (dupes[i]) dupes[i][filled[i]++] = j;
    if (dupes[j]) dupes[j][filled[j]++] = i;
  }
  Log(LOG_INFO, "[%i] vert dupes", static_cast<int>(pairs.size() / 2));
}

void Mesh::ReNormal() {
  if (vertCount == 0 || triCount == 0 || !norm || !triNorm || !tris) return;
  if (normalMemo && dupes && dupeCount && normalMemo->Holds(*this)) {
    Log(LOG_INFO, "[%i] vert dupes", normalMemo->pairs);
    Log(LOG_INFO, "ReNormal %s", "tris");
    return;
  }
  setDupeVerts();
  for (uint32_t i = 0; i < vertCount; ++i) norm[i] = vec3();
  for (uint32_t t = 0; t < triCount; ++t) {
    const uint32_t* c = tris + 3 * t;
    triNorm[t].triangleNormal(pos[c[0]], pos[c[1]], pos[c[2]]);
    for (int k = 0; k < 3; ++k) {
      norm[c[k]] += triNorm[t];
      for (uint8_t d = 0; d < dupeCount[c[k]]; ++d) norm[dupes[c[k]][d]] += triNorm[t];
    }
  }
  for (uint32_t i = 0; i < vertCount; ++i) norm[i].normalize();
  Log(LOG_INFO, "ReNormal %s", "tris");
  delete normalMemo;
  normalMemo = nullptr;
  // Below two vertices the search logs 0 pairs, which a memo of none repeats.
  if (!dupes || !dupeCount || !Symmetric(*this)) return;
  normalMemo = new (std::nothrow) NormalMemo;
  if (normalMemo) normalMemo->Take(*this);
}

void Mesh::BuildEdges() {
  Log(LOG_INFO, "Build Edges::start");
  const char* m = "Mesh::BuildEdges";
  const int64_t n = triCount;
  // A second call starts over: the edge array is sized for this mesh's
  // triangles only.
  edgeCount = 0;
  const bool ok = Grow(edgeFlags, n * 3, 1, 175, m) & Grow(edges, n * 3, 2, 175, m) &
                  Grow(triEdges, n, 4, 175, m);
  if (ok && n > 0) {
    // Weld: every vertex maps to the lowest index within the tolerance of a
    // vertex that maps to itself, exactly as the ascending all-pairs pass.
    std::vector<uint32_t> w(vertCount, vertCount), candidates;
    VertexGrid grid;
    grid.Build(pos, vertCount, kWeldTolerance);
    for (uint32_t i = 0; i < vertCount; ++i) {
      if (w[i] != vertCount) continue;
      w[i] = i;
      grid.Later(i, candidates);
      for (uint32_t j : candidates)
        if (w[j] == vertCount && Within(pos[i], pos[j], kWeldTolerance)) w[j] = i;
    }
    // Distinct edges are distinct unordered pairs, so a search of the list
    // from the front finds at most one match. Each edge is filed under its
    // lower welded corner: a search walks that corner's few edges.
    struct Filed {
      uint32_t other, edge;
      int32_t next;
    };
    std::vector<int32_t> first(vertCount, -1);
    std::vector<Filed> filed;
    filed.reserve(static_cast<size_t>(n) * 3);
    for (uint32_t t = 0; t < triCount; ++t) {
      for (int k = 0; k < 3; ++k) {
        const uint32_t p = w[tris[3 * t + k]], q = w[tris[3 * t + (k + 1) % 3]];
        const uint32_t low = std::min(p, q), high = std::max(p, q);
        int32_t f = first[low];
        while (f >= 0 && filed[f].other != high) f = filed[f].next;
        if (f < 0) {
          filed.push_back({high, edgeCount, first[low]});
          f = first[low] = static_cast<int32_t>(filed.size() - 1);
          edges[2 * edgeCount] = p;
          edges[2 * edgeCount + 1] = q;
          ++edgeCount;
        }
        triEdges[4 * t + k] = filed[f].edge;
      }
    }
  }
  Log(LOG_INFO, "Build Edges::end me=%i (pe=%i)", static_cast<int>(edgeCount),
      static_cast<int>(2 * triCount));
}
