#include "core/timer.h"

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "support/test_support.h"

namespace {
struct VirtualClock {
  explicit VirtualClock(double step) { PlatformSetVirtualClock(step); }
  ~VirtualClock() { PlatformSetVirtualClock(0); }
};
}  // namespace

TEST(Timer, SixtiethOfASecond) {
  VirtualClock clock(1.0 / 60.0);
  Timer t;
  t.Init();
  LogCapture capture;
  PlatformAdvanceClock();
  t.Tick();
  EXPECT_TRUE(t.fps == 60 || t.fps == 59) << t.fps;
  EXPECT_NEAR(t.frameTime, 0.0166667f, 1e-6f);
  // A first rate between 1 and 999 is both a new minimum and a new maximum.
  ASSERT_EQ(capture.lines.size(), 2u);
  EXPECT_EQ(capture.lines[0], "Timer::FPS::min " + std::to_string(t.fps));
  EXPECT_EQ(capture.lines[1], "Timer::FPS::max " + std::to_string(t.fps));
  // The same rate again passes no extreme.
  PlatformAdvanceClock();
  t.Tick();
  EXPECT_EQ(capture.lines.size(), 2u);
}

TEST(Timer, SlowFirstFrameLogsOnlyTheMinimumAndScaleApplies) {
  VirtualClock clock(2.0);
  Timer t;
  t.Init();
  t.scale = 0.5f;
  LogCapture capture;
  PlatformAdvanceClock();
  t.Tick();
  EXPECT_EQ(t.fps, 0);
  EXPECT_FLOAT_EQ(t.frameTime, 1.0f);
  ASSERT_EQ(capture.lines.size(), 1u);
  EXPECT_EQ(capture.lines[0], "Timer::FPS::min 0");
}

TEST(Timer, TwoTicksAtTheSameCounterKeepTheLastFrame) {
  VirtualClock clock(0.01);
  Timer t;
  t.Init();
  PlatformAdvanceClock();
  t.Tick();
  const float frame = t.frameTime;
  const int fps = t.fps;
  t.Tick();  // no time has passed
  EXPECT_EQ(t.frameTime, frame);
  EXPECT_EQ(t.fps, fps);
  PlatformAdvanceClock();
  t.Tick();
  EXPECT_NEAR(t.frameTime, 0.01f, 1e-7f);
}
