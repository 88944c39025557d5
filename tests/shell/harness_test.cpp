#include "shell/harness.h"

#include <gtest/gtest.h>

#include "core/input_tables.h"
#include "platform/input.h"
#include "platform/window.h"
#include "support/test_support.h"

TEST(HarnessScript, ParsesEveryEventKindInFrameOrderRejectsBadLinesAndStepsTheWheel) {
  std::vector<ScriptEvent> events;
  std::string error;
  ASSERT_TRUE(
      ParseScript("# comment\n20 key w up   # trailing comment\n5 key w down\n\n"
                  "6 button right down\n7 mouse -3 4\n8 cursor 100 200\n9 wheel -1\n"
                  "9 key f7 down\n10 key ctrl down\n10 key f12 up\n10 key delete down\n",
                  &events, &error))
      << error;
  const int expected[][4] = {
      {5, ScriptEvent::kKey, 'W', 1},         {6, ScriptEvent::kButton, VK_RBUTTON, 1},
      {7, ScriptEvent::kMouse, -3, 4},        {8, ScriptEvent::kCursor, 100, 200},
      {9, ScriptEvent::kWheel, -1, 0},        {9, ScriptEvent::kKey, 118, 1},
      {10, ScriptEvent::kKey, VK_CONTROL, 1}, {10, ScriptEvent::kKey, 123, 0},
      {10, ScriptEvent::kKey, 46, 1},         {20, ScriptEvent::kKey, 'W', 0}};
  ASSERT_EQ(events.size(), 10u);
  for (int i = 0; i < 10; ++i)
    EXPECT_TRUE(events[i].frame == expected[i][0] && events[i].kind == expected[i][1] &&
                events[i].a == expected[i][2] && events[i].b == expected[i][3])
        << i;
  for (const char* bad : {"x key w down", "1 key nosuchkey down", "1 key f13 down", "1 key A down",
                          "1 key  down", "1 key w sideways", "1 button middle down", "1 mouse 3",
                          "1 wheel 2", "1 jump", "-1 key w down", "1 key w down extra"}) {
    EXPECT_FALSE(ParseScript(std::string("0 key a down\n") + bad, &events, &error)) << bad;
    EXPECT_EQ(error.rfind("script line 2: ", 0), 0u) << error;
  }
  TempDir dir(true);  // a wheel step goes in on its own frame only
  dir.Write("w.script", "3 wheel -1\n");
  HarnessOptions options;
  options.script = "w.script";
  Harness harness;
  ASSERT_TRUE(harness.Begin(options, &error)) << error;
  for (long frame = 0; frame < 6; ++frame) {
    g_wheel = 0;
    harness.ApplyAfterSampling(frame);
    EXPECT_EQ(g_wheel, frame == 3 ? -1 : 0) << frame;
  }
  harness.End();
  PlatformUseVirtualCursor(false);
}

TEST(HarnessOptions, ParsesAndValidates) {
  // clang-format off
  const char* argv[] = {"qh", "--windowed", "--size", "640x480", "--frames", "12", "--fixed-dt",
      "0.016", "--trace", "t.jsonl", "--screenshot", "s.png", "--bench", "--script", "in.txt",
      "--camera", "-90.5,40,1e2,0,-12,270"};
  const char* bad[][2] = {{"--size", "640"}, {"--frames", "0"}, {"--fixed-dt", "-1"},
      {"--fixed-dt", "0"}, {"--trace", nullptr}, {"--nope", nullptr}, {"--camera", "1,2,3,4,5"},
      {"--camera", "1,2,3,4,5,6,7"}, {"--camera", "1,2,3,4,5,6x"}, {"--camera", "nan,0,0,0,0,0"},
      {"--camera", "1;2;3;4;5;6"}, {"--camera", ""}};
  // clang-format on
  HarnessOptions o;
  std::string error;
  ASSERT_TRUE(ParseHarnessOptions(17, const_cast<char**>(argv), &o, &error)) << error;
  EXPECT_TRUE(o.windowed && o.bench && o.fixCamera && o.width == 640 && o.height == 480);
  EXPECT_TRUE(o.frames == 12 && o.fixedDt == 0.016);
  EXPECT_TRUE(o.trace == "t.jsonl" && o.screenshot == "s.png" && o.script == "in.txt");
  EXPECT_EQ(std::vector<float>(o.camera, o.camera + 6),
            (std::vector<float>{-90.5f, 40, 100, 0, -12, 270}));
  for (const auto& args : bad) {
    const char* line[] = {"qh", args[0], args[1]};
    HarnessOptions b;
    EXPECT_FALSE(ParseHarnessOptions(args[1] ? 3 : 2, const_cast<char**>(line), &b, &error) ||
                 b.fixCamera)
        << args[0] << " " << (args[1] ? args[1] : "");
  }
}
