#include "core/log.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/log_decode.h"
#include "core/scramble.h"
#include "platform/clock.h"
#include "storage/archive_writer.h"
#include "support/test_support.h"

namespace {
// Virtual clocks for the scope, so the time fields are known.
struct VirtualClock {
  VirtualClock() { PlatformSetVirtualClock(0.001); }
  ~VirtualClock() { PlatformSetVirtualClock(0); }
};

std::string Unscrambled(const CLog& log, int i) {
  int n = 0;
  const char* text = log.line(i, &n);
  std::string s(text, static_cast<size_t>(n));
  Scramble(&s[0], n);
  return s;
}
}  // namespace

TEST(Log, LineFormatTimeFieldsAndPrefixes) {
  VirtualClock clock;
  TempDir dir;
  CLog log;
  ASSERT_TRUE(log.Open(dir.File("dump.mem").c_str()));
  PlatformSleep(15);
  log.Write(LOG_INFO, "hello %d", 7);
  PlatformSleep(2345);
  log.Write(LOG_WARNING, "w");
  log.Write(LOG_ERROR, "e");
  log.Write(LOG_FATAL, "f");
  log.Write(9, "unknown level");
  EXPECT_EQ(Unscrambled(log, 0), "  0: 15::hello 7");
  // Time since the previous line, not since start.
  EXPECT_EQ(Unscrambled(log, 1), "  2:345::WARNING::w");
  EXPECT_EQ(Unscrambled(log, 2), "  0:  0::ERROR::e");
  EXPECT_EQ(Unscrambled(log, 3), "  0:  0::FATAL::f");
  EXPECT_EQ(Unscrambled(log, 4), "  0:  0::unknown level");
  EXPECT_EQ(log.level(1), LOG_WARNING);
  log.Close();

  std::vector<uint8_t> file;
  ASSERT_TRUE(ReadWholeFile(dir.File("dump.mem"), &file));
  const std::vector<std::string> lines = DecodeLogLines(file);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "  0: 15::hello 7");
  EXPECT_EQ(lines[3], "  0:  0::FATAL::f");
}

TEST(Log, KeepsTheLast40LinesAndScramblingReseedsTheSharedState) {
  CLog log;  // no file: works in memory
  for (int i = 0; i < 41; ++i) log.Write(LOG_INFO, "line %d", i);
  EXPECT_EQ(log.count(), 40);
  auto text = [&log](int i) {
    const std::string s = Unscrambled(log, i);
    return s.substr(s.find("::") + 2);
  };
  EXPECT_EQ(text(0), "line 1");
  EXPECT_EQ(text(39), "line 40");
  int n = 0;
  log.line(39, &n);
  // The last scramble was seeded with the line's length.
  uint32_t expected = static_cast<uint32_t>(n);
  for (int i = 0; i < n; ++i) expected *= 16807u;
  EXPECT_EQ(g_randState, expected);
}

TEST(Log, WritesEveryByteOfALineWhoseScrambledFormHoldsAZero) {
  VirtualClock clock;
  TempDir dir;
  CLog log;
  ASSERT_TRUE(log.Open(dir.File("dump.mem").c_str()));
  // Find a message whose scrambled line contains a zero byte.
  std::string message;
  for (int i = 0; i < 100000 && message.empty(); ++i) {
    std::string candidate = "  0:  0::" + std::to_string(i);
    std::string scrambled = candidate;
    Scramble(&scrambled[0], static_cast<int32_t>(scrambled.size()));
    if (scrambled.find('\0') != std::string::npos) message = std::to_string(i);
  }
  ASSERT_FALSE(message.empty());
  log.Write(LOG_INFO, "%s", message.c_str());
  log.Close();
  std::vector<uint8_t> file;
  ASSERT_TRUE(ReadWholeFile(dir.File("dump.mem"), &file));
  EXPECT_EQ(file.size(), 9 + message.size() + 2);
  EXPECT_EQ(DecodeLogLines(file).at(0), "  0:  0::" + message);
}

TEST(Log, OverlongMessagesAreCutNotOverflowed) {
  CLog log;
  const std::string huge(10000, 'x');
  LogCapture capture;
  log.Write(LOG_ERROR, "%s%s", huge.c_str(), huge.c_str());
  int n = 0;
  log.line(0, &n);
  EXPECT_EQ(n, CLog::kLineSize - 1);
  const std::string text = Unscrambled(log, 0);
  EXPECT_EQ(text.substr(text.find("::") + 2, 12), "ERROR::xxxxx");
}

TEST(Log, TheSinkSeesPlainLines) {
  LogCapture capture;
  Log(LOG_WARNING, "file %s not in core", "x");
  ASSERT_EQ(capture.lines.size(), 1u);
  EXPECT_EQ(capture.lines[0], "WARNING::file x not in core");
}

TEST(Log, DecodesLinesHoldingALineFeed) {
  VirtualClock clock;
  TempDir dir;
  CLog log;
  ASSERT_TRUE(log.Open(dir.File("dump.mem").c_str()));
  log.Write(LOG_ERROR, "0:1(2): error: syntax error\n");
  log.Write(LOG_INFO, "a\nb\r\n");
  log.Write(LOG_INFO, "after");
  log.Close();
  std::vector<uint8_t> file;
  ASSERT_TRUE(ReadWholeFile(dir.File("dump.mem"), &file));
  EXPECT_EQ(DecodeLogLines(file),
            (std::vector<std::string>{"  0:  0::ERROR::0:1(2): error: syntax error\n",
                                      "  0:  0::a\nb\r\n", "  0:  0::after"}));
}
