#include "resources/manager.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <string>

#include "core/growth.h"
#include "core/notice.h"
#include "support/gl_context.h"
#include "support/small_world.h"
#include "support/test_support.h"

namespace {
class ManagerTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureGlContext());
    for (Model& m : models_) m.Reset();
    manager_.init();
  }
  void TearDown() override {
    if (manager_.meshCount) manager_.Unload();
  }
  ScratchDir dir_;
  Model models_[5];  // outlive the manager's registry
  Manager manager_;
};
}  // namespace

TEST_F(ManagerTest, FallbackSlotsCheckerboardTexturesAndTheUnload) {
  ASSERT_EQ(manager_.meshCount + manager_.animCount, 2);
  // The cube spans 0..10 and is not centred.
  EXPECT_FLOAT_EQ(manager_.meshes[0].pos[manager_.meshes[0].vertCount - 1].x, 10.0f);
  EXPECT_FLOAT_EQ(manager_.anims[0].speed, 10.0f);
  const uint32_t checker = manager_.textures[0].glId;
  EXPECT_NE(checker, 0u);
  LogCapture capture;
  EXPECT_EQ(manager_.LoadTex("picture.png", GL_REPEAT, 10, 1), checker);
  // ".jpg" is tested first, so this is read (and missed) as a JPEG.
  EXPECT_EQ(manager_.LoadTex("a.jpg.tga", GL_REPEAT, 10, 1), checker);
  EXPECT_EQ(manager_.texCount, 1);
  manager_.RegisterTex("Comic Sans MS", 0);
  EXPECT_EQ(manager_.texCount, 2);
  manager_.Unload();
  EXPECT_EQ(manager_.meshCount, 0);
  EXPECT_EQ(
      capture.lines,
      (std::vector<std::string>{
          "ERROR::MM::can't load [picture.png]", "WARNING::file a.jpg.tga not in core",
          "ERROR::Jpg::file not found [a.jpg.tga]", "MM::register texture [Comic Sans MS] [t0]",
          "MM::Unload Begin()", "MM::Mesh0:[ERROR]", "MM::Tex0:[CheckerBoard.gen]",
          "MM::Tex1:[Comic Sans MS]", "MM::Anim0:[]", "MM::Unload End()"}));
}

TEST_F(ManagerTest, MeshesModelsAndClipsLoadOnceAndFollowTheirTables) {
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));  // a box tree, stand-in bodies and clips
  Model &model = models_[0], &missing = models_[1], &generated = models_[2];
  LogCapture capture;
  EXPECT_EQ(manager_.LoadModel("bin\\tree.Model", &model), 1);
  EXPECT_EQ(manager_.LoadMesh("bin\\tree.Model"), 1);
  EXPECT_EQ(model.slot, 0);
  manager_.RegisterModel(&model);
  EXPECT_EQ(manager_.modelCount, 1);
  for (const char* line :
       {"MM::loaded model [bin\\tree.Model] [m1]::(v:24 f:12 b:0 t:1)",
        "MM::used mesh [bin\\tree.Model] [m1]", "MM::model registred as [0] mmd=0",
        "MM::model already registred [0] mmd=1"})
    EXPECT_TRUE(capture.Contains(line)) << line;
  EXPECT_EQ(manager_.LoadModel("nothing.Model", &missing), 0);
  EXPECT_EQ(missing.mesh, &manager_.meshes[0]);  // the "ERROR" cube
  EXPECT_STREQ(NoticeAt(NoticeCount() - 1).text,
               "model fell back to the ERROR cube: nothing.Model");
  ASSERT_EQ(manager_.meshCount, 3);
  EXPECT_EQ(manager_.meshFree[2], 1);
  EXPECT_EQ(manager_.CreateMesh(), 2);  // the failed slot comes back
  EXPECT_EQ(manager_.meshFree[2], 0);
  // Grow the mesh table until it moves: the model follows.
  for (int i = 0; i < 50; ++i) manager_.CreateMesh();
  EXPECT_EQ(model.mesh, &manager_.meshes[1]);
  const uint16_t g = manager_.GenerateModel("cloud.gen", &generated);
  EXPECT_STREQ(manager_.meshName[g].c_str(), "cloud.gen");
  EXPECT_NEAR(generated.radius, 86.6f, 0.1f);  // a centred cube of side 100

  // Clips need bones and are not shared.
  Model &a = models_[3], &b = models_[4];
  EXPECT_EQ(manager_.SetAnim("bin\\stand.Anim", &model), 0);
  EXPECT_EQ(manager_.animCount, 1);  // no slot was created
  manager_.LoadModel("bin\\pegasus.Model", &a);
  manager_.LoadModel("bin\\pegasus.Model", &b);
  const uint16_t sa = manager_.SetAnim("bin\\stand.Anim", &a),
                 sb = manager_.SetAnim("bin\\stand.Anim", &b);
  EXPECT_EQ(sa, 1);
  EXPECT_EQ(sb, 2);
  ASSERT_EQ(a.animCount, 1);
  // Growing the clip table re-points the attached clips.
  for (int i = 0; i < 40; ++i) manager_.CreateAnim();
  EXPECT_EQ(a.anims[0], &manager_.anims[sa]);
  EXPECT_EQ(b.anims[0], &manager_.anims[sb]);
  EXPECT_EQ(manager_.SetAnim("bin\\missing.Anim", &a), 0);
  EXPECT_EQ(a.animCount, 1);
  manager_.Unload();
  EXPECT_EQ(model.verts, nullptr);
}

// Every growth on the way fails in turn, until the call gets through: the
// tables keep their records and the registered models keep pointing into
// them.
TEST_F(ManagerTest, FailedGrowthLeavesTheTablesConsistent) {
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
  Model &a = models_[0], &generated = models_[1];
  ASSERT_EQ(manager_.LoadModel("bin\\pegasus.Model", &a), 1);
  ASSERT_NE(manager_.SetAnim("bin\\stand.Anim", &a), 0);
  for (int k = 0;; ++k) {
    FailGrowthAfter(k);
    const uint16_t s = manager_.GenerateModel("cloud.gen", &generated);
    FailGrowthAfter(-1);
    EXPECT_EQ(a.mesh, &manager_.meshes[1]);
    EXPECT_FLOAT_EQ(manager_.meshes[0].pos[23].x, 10.0f);  // the fallback cube as it was
    if (s) break;
    EXPECT_EQ(manager_.meshCount, 2);
    EXPECT_TRUE(generated.mesh == nullptr || generated.mesh == &manager_.meshes[0]) << k;
  }
  for (int k = 0;; ++k) {
    FailGrowthAfter(k);
    const uint16_t s = manager_.SetAnim("bin\\run.Anim", &a);
    FailGrowthAfter(-1);
    for (uint16_t j = 0; j < a.animCount; ++j) EXPECT_EQ(a.anims[j], &manager_.anims[a.animIds[j]]);
    if (s) break;
    EXPECT_EQ(a.animCount, 1) << k;
  }
  EXPECT_EQ(a.animCount, 2);
  const uint32_t checker = manager_.textures[0].glId;
  FailGrowthAfter(0);
  EXPECT_EQ(manager_.LoadTex("a.jpg", GL_REPEAT, 10, 1), checker);
  FailGrowthAfter(0);
  manager_.RegisterTex("font", 7);
  EXPECT_EQ(manager_.texCount, 1);
  EXPECT_EQ(manager_.FindTex("font"), checker);

  Manager untextured;  // its texture table never came
  FailGrowthAfter(0);
  untextured.init();
  EXPECT_EQ(untextured.texCount, 0);
  untextured.BindTexture(3);
  EXPECT_EQ(untextured.boundTex, 0u);
  untextured.Unload();
}
