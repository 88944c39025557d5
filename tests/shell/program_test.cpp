// The program run headless as a user would: exit codes, log, trace, scripts, screenshots, the
// overlay, a virtual gamepad, settings and data folder, kept strand edits, the state folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "game/spline.h"
#include "storage/archive_writer.h"
#include "support/fault_folder.h"
#include "support/small_world.h"
#include "support/test_support.h"

namespace {
// The program in the working directory (config/ its settings folder, pics/ its pictures). `leaks`:
// a run that must end without a leak of ours (the system libraries' own are suppressed by name).
int Play(const std::string& args, std::string* out = nullptr, const std::string& env = "",
         bool leaks = false) {
  return RunCommand(
      env + " XDG_CONFIG_HOME=$PWD/config XDG_PICTURES_DIR=$PWD/pics SDL_AUDIODRIVER=dummy " +
          (leaks ? "ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 LSAN_OPTIONS="
                   "suppressions=" QH_SOURCE_DIR "/scripts/lsan.supp:print_suppressions=0 "
                 : "ASAN_OPTIONS=detect_leaks=0 ") +
          BinaryPath("quietharbour") + " --windowed --size 320x240 " + args + " 2>&1",
      out);
}

const auto Has = [](const std::string& text, const std::string& part) {
  return text.find(part) != text.npos;
};

std::string Log(const std::string& path) {
  std::string text;
  RunCommand(BinaryPath("qhtool") + " log " + path, &text);
  return text;
}

// The n-th "KEY":[x,y,z] of a trace line (the characters 0..3, then the camera).
std::vector<float> Triple(const std::string& line, const std::string& key, int n) {
  size_t at = 0;
  for (int i = 0; i <= n; ++i) at = line.find("\"" + key + "\":[", at) + key.size() + 4;
  std::vector<float> v(3);
  std::sscanf(line.c_str() + at, "%f,%f,%f", &v[0], &v[1], &v[2]);
  return v;
}

// Pixels of the box where `b` is a dark panel over `a`, and where it is near white (1024 wide).
std::pair<int, int> Count(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int x0,
                          int y0, int x1, int y1) {
  std::pair<int, int> n;
  for (int y = y0; y < y1; ++y)
    for (size_t i = 3 * (y * 1024 + x0); i < 3u * (y * 1024 + x1); i += 3) {
      n.first += b[i] + b[i + 1] + b[i + 2] + 60 < a[i] + a[i + 1] + a[i + 2];
      n.second += b[i] > 200 && b[i + 1] > 200 && b[i + 2] > 200;
    }
  return n;
}
}  // namespace

TEST(Program, RunsLogsTracesShootsBenchesRefusesBadOptionsAndKeepsStrandEdits) {
  TempDir dir(true);
  std::string out;  // first without the archive: it says so and exits with 0
  EXPECT_EQ(Play("--frames 3 --data nowhere", &out), 0);
  EXPECT_TRUE(Has(out, "can't open core file (brookfield.core is in none of: nowhere/, "));
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
  // Escape sampled for frame 8 ends the loop before that frame, as --frames 8 does; fixed-step
  // runs repeat; the camera stays where --camera puts it; Tab shows the help, free view a badge.
  dir.Write("quit.script", "# quit on frame 8\n8 key escape down\n9 key escape up\n");
  dir.Write("none.script", "# nothing\n");
  dir.Write("card.script", "2 key tab down\n3 key tab up\n5 key h down\n6 key h up\n");
  const std::string fixed = " --size 1024x768 --fixed-dt 0.016 --camera -90,-40.5,40,0,12,20 ";
  ASSERT_EQ(Play("--frames 100 --script quit.script --trace b.jsonl" + fixed), 0);
  ASSERT_EQ(Play("--frames 8 --script card.script --screenshot card.png" + fixed), 0);
  const std::string none = "--frames 8 --script none.script --screenshot ";
  ASSERT_EQ(Play(none + "a.png --trace a.jsonl --bench" + fixed, &out), 0) << out;
  const std::vector<std::string> trace = ReadLines("a.jsonl");
  ASSERT_EQ(trace.size(), 8u);
  EXPECT_EQ(trace, ReadLines("b.jsonl"));
  const std::string camera =
      R"(,"camera":{"position":[-90,-40.5,40],"angles":[0,12,20],"fov":60}})";
  for (int i = 0; i < 8; ++i)
    EXPECT_TRUE(trace[i].rfind("{\"frame\":" + std::to_string(i) + ",\"dt\":0.016", 0) == 0 &&
                Has(trace[i], camera))
        << trace[i];
  const std::vector<uint8_t> plain = ReadPngRgb("a.png", 1024, 768),
                             card = ReadPngRgb("card.png", 1024, 768);
  ASSERT_TRUE(plain.size() == card.size() && !card.empty());
  const auto [panel, text] = Count(plain, card, 200, 150, 824, 618);  // the card, centred
  EXPECT_TRUE(panel > 100000 && text > 3000) << panel << " " << text;
  const auto [badge, name] = Count(plain, card, 0, 0, 200, 30);  // the badge, top left
  EXPECT_TRUE(badge > 2000 && name > 150) << badge << " " << name;
  std::set<uint32_t> colours;  // a whole scene; the sky drawn behind it gives the same picture
  for (size_t i = 0; i < plain.size(); i += 3)
    colours.insert(plain[i] << 16 | plain[i + 1] << 8 | plain[i + 2]);
  EXPECT_GT(colours.size(), 300u);
  for (const char* phase : {"update ", "swap ", "render.sky ", "render.overlay "})
    EXPECT_TRUE(Has(out, phase)) << out;
  // The machine, the window; the world loads through the manager, all is unloaded at exit.
  const std::string log = Log("dump.mem");
  std::vector<size_t> at;
  for (const char* line :
       {"::CPU:(", "::OS:Linux ", "::RAM: ", "::Create OpenGL Window [1024x768] windowed\n",
        "::MM::initialized\n", "::glsl::initialized\n",
        "::MM::loaded model [bin\\map2.Model] [m1]::(v:121 f:200 b:0 t:1)\n",
        "::MM::used model [bin\\tree.Model] [m3]\n", "::MM::Unload Begin()\n", "::MM::Model5\n"})
    at.push_back(log.find(line));
  EXPECT_TRUE(std::is_sorted(at.begin(), at.end()) && at.back() != log.npos) << log;
  EXPECT_EQ(log.substr(log.size() - 19), "::MM::Unload End()\n");
  ASSERT_EQ(Play(none + "f.png" + fixed, nullptr, "QH_SKY_FIRST=1"), 0);
  EXPECT_TRUE(ReadPngRgb("f.png", 1024, 768) == plain);
  // A clean run ends without a sanitizer report; the cursor starts centred (frame 0 doesn't turn).
  ASSERT_EQ(
      Play("--frames 30 --fixed-dt 0.016 --script none.script --trace c.jsonl", &out, "", true), 0)
      << out;
  EXPECT_FALSE(Has(out, "Sanitizer") || Has(out, "runtime error")) << out;
  for (float angle : Triple(ReadLines("c.jsonl").at(0), "angles", 4)) EXPECT_NEAR(angle, 0, 1e-3);
  dir.Write("bad.script", "1 key w sideways\n");  // bad options: exit 2
  for (const char* args : {"--frames nope", "--camera 1,2,3", "--script bad.script"})
    EXPECT_EQ(Play(args), 2) << args;

  // Character 3's strands: unsaved edits are kept at quit; from a working directory that can't be
  // written, saves go into the state folder, and fail when that can't be made either.
  CSpline two;
  ASSERT_TRUE(two.Resize(2, -1) && two.Resize(0, 2) && two.Resize(1, 2));
  two.local[0][1] = two.local[1][1] = vec3(0, 0, 1);
  ASSERT_TRUE(two.Save("KT.Line"));
  // Free view, Control+N empties the set; Control+S on frame 8 saves it.
  dir.Write("edit.script",
            "2 key h down\n3 key h up\n5 key ctrl down\n6 key n down\n7 key n up\n8 key s down\n"
            "9 key s up\n10 key ctrl up\n");
  ASSERT_EQ(Play("--frames 8 --fixed-dt 0.02 --script edit.script"), 0);  // quit before saving
  std::vector<uint8_t> kept;
  ASSERT_TRUE(ReadWholeFile("KT.Line.recovery", &kept));
  CSpline recovered;
  EXPECT_TRUE(recovered.Decode(kept.data(), kept.size()) && recovered.count == 0);
  EXPECT_TRUE(Has(Log("dump.mem"), "WARNING::Spline::(KT.Line) unsaved edits kept in [KT.Line."));
  TempDir readOnly, state;
  ScratchMount mount(readOnly.path(), 1 << 24);
  ASSERT_EQ(RunCommand("cp brookfield.core edit.script " + readOnly.path()), 0);
  ASSERT_TRUE(two.Save(readOnly.File("KT.Line").c_str()));
  if (!mount.MakeReadOnly()) GTEST_SKIP() << "no way to make a folder read-only here";
  const std::string s = state.path() + "/.local/state",
                    reason = std::strerror(mount.mounted() ? EROFS : EACCES);
  // The second run finds the first's state folder through HOME (a relative XDG_STATE_HOME
  // doesn't count) and reads the set saved there; the third has none it could make.
  const std::string homes[] = {"XDG_STATE_HOME=" + s,
                               "XDG_STATE_HOME=relative HOME=" + state.path(),
                               "XDG_STATE_HOME=" + readOnly.path()};
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(Play("--frames 12 --script edit.script --trace " + state.File("t"), nullptr,
                   "cd " + readOnly.path() + " && " + homes[i]),
              0);
    const std::vector<std::string> t = ReadLines(state.File("t"));
    ASSERT_EQ(t.size(), 12u);
    EXPECT_EQ(Has(t[4], "\"bone\":"), i != 1) << i;  // strands before Control+N
    EXPECT_TRUE(Has(t[10], i < 2 ? "\"Saved " + s + "/quietharbour/KT.Line\""
                                 : "\"can't save KT.Line: " + reason + "\""))
        << t[10];
  }
  struct stat folder;  // the user's own, as state folders are
  EXPECT_TRUE(stat((s + "/quietharbour").c_str(), &folder) == 0 && (folder.st_mode & 0777) == 0700);
  EXPECT_TRUE(Has(Log(s + "/quietharbour/dump.mem"),
                  "can't be written: the log and saves go to [" + s + "/quietharbour/]"));
  EXPECT_TRUE(ReadWholeFile(readOnly.File("KT.Line"), &kept) && kept == two.Encode());
}

// The pad's sticks walk and turn; the settings turn the mouse look (a bad line is logged); the
// data folder holds the archive; Insert saves a screenshot in the pictures folder.
TEST(Extras, VirtualGamepadSettingsDataFolderAndScreenshotKey) {
  TempDir dir(true);
  for (const char* folder : {"data", "pics", "config/quietharbour"})
    std::filesystem::create_directories(folder);
  ASSERT_TRUE(WriteSmallWorld("data/brookfield.core"));
  dir.Write("plain.script", "0 cursor 512 384\n60 mouse 0 -10\n");
  dir.Write("pad.script",
            "0 cursor 512 384\n60 mouse 0 -10\n0 pad attach\n61 pad lefty -32767\n"
            "61 pad rightx 32767\n1 key insert down\n2 key insert up\n");
  const std::string args = " --data data --size 640x480 --fixed-dt 0.02 --frames 90 --script ";
  ASSERT_EQ(Play(args + "plain.script --trace plain.jsonl"), 0);
  dir.Write("config/quietharbour/settings.ini",
            "[mouse]\nsensitivity = 0.4\ninvert_y = true\nbogus\n");
  ASSERT_EQ(Play(args + "pad.script --trace pad.jsonl"), 0);
  const std::vector<std::string> plain = ReadLines("plain.jsonl"), pad = ReadLines("pad.jsonl");
  ASSERT_TRUE(plain.size() == 90u && pad.size() == 90u);
  // The controlled character (3) walks off; the view turns right (yaw falls).
  const std::vector<float> from = Triple(plain[89], "position", 3),
                           to = Triple(pad[89], "position", 3);
  EXPECT_GT(std::hypot(to[0] - from[0], to[1] - from[1]), 3.0f);
  EXPECT_LT(Triple(pad[89], "angles", 4)[2], Triple(plain[89], "angles", 4)[2] - 20);
  // Ten pixels up: 2 degrees up as designed, 4 down with the settings.
  EXPECT_NEAR(Triple(plain[60], "angles", 4)[1] - Triple(plain[59], "angles", 4)[1], -2.0f, 0.05f);
  EXPECT_NEAR(Triple(pad[60], "angles", 4)[1] - Triple(pad[59], "angles", 4)[1], 4.0f, 0.05f);
  const std::string log = Log("dump.mem");
  EXPECT_TRUE(
      Has(log, "WARNING::Settings::" + dir.path() + "/config/quietharbour/settings.ini:4: ") &&
      Has(log, "Screenshot [" + dir.path() + "/pics/quietharbour-0001.png]"))
      << log;
  EXPECT_EQ(ReadPngRgb("pics/quietharbour-0001.png", 640, 480).size(), 640u * 480 * 3);
}
