// The log and the scrambling of its lines.
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
// The key byte through the float construction the scrambler is defined by.
uint8_t KeyByFloat(uint32_t state) {
  const uint32_t bits = (state & 0x7FFFFF) | 0x40000000;
  float value;
  std::memcpy(&value, &bits, 4);
  return static_cast<uint8_t>(static_cast<int32_t>((static_cast<double>(value) - 3.0) * 128.0));
}

std::string Unscrambled(const CLog& log, int i) {
  int n = 0;
  const char* text = log.line(i, &n);
  std::string s(text, static_cast<size_t>(n));
  Scramble(&s[0], n);
  return s;
}
}  // namespace

// The time fields count from the previous line; a scrambled line holding a zero
// byte or a line feed is written whole, and the file decodes back to the plain lines.
TEST(Log, LineFormatTimeFieldsPrefixesAndTheFile) {
  PlatformSetVirtualClock(0.001);
  TempDir dir;
  CLog log;
  ASSERT_TRUE(log.Open(dir.File("dump.mem").c_str()));
  const std::string zero = "10300";  // its scrambled line holds a zero byte
  std::string line = "  0:  0::" + zero;
  Scramble(&line[0], static_cast<int32_t>(line.size()));
  ASSERT_NE(line.find('\0'), std::string::npos);
  PlatformSleep(15);
  log.Write(LOG_INFO, "hello %d", 7);
  PlatformSleep(2345);
  log.Write(LOG_WARNING, "w");
  log.Write(LOG_ERROR, "e"), log.Write(LOG_FATAL, "f");
  log.Write(LOG_ERROR, "0:1(2): error\n"), log.Write(LOG_INFO, "a\nb\r\n");
  log.Write(9, "%s", zero.c_str());  // an unknown level has no prefix
  const std::vector<std::string> expected = {"  0: 15::hello 7",
                                             "  2:345::WARNING::w",
                                             "  0:  0::ERROR::e",
                                             "  0:  0::FATAL::f",
                                             "  0:  0::ERROR::0:1(2): error\n",
                                             "  0:  0::a\nb\r\n",
                                             "  0:  0::" + zero};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(Unscrambled(log, i), expected[i]);
  EXPECT_TRUE(log.level(1) == LOG_WARNING && log.level(3) == LOG_FATAL);
  log.Close(), PlatformSetVirtualClock(0);
  std::vector<uint8_t> file;
  ASSERT_TRUE(ReadWholeFile(dir.File("dump.mem"), &file));
  EXPECT_EQ(DecodeLogLines(file), expected);
}

TEST(Log, KeepsTheLast40LinesAndCutsOverlongOnes) {
  CLog log;  // no file: works in memory
  for (int i = 0; i < 41; ++i) log.Write(LOG_INFO, "line %d", i);
  EXPECT_EQ(log.count(), 40);
  EXPECT_TRUE(Unscrambled(log, 0).substr(9) == "line 1" &&
              Unscrambled(log, 39).substr(9) == "line 40");
  const std::string huge(10000, 'x');
  log.Write(LOG_ERROR, "%s%s", huge.c_str(), huge.c_str());
  int n = 0;
  EXPECT_TRUE(log.line(39, &n) && n == CLog::kLineSize - 1);
  EXPECT_EQ(Unscrambled(log, 39).substr(9, 12), "ERROR::xxxxx");
  char header[6];  // a file's header as log text: control bytes shown, a zero ends it
  LogHeaderText("A \n\x1f\0", 5, header);
  EXPECT_STREQ(header, "A ??");
}

// Each byte is XORed with the key stream seeded by the length alone (scrambling
// twice gives the text back); the state is left at the last draw.
TEST(Scramble, XorsTheKeyStreamSeededByTheLengthAndDrawsShareTheState) {
  for (int32_t n : {1, 2, 7, 300}) {
    std::vector<uint8_t> plain(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) plain[i] = static_cast<uint8_t>(i * 37 + n);
    std::vector<uint8_t> bytes = plain;
    Scramble(bytes.data(), n);
    uint32_t state = static_cast<uint32_t>(n);
    for (int32_t i = 0; i < n; ++i) {
      state *= 16807u;
      ASSERT_EQ(bytes[i], plain[i] ^ KeyByFloat(state)) << "length " << n << " byte " << i;
    }
    EXPECT_EQ(g_randState, state);
    Scramble(bytes.data(), n);
    EXPECT_EQ(bytes, plain);
  }
  char buffer[4] = {'a', 'b', 'c', 0};
  for (int32_t n : {0, -5}) {  // nothing changes, the state is still seeded
    g_randState = 77;
    Scramble(buffer, n);
    EXPECT_TRUE(g_randState == static_cast<uint32_t>(n) && !std::strcmp(buffer, "abc"));
  }
  g_randState = 1;  // the random draws use the same state
  EXPECT_FLOAT_EQ(RandomSigned(), RandomToFloat(16807u));
  EXPECT_EQ(g_randState, 16807u);
  EXPECT_TRUE(RandomToFloat(0) == -1.0f && RandomToFloat(0x400000) == 0.0f);
  EXPECT_LT(RandomToFloat(0x7FFFFF), 1.0f);
}
