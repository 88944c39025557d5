// A long run under seeded random input: every key
// the program reads, mouse motion, buttons and the wheel, in play and in the
// strand editor. It must end normally, keep every traced number finite and
// not grow its resident memory once warmed up. QH_SOAK_FRAMES sets the length
// (5,000 by default; the long soak is 100,000).
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "storage/archive_writer.h"
#include "support/small_world.h"
#include "support/test_support.h"

namespace {
// Keys by script name; Escape, End and Alt+Enter (quit, full screen) stay out.
const char* const kKeys[] = {
    "w",      "a",        "s",         "d",  "space", "y",    "c",      "h",     "g",   "p",
    "l",      "o",        "n",         "u",  "v",     "m",    "f",      "q",     "z",   "1",
    "2",      "3",        "4",         "5",  "6",     "7",    "delete", "shift", "tab", "home",
    "insert", "pagedown", "backspace", "up", "down",  "left", "right"};

std::string RandomScript(long frames, unsigned seed) {
  std::mt19937 random(seed);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  std::string s;
  auto event = [&](long frame, const std::string& what) {
    s += std::to_string(frame) + " " + what + "\n";
  };
  for (long f = 0; f < frames; ++f) {
    event(f, "mouse " + std::to_string(pick(31) - 15) + " " + std::to_string(pick(31) - 15));
    const long until = f + 1 + pick(40);
    if (pick(4) == 0) {
      const char* key = kKeys[pick(sizeof kKeys / sizeof kKeys[0])];
      event(f, std::string("key ") + key + " down");
      event(until, std::string("key ") + key + " up");
    }
    if (pick(20) == 0) {
      const char* button = pick(2) ? "left" : "right";
      event(f, std::string("button ") + button + " down");
      event(until, std::string("button ") + button + " up");
    }
    if (pick(30) == 0) event(f, pick(2) ? "wheel +1" : "wheel -1");
    if (pick(40) == 0)
      event(f, "cursor " + std::to_string(pick(160)) + " " + std::to_string(pick(120)));
    if (pick(300) == 0) {  // Control+S, L or N in the editor
      const char* key = pick(3) == 0 ? "s" : pick(2) ? "l" : "n";
      event(f, "key ctrl down");
      event(f + 1, std::string("key ") + key + " down");
      event(f + 2, std::string("key ") + key + " up");
      event(f + 3, "key ctrl up");
    }
  }
  return s;
}

long Number(const std::string& line, const std::string& field) {
  const size_t at = line.find("\"" + field + "\":");
  return at == std::string::npos ? -1 : std::atol(line.c_str() + at + field.size() + 3);
}
}  // namespace

TEST(Soak, RandomInputKeepsTheProgramFiniteAndItsMemoryFlat) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "too slow under the sanitizers, whose memory figures mean nothing here";
#endif
  const char* length = std::getenv("QH_SOAK_FRAMES");
  const long frames = length ? std::atol(length) : 5000;
  ASSERT_GE(frames, 3000);
  TempDir dir(true);
  // The small world keeps a frame cheap enough for thousands in the test run.
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
  dir.Write("soak.script", RandomScript(frames, 7));
  const long every = 50;
  std::string out;
  ASSERT_EQ(RunCommand("SDL_AUDIODRIVER=dummy HOME=$PWD XDG_STATE_HOME=$PWD XDG_CONFIG_HOME=$PWD "
                       "XDG_PICTURES_DIR=$PWD " +
                           BinaryPath("quietharbour") + " --windowed --size 160x120 --frames " +
                           std::to_string(frames) +
                           " --fixed-dt 0.016 --script soak.script --trace-every " +
                           std::to_string(every) + " --trace t.jsonl 2>&1",
                       &out),
            0)
      << out;
  const std::vector<std::string> trace = ReadLines("t.jsonl");
  ASSERT_EQ(static_cast<long>(trace.size()), (frames + every - 1) / every);
  // The first thousand frames still grow (caches, first draws of each kind):
  // the next thousand are the base the last thousand are held to.
  long warm = 0, last = 0;
  for (const std::string& line : trace) {
    ASSERT_EQ(line.find("null"), std::string::npos) << line;  // a NaN or infinity
    const long frame = Number(line, "frame"), rss = Number(line, "rssKb");
    ASSERT_GT(rss, 0) << line;
    if (frame >= 1000 && frame < 2000) warm = std::max(warm, rss);
    if (frame >= frames - 1000) last = std::max(last, rss);
  }
  EXPECT_LT(last - warm, 2048) << "resident KiB after warm-up " << warm << ", at the end " << last;
}
