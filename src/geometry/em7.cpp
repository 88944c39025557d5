// EM7 file layout. Little-endian, no padding, no alignment; nothing is
// scrambled.
//
//   char     magic[3]        "EM7", no terminator
//   u32      V               vertices in all
//   u32      P               polygon records
//   u8       B               bones (0: static mesh, no weights stored)
//   u16      G               textures = texture groups
//   u16      S               index sets
//
//   polygon[P]:
//     u8     flags           0x80 starts a group, 0x40 quad (else triangle),
//                            0x10 references are u32 (else u16), bit k (0..3)
//                            set: corner k is a reference, clear: an inline
//                            vertex; 0x20 unused
//     u16    texture         only with 0x80: index into the texture list
//     corner[3 or 4]         reference (u16/u32 index) or vertex record
//
//   vertex record:
//     f32    x, y, z
//     u8     n               only when B > 0
//     {u8 bone + 1, u16 weight * 65535}[n]
//
//   u32      E               extra vertices, then E vertex records
//   f32      u, v [V]
//   bone[B]: u8 L, L name bytes ending in a zero, f32 pos[3], f32 rot[3]
//            (radians), u8 parent + 1 (0: root)
//   texture[G]: u8 L, L name bytes, no terminator
//   set[S]: u16 n, u32 entries[n]
//
// Vertices are numbered in file order: first those inline in polygons, then
// the extras; a quad (c0, c1, c2, c3) is the triangles (c0, c1, c2) and
// (c0, c2, c3). Limits the loader enforces: inline + E == V, references
// below V, weight bones 1..B, a parent naming an earlier bone, texture
// indices below G, at most G group starts, and, when G > 0, a group start on
// the first polygon. Counts must fit the file's size.
#include "geometry/em7.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "core/growth.h"
#include "core/log.h"
#include "storage/core.h"

namespace {
// Field reader over the bytes left in the file; every read checks both.
struct Reader {
  FILE* file;
  int64_t left;
  char* reason;
  size_t reasonSize;

  bool Fail(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(reason, reasonSize, format, args);
    va_end(args);
    return false;
  }
  bool Bytes(void* out, size_t n) {
    if (static_cast<int64_t>(n) > left || std::fread(out, 1, n, file) != n)
      return Fail("file is cut short");
    left -= static_cast<int64_t>(n);
    return true;
  }
  bool U8(uint8_t& v) { return Bytes(&v, 1); }
  bool U16(uint16_t& v) {
    uint8_t b[2];
    if (!Bytes(b, 2)) return false;
    v = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
  }
  bool U32(uint32_t& v) {
    uint8_t b[4];
    if (!Bytes(b, 4)) return false;
    v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
  }
  bool F32(float& v) {
    uint32_t bits;
    if (!U32(bits)) return false;
    std::memcpy(&v, &bits, 4);
    return true;
  }
  bool Vec(vec3& v) { return F32(v.x) && F32(v.y) && F32(v.z); }
};

bool ReadVertex(Reader& in, Mesh& mesh, uint32_t v) {
  if (!in.Vec(mesh.pos[v])) return false;
  if (mesh.boneCount == 0) return true;
  uint8_t n;
  if (!in.U8(n)) return false;
  mesh.weightCount[v] = n;
  if (n == 0) return true;
  if (!ResizeArray(mesh.boneIdx[v], n, "inc\\Mesh", __LINE__, "EM7::vertex") ||
      !ResizeArray(mesh.weights[v], n, "inc\\Mesh", __LINE__, "EM7::vertex")) {
    mesh.weightCount[v] = 0;
    return in.Fail("out of memory");
  }
  for (uint8_t k = 0; k < n; ++k) {
    uint8_t bone;
    uint16_t weight;
    if (!in.U8(bone) || !in.U16(weight)) return false;
    if (bone < 1 || bone > mesh.boneCount)
      return in.Fail("vertex %u weight names bone %u of %u", v, bone, mesh.boneCount);
    mesh.boneIdx[v][k] = bone - 1u;
    mesh.weights[v][k] = weight * (1.0f / 65535.0f);
  }
  return true;
}

bool ReadPolygons(Reader& in, Mesh& mesh, uint32_t P, uint32_t& nextVertex) {
  const uint32_t V = mesh.vertCount;
  const uint16_t G = mesh.groupCount;
  uint32_t groups = 0, tris = 0;
  for (uint32_t p = 0; p < P; ++p) {
    uint8_t flags;
    if (!in.U8(flags)) return false;
    if (flags & 0x80) {
      uint16_t texture;
      if (!in.U16(texture)) return false;
      if (groups >= G) return in.Fail("polygon %u starts group %u of %u", p, groups + 1, G);
      if (texture >= G) return in.Fail("polygon %u names texture %u of %u", p, texture, G);
      mesh.groupTex[groups++] = texture;
    }
    if (G > 0 && groups == 0) return in.Fail("first polygon starts no group");
    const bool quad = flags & 0x40;
    if (G > 0) mesh.groupTris[groups - 1] += quad ? 2 : 1;
    uint32_t c[4] = {0, 0, 0, 0};
    for (int k = 0; k < (quad ? 4 : 3); ++k) {
      if (flags & (1 << k)) {
        if (flags & 0x10) {
          if (!in.U32(c[k])) return false;
        } else {
          uint16_t ref;
          if (!in.U16(ref)) return false;
          c[k] = ref;
        }
        if (c[k] >= V) return in.Fail("polygon %u refers to vertex %u of %u", p, c[k], V);
      } else {
        if (nextVertex >= V) return in.Fail("more than %u vertices", V);
        if (!ReadVertex(in, mesh, nextVertex)) return false;
        c[k] = nextVertex++;
      }
    }
    uint32_t* t = mesh.tris + 3 * tris;
    t[0] = c[0], t[1] = c[1], t[2] = c[2];
    ++tris;
    if (quad) {
      t[3] = c[0], t[4] = c[2], t[5] = c[3];
      ++tris;
    }
    std::memcpy(mesh.polys + 4 * p, c, sizeof c);
  }
  mesh.triCount = tris;
  Log(LOG_INFO, "EM7::%i triangles %i quads", static_cast<int>(tris), static_cast<int>(P));
  return true;
}

bool ReadName(Reader& in, cstring& name, bool terminated) {
  uint8_t L;
  if (!in.U8(L)) return false;
  // A stored bone name counts its zero; a texture name gets one added.
  name.resize(terminated ? L : L + 1);
  if (!name.data) return in.Fail("out of memory");
  if (!in.Bytes(name.data, L)) return false;
  name.data[L] = '\0';  // capacity exceeds the length, so this is in bounds
  return true;
}
}  // namespace

bool ParseEM7Body(FILE* file, int64_t size, Mesh& out, char* reason, size_t reasonSize) {
  Reader in{file, size, reason, reasonSize};
  uint32_t V, P;
  uint8_t B;
  uint16_t G, S;
  if (!in.U32(V) || !in.U32(P) || !in.U8(B) || !in.U16(G) || !in.U16(S)) return false;
  // Smallest possible body for these counts: a reference polygon takes 7
  // bytes, a vertex at least 10 more than a reference plus its 8 uv bytes, a
  // bone 26, a texture 1, a set 2, and E 4.
  const int64_t least = int64_t{7} * P + int64_t{18} * V + 26 * B + G + 2 * S + 4;
  if (least > in.left)
    return in.Fail("counts V=%u P=%u don't fit %lld bytes", V, P, static_cast<long long>(size));
  if (!out.resizeV(V, true) || !out.resizeF(2 * P, true) || !out.resizeB(B, true) ||
      !out.resizeT(G, true) || (S > 0 && !out.resizeS(S, 0)))
    return in.Fail("out of memory");
  out.polyCount = P;

  uint32_t nextVertex = 0, E;
  if (!ReadPolygons(in, out, P, nextVertex) || !in.U32(E)) return false;
  if (uint64_t{nextVertex} + E != V)
    return in.Fail("%u inline and %u extra vertices for %u", nextVertex, E, V);
  for (; nextVertex < V; ++nextVertex)
    if (!ReadVertex(in, out, nextVertex)) return false;
  for (uint32_t v = 0; v < V; ++v)
    if (!in.F32(out.uv[2 * v]) || !in.F32(out.uv[2 * v + 1])) return false;
  for (uint8_t b = 0; b < B; ++b) {
    uint8_t parent;
    if (!ReadName(in, out.boneName[b], true) || !in.Vec(out.bonePos[b]) ||
        !in.Vec(out.boneRot[b]) || !in.U8(parent))
      return false;
    if (parent > b) return in.Fail("bone %u has parent byte %u", b, parent);
    out.boneParent[b] = parent - 1;
  }
  for (uint16_t t = 0; t < G; ++t)
    if (!ReadName(in, out.texName[t], false)) return false;
  for (uint16_t s = 0; s < S; ++s) {
    uint16_t n;
    if (!in.U16(n)) return false;
    if (int64_t{4} * n > in.left) return in.Fail("set %u of %u entries is cut short", s, n);
    if (!out.resizeS(s, n)) return in.Fail("out of memory");
    for (uint16_t i = 0; i < n; ++i)
      if (!in.U32(out.sets[s][i])) return false;
  }
  return true;
}

bool LoadEM7(Mesh& mesh, const char* name) {
  FILE* file = CoreOpen(name, "rb", true);
  if (!file) {
    Log(LOG_ERROR, "EM7:file not found [%s]", name);
    return false;
  }
  char magic[4] = {0, 0, 0, 0};
  const size_t got = std::fread(magic, 1, 3, file);
  if (got != 3 || std::memcmp(magic, "EM7", 3) != 0) {
    char shown[4];
    LogHeaderText(magic, got, shown);
    Log(LOG_ERROR, "EM7:file [%s] bad header [%s]", name, shown);
    std::fclose(file);
    return false;
  }
  // The temporary keeps the caller's mesh intact until the whole body has
  // been read and checked.
  Mesh parsed;
  char reason[256] = "";
  const bool ok = ParseEM7Body(file, CWsize(name, "rb", true) - 3, parsed, reason, sizeof reason);
  std::fclose(file);
  if (!ok) {
    Log(LOG_ERROR, "EM7:file [%s] rejected: %s", name, reason);
    parsed.Clear();
    return false;
  }
  parsed.slot = mesh.slot;
  mesh.Clear();
  mesh = parsed;
  Log(LOG_INFO, "Loaded Model [%s] :: (v:%i f:%i b:%i t:%i)", name,
      static_cast<int>(mesh.vertCount), static_cast<int>(mesh.triCount), mesh.boneCount,
      mesh.groupCount);
  return true;
}
