#include "environment/terrain.h"

#include <new>

#include "resources/manager.h"

Model g_map;
Model g_treeMap;
Model* g_trees = nullptr;
uint32_t g_treeCount = 0;

namespace {
// The tree stands where a segment straight down from its marker meets the
// map, its up axis along the map's normal there. A marker above no ground
// keeps its tree at the origin, oriented by the previous tree's normal.
void PlantTree(Model& tree, const vec3& marker, vec3& normal) {
  float t = 1.0f;
  g_map.RayCast(marker, vec3(0, 0, -1000), tree.position, normal, t);
  const vec3 s = normalize(cross(normal, vec3(1, 0, 0)));
  const vec3 u = normalize(cross(s, normal));
  mat4 axes;
  axes.fromAxes(u, s, normal);
  tree.angles = axes.toEuler() * (180.0f * kInvPi);
  tree.UpdateMatrix();
}
}  // namespace

void LoadTerrainAndTrees() {
  g_map.Reset();
  const uint16_t mapSlot = g_manager.LoadModel("bin\\map2.Model", &g_map);
  Mesh& mapMesh = g_manager.meshes[mapSlot];
  mapMesh.Scale(10, 10, 10);
  g_map.Assign(&mapMesh);
  mapMesh.BuildEdges();
  g_manager.LoadModelTex(nullptr, static_cast<uint16_t>(g_map.slot));
  g_map.BuildQueryIndex();  // the map never deforms

  g_treeMap.Reset();
  const uint16_t markerSlot = g_manager.LoadModel("bin\\tree_map.Model", &g_treeMap);
  g_manager.meshes[markerSlot].Scale(10, 10, 10);

  // Every tree shares this mesh, scaled before the trees take it.
  const uint16_t treeSlot = g_manager.LoadMesh("bin\\tree.Model");
  g_manager.meshes[treeSlot].Scale(2, 2, 2);
  g_manager.meshes[treeSlot].BuildEdges();

  const Mesh& markers = g_manager.meshes[g_treeMap.meshSlot];
  g_treeCount = markers.vertCount;
  g_trees = new (std::nothrow) Model[g_treeCount];
  if (!g_trees) g_treeCount = 0;
  vec3 normal;
  for (uint32_t i = 0; i < g_treeCount; ++i) {
    Model& tree = g_trees[i];
    tree.Reset();
    g_manager.LoadModel("bin\\tree.Model", &tree);
    g_manager.LoadModelTex(nullptr, static_cast<uint16_t>(tree.slot));
    // Markers are read through the slot: loading trees may move the table.
    PlantTree(tree, g_manager.meshes[g_treeMap.meshSlot].pos[i], normal);
    if (i == 0)
      tree.BuildQueryIndex();
    else
      tree.ShareQueryIndex(g_trees[0]);  // one index for the shared, undeformed mesh
  }
}
