#include "shell/harness.h"

#include <gtest/gtest.h>

#include "platform/input.h"

TEST(HarnessScript, ParsesEveryEventKindInFrameOrder) {
  std::vector<ScriptEvent> events;
  std::string error;
  ASSERT_TRUE(
      ParseScript("# comment\n"
                  "20 key w up   # trailing comment\n"
                  "5 key w down\n"
                  "\n"
                  "6 button right down\n"
                  "7 mouse -3 4\n"
                  "8 cursor 100 200\n"
                  "9 wheel -1\n"
                  "9 key f7 down\n",
                  &events, &error))
      << error;
  ASSERT_EQ(events.size(), 7u);
  EXPECT_EQ(events[0].frame, 5);
  EXPECT_EQ(events[0].kind, ScriptEvent::kKey);
  EXPECT_EQ(events[0].a, 'W');
  EXPECT_EQ(events[0].b, 1);
  EXPECT_EQ(events[1].kind, ScriptEvent::kButton);
  EXPECT_EQ(events[1].a, VK_RBUTTON);
  EXPECT_EQ(events[2].kind, ScriptEvent::kMouse);
  EXPECT_EQ(events[2].a, -3);
  EXPECT_EQ(events[2].b, 4);
  EXPECT_EQ(events[3].kind, ScriptEvent::kCursor);
  EXPECT_EQ(events[4].kind, ScriptEvent::kWheel);
  EXPECT_EQ(events[4].a, -1);
  EXPECT_EQ(events[5].a, 118);
  EXPECT_EQ(events[6].frame, 20);
  EXPECT_EQ(events[6].b, 0);
}

TEST(HarnessScript, RejectsBadLinesWithTheirNumber) {
  for (const char* bad :
       {"x key w down", "1 key nosuchkey down", "1 key w sideways", "1 button middle down",
        "1 mouse 3", "1 wheel 2", "1 jump", "-1 key w down", "1 key w down extra"}) {
    std::vector<ScriptEvent> events;
    std::string error;
    EXPECT_FALSE(ParseScript(std::string("0 key a down\n") + bad, &events, &error)) << bad;
    EXPECT_EQ(error.rfind("script line 2: ", 0), 0u) << error;
  }
}

TEST(HarnessOptions, ParsesAndValidates) {
  const char* argv[] = {"qh",           "--windowed", "--size",  "640x480",  "--frames",
                        "12",           "--fixed-dt", "0.016",   "--trace",  "t.jsonl",
                        "--screenshot", "s.png",      "--bench", "--script", "in.txt"};
  HarnessOptions o;
  std::string error;
  ASSERT_TRUE(ParseHarnessOptions(15, const_cast<char**>(argv), &o, &error)) << error;
  EXPECT_TRUE(o.windowed);
  EXPECT_EQ(o.width, 640);
  EXPECT_EQ(o.height, 480);
  EXPECT_EQ(o.frames, 12);
  EXPECT_DOUBLE_EQ(o.fixedDt, 0.016);
  EXPECT_EQ(o.trace, "t.jsonl");
  EXPECT_EQ(o.screenshot, "s.png");
  EXPECT_EQ(o.script, "in.txt");
  EXPECT_TRUE(o.bench);
  for (std::vector<const char*> bad : {std::vector<const char*>{"qh", "--size", "640"},
                                       {"qh", "--frames", "0"},
                                       {"qh", "--fixed-dt", "-1"},
                                       {"qh", "--trace"},
                                       {"qh", "--nope"}}) {
    HarnessOptions b;
    EXPECT_FALSE(ParseHarnessOptions(static_cast<int>(bad.size()), const_cast<char**>(bad.data()),
                                     &b, &error))
        << bad[1];
  }
}

TEST(HarnessOptions, CameraTakesSixFiniteNumbers) {
  for (const char* bad : {"1,2,3,4,5", "1,2,3,4,5,6,7", "1,2,3,4,5,x", "1,2,3,4,5,6x",
                          "nan,0,0,0,0,0", "1;2;3;4;5;6", ""}) {
    const char* argv[] = {"qh", "--camera", bad};
    HarnessOptions o;
    std::string error;
    EXPECT_FALSE(ParseHarnessOptions(3, const_cast<char**>(argv), &o, &error)) << bad;
    EXPECT_NE(error.find("X,Y,Z,ROLL,PITCH,YAW"), std::string::npos) << bad;
    EXPECT_FALSE(o.fixCamera);
  }
  const char* argv[] = {"qh", "--camera", "-90.5,40,1e2,0,-12,270"};
  HarnessOptions o;
  std::string error;
  ASSERT_TRUE(ParseHarnessOptions(3, const_cast<char**>(argv), &o, &error)) << error;
  ASSERT_TRUE(o.fixCamera);
  const float expected[6] = {-90.5f, 40, 100, 0, -12, 270};
  for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(o.camera[i], expected[i]) << i;
}

TEST(HarnessBench, SteadyStateFiguresSkipTheWarmUp) {
  // Frames 0-9 are slow warm-up; then 200 frames of 1..200 ms in shuffled order.
  std::vector<FrameTime> times;
  for (long f = 0; f < 10; ++f) times.push_back({f, 9.0});
  for (long f = 10; f < 210; ++f) times.push_back({f, ((f * 37) % 200 + 1) * 1e-3});
  const PhaseStats s = SummarizePhase(times, 10);
  EXPECT_EQ(s.frames, 200u);
  EXPECT_DOUBLE_EQ(s.min, 1e-3);
  EXPECT_DOUBLE_EQ(s.median, 101e-3);
  EXPECT_DOUBLE_EQ(s.worst1, 198e-3);  // 2 of 200 frames took longer
  EXPECT_DOUBLE_EQ(s.max, 200e-3);
  // A run no longer than the warm-up is summarised whole.
  const PhaseStats shortRun = SummarizePhase({{0, 3e-3}, {1, 1e-3}, {2, 2e-3}}, 60);
  EXPECT_EQ(shortRun.frames, 3u);
  EXPECT_DOUBLE_EQ(shortRun.median, 2e-3);
  EXPECT_DOUBLE_EQ(shortRun.worst1, 3e-3);
}
