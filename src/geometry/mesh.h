// The one geometry container: what the model loader and the generators fill
// and what every model instance copies its vertices from.
//
// Every array is a separately allocated block owned by the mesh and grown by
// the program's growth rule (shell/growth.h), reported with the source
// "inc\\Mesh". Flat arrays keep several values per element so they can be
// handed to vertex-array drawing unchanged: `uv` holds 2 floats per vertex,
// `tris` 3 indices per triangle, `polys` 4 per polygon, `edges` 2 per edge,
// `triEdges` 4 per triangle. Per-vertex and per-set lists are one block each.
//
// Invariants: triangles are stored group after group (group g covers the
// groupTris[g] triangles after those of groups 0..g-1); each dupes relation is
// symmetric; the per-vertex lists exist only below vertCount (entries above it
// are null), and weightCount/boneIdx/weights have weightSlots entries.
#pragma once
#include <cstdint>

#include "core/cstring.h"
#include "math/vec3.h"

class Mesh {
 public:
  uint32_t vertCount = 0;
  vec3* pos = nullptr;
  vec3* norm = nullptr;    // set by ReNormal
  vec3* extraA = nullptr;  // spare channels: allocated with the vertices, never filled here
  vec3* extraB = nullptr;
  float* uv = nullptr;         // (u, v) per vertex
  uint32_t** dupes = nullptr;  // per vertex: the other vertices at the same position
  uint8_t* weightCount = nullptr;
  uint8_t* dupeCount = nullptr;  // length of each dupes list, at most 255
  uint32_t** boneIdx = nullptr;  // per vertex: bone index of each weight
  float** weights = nullptr;     // per vertex: weight values parallel to boneIdx

  uint32_t triCount = 0;
  uint32_t polyCount = 0;     // source polygons as stored in the file
  uint32_t* tris = nullptr;   // 3 vertex indices per triangle
  uint32_t* polys = nullptr;  // 4 corners per polygon, the fourth 0 for a triangle
  vec3* triNorm = nullptr;    // set by ReNormal

  uint32_t edgeCount = 0;
  uint32_t frontCount = 0;       // triangles counted by the last silhouette pass
  uint32_t* edges = nullptr;     // 2 welded vertex indices per distinct edge
  uint32_t* triEdges = nullptr;  // 4 slots per triangle: its 3 edge indices, last slot unset
  int32_t* edgeFlags = nullptr;  // silhouette counters, room for 3 per triangle

  uint8_t boneCount = 0;
  cstring* boneName = nullptr;
  vec3* bonePos = nullptr;        // bind position relative to the parent
  vec3* boneRot = nullptr;        // bind rotation, Euler radians
  int32_t* boneParent = nullptr;  // -1 for a root

  uint16_t groupCount = 0;
  uint32_t* groupTris = nullptr;
  uint16_t* groupTex = nullptr;
  cstring* texName = nullptr;

  uint16_t setCount = 0;
  uint16_t* setSize = nullptr;
  uint32_t** sets = nullptr;

  struct NormalMemo;
  NormalMemo* normalMemo = nullptr;  // what the last ReNormal read and left (mesh.cpp)

  uint32_t slot = 0;         // index in the resource manager's mesh table
  uint32_t weightSlots = 0;  // entries in weightCount/boneIdx/weights (vertCount at resizeB)

  // Every count 0, every array null (the state a new Mesh starts in); slot
  // is left as it is, it belongs to the manager's table. The
  // record stays trivially copyable so the manager's table can be a plain
  // growable block; Init readies such raw storage.
  void Init();
  // Releases everything the mesh owns, then Init. Safe on an Init-ed mesh.
  void Clear();

  // The growth rule of each array family: with reset the count is first
  // taken as 0; if n exceeds the count every array of the family is
  // reallocated to n entries (old contents kept, new entries cleared as
  // listed in mesh.cpp); the count then becomes n, also when n is smaller
  // (arrays are not shrunk). Returns false when a reallocation failed: the
  // failure is logged by the growth rule and the family's count becomes 0.
  bool resizeV(uint32_t n, bool reset);
  bool resizeF(uint32_t n, bool reset);
  bool resizeB(uint8_t n, bool reset);
  bool resizeT(uint16_t n, bool reset);
  // a > setCount: the set table grows to a empty sets. Otherwise, for an
  // existing set a (a < setCount), its list grows to b entries (new ones 0)
  // when b exceeds its size. a == setCount names no set and does nothing.
  bool resizeS(uint16_t a, uint16_t b);

  // Unit sphere of slices x stacks (each clamped to at least 3) into an empty
  // mesh, one texture group named "empty". Normals are left to ReNormal.
  void GenSphere(uint16_t slices, uint16_t stacks);
  // Unit cube [0,1]^3 with nx+1, ny+1, nz+1 cells per axis, every side its
  // own grid, into an empty mesh, one texture group named "empty".
  void GenBox(uint16_t nx, uint16_t ny, uint16_t nz);

  // Moves the mesh so the centre of its bounding box is at the origin.
  void Centre();
  void Scale(float sx, float sy, float sz);

  // Fills dupes/dupeCount: vertices within 0.001 on every axis are listed
  // as each other's duplicates, each list ascending. A pair is left out when
  // either vertex already has 255 duplicates. Near-linear (spatial hash).
  void setDupeVerts();
  // Recomputes triNorm and smooth vertex normals (through the dupes lists).
  // Every triangle index must be below vertCount. When the vertices,
  // triangles, duplicate lists and normals are all as the last call left
  // them, the answer is known: only the log lines are written again.
  void ReNormal();
  // Fills edges/edgeCount/triEdges from the triangles, with vertices within
  // 0.00001 welded to the lowest such index; edges are stored once, in the
  // order first met. Rebuilds from scratch on every call. Near-linear.
  void BuildEdges();
};
