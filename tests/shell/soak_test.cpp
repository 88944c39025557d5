// Seeded random input (every key read, the mouse; in play and the strand editor) for QH_SOAK_FRAMES
// (5,000; the long soak 100,000): the run ends normally, traces finite numbers, keeps memory flat.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

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
    auto hold = [&](const std::string& what) {
      event(f, what + " down"), event(until, what + " up");
    };
    if (pick(4) == 0) hold(std::string("key ") + kKeys[pick(sizeof kKeys / sizeof kKeys[0])]);
    if (pick(20) == 0) hold(pick(2) ? "button left" : "button right");
    if (pick(30) == 0) event(f, pick(2) ? "wheel +1" : "wheel -1");
    if (pick(40) == 0)
      event(f, "cursor " + std::to_string(pick(160)) + " " + std::to_string(pick(120)));
    if (pick(300) == 0) {  // Control+S, L or N in the editor
      const std::string key = std::string("key ") + (pick(3) == 0 ? "s" : pick(2) ? "l" : "n");
      event(f, "key ctrl down"), event(f + 1, key + " down");
      event(f + 2, key + " up"), event(f + 3, "key ctrl up");
    }
  }
  return s;
}

long Number(const std::string& line, const std::string& field) {  // -1 when it's missing
  const size_t at = line.find("\"" + field + "\":");
  return at == line.npos ? -1 : std::atol(line.c_str() + at + field.size() + 3);
}
}  // namespace

TEST(Soak, RandomInputKeepsTheProgramFiniteAndItsMemoryFlat) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "too slow under the sanitizers, whose memory figures mean nothing here";
#endif
  const long frames =
      std::getenv("QH_SOAK_FRAMES") ? std::atol(std::getenv("QH_SOAK_FRAMES")) : 5000;
  ASSERT_GE(frames, 3000);
  TempDir dir(true);
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
  dir.Write("soak.script", RandomScript(frames, 7));
  std::string out, run =
                       "SDL_AUDIODRIVER=dummy HOME=$PWD XDG_STATE_HOME=$PWD XDG_CONFIG_HOME=$PWD "
                       "XDG_PICTURES_DIR=$PWD " +
                       BinaryPath("quietharbour");
  run += " --windowed --size 160x120 --fixed-dt 0.016 --script soak.script --trace t.jsonl";
  ASSERT_EQ(
      RunCommand(run + " --trace-every 50 --frames " + std::to_string(frames) + " 2>&1", &out), 0)
      << out;
  const std::vector<std::string> trace = ReadLines("t.jsonl");
  ASSERT_EQ(static_cast<long>(trace.size()), (frames + 49) / 50);
  // The first thousand frames still grow (caches, first draws): the next are the base.
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
