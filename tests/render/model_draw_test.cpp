// Manager::DrawModel: culling, the groups drawn, the bound-texture cache and
// the fallback texture.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "render/feedback.h"
#include "render/frame.h"
#include "resources/manager.h"
#include "support/gl_context.h"
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
