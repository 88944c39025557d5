// A model file of the built archive, scaled as the program scales it.
#pragma once
#include <algorithm>
#include <vector>

#include "geometry/em7.h"
#include "geometry/model.h"
#include "support/content_archive.h"

struct LoadedModel {
  Mesh mesh;
  Model model;
  LoadedModel(const char* name, float scale) {
    mesh.Init();
    model.Reset();
    BuiltArchiveScope scope;
    if (!LoadEM7(mesh, name)) return;
    mesh.Scale(scale, scale, scale);
    model.Assign(&mesh);
  }
  ~LoadedModel() {
    model.Release();
    mesh.Clear();
  }
  // Edges only one triangle uses, corners welded as the program welds them.
  int OpenEdges() {
    mesh.BuildEdges();
    std::vector<int> uses(mesh.edgeCount);
    for (uint32_t t = 0; t < 3 * mesh.triCount; ++t) ++uses[mesh.triEdges[t / 3 * 4 + t % 3]];
    return static_cast<int>(std::count(uses.begin(), uses.end(), 1));
  }
  vec3 Normal(uint32_t t) const {  // triangle t's, the program's (c - a) x (b - a)
    const uint32_t* c = mesh.tris + 3 * t;
    return normalize(cross(mesh.pos[c[2]] - mesh.pos[c[0]], mesh.pos[c[1]] - mesh.pos[c[0]]));
  }
};
