// Manager::DrawModel: culling, the bound-texture cache and the fallback texture.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "render/frame.h"
#include "resources/manager.h"
#include "support/gl_context.h"
#include "support/test_support.h"

namespace {
GLint BoundTexture() {
  GLint id = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &id);
  return id;
}

// A camera at the origin looking along +X (the world's forward).
void LookForward() {
  mat4 projection, view;
  projection.perspective(60, 64, 64, 0.1f, 5000);
  // Eye space looks down -Z: world +X becomes -Z, +Y becomes -X, +Z stays up.
  const float v[16] = {0, 0, -1, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1};
  view = mat4(v);
  extractFrustum(projection, view, g_frustum);
}

class ModelDrawTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureGlContext());
    manager_.init();
    model_.Reset();
    const uint16_t s = manager_.CreateMesh();
    Mesh& m = manager_.meshes[s];
    m.GenBox(0, 0, 0);
    m.resizeT(3, true);  // three groups of four triangles, one texture
    for (uint16_t g = 0; g < 3; ++g) {
      m.texName[g].assign("same.jpg");
      m.groupTex[g] = 0;
      m.groupTris[g] = 4;
    }
    manager_.RegisterModel(&model_);
    model_.Assign(&m);
  }
  void TearDown() override { manager_.Unload(); }
  ScratchDir dir_;
  Model model_;
  Manager manager_;
};
}  // namespace

TEST_F(ModelDrawTest, CachedBindsAreSkippedAndUnloadedTexturesFallBack) {
  const uint32_t checker = manager_.textures[0].glId;
  GLuint other = 0;
  glGenTextures(1, &other);
  model_.texId[0] = 0;  // never loaded: the default texture is bound
  manager_.boundTex = 999;
  ASSERT_TRUE(manager_.DrawModel(&model_, false, true));
  EXPECT_EQ(BoundTexture(), static_cast<GLint>(checker));
  EXPECT_EQ(manager_.boundTex, checker);

  // With the cache already naming the texture no group binds again.
  model_.texId[0] = other;
  manager_.boundTex = other;
  glBindTexture(GL_TEXTURE_2D, checker);
  ASSERT_TRUE(manager_.DrawModel(&model_, false, true));
  EXPECT_EQ(BoundTexture(), static_cast<GLint>(checker));

  // A name past the registered range falls back as well.
  model_.texId[0] = 4000;
  manager_.boundTex = 999;
  ASSERT_TRUE(manager_.DrawModel(&model_, false, true));
  EXPECT_EQ(manager_.boundTex, checker);
  glDeleteTextures(1, &other);
  // The client arrays are left disabled.
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
}

TEST_F(ModelDrawTest, CullingUsesTheFrameFrustum) {
  LookForward();
  model_.position = vec3(100, 0, 0);
  model_.UpdateMatrix();
  EXPECT_TRUE(manager_.DrawModel(&model_, true, false));
  model_.position = vec3(-100, 0, 0);  // behind the camera
  model_.UpdateMatrix();
  EXPECT_FALSE(manager_.DrawModel(&model_, true, false));
  EXPECT_TRUE(manager_.DrawModel(&model_, false, false));
  Model none;
  none.Reset();
  EXPECT_FALSE(manager_.DrawModel(&none, false, false));
}
