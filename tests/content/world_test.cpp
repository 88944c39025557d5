// The island as loaded: safe starts, level trees, ground kinds meeting along
// smooth lines, hillsides one can cross, a map ending in the sea under a sky with a sea.
#include "world.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "environment/sky.h"
#include "game/camera_setup.h"
#include "loaded_model.h"
#include "render/camera_gl.h"
#include "resources/manager.h"
#include "support/gl_context.h"

namespace {
const float kDegree = 0.0174533f;

TEST(World, CharactersStartAboveTheGroundAndTreesStandLevelOutsideTheirSquare) {
  LoadedModel map("bin\\map2.Model", 10), trees("bin\\tree_map.Model", 10);
  // Characters start at x, y within 0.4 of the map's radius, from z = -80 up.
  const float half = 0.4f * map.model.radius;
  for (uint32_t i = 0; i < map.mesh.vertCount; ++i) {
    const vec3& p = map.mesh.pos[i];
    const bool start = std::fabs(p.x) < half && std::fabs(p.y) < half;
    EXPECT_TRUE(!start || p.z < -80) << p.x << "," << p.y;
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

TEST(World, GroundKindsFollowTheSlopeMeetSmoothlyBendGentlyAndEndInTheSea) {
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
  // and starts over (below -300) before the map's edge. From above, a boundary between kinds
  // turns by over 45 degrees at few of its corners; along triangle edges, at nearly all.
  std::map<uint32_t, std::vector<std::pair<uint32_t, int>>> boundary;
  int shore = 0;
  for (const auto& [edge, tris] : edges) {
    const vec3& p = m.pos[edge.first];
    ASSERT_LE(tris.size(), 2u) << "an edge shared by three triangles";
    shore += tris.size() == 1;
    EXPECT_TRUE(tris.size() == 2 || p.z < -310) << p.x << "," << p.y;
    const float bend = std::acos(std::min(1.0f, dot(map.Normal(tris[0]), map.Normal(tris.back()))));
    ASSERT_LE(bend, 40 * kDegree) << "a sharp bend at " << p.x << "," << p.y;
    const int a = group[tris[0]], b = group[tris.back()], kinds = 1 << a | 1 << b;
    if (a == b) continue;
    boundary[edge.first].push_back({edge.second, kinds});
    boundary[edge.second].push_back({edge.first, kinds});
  }
  int corners = 0, sharp = 0;
  for (const auto& [v, next] : boundary) {
    if (next.size() != 2 || next[0].second != next[1].second) continue;
    const vec3 &p = m.pos[v], &a = m.pos[next[0].first], &b = m.pos[next[1].first];
    ++corners;
    sharp += dot(normalize(vec3(p.x - a.x, p.y - a.y, 0)),
                 normalize(vec3(b.x - p.x, b.y - p.y, 0))) < std::cos(45 * kDegree);
  }
  EXPECT_TRUE(shore > 300 && corners > 1000) << shore << " " << corners;
  EXPECT_LT(sharp * 20, corners) << sharp << " sharp corners of " << corners;
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

TEST(World, SeaBelowTheHorizonMeetsTheSkyInItsColour) {
  ASSERT_TRUE(EnsureGlslContext());
  BuiltArchiveScope scope;
  g_manager.init();
  g_sky.Init();
  SetUpCamera(64, 64);
  for (float yaw : {0.0f, 180.0f}) {  // level, toward the sun and away from it
    g_camera.angles = vec3(0, 0, yaw);
    g_camera.Update();
    CameraLoadMatrices(g_camera);
    g_sky.Draw(g_camera.ViewMatrix(g_camera.angles));  // the camera sits at the origin
    unsigned char rgb[64][64][3];
    glReadPixels(0, 0, 64, 64, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    for (int x : {5, 58}) {
      const unsigned char *sea = rgb[8][x], *below = rgb[31][x], *above = rgb[32][x];
      EXPECT_GT(sea[2], sea[0] + 40) << "deep water is blue, not grey (yaw " << yaw << ")";
      EXPECT_LT(sea[0] + sea[1] + sea[2], above[0] + above[1] + above[2]);
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(below[c], above[c], 12) << "a seam at the horizon";
    }
  }
  g_sky.Release();
  g_manager.Unload();
}
}  // namespace
