// EM7 bodies, then what a model does with an accepted mesh: take it, set up its textures and
// skeleton, build the outline edges, bound it and cast a ray.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "geometry/em7.h"
#include "geometry/model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* file = size ? fmemopen(const_cast<uint8_t*>(data), size, "rb") : nullptr;
  if (!file) return 0;
  Mesh mesh;
  mesh.Init();
  char reason[256] = "";
  const bool ok = ParseEM7Body(file, static_cast<int64_t>(size), mesh, reason, sizeof reason);
  std::fclose(file);
  if (!ok && !reason[0]) __builtin_trap();
  // The pairwise passes are quadratic: big meshes only slow the search.
  if (ok && mesh.vertCount <= 512 && mesh.triCount <= 1024) {
    Model model;
    model.Reset(), model.Assign(&mesh), model.SetMeshTex(), model.InitSkelet();
    mesh.BuildEdges(), model.ComputeBounds();
    vec3 hit, normal;
    float t = 1.0f;
    model.RayCast(model.worldCenter + vec3(0, 0, 2 * model.radius + 1),
                  vec3(0, 0, -4 * model.radius - 2), hit, normal, t);
    model.Release();
  }
  mesh.Clear();
  return 0;
}
