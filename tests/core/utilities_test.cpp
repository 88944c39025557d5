// Size texts, the string class, the growth rule and the frame timer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/cstring.h"
#include "core/growth.h"
#include "core/sizetext.h"
#include "core/timer.h"
#include "platform/clock.h"
#include "support/test_support.h"

TEST(SizeToText, PartsAreJoinedAndEmptyPartsLeftOut) {
  std::string all;
  for (uint32_t n : {0u, 3u, 1536u, 1048576u, (1u << 30) + 1, 0xFFFFFFFFu})
    all += std::string(SizeToText(&n)) + "|";
  EXPECT_EQ(all, "0b|3b|1Kb 512b|1Mb|1Gb 1b|3Gb 1023Mb 1023Kb 1023b|");
  const uint64_t big = 24ull << 30;
  EXPECT_STREQ(SizeToText64(&big), "24Gb");
}

TEST(CString, CapacityGrowsInStepsOf32AndFormatCountsTheTerminatingZero) {
  cstring s, copy;
  copy = s;  // a copy of an empty string is terminated too
  EXPECT_TRUE(s.capacity == 0 && !*s.c_str() && !*copy.c_str());
  const int steps[][3] = {{31, 31, 32}, {32, 32, 64}, {3, 3, 64}};  // shrinking keeps it
  for (const auto& step : steps) {
    s.resize(step[0]);
    EXPECT_TRUE(s.length == step[1] && s.capacity == step[2]) << step[0];
  }
  s.resize(40);
  EXPECT_EQ(s.data[39], '\0');
  s.format("%s-%d", "bone", 12);
  EXPECT_TRUE(!std::strcmp(s.c_str(), "bone-12") && s.length == 8);
  const std::string longText(1000, 'q');
  s.format("%s", longText.c_str());
  copy = s;
  EXPECT_TRUE(s.c_str() == longText && s.capacity > 1000);
  EXPECT_TRUE(copy.c_str() == longText && copy.data != s.data);
}

TEST(Growth, ReallocatesKeepingContentsLogsFailuresAndMovesOwningRecords) {
  int* a = nullptr;
  ASSERT_TRUE(ResizeArray(a, 4, "inc\\Mesh", 105, "Mesh::resizeV"));
  for (int i = 0; i < 4; ++i) a[i] = i * 10;
  ASSERT_TRUE(ResizeArray(a, 1000, "inc\\Mesh", 105, "Mesh::resizeV") && a[3] == 30);
  LogCapture capture;  // far beyond any address space: the reallocation fails
  EXPECT_FALSE(ResizeArray(a, int64_t(1) << 61, "inc\\Mesh", 105, "Mesh::resizeV") || a);
  EXPECT_EQ(capture.lines.at(0), "ERROR::can't resize [0]x[4] at [inc\\Mesh:105][Mesh::resizeV]");
  ASSERT_TRUE(ResizeArray(a, 0, "inc\\Mesh", 105, "Mesh::resizeV") && a == nullptr);
  cstring* names = nullptr;
  ASSERT_TRUE(ResizeObjects(names, 0, 2, "inc\\Mesh", 120, "Mesh::resizeB"));
  names[0].assign("root"), names[1].assign("head");
  ASSERT_TRUE(ResizeObjects(names, 2, 5, "inc\\Mesh", 120, "Mesh::resizeB"));
  EXPECT_EQ(std::string(names[0].c_str()) + names[1].c_str() + names[4].c_str(), "roothead");
  ASSERT_TRUE(ResizeObjects(names, 5, 1, "inc\\Mesh", 120, "Mesh::resizeB"));
  EXPECT_STREQ(names[0].c_str(), "root");
  EXPECT_TRUE(ResizeObjects(names, 1, 0, "inc\\Mesh", 120, "Mesh::resizeB") && !names);
}

TEST(Timer, FrameTimeTheTruncatedRateAndTheExtremesLogged) {
  const struct {
    double step;
    float scale, frame;
    int fps;
    std::vector<std::string> logged;  // a first rate of 1..999 is a new minimum and maximum
  } cases[] = {{1.0 / 60, 1, 1.0f / 60, 59, {"Timer::FPS::min 59", "Timer::FPS::max 59"}},
               {2.0, 0.5f, 1.0f, 0, {"Timer::FPS::min 0"}}};
  for (const auto& c : cases) {
    PlatformSetVirtualClock(c.step);
    Timer t;
    t.Init(), t.scale = c.scale;
    LogCapture capture;
    PlatformAdvanceClock(), t.Tick();
    EXPECT_TRUE(t.fps == c.fps && std::abs(t.frameTime - c.frame) < 1e-6f) << t.frameTime;
    EXPECT_EQ(capture.lines, c.logged);
    const float frame = t.frameTime;
    t.Tick();  // no time has passed: the last frame is kept
    EXPECT_TRUE(t.frameTime == frame && t.fps == c.fps);
    PlatformAdvanceClock(), t.Tick();  // the same rate again is no new extreme
    EXPECT_EQ(capture.lines, c.logged);
    PlatformSetVirtualClock(0);
  }
}
