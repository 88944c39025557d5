// Character set-up: the sphere file (with its mend), the eyelid cut, and
// SPlayer::Init over the small world's stand-in characters.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "environment/terrain.h"
#include "game/player.h"
#include "gl/extensions.h"
#include "resources/manager.h"
#include "support/byte_builder.h"
#include "support/gl_context.h"
#include "support/small_world.h"
#include "support/test_support.h"

namespace {
// A sphere file listing `listed` placements and holding `held` of them.
std::vector<uint8_t> SphereFile(uint32_t listed, int held) {
  ByteBuilder b;
  b.U32(listed);
  for (int i = 0; i < held; ++i) {
    b.F32(1.0f + i).F32(2).F32(3);
    b.F32(0.1f).F32(0.2f).F32(0.3f);
    b.F32(4).F32(5).F32(6);
    b.U16(static_cast<uint32_t>(i + 1));
  }
  return b.bytes;
}

struct SphereCase {
  std::vector<uint8_t> file;
  int expected;
  bool warned;
};
}  // namespace

TEST(PlayerSetup, SphereFileReadsOnlyTheRecordsItHolds) {
  ScratchDir dir;
  std::filesystem::create_directory("bin");
  {
    LogCapture log;
    SPlayer p;
    p.LoadSpheres("bin\\sph.col");
    EXPECT_EQ(p.sphereCount, 0);
    EXPECT_TRUE(log.Contains("WARNING::Can't load sph.col"));
    EXPECT_FALSE(log.Contains("Loaded sph.col"));
  }
  std::vector<uint8_t> cut = SphereFile(2, 2);
  cut.resize(cut.size() - 5);  // the second record is cut short
  const SphereCase cases[] = {
      {SphereFile(3, 3), 3, false},
      {SphereFile(0, 0), 0, false},
      {SphereFile(9, 2), 2, true},
      {cut, 1, true},
      {{1, 0}, 0, false},                  // not even a count
      {SphereFile(0x10002, 2), 2, false},  // only the low 16 bits count
  };
  for (const SphereCase& c : cases) {
    ASSERT_TRUE(dir.Write("bin/sph.col", c.file));
    LogCapture log;
    SPlayer p;
    p.LoadSpheres("bin\\sph.col");
    ASSERT_EQ(p.sphereCount, c.expected) << c.file.size();
    EXPECT_EQ(log.Contains("WARNING::SPlayer::[bin\\sph.col] lists"), c.warned) << c.file.size();
    EXPECT_TRUE(log.Contains("Loaded sph.col"));
    for (int i = 0; i < c.expected; ++i) {
      EXPECT_EQ(p.spheres[i].position, vec3(1.0f + i, 2, 3));
      EXPECT_EQ(p.spheres[i].rotation, vec3(0.1f, 0.2f, 0.3f));
      EXPECT_EQ(p.spheres[i].scale, vec3(4, 5, 6));
      EXPECT_EQ(p.spheres[i].bone, static_cast<uint32_t>(i));  // stored as bone + 1
    }
  }
}

TEST(PlayerSetup, TheEyelidKeepsExactlyTheLowerHalfOfTheSphere) {
  Mesh m;
  m.Init();
  m.GenSphere(30, 30);
  m.ReNormal();
  auto below = [&m](uint32_t t) {
    const uint32_t* c = m.tris + 3 * t;
    return m.pos[c[0]].y <= 0.01f && m.pos[c[1]].y <= 0.01f && m.pos[c[2]].y <= 0.01f;
  };
  std::vector<std::array<uint32_t, 3>> kept;
  for (uint32_t t = 0; t < m.triCount; ++t)
    if (below(t)) kept.push_back({m.tris[3 * t], m.tris[3 * t + 1], m.tris[3 * t + 2]});
  ASSERT_GT(kept.size(), 100u);
  ASSERT_LT(kept.size(), m.triCount);
  CutToLowerHalf(m);
  ASSERT_EQ(m.triCount, kept.size());
  EXPECT_EQ(m.groupTris[0], m.triCount);
  std::vector<std::array<uint32_t, 3>> after;
  for (uint32_t t = 0; t < m.triCount; ++t) {
    EXPECT_TRUE(below(t));
    after.push_back({m.tris[3 * t], m.tris[3 * t + 1], m.tris[3 * t + 2]});
    vec3 n;
    n.triangleNormal(m.pos[after.back()[0]], m.pos[after.back()[1]], m.pos[after.back()[2]]);
    EXPECT_EQ(n, m.triNorm[t]);  // each normal moved with its triangle
  }
  std::sort(kept.begin(), kept.end());
  std::sort(after.begin(), after.end());
  EXPECT_EQ(after, kept);
  m.Clear();
}

TEST(PlayerSetup, InitSetsUpTheFourCharactersFromTheTable) {
  TempDir dir(true);
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
  ASSERT_TRUE(EnsureGlContext());
  ASSERT_TRUE(InitGLSL());
  g_manager.init();
  g_map.Reset();
  g_map.radius = 100;
  {
    LogCapture log;
    SPlayer players[4];
    for (int i = 0; i < 4; ++i) players[i].Init(i);
    for (int i = 0; i < 4; ++i) {
      const SPlayer& p = players[i];
      SCOPED_TRACE(i);
      EXPECT_EQ(p.index, i);
      ASSERT_EQ(p.body.animCount, kClipKinds);
      const int fields[kClipKinds] = {p.clipStand, p.clipWalk,   p.clipJumpAir,   p.clipJumpAirFast,
                                      p.clipLand,  p.clipRun,    p.clipTurnRight, p.clipTurnLeft,
                                      p.clipFly,   p.clipFlyFast};
      const float speeds[kClipKinds] = {10, 15, 10, 10, 15, 15, 10, 10, 10, 20};
      for (int c = 0; c < kClipKinds; ++c) {
        EXPECT_EQ(fields[c], c);
        EXPECT_EQ(p.body.anims[c]->speed, speeds[c]) << c;
      }
      EXPECT_STREQ(g_manager.animName[p.body.animIds[0]].c_str(),
                   i == 3 ? "bin\\stand_s.Anim" : "bin\\stand.Anim");
      EXPECT_STREQ(p.ClipName(), "JumpAir");
      EXPECT_FALSE(p.grounded);
      EXPECT_EQ(p.mode, kModeFollow);
      EXPECT_EQ(p.up, vec3(0, 0, 1));
      EXPECT_GE(p.neck2Bone, 0);
      EXPECT_GE(p.rightEyeBone, 0);
      EXPECT_GE(p.leftEyeBone, 0);
      EXPECT_NEAR(p.body.radius, 2.3585f, 1e-3f);
      ASSERT_EQ(p.sphereCount, 2);
      EXPECT_EQ(p.spheres[1].bone, 3u);  // the head
      EXPECT_EQ(p.ballData[3], i == 1 ? 0.4f : 0.6f);
      EXPECT_NE(p.locBallData, -1);
      const char* const skins[4] = {"ZL.jpg", "WN.jpg", "MV.jpg", "KT.jpg"};
      EXPECT_STREQ(p.body.texName[0].c_str(), skins[i]);
      // Every eyelid corner lies in the lower half.
      for (uint32_t t = 0; t < p.eyelid.mesh->triCount; ++t)
        EXPECT_LE(p.eyelid.mesh->pos[p.eyelid.mesh->tris[3 * t]].y, 0.01f);
      EXPECT_GT(p.eye.mesh->triCount, p.eyelid.mesh->triCount);
      // Somewhere in the air over the middle of the map.
      EXPECT_LE(std::abs(p.body.position.x), 40.0f);
      EXPECT_LE(std::abs(p.body.position.y), 40.0f);
      EXPECT_GE(p.body.position.z, -80.0f);
      EXPECT_LT(p.body.position.z, 320.0f);
      for (int j = 0; j < i; ++j) EXPECT_NE(p.body.position, players[j].body.position);
    }
    EXPECT_NEAR(players[0].colors[2].x, 188 / 255.0f, 1e-6f);
    EXPECT_NEAR(players[3].colors[3].z, 170 / 255.0f, 1e-6f);
    EXPECT_TRUE(log.Contains("start init Player"));
    EXPECT_TRUE(log.Contains("Loaded sph.col"));
    EXPECT_FALSE(log.Contains("can't found bone"));
    g_manager.Unload();
  }
  g_map.Reset();
}
