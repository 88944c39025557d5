#include "storage/core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/scramble.h"
#include "storage/archive_writer.h"
#include "support/test_support.h"

namespace {
// An archive written straight from the layout, independently of the packer.
struct RawArchive {
  std::vector<uint8_t> bytes;
  void Int(int32_t v) {
    for (int i = 0; i < 4; ++i)
      bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
  }
  void Entry(const std::string& name, const std::string& data, bool scrambleData = false) {
    bytes.push_back(0x7F);
    std::string field = name + '\0';
    Scramble(&field[0], static_cast<int32_t>(field.size()));
    Int(static_cast<int32_t>(field.size()));
    bytes.insert(bytes.end(), field.begin(), field.end());
    std::string content = data;
    if (scrambleData) Scramble(&content[0], static_cast<int32_t>(content.size()));
    Int(static_cast<int32_t>(content.size()));
    bytes.insert(bytes.end(), content.begin(), content.end());
  }
  void Save() const { ASSERT_TRUE(WriteWholeFile("brookfield.core", bytes)); }
};

std::string ReadText(const char* name) {
  char* text = CoreReadText(name);
  const std::string s = text ? text : "(none)";
  delete[] text;
  return s;
}

// The first n bytes of the named file as opened, "(none)" when it isn't.
std::string ReadOpened(const char* name, size_t n) {
  FILE* f = CoreOpen(name, "rb", true);
  if (!f) return "(none)";
  std::string s(n, '\0');
  s.resize(std::fread(&s[0], 1, n, f));
  std::fclose(f);
  return s;
}
}  // namespace

TEST(CoreOpen, FindsEntriesByExactNameAndTheFirstOfTwo) {
  TempDir dir(true);
  RawArchive a;
  a.Entry("", "nameless");  // an empty name is an entry like any other
  a.Entry("bin\\a.Model", "first");
  a.Entry("bin\\b.Anim", "bee");
  a.Entry("bin\\a.Model", "second");
  a.Save();
  EXPECT_EQ(ReadOpened("bin\\a.Model", 5), "first");
  EXPECT_EQ(CWsize("bin\\b.Anim", "rb", true), 3);
  EXPECT_EQ(ReadOpened("bin\\b.Anim", 3), "bee");

  LogCapture capture;
  EXPECT_EQ(CoreOpen("bin\\A.Model", "rb", true), nullptr);  // case counts
  EXPECT_EQ(CoreOpen("bin/a.Model", "rb", true), nullptr);   // so does the separator
  EXPECT_EQ(CWsize("bin/a.Model", "rb", true), 0);
  EXPECT_TRUE(capture.Contains("WARNING::file bin\\A.Model not in core"));
  EXPECT_TRUE(capture.Contains("WARNING::file bin/a.Model not in core"));
  EXPECT_TRUE(capture.Contains("ERROR::CWsize::Seems it buggy bin/a.Model"));
}

TEST(CoreOpen, LooseFilesWinAndAnEmptyOrMissingArchiveHoldsNothing) {
  TempDir dir(true);
  RawArchive a;
  a.Entry("bin\\sph.col", "archived");
  a.Save();
  dir.Write("bin/sph.col", "loose!");
  EXPECT_EQ(ReadOpened("bin\\sph.col", 100), "loose!");
  EXPECT_EQ(CWsize("bin\\sph.col", "rb", true), 6);
  RawArchive().Save();
  LogCapture capture;
  EXPECT_EQ(CoreOpen("x", "rb", true), nullptr);
  EXPECT_EQ(CWsize("x", "rb", true), 0);
  EXPECT_EQ(CoreOpen("y", "rb", true), nullptr);  // the archive is named once
  EXPECT_EQ(capture.lines, (std::vector<std::string>{
                               "WARNING::core file brookfield.core holds no entries",
                               "WARNING::file x not in core", "ERROR::CWsize::Seems it buggy x",
                               "WARNING::file y not in core"}));
  std::remove("brookfield.core");
  EXPECT_EQ(CWsize("bin\\x", "rb", true), 0);  // in the size query only an error
  EXPECT_TRUE(capture.Contains("ERROR::file bin\\x not found"));
}

TEST(CoreOpenDeathTest, MissingArchiveEndsTheProgramWithExitCodeZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TempDir dir(true);
  EXPECT_EXIT(CoreOpen("bin\\map2.Model", "rb", true), testing::ExitedWithCode(0),
              "Seriously: can't open core file");
}

TEST(CoreOpen, DamagedArchivesEndTheScanAsNotFound) {
  const std::string target = "bin\\late";
  RawArchive negative, longName, hugeData, cutData, cutName;
  negative.bytes = longName.bytes = {1};
  negative.Int(-5);
  longName.Int(0x7FFFFFF0);
  for (RawArchive* a : {&hugeData, &cutData, &cutName}) a->Entry("x", "abc");
  hugeData.bytes[hugeData.bytes.size() - 7] = 0xFF;  // data size -> huge
  hugeData.bytes[hugeData.bytes.size() - 4] = 0x7F;
  cutData.bytes.resize(cutData.bytes.size() - 2);
  cutName.bytes.insert(cutName.bytes.end(), {1, 3});
  const struct {
    const char* what;
    const RawArchive& archive;
  } cases[] = {{"negative name length", negative},
               {"name length past the end", longName},
               {"data size past the end", hugeData},
               {"truncated data", cutData},
               {"truncated name length", cutName}};
  for (const auto& c : cases) {
    TempDir dir(true);
    c.archive.Save();
    LogCapture capture;
    EXPECT_EQ(CoreOpen(target.c_str(), "rb", true), nullptr) << c.what;
    EXPECT_EQ(CWsize(target.c_str(), "rb", true), 0) << c.what;
    EXPECT_TRUE(capture.Contains("WARNING::file bin\\late not in core")) << c.what;
  }
}

TEST(CoreReadText, UnscramblesArchivedAndLooseText) {
  TempDir dir(true);
  RawArchive a;
  a.Entry("sky.vs", "void main() {}", true);
  a.Entry("empty.ps", "", true);
  a.Save();
  EXPECT_EQ(ReadText("sky.vs"), "void main() {}");
  EXPECT_EQ(ReadText("empty.ps"), "");
  std::string loose = "uniform vec3 sunPos;";  // loose text files are scrambled too
  Scramble(&loose[0], static_cast<int32_t>(loose.size()));
  dir.Write("eye.ps", loose);
  EXPECT_EQ(ReadText("eye.ps"), "uniform vec3 sunPos;");
  LogCapture capture;
  EXPECT_EQ(CoreReadText("none.vs"), nullptr);
  EXPECT_TRUE(capture.Contains("WARNING::file not found [none.vs]"));
}

TEST(Archive, PackerOutputReadsBackHereAndTheOtherWayRound) {
  TempDir dir(true);
  const std::vector<ArchiveEntry> entries = {
      {"bin\\tree.Model", {1, 2, 3, 0, 4}}, {"sky.ps", {'a', 'b'}}, {"ZL.Line", {}}};
  const std::vector<uint8_t> image = BuildArchive(entries);
  ASSERT_TRUE(WriteWholeFile("brookfield.core", image));
  EXPECT_EQ(ReadOpened("bin\\tree.Model", 5), std::string("\1\2\3\0\4", 5));
  EXPECT_EQ(ReadText("sky.ps"), "ab");
  EXPECT_EQ(CWsize("ZL.Line", "rb", true), 0);

  // The independent writer's archive reads back through the packer's reader.
  RawArchive raw;
  raw.Entry("bin\\tree.Model", std::string("\1\2\3\0\4", 5));
  raw.Entry("sky.ps", "ab", true);
  raw.Entry("ZL.Line", "");
  std::vector<ArchiveEntry> back;
  std::string error;
  ASSERT_TRUE(ReadArchive(raw.bytes, &back, &error)) << error;
  ASSERT_EQ(back.size(), 3u);
  for (size_t i = 0; i < 3; ++i)
    EXPECT_TRUE(back[i].name == entries[i].name && back[i].data == entries[i].data) << i;
  // Same bytes but for the tag values, which readers ignore.
  ASSERT_EQ(raw.bytes.size(), image.size());
  std::vector<uint8_t> a = raw.bytes, b = image;
  for (size_t at :
       {size_t(0), size_t(1 + 4 + 15 + 4 + 5), size_t(1 + 4 + 15 + 4 + 5 + 1 + 4 + 7 + 4 + 2)}) {
    a[at] = 0;
    b[at] = 0;
  }
  EXPECT_EQ(a, b);
  EXPECT_FALSE(ReadArchive({1, 0xFF, 0xFF, 0xFF, 0xFF}, &back, &error));
}

TEST(CoreOpen, NameFieldsWithoutTheirZeroOrEmptyStillWalkOn) {
  TempDir dir(true);
  RawArchive a;
  auto rawEntry = [&a](std::string field, const std::string& data) {
    a.bytes.push_back(1);
    const int32_t n = static_cast<int32_t>(field.size());
    Scramble(&field[0], n);
    a.Int(n);
    a.bytes.insert(a.bytes.end(), field.begin(), field.end());
    a.Int(static_cast<int32_t>(data.size()));
    a.bytes.insert(a.bytes.end(), data.begin(), data.end());
  };
  a.Entry("bin\\abcdefgh", "long");  // leaves a longer name in the buffer
  rawEntry("bin\\abc", "unterminated");
  rawEntry("", "nameless");
  a.Entry("bin\\after", "found");
  a.Save();
  const struct {
    const char* name;
    int32_t size;
  } cases[] = {{"bin\\abc", 12}, {"bin\\ab", 0}, {"bin\\abcdefgh", 4}, {"bin\\after", 5}};
  for (const auto& c : cases) EXPECT_EQ(CWsize(c.name, "rb", true), c.size) << c.name;
  EXPECT_EQ(ReadOpened("bin\\abc", 12), "unterminated");
}
