#include "environment/cloud.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "resources/manager.h"
#include "support/gl_context.h"
#include "support/test_support.h"
#include "support/vec_expect.h"

namespace {
class CloudTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureGlContext());
    g_manager.init();
    g_cloud.Init(5);
    g_cloud.Place();
    ASSERT_NE(g_cloud.model.mesh, nullptr);
    mesh_ = g_cloud.model.mesh;
  }
  void TearDown() override { g_manager.Unload(); }

  std::vector<vec3> Copy(const vec3* v) const { return std::vector<vec3>(v, v + mesh_->vertCount); }

  ScratchDir dir_;
  Mesh* mesh_ = nullptr;
};
}  // namespace

TEST_F(CloudTest, PlacedAsAFlatEllipsoidThatDrawsItsRestShapeUntilTheFirstKeyframe) {
  const Model& model = g_cloud.model;
  EXPECT_EQ(g_cloud.cellCount, 125);
  EXPECT_EQ(g_cloud.scale, 10.0f);
  EXPECT_TRUE(g_cloud.animate);
  EXPECT_EQ(g_cloud.invInterval, 1.0f);
  EXPECT_GE(g_cloud.phase, 0.0f);
  EXPECT_LT(g_cloud.phase, 100.0f);
  EXPECT_EQ(mesh_->vertCount, 98u * 101 + 200);  // 100 x 100 sphere
  EXPECT_EQ(model.vertexCount, mesh_->vertCount);
  EXPECT_GT(mesh_->edgeCount, 0u);
  ExpectNear(model.worldCenter, vec3(-100, 300, 500), 1.0f);
  EXPECT_NEAR(model.radius, std::sqrt(300.0f * 300 * 2 + 100 * 100), 1.0f);

  // Frames before the first keyframe, even a late one that extrapolates,
  // draw the rest shape and nothing undefined.
  for (uint32_t t : {16u, 150u, 200u}) {
    g_cloud.Animate(g_cloud.lastTime + t);
    for (uint32_t v = 0; v < mesh_->vertCount; ++v)
      ASSERT_EQ(model.verts[v].x, mesh_->pos[v].x) << v;
  }
  float zMax = 0;
  for (uint32_t v = 0; v < mesh_->vertCount; ++v) zMax = std::fmax(zMax, model.verts[v].z);
  EXPECT_NEAR(zMax, 100.0f, 0.01f);
}

TEST_F(CloudTest, KeyframesInterpolateAndLateFramesExtrapolate) {
  const Model& model = g_cloud.model;
  const float phase = g_cloud.phase;
  const uint32_t start = g_cloud.lastTime + 250;
  g_cloud.Animate(start);  // 250 ms after set-up: the first keyframe
  EXPECT_EQ(g_cloud.lastTime, start);
  EXPECT_FLOAT_EQ(g_cloud.invInterval, 1.0f / 250);
  EXPECT_FLOAT_EQ(g_cloud.phase, phase + 250 * 0.00005f);

  const std::vector<vec3> previous = Copy(mesh_->extraA), target = Copy(mesh_->norm);
  float moved = 0;
  for (uint32_t v = 0; v < mesh_->vertCount; ++v) {
    ASSERT_EQ(previous[v].x, mesh_->pos[v].x);  // the rest shape
    const vec3 d = target[v] - mesh_->pos[v];
    ASSERT_LE(std::fabs(d.x), 120.0f);  // noise amplitude scale * 12
    ASSERT_LE(std::fabs(d.y), 120.0f);
    ASSERT_LE(std::fabs(d.z), 120.0f);
    moved = std::fmax(moved, length(d));
  }
  EXPECT_GT(moved, 10.0f);

  // Two frames 16 ms apart move the shape 16/250 of the way each.
  g_cloud.Animate(start + 16);
  const std::vector<vec3> first = Copy(model.verts);
  g_cloud.Animate(start + 32);
  for (uint32_t v = 0; v < mesh_->vertCount; v += 97) {
    ExpectNear(first[v], previous[v] + (target[v] - previous[v]) * (16.0f / 250), 1e-3f);
    ExpectNear(model.verts[v] - first[v], (target[v] - previous[v]) * (16.0f / 250), 1e-3f);
    EXPECT_NEAR(length(model.normals[v]), 1.0f, 1e-4f);
  }
  EXPECT_EQ(g_cloud.lastTime, start);  // no keyframe within 200 ms

  // 300 ms late: the shape overshoots to 1.2 of the way, then a new keyframe
  // starts from the old target.
  g_cloud.Animate(start + 300);
  for (uint32_t v = 0; v < mesh_->vertCount; v += 97) {
    ExpectNear(model.verts[v], previous[v] + (target[v] - previous[v]) * 1.2f, 1e-2f);
    ASSERT_EQ(mesh_->extraA[v].x, target[v].x);
  }
  EXPECT_EQ(g_cloud.lastTime, start + 300);
  EXPECT_FLOAT_EQ(g_cloud.invInterval, 1.0f / 300);
}

TEST_F(CloudTest, FrozenCloudKeepsItsShapeAndResumesWithANewKeyframe) {
  g_cloud.Animate(g_cloud.lastTime + 250);
  g_cloud.Animate(g_cloud.lastTime + 100);
  const std::vector<vec3> shape = Copy(g_cloud.model.verts);
  const uint32_t last = g_cloud.lastTime;
  const float phase = g_cloud.phase;

  g_cloud.animate = false;
  for (uint32_t t : {150u, 400u, 5000u}) g_cloud.Animate(last + t);
  for (uint32_t v = 0; v < mesh_->vertCount; ++v) ASSERT_EQ(g_cloud.model.verts[v].x, shape[v].x);
  EXPECT_EQ(g_cloud.lastTime, last);
  EXPECT_EQ(g_cloud.phase, phase);

  g_cloud.animate = true;
  g_cloud.Animate(last + 5000);
  EXPECT_EQ(g_cloud.lastTime, last + 5000);
  EXPECT_FLOAT_EQ(g_cloud.invInterval, 1.0f / 5000);
}
