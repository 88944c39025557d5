// The archive as a whole: every name the program opens, each file whole in the program's
// own readers, the same bytes on every build.
#include "content.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <sstream>

#include "geometry/anim.h"
#include "geometry/em7.h"
#include "image/jpeg.h"
#include "support/content_archive.h"
#include "support/test_support.h"

namespace {
TEST(Content, ArchiveHoldsEveryOpenedNameAndEachFileLoadsWhole) {
  std::set<std::string> names;
  for (const ArchiveEntry& e : BuiltEntries()) EXPECT_TRUE(names.insert(e.name).second) << e.name;
  std::istringstream fixed(
      "bin\\map2.Model bin\\tree_map.Model bin\\tree.Model bin\\pegasus.Model bin\\earthling.Model "
      "bin\\stand.Anim bin\\stand_s.Anim bin\\hwalk.Anim bin\\run.Anim bin\\jump_air.Anim "
      "bin\\jump_airf.Anim bin\\jump_land.Anim bin\\fly.Anim bin\\ffly.Anim bin\\Lturn.Anim "
      "bin\\Rturn.Anim bin\\sph.col sky.vs sky.ps eye.vs eye.ps");
  for (std::string n; fixed >> n;) EXPECT_TRUE(names.count(n)) << n;
  for (const std::string c : {"ZL", "WN", "MV", "KT"}) {
    const std::string l = {char(c[0] | 32), char(c[1] | 32)};
    for (const std::string& n : {c + ".jpg", "eye_" + l + ".jpg", "eyel_" + l + ".jpg",
                                 l + "_trail.jpg", c + ".Line", "snd\\" + l + "_jump.mp3"})
      EXPECT_TRUE(names.count(n)) << n;
  }
  // Each model, clip and picture loads whole in the program's own readers.
  BuiltArchiveScope scope;
  const std::set<std::string> ground = {"grass.jpg", "earth.jpg", "rock.jpg", "sand.jpg"};
  const auto jpeg = std::make_unique<JpegDecoder>();
  int loaded = 0;
  for (const ArchiveEntry& e : BuiltEntries()) {
    const std::vector<uint8_t>& d = e.data;
    const std::string ext = e.name.substr(e.name.rfind('.') + 1);
    Mesh mesh;
    CAnim clip;
    mesh.Init();
    loaded += ext == "Model" || ext == "Anim" || ext == "jpg";
    EXPECT_TRUE(ext != "Model" || LoadEM7(mesh, e.name.c_str())) << e.name;
    EXPECT_TRUE(ext != "Anim" || LoadClip(clip, e.name.c_str())) << e.name;
    for (uint16_t g = 0; g < mesh.groupCount; ++g)
      EXPECT_TRUE(names.count(mesh.texName[g].c_str()));
    mesh.Clear();
    clip.Clear();
    EXPECT_TRUE(ext != "mp3" || (d.size() > 2 && d[0] == 0xFF && d[1] >= 0xE0)) << e.name;
    if (ext != "jpg") continue;
    ASSERT_TRUE(DecodeJpeg(*jpeg, d.data(), d.size()) && !jpeg->incomplete) << e.name;
    const int w = jpeg->width, h = jpeg->height;  // powers of two, the ground fine up close
    EXPECT_TRUE((w & (w - 1)) == 0 && (h & (h - 1)) == 0 &&
                (!ground.count(e.name) || (w >= 512 && h >= 512)))
        << e.name;
  }
  EXPECT_EQ(loaded, 5 + 11 + 22);
}

TEST(Content, TwoBuildsWriteTheSameBytes) {
  TempDir dir;
  ASSERT_EQ(RunCommand(BinaryPath("tools/content/qhcontent") + " " + dir.path() +
                       " " QH_SOURCE_DIR "/tools/content/shaders > /dev/null"),
            0);
  for (const std::string name : {"brookfield.core", kMusicFile}) {
    std::vector<uint8_t> fresh, built;  // under 4 MB; the music half a minute at 112 kbit/s
    ASSERT_TRUE(ReadWholeFile(dir.File(name), &fresh) &&
                ReadWholeFile(QH_BINARY_DIR "/run/" + name, &built));
    EXPECT_TRUE(fresh == built && built.size() < (4u << 20) && built.size() > 30u * 14000) << name;
  }
}
}  // namespace
