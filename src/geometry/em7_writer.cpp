// Writes meshes in the EM7 layout described in em7.cpp (for the content
// builder and the tests).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/log.h"
#include "geometry/em7.h"
#include "storage/bytes.h"

namespace {
struct Polygon {
  uint32_t c[4];
  bool quad;
};

bool SameTri(const uint32_t* t, uint32_t a, uint32_t b, uint32_t c) {
  return t[0] == a && t[1] == b && t[2] == c;
}

// The polygons behind the triangle list, or false when polys doesn't match.
bool Polygons(const Mesh& mesh, std::vector<Polygon>& out) {
  if (mesh.polyCount == 0) {
    for (uint32_t t = 0; t < mesh.triCount; ++t) {
      const uint32_t* c = mesh.tris + 3 * t;
      out.push_back({{c[0], c[1], c[2], 0}, false});
    }
    return true;
  }
  uint32_t cursor = 0;
  for (uint32_t p = 0; p < mesh.polyCount; ++p) {
    const uint32_t* c = mesh.polys + 4 * p;
    const uint32_t* t = mesh.tris + 3 * cursor;
    // Quads left = triangles left - polygons left.
    const bool quadLeft = mesh.triCount - cursor > mesh.polyCount - p;
    if (cursor + 1 < mesh.triCount && quadLeft && SameTri(t, c[0], c[1], c[2]) &&
        SameTri(t + 3, c[0], c[2], c[3])) {
      out.push_back({{c[0], c[1], c[2], c[3]}, true});
      cursor += 2;
    } else if (cursor < mesh.triCount && c[3] == 0 && SameTri(t, c[0], c[1], c[2])) {
      out.push_back({{c[0], c[1], c[2], 0}, false});
      cursor += 1;
    } else {
      return false;
    }
  }
  return cursor == mesh.triCount;
}

void WriteVertex(ByteWriter& out, const Mesh& mesh, uint32_t v) {
  out.Vec(mesh.pos[v]);
  if (mesh.boneCount == 0) return;
  const uint8_t n = v < mesh.weightSlots ? mesh.weightCount[v] : 0;
  out.U8(n);
  for (uint8_t k = 0; k < n; ++k) {
    out.U8(mesh.boneIdx[v][k] + 1);
    const double w = std::max(0.0, std::min(1.0, double{mesh.weights[v][k]}));
    out.U16(static_cast<uint32_t>(std::lround(w * 65535.0)));
  }
}

// Everything the format can't say, checked before anything is written.
const char* Unwritable(const Mesh& mesh, const std::vector<Polygon>& polygons) {
  for (uint32_t v = 0; v < std::min(mesh.vertCount, mesh.weightSlots); ++v)
    for (uint8_t k = 0; mesh.boneCount && k < mesh.weightCount[v]; ++k)
      if (mesh.boneIdx[v][k] >= mesh.boneCount) return "a weight names a missing bone";
  for (uint8_t b = 0; b < mesh.boneCount; ++b) {
    if (mesh.boneParent[b] < -1 || mesh.boneParent[b] >= b) return "a parent isn't an earlier bone";
    if (mesh.boneName[b].length > 255) return "a bone name is too long";
  }
  for (uint16_t t = 0; t < mesh.groupCount; ++t)
    if (mesh.texName[t].length > 256) return "a texture name is too long";
  // Groups: each is started by the polygon at its first triangle (as the
  // writer below does), so an empty group can only trail, unstarted, with
  // texture 0, the state the loader leaves it in.
  uint32_t cursor = 0, groupEnd = 0;
  uint16_t g = 0;
  for (const Polygon& p : polygons) {
    if (mesh.groupCount > 0 && cursor == groupEnd) {
      if (g == mesh.groupCount) return "more triangles than the groups hold";
      if (mesh.groupTris[g] == 0) return "an empty group can't be started";
      if (mesh.groupTex[g] >= mesh.groupCount) return "a group names a missing texture";
      groupEnd += mesh.groupTris[g++];
    }
    cursor += p.quad ? 2 : 1;
    if (mesh.groupCount > 0 && cursor > groupEnd) return "a polygon crosses a group border";
  }
  for (; g < mesh.groupCount; ++g)
    if (mesh.groupTris[g] != 0 || mesh.groupTex[g] != 0) return "a group no polygon starts";
  return nullptr;
}
}  // namespace

bool SaveEM7(const Mesh& mesh, const char* path) {
  std::vector<Polygon> polygons;
  const char* problem =
      Polygons(mesh, polygons) ? Unwritable(mesh, polygons) : "polygons don't match the triangles";
  if (problem) {
    Log(LOG_ERROR, "EM7:can't write [%s]: %s", path, problem);
    return false;
  }
  ByteWriter out;
  out.bytes.insert(out.bytes.end(), {'E', 'M', '7'});
  out.U32(mesh.vertCount);
  out.U32(static_cast<uint32_t>(polygons.size()));
  out.U8(mesh.boneCount);
  out.U16(mesh.groupCount);
  out.U16(mesh.setCount);

  uint32_t nextInline = 0, cursor = 0, groupEnd = 0;
  uint16_t group = 0;
  for (const Polygon& p : polygons) {
    const int corners = p.quad ? 4 : 3;
    bool wide = false;
    uint8_t flags = p.quad ? 0x40 : 0;
    bool inlined[4] = {false, false, false, false};
    for (int k = 0; k < corners; ++k) {
      if (p.c[k] == nextInline) {  // numbering reaches this vertex here
        inlined[k] = true;
        ++nextInline;
      } else {
        flags |= 1 << k;
        wide |= p.c[k] > 0xFFFF;
      }
    }
    if (wide) flags |= 0x10;
    const bool starts = mesh.groupCount > 0 && cursor == groupEnd;
    if (starts) flags |= 0x80;
    out.U8(flags);
    if (starts) {
      out.U16(mesh.groupTex[group]);
      groupEnd += mesh.groupTris[group++];
    }
    for (int k = 0; k < corners; ++k) {
      if (inlined[k])
        WriteVertex(out, mesh, p.c[k]);
      else if (wide)
        out.U32(p.c[k]);
      else
        out.U16(p.c[k]);
    }
    cursor += p.quad ? 2 : 1;
  }
  out.U32(mesh.vertCount - std::min(nextInline, mesh.vertCount));
  for (uint32_t v = nextInline; v < mesh.vertCount; ++v) WriteVertex(out, mesh, v);
  for (uint32_t v = 0; v < mesh.vertCount; ++v) {
    out.F32(mesh.uv[2 * v]);
    out.F32(mesh.uv[2 * v + 1]);
  }
  for (uint8_t b = 0; b < mesh.boneCount; ++b) {
    const cstring& name = mesh.boneName[b];
    out.U8(name.length);
    for (int32_t i = 0; i < name.length; ++i) out.U8(name.data[i]);
    out.Vec(mesh.bonePos[b]);
    out.Vec(mesh.boneRot[b]);
    out.U8(mesh.boneParent[b] + 1);
  }
  for (uint16_t t = 0; t < mesh.groupCount; ++t) {
    const cstring& name = mesh.texName[t];
    const int32_t L = name.length > 0 ? name.length - 1 : 0;
    out.U8(L);
    for (int32_t i = 0; i < L; ++i) out.U8(name.data[i]);
  }
  for (uint16_t s = 0; s < mesh.setCount; ++s) {
    out.U16(mesh.setSize[s]);
    for (uint16_t i = 0; i < mesh.setSize[s]; ++i) out.U32(mesh.sets[s][i]);
  }

  FILE* file = std::fopen(path, "wb");
  bool written =
      file && std::fwrite(out.bytes.data(), 1, out.bytes.size(), file) == out.bytes.size();
  if (file && std::fclose(file) != 0) written = false;
  if (!written) Log(LOG_ERROR, "EM7:can't write [%s]", path);
  return written;
}
