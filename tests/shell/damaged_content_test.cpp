// The generated content damaged the ways files get damaged (cut short, bit rot, emptied, zeroed,
// absurd header counts): the program runs on, logs which file it gave up on and falls back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "storage/archive_writer.h"
#include "support/content_archive.h"
#include "support/test_support.h"

namespace {
enum How { kCut, kFlip, kEmpty, kZero, kMax };
// {file, how, at}: kCut keeps `at` bytes, kFlip flips byte `at`, kZero zeroes from `at`. All but
// sph.col (read as far as it is usable) are refused. "bark.tga" is the tree's loose bark.
using Damage = std::tuple<const char*, How, size_t>;

void Apply(std::vector<uint8_t>& d, How how, size_t at, const std::string& name) {
  if (how == kCut || how == kEmpty) d.resize(how == kCut ? std::min(at, d.size()) : 0);
  if (how == kFlip) d.at(at) ^= 0x81;
  if (how == kZero) std::fill(d.begin() + static_cast<long>(std::min(at, d.size())), d.end(), 0);
  if (how != kMax) return;
  size_t from = 0, n = 2;  // the header fields that count what follows (.col: placements)
  if (name.find(".Model") != name.npos) from = 3, n = 13;  // V, P, B, G, S
  if (name.find(".Anim") != name.npos) from = 2, n = 5;    // frames, tracks
  if (name.find(".Line") != name.npos) from = 3, n = 4;    // strands, first points
  if (name.find(".tga") != name.npos) from = 12, n = 4;    // width, height
  for (size_t i = 0; name.find(".jpg") != name.npos && i + 9 < d.size(); ++i)
    if (d[i] == 0xFF && d[i + 1] == 0xC0) from = i + 5, n = 4;  // the frame's height, width
  std::fill_n(d.begin() + static_cast<long>(from), n, 0xFF);
}

// clang-format off
const std::vector<Damage> kRuns[] = {
    {{"bin\\pegasus.Model", kCut, 4000}, {"bin\\run.Anim", kCut, 40}, {"KT.jpg", kCut, 120},
     {"bark.tga", kCut, 30}, {"KT.Line", kCut, 100}, {"bin\\sph.col", kCut, 3}},
    {{"bin\\earthling.Model", kFlip, 6}, {"bin\\stand.Anim", kFlip, 0}, {"MV.jpg", kFlip, 1},
     {"bark.tga", kFlip, 2}, {"MV.Line", kFlip, 0}, {"bin\\sph.col", kZero, 4}},
    {{"bin\\map2.Model", kZero, 0}, {"bin\\hwalk.Anim", kEmpty, 0}, {"ZL.jpg", kEmpty, 0},
     {"bark.tga", kEmpty, 0}, {"ZL.Line", kZero, 0}, {"bin\\sph.col", kEmpty, 0}},
    {{"bin\\tree.Model", kMax, 0}, {"bin\\fly.Anim", kMax, 0}, {"WN.jpg", kMax, 0},
     {"WN.Line", kMax, 0}, {"bin\\sph.col", kMax, 0}},
    {{"bark.tga", kMax, 0}},
    {{"eye.ps", kCut, 200}},  // a shader that can't be built stops the program, saying so
};
// clang-format on

class DamagedContent : public testing::TestWithParam<std::vector<Damage>> {};

TEST_P(DamagedContent, IsLoggedByNameAndFallenBackFrom) {
  std::vector<ArchiveEntry> entries = BuiltEntries();
  ASSERT_FALSE(entries.empty());
  TempDir dir(true);
  std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 4, 0, 24, 0};
  tga.resize(18 + 4 * 4 * 3, 0x80);  // a 4 x 4 true-colour TGA
  for (const auto& [file, how, at] : GetParam()) {
    if (!std::strcmp(file, "bark.tga")) Apply(tga, how, at, file);
    for (ArchiveEntry& e : entries)
      if (e.name == file) Apply(e.data, how, at, file);
  }
  for (ArchiveEntry& e : entries) {  // the bark becomes the loose TGA (same name length)
    auto at = std::search(e.data.begin(), e.data.end(), "bark.jpg", "bark.jpg" + 8);
    if (e.name == "bin\\tree.Model" && at != e.data.end()) std::copy_n("bark.tga", 8, at);
  }
  ASSERT_TRUE(WriteWholeFile("brookfield.core", BuildArchive(entries)));
  ASSERT_TRUE(WriteWholeFile("bark.tga", tga));
  std::string out, log, line;
  const std::string env = "SDL_AUDIODRIVER=dummy HOME=$PWD XDG_STATE_HOME=$PWD ";
  const std::string args = " --windowed --size 160x120 --frames 30 --fixed-dt 0.02 2>&1";
  ASSERT_EQ(
      RunCommand(env + "ASAN_OPTIONS=detect_leaks=0 " + BinaryPath("quietharbour") + args, &out), 0)
      << out;
  EXPECT_TRUE(out.find("Sanitizer") == out.npos && out.find("runtime error") == out.npos) << out;
  ASSERT_EQ(RunCommand(BinaryPath("qhtool") + " log dump.mem", &log), 0);
  for (const auto& [file, how, at] : GetParam()) {
    bool named = false, loaded = false;
    for (std::istringstream in(log); std::getline(in, line);) {
      if (line.find(file) == line.npos) continue;
      named |= line.find("WARNING::") != line.npos || line.find("ERROR::") != line.npos;
      loaded |= line.find("oaded ") != line.npos;
    }
    EXPECT_TRUE(named) << file << "\n" << log;
    EXPECT_FALSE(loaded && std::strcmp(file, "bin\\sph.col")) << file << "\n" << log;
  }
  EXPECT_TRUE(std::strcmp(std::get<0>(GetParam()[0]), "eye.ps") ||
              out.find("Seriously") != out.npos);
}

INSTANTIATE_TEST_SUITE_P(Runs, DamagedContent, testing::ValuesIn(kRuns));
}  // namespace
