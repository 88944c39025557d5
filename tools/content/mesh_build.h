// A growable mesh under construction (plain vectors), turned into the
// program's Mesh once complete.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "geometry/mesh.h"

struct Influence {
  uint8_t bone = 0;
  float weight = 0;
};

struct MeshBuild {
  static constexpr int kMaxInfluences = 3;
  struct Weights {
    int count = 0;
    Influence items[kMaxInfluences];
  };
  struct Group {
    std::string texture;
    std::vector<uint32_t> tris;  // 3 vertex indices per triangle
  };

  std::vector<vec3> pos;
  std::vector<float> uv;         // 2 per vertex
  std::vector<Weights> weights;  // empty for a static mesh, else one per vertex
  std::vector<Group> groups;

  // Appends a vertex and returns its index.
  uint32_t Add(const vec3& p, float u, float v);
  // Index of the group drawn with `texture`, created on first use.
  int GroupOf(const std::string& texture);
  // Appends a triangle facing the side from which (a, b, c) appear clockwise.
  void Tri(int group, uint32_t a, uint32_t b, uint32_t c);
  // Appends the triangle (a, b, c) or (a, c, b), whichever faces `outward`.
  void TriFacing(int group, uint32_t a, uint32_t b, uint32_t c, const vec3& outward);
  // Appends everything of `other` (its vertices renumbered after ours).
  void Append(const MeshBuild& other);
};

// Fills an empty (Init-ed) mesh: vertices, texture coordinates, triangles
// group after group, and, when boneCount > 0, the first boneCount bones of the
// rig with each vertex's weights. Returns false when the mesh can't grow.
bool ToMesh(const MeshBuild& build, int boneCount, Mesh& mesh);
