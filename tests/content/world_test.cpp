// The island as loaded: safe starts, level trees, ground kinds by slope, hillsides one can
// cross, a map ending in the sea.
#include "world.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "loaded_model.h"

namespace {
const float kDegree = 0.0174533f;

TEST(World, CharactersStartAboveTheGroundAndTreesStandLevelOutsideTheirSquare) {
  LoadedModel map("bin\\map2.Model", 10), trees("bin\\tree_map.Model", 10);
  const float half = 0.4f * map.model.radius;
  for (uint32_t i = 0; i < map.mesh.vertCount; ++i) {
    const vec3& p = map.mesh.pos[i];
    EXPECT_TRUE(std::fabs(p.x) >= half || std::fabs(p.y) >= half || p.z < -80)
        << p.x << "," << p.y;  // characters start from -80 up
    EXPECT_LT(p.z, 300.0f) << "the cloud (underside at 400) clears the hills";
  }
  const uint32_t n = trees.mesh.vertCount;
  int inGroves = 0, alone = 0;
  for (uint32_t i = 0; i < n; ++i) {
    // Planted as the program plants it: down from the marker, turned to the normal there.
    const vec3& p = trees.mesh.pos[i];
    vec3 hit, normal;
    float t = 1;
    EXPECT_FALSE(std::fabs(p.x) < half + 25 && std::fabs(p.y) < half + 25) << "tree " << i;
    ASSERT_TRUE(map.model.RayCast(p, vec3(0, 0, -1000), hit, normal, t) && t > 0) << i;
    EXPECT_GE(normal.z, std::cos(12 * kDegree)) << "tree " << i << " leans";
    int near = 0, close = 0;
    for (uint32_t j = 0; j < n; ++j) {
      const float apart = std::hypot(trees.mesh.pos[j].x - p.x, trees.mesh.pos[j].y - p.y);
      near += j != i && apart < 200;
      close += j != i && apart < 90;
    }
    inGroves += close >= 2;
    alone += near == 0;
  }
  EXPECT_TRUE(n >= 30 && inGroves >= 12 && alone >= 4) << n << " " << inGroves << " " << alone;
}

TEST(World, GroundKindsFollowTheSlopeBendGentlyAndEndInTheSea) {
  LoadedModel map("bin\\map2.Model", 10);
  const Mesh& m = map.mesh;
  ASSERT_EQ(m.groupCount, 4);  // grass, earth, rock, sand
  EXPECT_GT(m.groupTris[0] * 5, m.triCount * 2) << "grass the most";
  std::vector<int> group;
  std::map<std::pair<uint32_t, uint32_t>, std::vector<uint32_t>> edges;
  for (uint16_t g = 0; g < m.groupCount; ++g) group.insert(group.end(), m.groupTris[g], g);
  for (uint32_t t = 0; t < 3 * m.triCount; ++t) {
    const uint32_t a = m.tris[t], b = m.tris[t % 3 == 2 ? t - 2 : t + 1];
    edges[{std::min(a, b), std::max(a, b)}].push_back(t / 3);
    const float slope = std::acos(map.Normal(t / 3).z) / kDegree;
    EXPECT_TRUE((group[t / 3] != 0 || slope < 55) && (group[t / 3] != 2 || slope > 25)) << slope;
  }
  // Running, a character keeps the ground past bends up to ~40 degrees at 13 frames a second,
  // and starts over (below -300) before the map's edge.
  int shore = 0;
  for (const auto& [edge, tris] : edges) {
    const vec3& p = m.pos[edge.first];
    ASSERT_LE(tris.size(), 2u) << "an edge shared by three triangles";
    shore += tris.size() == 1;
    EXPECT_TRUE(tris.size() == 2 || p.z < -310) << p.x << "," << p.y;
    const float bend = std::acos(std::min(1.0f, dot(map.Normal(tris[0]), map.Normal(tris.back()))));
    ASSERT_LE(bend, 40 * kDegree) << "a sharp bend at " << p.x << "," << p.y;
  }
  EXPECT_GT(shore, 300);
}

TEST(World, TreeStandsOnABuriedTrunkUnderTheCrownWithoutHoles) {
  LoadedModel tree("bin\\tree.Model", 1);  // the program doubles it
  ASSERT_TRUE(tree.mesh.groupCount == 2 && std::string(tree.mesh.texName[0].c_str()) == "bark.jpg");
  float low[2] = {1e9f, 1e9f};
  for (uint32_t k = 0; k < 3 * tree.mesh.triCount; ++k) {
    const int g = k / 3 >= tree.mesh.groupTris[0];
    low[g] = std::min(low[g], tree.mesh.pos[tree.mesh.tris[k]].z);
  }
  EXPECT_TRUE(low[0] < -1 && low[0] > -4 && low[1] > 8) << "a buried foot, the crown above heads";
  // Open: only the ends of the trunk and four branches, buried or inside trunk and crown.
  EXPECT_EQ(tree.OpenEdges(), 2 * 8 + 4 * 2 * 6) << "a hole in the trunk, a branch or a clump";
}
}  // namespace
