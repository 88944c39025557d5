// The island as the program loads it: starts above the ground and away from
// trees, trees on level ground, kinds of ground meeting along smooth lines,
// hillsides a running character can cross, a map that ends in the sea, and
// the sea below the sky's horizon.
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
#include "tree.h"

namespace {
const float kDegree = 0.0174533f;

// Each triangle's group, and the triangles on each edge (lower vertex first).
std::vector<int> Groups(const Mesh& m) {
  std::vector<int> group;
  for (uint16_t g = 0; g < m.groupCount; ++g) group.insert(group.end(), m.groupTris[g], g);
  return group;
}

std::map<std::pair<uint32_t, uint32_t>, std::vector<uint32_t>> Edges(const Mesh& m) {
  std::map<std::pair<uint32_t, uint32_t>, std::vector<uint32_t>> edges;
  for (uint32_t t = 0; t < 3 * m.triCount; ++t) {
    const uint32_t a = m.tris[t], b = m.tris[t % 3 == 2 ? t - 2 : t + 1];
    edges[{std::min(a, b), std::max(a, b)}].push_back(t / 3);
  }
  return edges;
}

TEST(World, CharactersStartAboveTheGroundAndTreesStandLevelOutsideTheirSquare) {
  LoadedModel map("bin\\map2.Model", 10), trees("bin\\tree_map.Model", 10);
  ASSERT_GT(map.mesh.vertCount, 1000u);
  // Characters start at x, y within 0.4 of the map's radius, from z = -80 up.
  const float half = 0.4f * map.model.radius;
  int inside = 0;
  for (uint32_t i = 0; i < map.mesh.vertCount; ++i) {
    const vec3& p = map.mesh.pos[i];
    EXPECT_LT(p.z, 300.0f) << "the cloud's underside (z 400) clears the hills";
    const bool start = std::fabs(p.x) < half && std::fabs(p.y) < half;
    inside += start;
    EXPECT_TRUE(!start || p.z < -80) << p.x << "," << p.y;
  }
  EXPECT_GT(inside, 3000);
  const uint32_t n = trees.mesh.vertCount;
  ASSERT_TRUE(n >= 30 && n <= 80) << n;
  int inGroves = 0, alone = 0;
  for (uint32_t i = 0; i < n; ++i) {
    // Planted as the program plants it: straight down from the marker,
    // turned to the ground's normal there.
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
  EXPECT_GE(inGroves, 12);
  EXPECT_GE(alone, 4);
}

TEST(World, KindsOfGroundFollowTheSlopeAndMeetAlongSmoothLines) {
  LoadedModel map("bin\\map2.Model", 10);
  const std::vector<int> group = Groups(map.mesh);
  ASSERT_EQ(map.mesh.groupCount, 4);
  const char* names[] = {"grass.jpg", "earth.jpg", "rock.jpg", "sand.jpg"};
  float steepest[4] = {}, gentlest[4] = {90, 90, 90, 90};
  for (uint32_t t = 0; t < map.mesh.triCount; ++t) {
    const float slope = std::acos(map.Normal(t).z) / kDegree;
    steepest[group[t]] = std::max(steepest[group[t]], slope);
    gentlest[group[t]] = std::min(gentlest[group[t]], slope);
  }
  for (int g = 0; g < 4; ++g) EXPECT_STREQ(map.mesh.texName[g].c_str(), names[g]);
  EXPECT_LT(steepest[0], 55.0f) << "grass on steep ground";
  EXPECT_GT(gentlest[2], 25.0f) << "rock on level ground";
  EXPECT_GT(map.mesh.groupTris[0] * 5, map.mesh.triCount * 2) << "grass the most";
  // Seen from above, a boundary between two kinds turns by more than 45
  // degrees at few of its corners; along triangle edges it would zigzag at
  // nearly all of them.
  std::map<uint32_t, std::vector<std::pair<uint32_t, int>>> boundary;
  for (const auto& [edge, tris] : Edges(map.mesh)) {
    const int a = group[tris[0]], b = group[tris.back()],
              kinds = std::min(a, b) * 4 + std::max(a, b);
    if (a == b) continue;
    boundary[edge.first].push_back({edge.second, kinds});
    boundary[edge.second].push_back({edge.first, kinds});
  }
  int corners = 0, sharp = 0;
  for (const auto& [v, next] : boundary) {
    if (next.size() != 2 || next[0].second != next[1].second) continue;
    const vec3 &p = map.mesh.pos[v], &a = map.mesh.pos[next[0].first],
               &b = map.mesh.pos[next[1].first];
    const vec3 in = normalize(vec3(p.x - a.x, p.y - a.y, 0)),
               out = normalize(vec3(b.x - p.x, b.y - p.y, 0));
    ++corners;
    sharp += dot(in, out) < std::cos(45 * kDegree);
  }
  EXPECT_GT(corners, 1000);
  EXPECT_LT(sharp * 20, corners) << sharp << " sharp corners of " << corners;
}

TEST(World, EveryHillsideCanBeCrossedAndTheMapEndsInTheSea) {
  LoadedModel map("bin\\map2.Model", 10);
  // A running character finds the ground again past a bend of up to ~40
  // degrees even at 13 frames a second; at a sharper one it stalls. At the
  // map's edge it must have sunk below the depth (-300) where it starts over.
  int shore = 0;
  for (const auto& [edge, tris] : Edges(map.mesh)) {
    ASSERT_LE(tris.size(), 2u) << "an edge shared by three triangles";
    const vec3& p = map.mesh.pos[edge.first];
    shore += tris.size() == 1;
    EXPECT_TRUE(tris.size() == 2 || p.z < -310) << p.x << "," << p.y;
    const float bend =
        tris.size() == 1 ? 0
                         : std::acos(std::min(1.0f, dot(map.Normal(tris[0]), map.Normal(tris[1]))));
    ASSERT_LE(bend, 40 * kDegree) << "a sharp bend at " << p.x << "," << p.y;
  }
  EXPECT_GT(shore, 300);
}

TEST(World, TreeStandsOnItsTrunkUnderAWideCrown) {
  const MeshBuild tree = BuildTree();  // the program doubles it
  ASSERT_EQ(tree.groups.size(), 2u);
  EXPECT_EQ(tree.groups[0].texture, "bark.jpg");
  float low[2] = {1e9f, 1e9f}, high[2] = {-1e9f, -1e9f}, reach[2] = {};
  for (int g = 0; g < 2; ++g)
    for (uint32_t i : tree.groups[g].tris) {
      low[g] = std::min(low[g], tree.pos[i].z);
      high[g] = std::max(high[g], tree.pos[i].z);
      reach[g] = std::max(reach[g], std::hypot(tree.pos[i].x, tree.pos[i].y));
    }
  EXPECT_TRUE(low[0] < -1 && low[0] > -4) << "the trunk is buried a little for uneven ground";
  EXPECT_GT(low[1], 8.0f) << "the crown starts above a character";
  EXPECT_TRUE(high[1] * 2 > 55 && high[1] * 2 < 90) << high[1];
  EXPECT_TRUE(reach[0] > 5 && reach[1] > 10) << "branches and a wide crown";
}

TEST(World, SeaBelowTheHorizonMeetsTheSkyInItsColour) {
  ASSERT_TRUE(EnsureGlslContext());
  BuiltArchiveScope scope;
  g_manager.init();
  g_sky.Init();
  SetUpCamera(64, 64);
  for (float yaw : {0.0f, 180.0f}) {  // toward the sun and away from it, level
    g_camera.angles = vec3(0, 0, yaw);
    g_camera.Update();
    CameraLoadMatrices(g_camera);
    g_sky.Draw();
    unsigned char rgb[64][64][3];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
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
