// The generated archive as a whole: every name the program opens, each file
// accepted by the program's loaders and by `qhtool info`, and the same bytes
// on every build.
#include "content.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "geometry/anim.h"
#include "geometry/em7.h"
#include "storage/core.h"
#include "support/content_archive.h"
#include "support/test_support.h"

namespace {
const char* const kRequired[] = {"bin\\map2.Model",
                                 "bin\\tree_map.Model",
                                 "bin\\tree.Model",
                                 "bin\\pegasus.Model",
                                 "bin\\earthling.Model",
                                 "bin\\stand.Anim",
                                 "bin\\stand_s.Anim",
                                 "bin\\hwalk.Anim",
                                 "bin\\run.Anim",
                                 "bin\\jump_air.Anim",
                                 "bin\\jump_airf.Anim",
                                 "bin\\jump_land.Anim",
                                 "bin\\fly.Anim",
                                 "bin\\ffly.Anim",
                                 "bin\\Lturn.Anim",
                                 "bin\\Rturn.Anim",
                                 "ZL.jpg",
                                 "WN.jpg",
                                 "MV.jpg",
                                 "KT.jpg",
                                 "eye_zl.jpg",
                                 "eye_wn.jpg",
                                 "eye_mv.jpg",
                                 "eye_kt.jpg",
                                 "eyel_zl.jpg",
                                 "eyel_wn.jpg",
                                 "eyel_mv.jpg",
                                 "eyel_kt.jpg",
                                 "zl_trail.jpg",
                                 "wn_trail.jpg",
                                 "mv_trail.jpg",
                                 "kt_trail.jpg",
                                 "bin\\sph.col",
                                 "ZL.Line",
                                 "WN.Line",
                                 "MV.Line",
                                 "KT.Line",
                                 "snd\\kt_jump.mp3",
                                 "snd\\mv_jump.mp3",
                                 "snd\\wn_jump.mp3",
                                 "snd\\zl_jump.mp3",
                                 "sky.vs",
                                 "sky.ps",
                                 "eye.vs",
                                 "eye.ps"};

bool EndsWith(const std::string& s, const char* tail) {
  const size_t n = std::strlen(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

TEST(Content, ArchiveHoldsEveryNameTheProgramOpensAndTheTexturesTheModelsName) {
  const std::vector<ArchiveEntry>& entries = BuiltEntries();
  ASSERT_FALSE(entries.empty()) << "no archive at " << BuiltArchivePath();
  std::set<std::string> names;
  for (const ArchiveEntry& e : entries) EXPECT_TRUE(names.insert(e.name).second) << e.name;
  for (const char* name : kRequired) EXPECT_TRUE(names.count(name)) << name;

  BuiltArchiveScope scope;
  for (const ArchiveEntry& e : entries) {
    if (!EndsWith(e.name, ".Model")) continue;
    Mesh mesh;
    mesh.Init();
    ASSERT_TRUE(LoadEM7(mesh, e.name.c_str())) << e.name;
    for (uint16_t g = 0; g < mesh.groupCount; ++g)
      EXPECT_TRUE(names.count(mesh.texName[g].c_str()))
          << e.name << " names " << mesh.texName[g].c_str();
    mesh.Clear();
  }
}

TEST(Content, EveryModelAndClipLoadsAndPassesQhtoolInfo) {
  ASSERT_FALSE(BuiltEntries().empty());
  BuiltArchiveScope scope;
  int models = 0, clips = 0;
  for (const ArchiveEntry& e : BuiltEntries()) {
    const bool model = EndsWith(e.name, ".Model"), clip = EndsWith(e.name, ".Anim");
    if (!model && !clip) continue;
    if (clip) {
      CAnim anim;
      EXPECT_TRUE(LoadClip(anim, e.name.c_str())) << e.name;
      anim.Clear();
      ++clips;
    } else {
      ++models;
    }
    ASSERT_TRUE(WriteWholeFile("entry.bin", e.data));
    std::string out;
    EXPECT_EQ(RunCommand(BinaryPath("qhtool") + " info entry.bin 2>&1", &out), 0) << e.name << out;
    EXPECT_EQ(out.rfind(model ? "EM7 " : "ANIM version=2", 0), 0u) << e.name << out;
  }
  EXPECT_EQ(models, 5);
  EXPECT_EQ(clips, 11);
}

TEST(Content, TexturesAreBaselineJpegsOfPowerOfTwoSize) {
  int count = 0;
  for (const ArchiveEntry& e : BuiltEntries()) {
    if (!EndsWith(e.name, ".jpg")) continue;
    ++count;
    const std::vector<uint8_t>& d = e.data;
    ASSERT_GT(d.size(), 4u);
    EXPECT_TRUE(d[0] == 0xFF && d[1] == 0xD8) << e.name;
    // Find the frame header: baseline (SOF0) only, and its size.
    size_t at = 2;
    bool found = false;
    while (at + 9 < d.size() && d[at] == 0xFF) {
      const int marker = d[at + 1], length = d[at + 2] << 8 | d[at + 3];
      if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xCC) {
        EXPECT_EQ(marker, 0xC0) << e.name;
        const int h = d[at + 5] << 8 | d[at + 6], w = d[at + 7] << 8 | d[at + 8];
        EXPECT_TRUE(w > 0 && (w & (w - 1)) == 0 && h > 0 && (h & (h - 1)) == 0) << e.name;
        found = true;
        break;
      }
      at += 2 + length;
    }
    EXPECT_TRUE(found) << e.name;
  }
  EXPECT_EQ(count, 20);
}

TEST(Content, SoundsAreMp3FramesAndTheMusicLoopLastsHalfAMinute) {
  for (const ArchiveEntry& e : BuiltEntries()) {
    if (!EndsWith(e.name, ".mp3")) continue;
    ASSERT_GT(e.data.size(), 2u);
    EXPECT_EQ(e.data[0], 0xFF) << e.name;
    EXPECT_EQ(e.data[1] & 0xE0, 0xE0) << e.name;  // frame sync, no tag in front
  }
  std::vector<uint8_t> music;
  ASSERT_TRUE(ReadWholeFile(std::string(QH_BINARY_DIR) + "/run/" + kMusicFile, &music));
  // 112 kbit/s constant rate: 14000 bytes a second.
  EXPECT_GE(music.size(), 30u * 14000u);
}

TEST(Content, ShaderSourcesUseOnlyTheirFixedUniforms) {
  for (const ArchiveEntry& e : BuiltEntries()) {
    if (!EndsWith(e.name, ".vs") && !EndsWith(e.name, ".ps")) continue;
    const std::string text(e.data.begin(), e.data.end());
    EXPECT_EQ(text.rfind("#version 110", 0), 0u) << e.name;
    const bool sky = e.name.rfind("sky.", 0) == 0;
    size_t at = 0;
    while ((at = text.find("uniform ", at)) != std::string::npos) {
      const size_t end = text.find(';', at);
      const std::string decl = text.substr(at, end - at);
      at = end;
      if (decl.find("sampler2D") != std::string::npos) continue;  // texture unit 0, never set
      const char* const allowed[] = {"eyePos",   "sunPos",           "turbidity",
                                     "colorExp", "ModelViewInverse", "BallData"};
      bool ok = false;
      for (int i = sky ? 0 : 4; i < (sky ? 4 : 6); ++i)
        ok = ok || decl.compare(decl.size() - std::strlen(allowed[i]), std::string::npos,
                                allowed[i]) == 0;
      EXPECT_TRUE(ok) << e.name << ": " << decl;
    }
  }
}

TEST(Content, TwoBuildsWriteTheSameBytes) {
  TempDir dir;
  const std::string command = BinaryPath("tools/content/qhcontent") + " " + dir.path() + " " +
                              QH_SOURCE_DIR + "/tools/content/shaders > /dev/null";
  ASSERT_EQ(RunCommand(command), 0);
  for (const std::string name : {"brookfield.core", kMusicFile}) {
    std::vector<uint8_t> fresh, built;
    ASSERT_TRUE(ReadWholeFile(dir.File(name), &fresh));
    ASSERT_TRUE(ReadWholeFile(std::string(QH_BINARY_DIR) + "/run/" + name, &built));
    EXPECT_TRUE(fresh == built) << name;
  }
}

TEST(Content, BuilderRefusesAMissingShaderFolder) {
  TempDir dir;
  std::string out;
  const int status = RunCommand(
      BinaryPath("tools/content/qhcontent") + " " + dir.path() + " /nonexistent/shaders 2>&1",
      &out);
  EXPECT_NE(status, 0);
  EXPECT_NE(out.find("can't list"), std::string::npos) << out;
}
}  // namespace
