// Model::Silhouette and Model::DrawOutline (render/outline.cpp).
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <vector>

#include "geometry/model.h"
#include "support/gl_context.h"
#include "support/test_support.h"

namespace {
// A model over its own mesh, outside the resource manager.
class OutlineTest : public testing::Test {
 protected:
  void SetUp() override {
    mesh_.Init();
    model_.Reset();
  }
  void TearDown() override {
    model_.Release();
    mesh_.Clear();
  }
  // The unit cube [0,1]^3, scaled, with its edge table.
  void Cube(float size) {
    mesh_.GenBox(0, 0, 0);
    mesh_.Scale(size, size, size);
    mesh_.BuildEdges();
    model_.Assign(&mesh_);
  }
  // Edges whose silhouette counter is 0.
  std::vector<uint32_t> Marked() const {
    std::vector<uint32_t> out;
    for (uint32_t k = 0; k < mesh_.edgeCount; ++k)
      if (mesh_.edgeFlags[k] == 0) out.push_back(k);
    return out;
  }
  vec3 End(uint32_t edge, int side) const { return model_.verts[mesh_.edges[2 * edge + side]]; }

  LogCapture log_;  // keeps the generators' lines out of the test output
  Mesh mesh_;
  Model model_;
};
}  // namespace

TEST_F(OutlineTest, ClosedMeshIsOutlinedAlongItsContourOnly) {
  Cube(1);
  model_.Silhouette(vec3(100, 0.5f, 0.5f));
  // Seen from +X only the +X side faces the eye: the other ten triangles
  // are selected and the contour is the border of the +X side.
  EXPECT_EQ(mesh_.frontCount, 10u);
  std::vector<uint32_t> marked = Marked();
  ASSERT_EQ(marked.size(), 4u);
  for (uint32_t k : marked) {
    EXPECT_EQ(End(k, 0).x, 1.0f);
    EXPECT_EQ(End(k, 1).x, 1.0f);
  }
  // Every other edge is shared by two selected triangles or by none.
  for (uint32_t k = 0; k < mesh_.edgeCount; ++k) {
    const int32_t count = mesh_.edgeFlags[k];
    EXPECT_TRUE(count == 0 || count == 1 || count == -1) << count;
  }

  // From a corner direction three sides face the eye: a six-edge contour.
  model_.Silhouette(vec3(50, 60, 70));
  EXPECT_EQ(mesh_.frontCount, 6u);
  EXPECT_EQ(Marked().size(), 6u);

  // The eye is taken into model space: the same cube moved to x = 50 and
  // seen from world x = 0 shows its -X side.
  model_.position = vec3(50, 0, 0);
  model_.UpdateMatrix();
  model_.Silhouette(vec3(0, 0.5f, 0.5f));
  marked = Marked();
  ASSERT_EQ(marked.size(), 4u);
  for (uint32_t k : marked) EXPECT_EQ(End(k, 0).x + End(k, 1).x, 0.0f);
}

TEST_F(OutlineTest, OpenBorderOfASelectedTriangleIsOutlined) {
  ASSERT_TRUE(mesh_.resizeV(3, true));
  mesh_.pos[0] = vec3(0, 0, 0);
  mesh_.pos[1] = vec3(0, 1, 0);
  mesh_.pos[2] = vec3(1, 0, 0);
  ASSERT_TRUE(mesh_.resizeF(1, true));
  for (uint32_t i = 0; i < 3; ++i) mesh_.tris[i] = i;
  mesh_.BuildEdges();
  model_.Assign(&mesh_);
  vec3 n;
  n.triangleNormal(mesh_.pos[0], mesh_.pos[1], mesh_.pos[2]);

  model_.Silhouette(vec3(0.2f, 0.2f, 0) - n * 5);  // the normal points away from the eye
  EXPECT_EQ(mesh_.frontCount, 1u);
  EXPECT_EQ(Marked().size(), 3u);
  model_.Silhouette(vec3(0.2f, 0.2f, 0) + n * 5);
  EXPECT_EQ(mesh_.frontCount, 0u);
  EXPECT_TRUE(Marked().empty());
  // An eye in the triangle's plane doesn't select it (the test is strict).
  model_.Silhouette(vec3(5, 5, 0));
  EXPECT_EQ(mesh_.frontCount, 0u);
}

TEST_F(OutlineTest, MeshWithoutEdgesMarksNothing) {
  mesh_.GenBox(0, 0, 0);
  model_.Assign(&mesh_);
  mesh_.frontCount = 7;
  model_.Silhouette(vec3(100, 0, 0));
  EXPECT_EQ(mesh_.frontCount, 0u);
  Model empty;
  empty.Reset();
  empty.Silhouette(vec3(1, 2, 3));  // no mesh at all
}

TEST_F(OutlineTest, OutlineQuadsArePushedOutAlongTheNormalsInWorldSpace) {
  ASSERT_TRUE(EnsureGlContext());
  Cube(10);
  model_.position = vec3(20, 30, 0);
  model_.UpdateMatrix();
  model_.Silhouette(vec3(20 + 5, 30 + 5, 1000));  // from above: the top side's border
  const std::vector<uint32_t> marked = Marked();
  ASSERT_EQ(marked.size(), 4u);

  // Window coordinates equal world x, y: every fed-back vertex must be an
  // edge end or that end pushed out by the width along its normal.
  glViewport(0, 0, 64, 64);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 64, 0, 64, -100, 100);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnable(GL_LIGHTING);
  std::vector<GLfloat> feedback(4096);
  glFeedbackBuffer(static_cast<GLsizei>(feedback.size()), GL_3D, feedback.data());
  glRenderMode(GL_FEEDBACK);
  const float width = 2.0f;
  model_.DrawOutline(width);
  const GLint used = glRenderMode(GL_RENDER);
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  ASSERT_GT(used, 0);

  std::vector<vec3> expected;
  for (uint32_t k : marked)
    for (int side = 0; side < 2; ++side) {
      const uint32_t v = mesh_.edges[2 * k + side];
      expected.push_back(model_.world.transformPoint(model_.verts[v]));
      expected.push_back(model_.world.transformPoint(model_.verts[v] + model_.normals[v] * width));
    }
  std::vector<bool> seen(expected.size(), false);
  int vertices = 0;
  for (GLint i = 0; i < used;) {
    ASSERT_EQ(feedback[i], static_cast<GLfloat>(GL_POLYGON_TOKEN));
    const int count = static_cast<int>(feedback[i + 1]);
    i += 2;
    for (int c = 0; c < count; ++c, i += 3, ++vertices) {
      bool found = false;
      for (size_t e = 0; e < expected.size(); ++e)
        if (std::fabs(expected[e].x - feedback[i]) < 1e-3f &&
            std::fabs(expected[e].y - feedback[i + 1]) < 1e-3f) {
          found = true;
          seen[e] = true;
        }
      EXPECT_TRUE(found) << feedback[i] << "," << feedback[i + 1];
    }
  }
  EXPECT_GE(vertices, 16);
  for (size_t e = 0; e < expected.size(); ++e) EXPECT_TRUE(seen[e]) << e;
}
