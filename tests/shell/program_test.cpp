// The program run headless as a user would run it: exit codes, the log, the
// trace, scripted input, screenshots.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "core/log_decode.h"
#include "game/spline.h"
#include "storage/archive_writer.h"
#include "support/fault_folder.h"
#include "support/small_world.h"
#include "support/test_support.h"

namespace {
// `leaks`: under the sanitizers, a run that must end without a leak of ours;
// the system's libraries' own are suppressed by name.
std::string Program(const std::string& args, bool leaks = false) {
  const std::string sanitizer =
      leaks ? "ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 LSAN_OPTIONS=suppressions=" +
                  std::string(QH_SOURCE_DIR) + "/scripts/lsan.supp:print_suppressions=0 "
            : "ASAN_OPTIONS=detect_leaks=0 ";
  return "SDL_AUDIODRIVER=dummy " + sanitizer + BinaryPath("quietharbour") +
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
  ASSERT_EQ(RunCommand(Program("--frames 30 --fixed-dt 0.016 --trace t.jsonl", true), &out), 0)
      << out;
  EXPECT_EQ(out.find("Sanitizer"), std::string::npos) << out;
  EXPECT_EQ(out.find("runtime error"), std::string::npos) << out;
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
  // The cursor starts at the centre: frame 0 has no mouse-look turn.
  const size_t at = a[0].find("\"angles\":[", a[0].find("\"camera\":"));
  float angles[3] = {1, 1, 1};
  ASSERT_EQ(
      std::sscanf(a[0].c_str() + at, "\"angles\":[%f,%f,%f", &angles[0], &angles[1], &angles[2]), 3)
      << a[0];
  for (float angle : angles) EXPECT_NEAR(angle, 0, 1e-3) << a[0];
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

namespace {
// Strands in a trace line (the controlled character's).
int StrandCount(const std::string& line) {
  int n = 0;
  for (size_t at = line.find("\"bone\":"); at != std::string::npos;
       at = line.find("\"bone\":", at + 1))
    ++n;
  return n;
}

bool Noticed(const std::string& line, const std::string& text) {
  return line.find("\"notices\":[") != std::string::npos &&
         line.find("\"" + text + "\"") != std::string::npos;
}
}  // namespace

// Character 3's strands over four runs: Control+N undone and redone, a save,
// the unsaved rest kept at quit and loaded by Backspace in the next run; then
// from a working directory that can't be written, a save into the state
// folder, and a failed one when that can't be made either.
TEST(Program, StrandEditsAreUndoneSavedKeptAndLoadedAgain) {
  TempDir dir(true);
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
  CSpline two;
  ASSERT_TRUE(two.Resize(2, -1) && two.Resize(0, 2) && two.Resize(1, 2));
  two.local[0][1] = two.local[1][1] = vec3(0, 0, 1);
  ASSERT_TRUE(two.Save("KT.Line"));
  dir.Write("edit.script",
            "2 key h down\n3 key h up\n5 key ctrl down\n6 key n down\n7 key n up\n8 key z down\n"
            "9 key z up\n10 key y down\n11 key y up\n12 key s down\n13 key s up\n14 key z down\n"
            "15 key z up\n16 key ctrl up\n");
  std::string out;
  ASSERT_EQ(
      RunCommand(Program("--frames 18 --fixed-dt 0.02 --script edit.script --trace a.jsonl"), &out),
      0)
      << out;
  std::vector<std::string> t = ReadLines("a.jsonl");
  ASSERT_EQ(t.size(), 18u);
  // {frame, strands}: Control+N, Z, Y, S, Z
  const int rows[][2] = {{5, 2}, {6, 0}, {8, 2}, {10, 0}, {12, 0}, {14, 2}};
  for (const auto& row : rows) EXPECT_EQ(StrandCount(t[row[0]]), row[1]) << row[0];
  EXPECT_TRUE(Noticed(t[6], "strand set empty") && Noticed(t[12], "Saved KT.Line"));
  std::vector<uint8_t> saved, kept;
  ASSERT_TRUE(ReadWholeFile("KT.Line", &saved) && ReadWholeFile("KT.Line.recovery", &kept));
  EXPECT_EQ(saved, (std::vector<uint8_t>{'S', 'H', '3', 0, 0}));
  CSpline recovered;
  EXPECT_TRUE(recovered.Decode(kept.data(), kept.size()) && recovered.count == 2);
  auto logged = [](const std::string& path, const std::string& line) {
    const std::vector<std::string> log = LogLines(path);
    return std::find(log.begin(), log.end(), line) != log.end();
  };
  EXPECT_TRUE(
      logged("dump.mem", "WARNING::Spline::(KT.Line) unsaved edits kept in [KT.Line.recovery]"));

  ASSERT_TRUE(WriteWholeFile("ZL.Line.recovery", kept));  // character 0's as well
  dir.Write("load.script", "3 key backspace down\n4 key backspace up\n");
  ASSERT_EQ(RunCommand(Program("--frames 5 --script load.script --trace b.jsonl"), &out), 0) << out;
  t = ReadLines("b.jsonl");
  ASSERT_EQ(t.size(), 5u);
  for (const char* line : {"KT.Line", "ZL.Line"})
    EXPECT_TRUE(Noticed(t[0], line + std::string(": unsaved edits of the last run kept, Backspace "
                                                 "loads them")));
  EXPECT_TRUE(StrandCount(t[2]) == 0 && StrandCount(t[3]) == 2);
  EXPECT_TRUE(logged("dump.mem",
                     "WARNING::Spline::(KT.Line) unsaved edits of the last run are in "
                     "[KT.Line.recovery]"));

  TempDir readOnly, state;
  ScratchMount mount(readOnly.path(), 1 << 24);
  for (const char* name : {"brookfield.core", "edit.script"})
    ASSERT_EQ(RunCommand("cp " + std::string(name) + " " + readOnly.path()), 0);
  ASSERT_TRUE(two.Save(readOnly.File("KT.Line").c_str()));
  if (!mount.MakeReadOnly()) GTEST_SKIP() << "no way to make a folder read-only here";
  const std::string s = state.path() + "/.local/state";
  const std::string reason = std::strerror(mount.mounted() ? EROFS : EACCES);
  // The second run finds the same state folder through HOME (a relative
  // XDG_STATE_HOME doesn't count) and reads the set the first saved there;
  // the third has no state folder it could make.
  const std::string homes[] = {"XDG_STATE_HOME=" + s,
                               "XDG_STATE_HOME=relative HOME=" + state.path(),
                               "XDG_STATE_HOME=" + readOnly.path()};
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(RunCommand("cd " + readOnly.path() + " && " + homes[i] + " " +
                         Program("--frames 14 --script edit.script --trace " + state.File("t"))),
              0);
    t = ReadLines(state.File("t"));
    ASSERT_EQ(t.size(), 14u);
    EXPECT_EQ(StrandCount(t[5]), i == 1 ? 0 : 2) << i;
    EXPECT_TRUE(Noticed(
        t[12], i < 2 ? "Saved " + s + "/quietharbour/KT.Line" : "can't save KT.Line: " + reason))
        << t[12];
  }
  struct stat folder;  // the user's own, as state folders are
  EXPECT_TRUE(stat((s + "/quietharbour").c_str(), &folder) == 0 && (folder.st_mode & 0777) == 0700);
  EXPECT_TRUE(logged(s + "/quietharbour/dump.mem",
                     "WARNING::the working directory can't be written: the log and saves go to [" +
                         s + "/quietharbour/]"));
  EXPECT_TRUE(ReadWholeFile(readOnly.File("KT.Line"), &kept) && kept == two.Encode());
}
