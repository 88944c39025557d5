// A model file of the built archive as the program holds it: loaded, scaled
// as the program scales it, and given to a Model.
#pragma once
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
  const vec3& At(uint32_t tri, int corner) const { return mesh.pos[mesh.tris[3 * tri + corner]]; }
  // The triangle's unit normal, the program's (c - a) x (b - a).
  vec3 Normal(uint32_t t) const {
    return normalize(cross(At(t, 2) - At(t, 0), At(t, 1) - At(t, 0)));
  }
};
