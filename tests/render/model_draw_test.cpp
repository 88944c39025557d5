// Manager::DrawModel (culling, the groups drawn, the bound-texture cache, the fallback
// texture), Model::Silhouette and Model::DrawOutline.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

#include "render/feedback.h"
#include "render/frame.h"
#include "resources/manager.h"
#include "support/gl_context.h"
#include "support/test_character.h"
#include "support/test_support.h"

TEST(ModelDraw, CullsByTheFrameFrustumDrawsTheSharedGroupsAndFallsBackToTheCheckerboard) {
  ASSERT_TRUE(EnsureGlContext());
  ScratchDir dir;
  Manager manager;
  manager.init();
  Model model;
  model.Reset();
  const uint16_t slot = manager.CreateMesh();  // may move the table
  Mesh& m = manager.meshes[slot];
  m.GenBox(0, 0, 0);
  m.resizeT(3, true);  // three groups of four triangles on texture 0
  for (uint16_t g = 0; g < 3; ++g) m.groupTex[g] = 0, m.groupTris[g] = 4;
  manager.RegisterModel(&model);
  model.Assign(&m);
  // A camera at the origin looking along +X (eye space looks down -Z);
  // 100 units ahead is drawn, 100 behind is culled.
  mat4 projection;
  projection.perspective(60, 64, 64, 0.1f, 5000);
  const float v[16] = {0, 0, -1, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1};
  extractFrustum(projection, mat4(v), g_frustum);
  for (float x : {100.0f, -100.0f}) {
    model.position = vec3(x, 0, 0);
    model.UpdateMatrix();
    EXPECT_EQ(manager.DrawModel(&model, true, false), x > 0);
  }
  EXPECT_TRUE(manager.DrawModel(&model, false, false));
  // Only the groups both the model and its mesh have are drawn.
  glDisable(GL_CULL_FACE);
  model.position = vec3(20, 0, 0);
  model.UpdateMatrix();
  for (uint16_t groups : {0, 2, 3}) {
    model.groupCount = groups;
    EXPECT_EQ(FeedbackPolygons([&] { manager.DrawModel(&model, false, false); }).size(),
              4u * groups);
  }
  // A name never loaded or past the registered range binds the checkerboard;
  // a name the cache holds is not bound again.
  const uint32_t checker = manager.textures[0].glId;
  for (uint32_t name : {0u, 4000u, 1u}) {
    model.texId[0] = name;
    manager.boundTex = name == 1 ? 1 : 999;
    glBindTexture(GL_TEXTURE_2D, checker + 7);
    ASSERT_TRUE(manager.DrawModel(&model, false, true));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<uint32_t>(bound), name == 1 ? checker + 7 : checker) << name;
    EXPECT_EQ(manager.boundTex, name == 1 ? 1 : checker);
  }
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY) || glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  manager.Unload();
}

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
