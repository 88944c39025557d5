#include "environment/cloud.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "resources/manager.h"
#include "support/gl_context.h"
#include "support/vec_expect.h"

TEST(Cloud, AFlatEllipsoidThatKeyframesInterpolatesAndExtrapolates) {
  ASSERT_TRUE(EnsureGlContext());
  g_manager.init(), g_cloud.Init(5), g_cloud.Place();
  const Model& model = g_cloud.model;
  ASSERT_NE(model.mesh, nullptr);
  const Mesh& mesh = *model.mesh;
  const uint32_t n = mesh.vertCount;
  auto copy = [n](const vec3* v) { return std::vector<vec3>(v, v + n); };
  EXPECT_TRUE(g_cloud.cellCount == 125 && g_cloud.scale == 10 && g_cloud.animate);
  EXPECT_EQ(n, 98u * 101 + 200);  // 100 x 100 sphere
  EXPECT_TRUE(model.vertexCount == n && mesh.edgeCount > 0);
  ExpectNear(model.worldCenter, vec3(-100, 300, 500), 1.0f);
  EXPECT_NEAR(model.radius, std::sqrt(300.0f * 300 * 2 + 100 * 100), 1.0f);

  // Frames before the first keyframe, even one that would extrapolate, draw the rest shape.
  const uint32_t set = g_cloud.lastTime;
  for (uint32_t t : {16u, 150u, 200u}) {  // no keyframe within 200 ms
    g_cloud.Animate(set + t);
    ASSERT_TRUE(copy(model.verts) == copy(mesh.pos) && g_cloud.lastTime == set) << t;
  }

  const float phase = g_cloud.phase;
  const uint32_t start = g_cloud.lastTime + 201;
  g_cloud.Animate(start);  // 201 ms after set-up: the first keyframe
  EXPECT_EQ(g_cloud.lastTime, start);
  EXPECT_FLOAT_EQ(g_cloud.phase, phase + 201 * 0.00005f);
  const std::vector<vec3> previous = copy(mesh.extraA), target = copy(mesh.norm);
  EXPECT_EQ(previous, copy(mesh.pos));  // from the rest shape
  for (uint32_t v = 0; v < n; ++v) {    // every vertex moves, within scale * 12 on each axis
    const vec3 d = target[v] - mesh.pos[v];
    ASSERT_GT(length(d), 0.0f) << v;
    ASSERT_LE(std::fmax(std::fabs(d.x), std::fmax(std::fabs(d.y), std::fabs(d.z))), 120.0f);
  }
  // A frame 32 ms later has moved the shape 32/201 of the way.
  g_cloud.Animate(start + 32);
  for (uint32_t v = 0; v < n; v += 97) {
    ExpectNear(model.verts[v], previous[v] + (target[v] - previous[v]) * (32.0f / 201), 1e-3f);
    EXPECT_NEAR(length(model.normals[v]), 1.0f, 1e-4f);
  }
  // 300 ms late: overshot to 300/201 of the way, then a new keyframe from the old target.
  g_cloud.Animate(start + 300);
  for (uint32_t v = 0; v < n; v += 97)
    ExpectNear(model.verts[v], previous[v] + (target[v] - previous[v]) * (300.0f / 201), 1e-2f);
  EXPECT_EQ(copy(mesh.extraA), target);
  EXPECT_TRUE(g_cloud.lastTime == start + 300 && g_cloud.invInterval == 1.0f / 300);
  g_manager.Unload();
}
