// Character set-up over the small world, and the sphere file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/trace.h"
#include "gl/extensions.h"
#include "resources/manager.h"
#include "support/byte_builder.h"
#include "support/gl_context.h"
#include "support/small_world.h"
#include "support/test_character.h"
#include "support/test_support.h"

TEST(PlayerSetup, FourCharactersFromTheTableCharacterThreeControlledWithItsLineFile) {
  TempDir dir(true);
  ASSERT_TRUE(WriteSmallWorld("brookfield.core") && EnsureGlslContext());
  CSpline line;  // a loose KT.Line, read before the archive (which has none)
  ASSERT_TRUE(line.Resize(1, -1) && line.Resize(0, 2));
  line.local[0][1] = vec3(0, 0, 1);
  line.bone[0] = 3;
  ASSERT_TRUE(line.Save("KT.Line"));
  g_manager.init();
  g_map.Reset();
  g_map.radius = 100;
  LogCapture log;
  CreateCharacters();
  ASSERT_TRUE(g_players && g_characterCount == 4 && g_current == 3);
  std::string trace;
  WriteTraceFields(&trace);
  EXPECT_NE(trace.find(",\"current\":3,\"players\":[{\"position\":"), std::string::npos) << trace;
  EXPECT_NE(trace.find(",\"strands\":[{\"bone\":3,\"color\":[0,0,0],\"selected\":false,"
                       "\"points\":[[0,0,0],[0,0,1]]}]"),
            std::string::npos);
  const float speeds[kClipKinds] = {10, 15, 10, 10, 15, 15, 10, 10, 10, 20};
  const char* const skins[4] = {"ZL.jpg", "WN.jpg", "MV.jpg", "KT.jpg"};
  const uint8_t colours[4][5][3] = {
      {{160, 220, 248}, {32, 152, 212}, {188, 29, 119}, {110, 169, 211}, {32, 152, 212}},
      {{252, 245, 175}, {242, 182, 208}, {35, 175, 166}, {233, 207, 110}, {219, 131, 169}},
      {{254, 193, 102}, {254, 247, 167}, {106, 204, 85}, {255, 124, 68}, {243, 223, 102}},
      {{242, 184, 206}, {248, 113, 171}, {153, 220, 247}, {226, 129, 170}, {218, 80, 155}}};
  for (int i = 0; i < 4; ++i) {
    const SPlayer& p = g_players[i];
    SCOPED_TRACE(i);
    ASSERT_TRUE(p.body.animCount == kClipKinds && p.clipLand == 4 && p.clipFlyFast == 9);
    for (int c = 0; c < kClipKinds; ++c) EXPECT_EQ(p.body.anims[c]->speed, speeds[c]) << c;
    EXPECT_STREQ(g_manager.animName[p.body.animIds[0]].c_str(),
                 i == 3 ? "bin\\stand_s.Anim" : "bin\\stand.Anim");
    EXPECT_STREQ(p.ClipName(), "JumpAir");
    EXPECT_TRUE(p.index == i && !p.grounded && p.mode == (i == 3) && p.line.style == (i == 3));
    EXPECT_TRUE(p.neck2Bone == 2 && p.rightEyeBone == 4 && p.leftEyeBone == 5);
    EXPECT_TRUE(p.sphereCount == 2 && p.spheres[1].bone == 3u);  // the head
    EXPECT_EQ(p.ballData[3], i == 1 ? 0.4f : 0.6f);
    EXPECT_STREQ(p.body.texName[0].c_str(), skins[i]);
    for (const uint8_t* c = colours[i][0]; c < colours[i][5]; c += 3)
      EXPECT_EQ(p.colors[(c - colours[i][0]) / 3], vec3(c[0], c[1], c[2]) * 0.003921569f);
    // The eyelid: the eye's sphere cut to the triangles with all corners at y <= 0.01.
    const Mesh &eye = *p.eye.mesh, &lid = *p.eyelid.mesh;
    EXPECT_TRUE(lid.triCount > eye.triCount / 3 && lid.triCount < eye.triCount * 2 / 3);
    for (uint32_t t = 0; t < 3 * lid.triCount; ++t) EXPECT_LE(lid.pos[lid.tris[t]].y, 0.01f);
    // In the air over the middle of the map, each at its own place.
    EXPECT_LE(std::max(std::abs(p.body.position.x), std::abs(p.body.position.y)), 40.0f);
    EXPECT_TRUE(p.body.position.z >= -80.0f && p.body.position.z < 320.0f);
    for (int j = 0; j < i; ++j) EXPECT_NE(p.body.position, g_players[j].body.position);
  }
  EXPECT_TRUE(log.Contains("start init Player") && log.Contains("Loaded sph.col"));
  EXPECT_FALSE(log.Contains("can't found bone") || log.Contains("WARNING::SPlayer::"));
  g_manager.Unload();
  ReleaseCharacters();
  g_map.Reset();
}

TEST_F(CharacterTest, SphereFileReadsWhatItHoldsAndWarnsAboutWhatIsMissingOrUnusable) {
  ScratchDir dir;
  std::filesystem::create_directory("bin");
  TestCrew crew(1);  // a body of six bones
  SPlayer& p = crew.players[0];
  {
    LogCapture log;
    EXPECT_FALSE(p.LoadSpheres("bin\\sph.col"));
    EXPECT_TRUE(log.Contains("WARNING::Can't load sph.col") && !log.Contains("Loaded"));
  }
  // `held` records on bone numbers `bone`, `bone` + 1, ... (the bone + 1).
  auto file = [](uint32_t listed, int held, int bone) {
    ByteBuilder b;
    b.U32(listed);
    for (int i = 0; i < held; ++i, b.U16(bone + i - 1))
      for (float f : {1.0f + i, 2.0f, 3.0f, 0.1f, 0.2f, 0.3f, 4.0f, 5.0f, 6.0f}) b.F32(f);
    return b.bytes;
  };
  std::vector<uint8_t> cut = file(2, 2, 1);
  cut.resize(cut.size() - 5);  // the second record is cut short
  const struct {
    std::vector<uint8_t> file;
    int count;
    bool warned;
  } cases[] = {
      {file(3, 3, 1), 3, false}, {file(0x10002, 2, 1), 2, false},  // low 16 bits only
      {file(9, 2, 1), 2, true},  {cut, 1, true},                   // fewer than listed
      {file(0, 0, 1), 0, true},  {std::vector<uint8_t>(42), 0, true},
      {{1, 0}, 0, true},                                    // none
      {file(1, 1, 0), 1, true},  {file(2, 2, 6), 2, true},  // on no bone; on bones 5 and 6
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file.size());
    ASSERT_TRUE(dir.Write("bin/sph.col", c.file));
    LogCapture log;
    ASSERT_TRUE(p.LoadSpheres("bin\\sph.col"));
    p.CheckSpheres("bin\\sph.col");
    ASSERT_EQ(p.sphereCount, c.count);
    EXPECT_EQ(log.lines.size(), c.warned ? 2u : 1u);
    EXPECT_TRUE(log.Contains("Loaded sph.col"));
    EXPECT_EQ(log.Contains("WARNING::SPlayer::[bin\\sph.col]"), c.warned);
  }
  const SpherePlacement& last = p.spheres[1];  // the bone stored as the file's number - 1
  EXPECT_TRUE(last.position == vec3(2, 2, 3) && last.rotation == vec3(0.1f, 0.2f, 0.3f) &&
              last.scale == vec3(4, 5, 6) && last.bone == 6u);
}
