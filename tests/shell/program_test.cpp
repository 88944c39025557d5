// The program run headless as a user would run it: exit codes, the log, the
// trace, scripted input, screenshots.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/log_decode.h"
#include "storage/archive_writer.h"
#include "support/small_world.h"
#include "support/test_support.h"

namespace {
std::string Program(const std::string& args) {
  // Under the sanitizers, the GL driver's own leaks (from libraries already
  // unloaded at exit, so they can't be suppressed by name) are not ours to
  // report; the unit tests check our code for leaks.
  return "SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 " + BinaryPath("quietharbour") +
         " --windowed --size 320x240 " + args + " 2>&1";
}

std::vector<std::string> LogLines(const std::string& path) {
  std::vector<uint8_t> file;
  EXPECT_TRUE(ReadWholeFile(path, &file));
  std::vector<std::string> lines = DecodeLogLines(file);
  for (std::string& l : lines) l = l.substr(l.find("::") + 2);
  return lines;
}

}  // namespace

TEST(Program, RunsAFixedNumberOfFramesAndLogsTheMachine) {
  TempDir dir(true);
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
  std::string out;
  ASSERT_EQ(RunCommand(Program("--frames 30 --fixed-dt 0.016 --trace t.jsonl"), &out), 0) << out;
  const std::vector<std::string> log = LogLines("dump.mem");
  ASSERT_GE(log.size(), 8u);
  EXPECT_EQ(log[0].rfind("CPU:(", 0), 0u) << log[0];
  EXPECT_EQ(log[0].back(), ' ');
  EXPECT_EQ(log[1].rfind("OS:Linux ", 0), 0u) << log[1];
  EXPECT_EQ(log[2].rfind("RAM: ", 0), 0u) << log[2];
  bool window = false, gl = false;
  for (const std::string& l : log) {
    window |= l == "Create OpenGL Window [320x240] windowed";
    gl |= l.rfind("OpenGl ", 0) == 0;
  }
  EXPECT_TRUE(window);
  EXPECT_TRUE(gl);
  // The world loads through the manager and everything is unloaded at exit.
  auto at = [&log](const std::string& line) {
    for (size_t i = 0; i < log.size(); ++i)
      if (log[i] == line) return static_cast<long>(i);
    return -1L;
  };
  const long init = at("MM::initialized"),
             map = at("MM::loaded model [bin\\map2.Model] [m1]::(v:121 f:200 b:0 t:1)");
  const long glsl = at("glsl::initialized"), begin = at("MM::Unload Begin()");
  EXPECT_GE(init, 0);
  EXPECT_GT(glsl, init);
  EXPECT_GT(map, glsl);
  EXPECT_GE(at("MM::used model [bin\\tree.Model] [m3]"), 0);
  EXPECT_GT(begin, map);
  EXPECT_EQ(log.back(), "MM::Unload End()");
  EXPECT_GE(at("MM::Model5"), 0);  // map, markers and four trees

  const std::vector<std::string> trace = ReadLines("t.jsonl");
  ASSERT_EQ(trace.size(), 30u);
  EXPECT_EQ(trace[0].rfind("{\"frame\":0,\"dt\":0.016", 0), 0u) << trace[0];
  EXPECT_EQ(trace[29].rfind("{\"frame\":29,", 0), 0u) << trace[29];
}

TEST(Program, ScriptedEscapeEndsTheRunAndFixedStepRunsRepeat) {
  TempDir dir(true);
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
  dir.Write("quit.script", "# quit on frame 4\n4 key escape down\n5 key escape up\n");
  for (const char* trace : {"a.jsonl", "b.jsonl"}) {
    std::string out;
    ASSERT_EQ(RunCommand(Program("--frames 100 --fixed-dt 0.02 --script quit.script --trace " +
                                 std::string(trace)),
                         &out),
              0)
        << out;
  }
  const std::vector<std::string> a = ReadLines("a.jsonl"), b = ReadLines("b.jsonl");
  // Escape sampled for frame 4 ends the loop before that frame: frames 0..3 ran.
  ASSERT_EQ(a.size(), 4u);
  EXPECT_EQ(a, b);
}

TEST(Program, WithoutTheArchiveItSaysSoAndExitsWithZero) {
  TempDir dir(true);
  std::string out;
  EXPECT_EQ(RunCommand(Program("--frames 3"), &out), 0);
  EXPECT_NE(out.find("Seriously: can't open core file"), std::string::npos) << out;
}

TEST(Program, ScreenshotAndBenchAndBadOptions) {
  TempDir dir(true);
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
  std::string out;
  ASSERT_EQ(RunCommand(Program("--frames 3 --screenshot shot.png --bench"), &out), 0) << out;
  std::vector<uint8_t> png;
  ASSERT_TRUE(ReadWholeFile("shot.png", &png));
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
  for (const char* phase : {"update", "render", "swap", "render.sky", "render.terrain+trees",
                            "render.cloud", "render.overlay"})
    EXPECT_NE(out.find(std::string(phase) + " "), std::string::npos) << out;

  EXPECT_EQ(RunCommand(Program("--frames nope"), &out), 2);
  EXPECT_NE(out.find("--frames takes a positive count"), std::string::npos);
  EXPECT_EQ(RunCommand(Program("--camera 1,2,3"), &out), 2);
  EXPECT_NE(out.find("--camera takes X,Y,Z,ROLL,PITCH,YAW"), std::string::npos) << out;
  dir.Write("bad.script", "1 key w sideways\n");
  EXPECT_EQ(RunCommand(Program("--script bad.script"), &out), 2);
  EXPECT_NE(out.find("script line 1"), std::string::npos) << out;
  ASSERT_EQ(RunCommand(BinaryPath("quietharbour") + " --help", &out), 0);
  EXPECT_NE(out.find("--fixed-dt"), std::string::npos);
}

TEST(Program, CameraOptionFixesTheViewAndTheTraceReportsIt) {
  TempDir dir(true);
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
  std::string out;
  ASSERT_EQ(RunCommand(Program("--frames 3 --fixed-dt 0.016 --trace plain.jsonl"), &out), 0) << out;
  ASSERT_EQ(RunCommand(Program("--frames 3 --fixed-dt 0.016 --camera -90,-40.5,40,0,12,20 --trace "
                               "fixed.jsonl"),
                       &out),
            0)
      << out;
  // Without the option the camera follows the controlled character.
  const std::vector<std::string> plain = ReadLines("plain.jsonl"), fixed = ReadLines("fixed.jsonl");
  ASSERT_EQ(plain.size(), 3u);
  ASSERT_EQ(fixed.size(), 3u);
  for (const std::string& line : plain) {
    EXPECT_NE(line.find(",\"camera\":{\"position\":["), std::string::npos) << line;
    EXPECT_EQ(line.find(",\"camera\":{\"position\":[0,0,0]"), std::string::npos) << line;
  }
  for (const std::string& line : fixed)
    EXPECT_NE(
        line.find(",\"camera\":{\"position\":[-90,-40.5,40],\"angles\":[0,12,20],\"fov\":60}}"),
        std::string::npos)
        << line;
}
