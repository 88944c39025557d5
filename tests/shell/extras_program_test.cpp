// The program's additions run headless on the small world: the overlay in pixels, a virtual
// gamepad and a settings file in the trace, the data folder, the screenshot key, the options.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "support/small_world.h"
#include "support/test_support.h"

namespace {
constexpr int kWidth = 1024, kHeight = 768;

// `frames` frames of 0.02 s in the current directory, its config/ as the
// settings folder and pics/ as the pictures folder.
std::string Play(int frames, const std::string& script, const std::string& extra) {
  std::ofstream("input.script") << "0 cursor 512 384\n" << script;
  std::string out;
  const int code = RunCommand(
      "SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 XDG_CONFIG_HOME=$PWD/config "
      "XDG_PICTURES_DIR=$PWD/pics " +
          BinaryPath("quietharbour") + " --windowed --size 1024x768 --fixed-dt 0.02 --frames " +
          std::to_string(frames) + " --script input.script " + extra + " 2>&1",
      &out);
  return code == 0 ? out : "exit " + std::to_string(code) + ": " + out;
}

// The n-th "KEY":[x,y,z] of a trace line (the characters 0..3, then the camera).
std::vector<float> Triple(const std::string& line, const std::string& key, int n) {
  size_t at = 0;
  for (int i = 0; i <= n; ++i) at = line.find("\"" + key + "\":[", at) + key.size() + 4;
  std::vector<float> v(3);
  std::sscanf(line.c_str() + at, "%f,%f,%f", &v[0], &v[1], &v[2]);
  return v;
}

// Pixels of the box where `b` is a dark panel over `a`, and where it is near white.
std::pair<int, int> Count(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int x0,
                          int y0, int x1, int y1) {
  std::pair<int, int> n;
  for (int y = y0; y < y1; ++y)
    for (size_t i = 3 * (y * kWidth + x0); i < 3u * (y * kWidth + x1); i += 3) {
      n.first += b[i] + b[i + 1] + b[i + 2] + 60 < a[i] + a[i + 1] + a[i + 2];
      n.second += b[i] > 200 && b[i + 1] > 200 && b[i + 2] > 200;
    }
  return n;
}
}  // namespace

TEST(Extras, TabShowsTheHelpCardAndFreeViewTheBadge) {
  TempDir dir(true);
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
  EXPECT_EQ(Play(20, "", "--screenshot plain.png"), "");
  EXPECT_EQ(
      Play(20, "2 key tab down\n3 key tab up\n5 key h down\n6 key h up\n", "--screenshot card.png"),
      "");
  const std::vector<uint8_t> plain = ReadPngRgb("plain.png", kWidth, kHeight),
                             card = ReadPngRgb("card.png", kWidth, kHeight);
  ASSERT_EQ(plain.size(), card.size());
  const auto [panel, text] = Count(plain, card, 200, 150, 824, 618);  // the card, centred
  EXPECT_GT(panel, 100000);
  EXPECT_GT(text, 3000);
  const auto [badge, name] = Count(plain, card, 0, 0, 200, 30);  // the badge, top left
  EXPECT_GT(badge, 2000);
  EXPECT_GT(name, 150);
}

TEST(Extras, VirtualGamepadWalksAndLooksAndSettingsTurnTheMouseLook) {
  TempDir dir(true);
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
  const std::string mouse = "60 mouse 0 -10\n";
  EXPECT_EQ(Play(90, mouse, "--size 640x480 --trace plain.jsonl"), "");
  EXPECT_EQ(Play(90, mouse + "0 pad attach\n61 pad lefty -32767\n61 pad rightx 32767\n",
                 "--size 640x480 --trace pad.jsonl"),
            "");
  std::filesystem::create_directories("config/quietharbour");
  dir.Write("config/quietharbour/settings.ini",
            "[mouse]\nsensitivity = 0.4\ninvert_y = true\nbogus\n");
  EXPECT_EQ(Play(90, mouse, "--size 640x480 --trace set.jsonl"), "");
  const std::vector<std::string> plain = ReadLines("plain.jsonl"), pad = ReadLines("pad.jsonl"),
                                 set = ReadLines("set.jsonl");
  for (const auto* t : {&plain, &pad, &set}) ASSERT_EQ(t->size(), 90u);
  // The controlled character (3) walks off; the view turns right (yaw falls).
  const std::vector<float> from = Triple(plain[89], "position", 3),
                           to = Triple(pad[89], "position", 3);
  EXPECT_GT(std::hypot(to[0] - from[0], to[1] - from[1]), 3.0f);
  EXPECT_LT(Triple(pad[89], "angles", 4)[2], Triple(plain[89], "angles", 4)[2] - 20);
  // Ten pixels up: 2 degrees up as designed, 4 down with the settings.
  const float designed = Triple(plain[60], "angles", 4)[1] - Triple(plain[59], "angles", 4)[1];
  const float changed = Triple(set[60], "angles", 4)[1] - Triple(set[59], "angles", 4)[1];
  EXPECT_NEAR(designed, -2.0f, 0.05f);
  EXPECT_NEAR(changed, 4.0f, 0.05f);

  std::string log;
  RunCommand(BinaryPath("qhtool") + " log dump.mem", &log);
  EXPECT_NE(log.find("WARNING::Settings::" + dir.path() + "/config/quietharbour/settings.ini:4: "),
            std::string::npos)
      << log;
}

TEST(Extras, DataFolderScreenshotKeyVersionAndSettingsOption) {
  TempDir dir(true);
  for (const char* folder : {"data", "pics"}) std::filesystem::create_directories(folder);
  ASSERT_TRUE(WriteSmallWorld("data/brookfield.core"));
  EXPECT_EQ(Play(5, "1 key insert down\n2 key insert up\n", "--data data"), "");
  EXPECT_TRUE(std::filesystem::exists("pics/quietharbour-0001.png"));
  std::string log;
  RunCommand(BinaryPath("qhtool") + " log dump.mem", &log);
  EXPECT_NE(log.find("Screenshot [" + dir.path() + "/pics/quietharbour-0001.png]"),
            std::string::npos)
      << log;

  const std::string missing = Play(3, "", "--data nowhere");
  EXPECT_NE(missing.find("can't open core file (brookfield.core is in none of: nowhere/, "),
            std::string::npos)
      << missing;
  EXPECT_NE(missing.find(", the working directory)"), std::string::npos) << missing;

  std::string out;
  ASSERT_EQ(RunCommand(BinaryPath("quietharbour") + " --version", &out), 0);
  EXPECT_EQ(out.rfind("QuietHarbour ", 0), 0u) << out;
  ASSERT_EQ(RunCommand("XDG_CONFIG_HOME=$PWD/c " + BinaryPath("quietharbour") + " --write-settings",
                       &out),
            0);
  EXPECT_EQ(out, dir.path() + "/c/quietharbour/settings.ini\n");
  const std::vector<std::string> written = ReadLines("c/quietharbour/settings.ini");
  EXPECT_NE(std::find(written.begin(), written.end(), "sensitivity = 0.2"), written.end());
}

TEST(Extras, TheSkyDrawnBehindTheSceneGivesThePictureOfTheSkyDrawnFirst) {
  TempDir dir(true);
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
  // The controlled character runs and the view turns.
  const std::string run = "2 key w down\n2 button left down\n10 mouse 40 -10\n";
  EXPECT_EQ(Play(40, run, "--screenshot behind.png"), "");
  setenv("QH_SKY_FIRST", "1", 1);
  EXPECT_EQ(Play(40, run, "--screenshot first.png"), "");
  unsetenv("QH_SKY_FIRST");
  const std::vector<uint8_t> behind = ReadPngRgb("behind.png", kWidth, kHeight),
                             first = ReadPngRgb("first.png", kWidth, kHeight);
  ASSERT_EQ(behind.size(), 3u * kWidth * kHeight);
  std::set<uint32_t> colours;  // a whole scene, not an empty picture
  for (size_t i = 0; i < behind.size(); i += 3)
    colours.insert(behind[i] << 16 | behind[i + 1] << 8 | behind[i + 2]);
  EXPECT_GT(colours.size(), 300u);
  EXPECT_TRUE(behind == first);
}
