#include "resources/manager.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <string>

#include "core/growth.h"
#include "core/notice.h"
#include "geometry/em7.h"
#include "support/gl_context.h"
#include "support/test_support.h"

namespace {
// A textured box with three groups; with `bones`, a one-bone skeleton.
void WriteBoxModel(const char* path, const char* texture, bool bones) {
  Mesh m;
  m.Init();
  m.GenBox(0, 0, 0);
  m.resizeT(3, true);
  for (uint16_t g = 0; g < 3; ++g) {
    m.texName[g].assign(texture);
    m.groupTex[g] = g;
    m.groupTris[g] = 4;
  }
  if (bones) {
    m.resizeB(1, true);
    m.boneName[0].assign("root");
    m.boneParent[0] = -1;
  }
  ASSERT_TRUE(SaveEM7(m, path));
  m.Clear();
}

void WriteClip(const char* path) {
  CAnim clip;
  clip.frames = 10;
  clip.boneCount = 1;
  ASSERT_TRUE(ResizeArray(clip.tracks, 1, "test", __LINE__, "WriteClip"));
  clip.tracks[0] = AnimTrack();
  ASSERT_TRUE(ResizeObjects(clip.trackName, 0, 1, "test", __LINE__, "WriteClip"));
  clip.trackName[0].assign("root");
  ASSERT_TRUE(SaveClip(clip, path));
  clip.Clear();
}

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
  Model models_[3];  // outlive the manager's registry
  Manager manager_;
};
}  // namespace

TEST_F(ManagerTest, FallbackSlots) {
  ASSERT_EQ(manager_.meshCount, 1);
  EXPECT_STREQ(manager_.meshName[0].c_str(), "ERROR");
  EXPECT_EQ(manager_.meshes[0].vertCount, 24u);
  EXPECT_EQ(manager_.meshes[0].triCount, 12u);
  ASSERT_EQ(manager_.texCount, 1);
  EXPECT_STREQ(manager_.textures[0].texFile.c_str(), "CheckerBoard.gen");
  EXPECT_NE(manager_.textures[0].glId, 0u);
  EXPECT_EQ(manager_.textures[0].filter, 0u);
  ASSERT_EQ(manager_.animCount, 1);
  EXPECT_EQ(manager_.anims[0].frames, 0u);
  EXPECT_FLOAT_EQ(manager_.anims[0].speed, 10.0f);
  // The cube spans 0..10 and is not centred.
  EXPECT_FLOAT_EQ(manager_.meshes[0].pos[manager_.meshes[0].vertCount - 1].x, 10.0f);
}

TEST_F(ManagerTest, MeshesLoadOnceAndFailedSlotsAreReused) {
  WriteBoxModel("box.Model", "none.jpg", false);
  LogCapture capture;
  const uint16_t a = manager_.LoadMesh("box.Model");
  EXPECT_EQ(a, 1);
  EXPECT_EQ(manager_.LoadMesh("box.Model"), a);
  EXPECT_TRUE(capture.Contains("MM::loaded mesh [box.Model] [m1]::(v:24 f:12 b:0 t:3)"));
  EXPECT_TRUE(capture.Contains("MM::used mesh [box.Model] [m1]"));

  EXPECT_EQ(manager_.LoadMesh("missing.Model"), 0);
  EXPECT_EQ(manager_.meshCount, 3);
  EXPECT_EQ(manager_.meshFree[2], 1);
  EXPECT_EQ(manager_.CreateMesh(), 2);  // the failed slot comes back
  EXPECT_EQ(manager_.meshFree[2], 0);
}

TEST_F(ManagerTest, ModelsAreRegisteredOnceAndFollowTheMeshTable) {
  WriteBoxModel("box.Model", "none.jpg", false);
  Model& model = models_[0];
  LogCapture capture;
  EXPECT_EQ(manager_.LoadModel("box.Model", &model), 1);
  EXPECT_EQ(model.slot, 0);
  manager_.RegisterModel(&model);
  EXPECT_EQ(manager_.modelCount, 1);
  EXPECT_TRUE(capture.Contains("MM::model registred as [0] mmd=0"));
  EXPECT_TRUE(capture.Contains("MM::model already registred [0] mmd=1"));
  // Grow the mesh table until it moves: the model follows.
  for (int i = 0; i < 50; ++i) manager_.CreateMesh();
  EXPECT_EQ(model.mesh, &manager_.meshes[1]);

  Model& missing = models_[1];
  EXPECT_EQ(manager_.LoadModel("nothing.Model", &missing), 0);
  EXPECT_EQ(missing.mesh, &manager_.meshes[0]);  // the "ERROR" cube
  EXPECT_STREQ(NoticeAt(NoticeCount() - 1).text,
               "model fell back to the ERROR cube: nothing.Model");
  Model& generated = models_[2];
  const uint16_t g = manager_.GenerateModel("cloud.gen", &generated);
  EXPECT_STREQ(manager_.meshName[g].c_str(), "cloud.gen");
  EXPECT_NEAR(generated.radius, 86.6f, 0.1f);  // a centred cube of side 100
}

TEST_F(ManagerTest, TexturesFallBackToTheCheckerboard) {
  const uint32_t checker = manager_.textures[0].glId;
  LogCapture capture;
  EXPECT_EQ(manager_.LoadTex("picture.png", GL_REPEAT, 10, 1), checker);
  EXPECT_TRUE(capture.Contains("ERROR::MM::can't load [picture.png]"));
  EXPECT_EQ(manager_.texCount, 1);
  // ".jpg" is tested first, so this is read (and missed) as a JPEG.
  EXPECT_EQ(manager_.LoadTex("a.jpg.tga", GL_REPEAT, 10, 1), checker);
  EXPECT_TRUE(capture.Contains("ERROR::Jpg::file not found [a.jpg.tga]"));
  EXPECT_EQ(manager_.texCount, 1);
  manager_.RegisterTex("Comic Sans MS", 0);
  EXPECT_EQ(manager_.texCount, 2);
  EXPECT_TRUE(capture.Contains("MM::register texture [Comic Sans MS] [t0]"));
}

TEST_F(ManagerTest, ClipsNeedBonesAndAreNotShared) {
  WriteBoxModel("plain.Model", "none.jpg", false);
  WriteBoxModel("boned.Model", "none.jpg", true);
  WriteClip("stand.Anim");
  Model &plain = models_[0], &a = models_[1], &b = models_[2];
  manager_.LoadModel("plain.Model", &plain);
  EXPECT_EQ(manager_.SetAnim("stand.Anim", &plain), 0);
  EXPECT_EQ(manager_.animCount, 1);  // no slot was created

  manager_.LoadModel("boned.Model", &a);
  manager_.LoadModel("boned.Model", &b);
  const uint16_t sa = manager_.SetAnim("stand.Anim", &a);
  const uint16_t sb = manager_.SetAnim("stand.Anim", &b);
  EXPECT_NE(sa, 0);
  EXPECT_NE(sb, 0);
  EXPECT_NE(sa, sb);
  ASSERT_EQ(a.animCount, 1);
  EXPECT_EQ(a.anims[0], &manager_.anims[sa]);
  // Growing the clip table re-points the attached clips.
  for (int i = 0; i < 40; ++i) manager_.CreateAnim();
  EXPECT_EQ(a.anims[0], &manager_.anims[sa]);
  EXPECT_EQ(b.anims[0], &manager_.anims[sb]);
  EXPECT_EQ(manager_.SetAnim("missing.Anim", &a), 0);
  EXPECT_EQ(a.animCount, 1);
}

TEST_F(ManagerTest, UnloadReleasesEverythingInOrder) {
  WriteBoxModel("box.Model", "none.jpg", false);
  Model& model = models_[0];
  manager_.LoadModel("box.Model", &model);
  LogCapture capture;
  manager_.Unload();
  const std::vector<std::string> expected = {"MM::Unload Begin()",
                                             "MM::Mesh0:[ERROR]",
                                             "MM::Mesh1:[box.Model]",
                                             "MM::Tex0:[CheckerBoard.gen]",
                                             "MM::Model0",
                                             "MM::Anim0:[]",
                                             "MM::Unload End()"};
  EXPECT_EQ(capture.lines, expected);
  EXPECT_EQ(manager_.meshCount, 0);
  EXPECT_EQ(model.verts, nullptr);
}

// Every growth on the way fails in turn, until the call gets through: the
// tables keep their records and the registered models keep pointing into
// them.
TEST_F(ManagerTest, FailedGrowthLeavesTheTablesConsistent) {
  WriteBoxModel("boned.Model", "none.jpg", true);
  WriteClip("stand.Anim");
  Model &a = models_[0], &generated = models_[1];
  ASSERT_EQ(manager_.LoadModel("boned.Model", &a), 1);
  ASSERT_NE(manager_.SetAnim("stand.Anim", &a), 0);
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
    const uint16_t s = manager_.SetAnim("stand.Anim", &a);
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
