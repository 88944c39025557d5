// qhtool pack / list / extract / log, run as a user would.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/scramble.h"
#include "storage/archive_writer.h"
#include "storage/core.h"
#include "support/test_support.h"

TEST(QhtoolArchive, PackListExtractRoundTrip) {
  TempDir dir(true);
  dir.Write("content/bin/tree.Model", std::string("\0\1\2", 3));
  dir.Write("content/sky.vs", "void main(){}");
  dir.Write("content/ZL.Line", "SH3");
  dir.Write("content/snd/kt_jump.mp3", "ID3");
  const std::string tool = BinaryPath("qhtool");
  ASSERT_EQ(RunCommand(tool + " pack brookfield.core content"), 0);

  std::string listing;
  ASSERT_EQ(RunCommand(tool + " list brookfield.core", &listing), 0);
  EXPECT_EQ(listing, "ZL.Line\t3\nbin\\tree.Model\t3\nsky.vs\t13\nsnd\\kt_jump.mp3\t3\n");

  // The program's reader finds the packed entries, text unscrambled.
  char* text = CoreReadText("sky.vs");
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "void main(){}");
  delete[] text;
  EXPECT_EQ(CWsize("snd\\kt_jump.mp3", "rb", true), 3);

  // The shader is stored scrambled inside the archive.
  std::vector<uint8_t> image;
  ASSERT_TRUE(ReadWholeFile("brookfield.core", &image));
  EXPECT_EQ(std::string(image.begin(), image.end()).find("void main"), std::string::npos);

  ASSERT_EQ(RunCommand(tool + " extract brookfield.core out"), 0);
  std::vector<uint8_t> back;
  ASSERT_TRUE(ReadWholeFile("out/sky.vs", &back));
  EXPECT_EQ(std::string(back.begin(), back.end()), "void main(){}");
  ASSERT_TRUE(ReadWholeFile("out/bin/tree.Model", &back));
  EXPECT_EQ(back.size(), 3u);
}

TEST(QhtoolArchive, RefusesDamagedArchivesAndEscapingNames) {
  TempDir dir(true);
  const std::string tool = BinaryPath("qhtool");
  ASSERT_TRUE(WriteWholeFile("bad.core", {1, 200, 0, 0, 0, 'x'}));
  std::string out;
  EXPECT_EQ(RunCommand(tool + " list bad.core 2>&1", &out), 1);
  EXPECT_NE(out.find("qhtool: bad.core: damaged name field"), std::string::npos) << out;

  ASSERT_TRUE(WriteWholeFile("evil.core", BuildArchive({{"..\\..\\evil", {'x'}}})));
  EXPECT_EQ(RunCommand(tool + " extract evil.core out 2>&1", &out), 1);
  EXPECT_NE(out.find("refusing entry name"), std::string::npos) << out;
  EXPECT_EQ(RunCommand(tool + " nosuchcommand 2>/dev/null"), 1);
  EXPECT_EQ(RunCommand(tool + " pack 2>/dev/null"), 1);
}

TEST(QhtoolLog, DecodesEveryLineEvenWithScrambledLineBreaks) {
  TempDir dir(true);
  // Lines built by hand: plain text scrambled with its length, then CR LF.
  std::vector<uint8_t> file;
  std::vector<std::string> plain;
  int withBreak = 0;
  uint32_t seed = 12345;
  for (int i = 0; withBreak < 5 && i < 1000000; ++i) {
    // Printable noise, so that any key byte can turn a pair into CR LF.
    char noise[21] = {};
    for (int k = 0; k < 1 + i % 20; ++k) {
      seed = seed * 1103515245u + 12345u;
      noise[k] = static_cast<char>(' ' + (seed >> 16) % 95);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%3i:%3i::line %s", i / 1000 % 1000, i % 1000, noise);
    std::string scrambled = text;
    Scramble(&scrambled[0], static_cast<int32_t>(scrambled.size()));
    const bool hasBreak = scrambled.find("\r\n") != std::string::npos;
    withBreak += hasBreak;
    if (hasBreak || i % 500 == 0) plain.push_back(text);
  }
  ASSERT_EQ(withBreak, 5);
  for (std::string line : plain) {
    Scramble(&line[0], static_cast<int32_t>(line.size()));
    file.insert(file.end(), line.begin(), line.end());
    file.push_back('\r');
    file.push_back('\n');
  }
  ASSERT_TRUE(WriteWholeFile("dump.mem", file));
  std::string out;
  ASSERT_EQ(RunCommand(BinaryPath("qhtool") + " log dump.mem", &out), 0);
  std::string expected;
  for (const std::string& line : plain) expected += line + "\n";
  EXPECT_EQ(out, expected);
}
