// The landscape's promises: characters start above ground, trees find the
// ground under their markers, the cloud and the respawn point fit.
#include "world.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geometry/em7.h"
#include "geometry/model.h"
#include "support/content_archive.h"

namespace {
// The map as the program holds it: loaded, scaled by 10, assigned.
struct ScaledMap {
  Mesh mesh;
  Model model;
  ScaledMap() {
    mesh.Init();
    model.Reset();
    BuiltArchiveScope scope;
    if (!LoadEM7(mesh, "bin\\map2.Model")) return;
    mesh.Scale(10, 10, 10);
    model.Assign(&mesh);
  }
  ~ScaledMap() {
    model.Release();
    mesh.Clear();
  }
};

TEST(World, StartSquareLiesBelowEveryStartHeight) {
  ScaledMap map;
  ASSERT_GT(map.mesh.vertCount, 0u);
  const float r = map.model.radius;
  EXPECT_GT(r, 1500.0f);  // a few thousand units across
  EXPECT_LT(r, 4000.0f);
  int inside = 0;
  for (uint32_t i = 0; i < map.mesh.vertCount; ++i) {
    const vec3& p = map.mesh.pos[i];
    // Start positions are x, y in [-0.4 R, 0.4 R]: the square, not just the circle.
    if (std::fabs(p.x) > 0.4f * r || std::fabs(p.y) > 0.4f * r) continue;
    ++inside;
    EXPECT_LT(p.z, -80.0f) << p.x << "," << p.y;
    EXPECT_GT(p.z, -300.0f) << "below the respawn depth at " << p.x << "," << p.y;
  }
  EXPECT_GT(inside, 100);
}

TEST(World, CloudAndRespawnPointFloatAboveTheGround) {
  ScaledMap map;
  ASSERT_GT(map.mesh.vertCount, 0u);
  // The cloud: ellipsoid radii 300, 300, 100 at (-100, 300, 500).
  for (float dx = -300; dx <= 300; dx += 50)
    for (float dy = -300; dy <= 300; dy += 50) {
      vec3 hit, normal;
      float t = 1;
      const vec3 top(-100 + dx, 300 + dy, 2000);
      ASSERT_TRUE(map.model.RayCast(top, vec3(0, 0, -5000), hit, normal, t));
      EXPECT_LT(hit.z, 400.0f - 100.0f);
    }
  EXPECT_NEAR(GroundHeight(-100, 300), -150, 40);
}

TEST(World, EveryTreeMarkerIsWithinReachAboveTheMap) {
  ScaledMap map;
  Mesh markers;
  markers.Init();
  {
    BuiltArchiveScope scope;
    ASSERT_TRUE(LoadEM7(markers, "bin\\tree_map.Model"));
  }
  markers.Scale(10, 10, 10);
  EXPECT_GE(markers.vertCount, 24u);
  EXPECT_LE(markers.vertCount, 100u);
  for (uint32_t i = 0; i < markers.vertCount; ++i) {
    vec3 hit, normal;
    float t = 1;
    ASSERT_TRUE(map.model.RayCast(markers.pos[i], vec3(0, 0, -1000), hit, normal, t)) << i;
    EXPECT_GT(t, 0.0f);
    EXPECT_LT(t, 1.0f);
    EXPECT_GT(normal.z, 0.3f) << "ground faces up";
  }
  markers.Clear();
}

TEST(World, MapFacesUpAndTreeStandsOnItsBase) {
  const MeshBuild map = BuildMap();
  for (const MeshBuild::Group& g : map.groups)
    for (size_t t = 0; t < g.tris.size(); t += 3) {
      const vec3 &a = map.pos[g.tris[t]], &b = map.pos[g.tris[t + 1]], &c = map.pos[g.tris[t + 2]];
      ASSERT_GT(cross(c - a, b - a).z, 0.0f) << "triangle " << t / 3 << " faces down";
    }
  const MeshBuild tree = BuildTree();
  float lowest = 1e9f, highest = -1e9f;
  for (const vec3& p : tree.pos) {
    lowest = std::fmin(lowest, p.z);
    highest = std::fmax(highest, p.z);
  }
  EXPECT_LT(lowest, 0.0f);  // buried a little for slopes
  EXPECT_GT(lowest, -5.0f);
  // Scaled by 2 at load: several character heights tall.
  EXPECT_GT(highest * 2, 60.0f);
}
}  // namespace
