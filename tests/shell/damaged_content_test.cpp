// The generated content with entries damaged the ways files get damaged (cut
// short, bit rot, emptied, zeroed, absurd header counts): the program must
// run on, log which file it gave up on, and fall back instead of loading it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "storage/archive_writer.h"
#include "support/content_archive.h"
#include "support/test_support.h"

namespace {
enum How { kCut, kFlip, kEmpty, kZero, kMax };
struct Damage {
  const char* file;  // an archive entry, or the loose "bark.tga" the tree is given
  How how;
  size_t at;     // kCut: bytes kept; kFlip: the byte flipped; kZero: bytes kept before the zeros
  bool refused;  // the file is not loaded at all (sph.col is read as far as it is usable)
};
struct DamageRun {
  const char* name;
  std::vector<Damage> damage;
};
void PrintTo(const DamageRun& run, std::ostream* out) {
  *out << run.name;
}

// A 4 x 4 true-colour TGA, the tree's bark once it is renamed.
std::vector<uint8_t> SmallTga() {
  std::vector<uint8_t> t(18 + 4 * 4 * 3, 0x80);
  std::fill(t.begin(), t.begin() + 18, 0);
  t[2] = 2, t[12] = t[14] = 4, t[16] = 24;
  return t;
}

void Apply(std::vector<uint8_t>& d, How how, size_t at, const char* file) {
  if (how == kCut || how == kEmpty) d.resize(how == kCut ? std::min(at, d.size()) : 0);
  if (how == kFlip) d.at(at) ^= 0x81;
  if (how == kZero) std::fill(d.begin() + static_cast<long>(std::min(at, d.size())), d.end(), 0);
  if (how != kMax) return;
  const std::string name = file;
  size_t from = 0, n = 0;  // the header fields that count what follows
  if (name.find(".Model") != std::string::npos) from = 3, n = 13;  // V, P, B, G, S
  if (name.find(".Anim") != std::string::npos) from = 2, n = 5;    // frames, tracks
  if (name.find(".Line") != std::string::npos) from = 3, n = 4;    // strands, first points
  if (name.find(".col") != std::string::npos) from = 0, n = 2;     // placements
  if (name.find(".tga") != std::string::npos) from = 12, n = 4;    // width, height
  if (name.find(".jpg") != std::string::npos) {                    // the frame's height, width
    for (size_t i = 0; i + 9 < d.size(); ++i)
      if (d[i] == 0xFF && d[i + 1] == 0xC0) from = i + 5, n = 4;
  }
  std::fill(d.begin() + static_cast<long>(from), d.begin() + static_cast<long>(from + n), 0xFF);
}

const DamageRun kRuns[] = {
    {"cut",
     {{"bin\\pegasus.Model", kCut, 4000, true},
      {"bin\\run.Anim", kCut, 40, true},
      {"KT.jpg", kCut, 120, true},
      {"bark.tga", kCut, 30, true},
      {"KT.Line", kCut, 100, true},
      {"bin\\sph.col", kCut, 3, false}}},
    {"flipped",
     {{"bin\\earthling.Model", kFlip, 6, true},
      {"bin\\stand.Anim", kFlip, 0, true},
      {"MV.jpg", kFlip, 1, true},
      {"bark.tga", kFlip, 2, true},
      {"MV.Line", kFlip, 0, true},
      {"bin\\sph.col", kZero, 4, false}}},
    {"emptied-zeroed",
     {{"bin\\map2.Model", kZero, 0, true},
      {"bin\\hwalk.Anim", kEmpty, 0, true},
      {"ZL.jpg", kEmpty, 0, true},
      {"bark.tga", kEmpty, 0, true},
      {"ZL.Line", kZero, 0, true},
      {"bin\\sph.col", kEmpty, 0, false}}},
    {"max-counts",
     {{"bin\\tree.Model", kMax, 0, true},
      {"bin\\fly.Anim", kMax, 0, true},
      {"WN.jpg", kMax, 0, true},
      {"WN.Line", kMax, 0, true},
      {"bin\\sph.col", kMax, 0, false}}},
    {"max-tga", {{"bark.tga", kMax, 0, true}}},
    // A shader that can't be built stops the program with its message.
    {"shader", {{"eye.ps", kCut, 200, true}}},
};

class DamagedContent : public testing::TestWithParam<DamageRun> {};

TEST_P(DamagedContent, IsLoggedByNameAndFallenBackFrom) {
  const DamageRun& run = GetParam();
  std::vector<ArchiveEntry> entries = BuiltEntries();
  ASSERT_FALSE(entries.empty());
  TempDir dir(true);
  std::vector<uint8_t> tga = SmallTga();
  for (const Damage& d : run.damage) {
    if (!std::strcmp(d.file, "bark.tga")) Apply(tga, d.how, d.at, d.file);
    for (ArchiveEntry& e : entries)
      if (e.name == d.file) Apply(e.data, d.how, d.at, d.file);
  }
  // The tree's bark becomes a TGA (same name length), read as a loose file.
  for (ArchiveEntry& e : entries) {
    auto at = std::search(e.data.begin(), e.data.end(), "bark.jpg", "bark.jpg" + 8);
    if (e.name == "bin\\tree.Model" && at != e.data.end()) std::copy_n("bark.tga", 8, at);
  }
  ASSERT_TRUE(WriteWholeFile("brookfield.core", BuildArchive(entries)));
  ASSERT_TRUE(WriteWholeFile("bark.tga", tga));
  std::string out, log;
  ASSERT_EQ(RunCommand(
                "SDL_AUDIODRIVER=dummy HOME=$PWD XDG_STATE_HOME=$PWD ASAN_OPTIONS=detect_leaks=0 " +
                    BinaryPath("quietharbour") +
                    " --windowed --size 160x120 --frames 30 --fixed-dt 0.02 2>&1",
                &out),
            0)
      << out;
  EXPECT_EQ(out.find("Sanitizer"), std::string::npos) << out;
  EXPECT_EQ(out.find("runtime error"), std::string::npos) << out;
  ASSERT_EQ(RunCommand(BinaryPath("qhtool") + " log dump.mem", &log), 0);
  std::vector<std::string> problems, loaded;
  size_t from = 0;
  for (size_t end; (end = log.find('\n', from)) != std::string::npos; from = end + 1) {
    const std::string line = log.substr(from, end - from);
    if (line.find("WARNING::") != std::string::npos || line.find("ERROR::") != std::string::npos)
      problems.push_back(line);
    if (line.find("oaded ") != std::string::npos) loaded.push_back(line);
  }
  for (const Damage& d : run.damage) {
    const std::string name = d.file;
    auto names = [&](const std::string& l) { return l.find(name) != std::string::npos; };
    EXPECT_TRUE(std::any_of(problems.begin(), problems.end(), names)) << d.file << "\n" << log;
    if (d.refused) {
      EXPECT_FALSE(std::any_of(loaded.begin(), loaded.end(), names)) << d.file << "\n" << log;
    }
  }
  EXPECT_TRUE(std::strcmp(run.name, "shader") || out.find("Seriously") != std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(Runs, DamagedContent, testing::ValuesIn(kRuns),
                         [](const testing::TestParamInfo<DamageRun>& info) {
                           std::string n = info.param.name;
                           std::replace(n.begin(), n.end(), '-', '_');
                           return n;
                         });
}  // namespace
