// Model::Silhouette and Model::DrawOutline.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

#include "geometry/model.h"
#include "render/feedback.h"
#include "support/gl_context.h"
#include "support/test_character.h"
#include "support/test_support.h"

namespace {
// The sums of the ends of the edges whose silhouette counter is 0.
std::vector<vec3> Marked(const TestBox& box) {
  std::vector<vec3> out;
  for (uint32_t k = 0; k < box.mesh.edgeCount; ++k)
    if (box.mesh.edgeFlags[k] == 0)
      out.push_back(box.model.verts[box.mesh.edges[2 * k]] +
                    box.model.verts[box.mesh.edges[2 * k + 1]]);
  return out;
}
}  // namespace

TEST(Outline, AClosedMeshIsOutlinedAlongItsContourSeenFromTheEyeInModelSpace) {
  LogCapture log;  // keeps the generators' lines out of the test output
  TestBox cube(vec3(), vec3(1, 1, 1));
  cube.mesh.BuildEdges();
  // Seen from +X only the +X side faces the eye: the other ten triangles
  // are selected and the contour is the border of the +X side.
  cube.model.Silhouette(vec3(100, 0.5f, 0.5f));
  EXPECT_EQ(cube.mesh.frontCount, 10u);
  ASSERT_EQ(Marked(cube).size(), 4u);
  for (const vec3& ends : Marked(cube)) EXPECT_EQ(ends.x, 2.0f);
  // The same cube moved to x = 50 and seen from world x = 0 shows its -X side.
  cube.model.position = vec3(50, 0, 0);
  cube.model.UpdateMatrix();
  cube.model.Silhouette(vec3(0, 0.5f, 0.5f));
  ASSERT_EQ(Marked(cube).size(), 4u);
  for (const vec3& ends : Marked(cube)) EXPECT_EQ(ends.x, 0.0f);
  // Without an edge table, or a mesh, nothing is marked.
  TestBox bare(vec3(), vec3(1, 1, 1));
  bare.mesh.frontCount = 7;
  bare.model.Silhouette(vec3(100, 0, 0));
  EXPECT_EQ(bare.mesh.frontCount, 0u);
}

TEST(Outline, QuadsArePushedOutAlongTheNormalsInWorldSpace) {
  ASSERT_TRUE(EnsureGlContext());
  LogCapture log;
  TestBox cube(vec3(), vec3(10, 10, 10));
  cube.mesh.BuildEdges();
  cube.model.position = vec3(20, 0, 0);
  cube.model.UpdateMatrix();
  cube.model.Silhouette(vec3(25, 5, 1000));  // from above: the top side's border
  std::vector<FedVertex> expected;
  for (uint32_t k = 0; k < cube.mesh.edgeCount; ++k)
    for (int end = 0; end < 2 && cube.mesh.edgeFlags[k] == 0; ++end)
      for (float width : {0.0f, 2.0f}) {
        const uint32_t v = cube.mesh.edges[2 * k + end];
        expected.push_back(
            {cube.model.world.transformPoint(cube.model.verts[v] + cube.model.normals[v] * width),
             -1});
      }
  ASSERT_EQ(expected.size(), 16u);
  glEnable(GL_LIGHTING);
  ExpectVertices(FeedbackPolygons([&] { cube.model.DrawOutline(2); }), expected);
  EXPECT_TRUE(!glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_CULL_FACE));
}
