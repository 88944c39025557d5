// The settings file: values, bad lines named by file and line, writing it back, where it lives;
// the gamepad's mapping onto the input.
#include "shell/settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "shell/data_paths.h"
#include "shell/gamepad.h"
#include "support/test_support.h"

TEST(Settings, BadLinesAreNamedByFileAndLineTheRestLoadsAndWritesBack) {
  TempDir dir;
  // Bad: 5 not a number, 8 out of range, 10 no value, 15 z taken, 16 unknown, 19 (14: w is free).
  dir.Write("s.ini",
            "; comment\n[mouse]\nsensitivity = 0.45 ; inline comment\ninvert_y = yes\n"
            "sensitivity = fast\n[window]\nwidth = 800\nheight = 99999\nfullscreen = off\n"
            "this line has no value\n[keys]\nforward = z\nleft = q\njump = w\nback = z\n"
            "colour = red\n[audio]\nmusic_volume = 40\n[broken\n");
  Settings s;
  std::vector<std::string> problems;
  ASSERT_TRUE(ReadSettings(dir.File("s.ini"), &s, &problems));
  EXPECT_TRUE(s.sensitivity == 0.45f && s.invertY && !s.fullscreen && s.musicVolume == 40);
  EXPECT_EQ(s.width * 10000 + s.height, 8000000);
  EXPECT_EQ(std::vector<int>(s.movement, s.movement + 5), (std::vector<int>{'z', 0, 'q', 0, 'w'}));
  const std::vector<int> bad = {5, 8, 10, 16, 19, 15};
  ASSERT_EQ(problems.size(), bad.size());
  for (size_t i = 0; i < bad.size(); ++i)
    EXPECT_EQ(problems[i].rfind(dir.File("s.ini") + ":" + std::to_string(bad[i]) + ": ", 0), 0u)
        << problems[i];
  EXPECT_FALSE(ReadSettings(dir.File("none.ini"), &s, &problems));
  s.sensitivity = 0.35f, s.movement[3] = 18, s.fkeyAliases = false, s.lookSpeed = 90;
  std::string error;
  const std::string path = dir.File("deep/er/settings.ini");
  ASSERT_TRUE(WriteSettings(path, s, &error)) << error;
  Settings back;
  problems.clear();
  ASSERT_TRUE(ReadSettings(path, &back, &problems) && problems.empty());
  EXPECT_EQ(SettingsText(back), SettingsText(s));
  EXPECT_FALSE(WriteSettings(path + "/x", s, &error));
}

TEST(Settings, TheFileAndScreenshotsLiveInTheUsersFolders) {
  TempDir dir;
  const std::string home = getenv("HOME") ? getenv("HOME") : "";
  setenv("XDG_CONFIG_HOME", "/x/conf", 1);
  EXPECT_EQ(SettingsPath(), "/x/conf/quietharbour/settings.ini");
  setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored, as XDG says
  setenv("HOME", "/h", 1);
  EXPECT_EQ(SettingsPath(), "/h/.config/quietharbour/settings.ini");
  // Screenshots go to the pictures folder that user-dirs.dirs names.
  std::filesystem::create_directories(dir.File("pics"));
  dir.Write("user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/d\"\nXDG_PICTURES_DIR=\"$HOME/pics\"\n");
  setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  setenv("HOME", dir.path().c_str(), 1);
  unsetenv("XDG_PICTURES_DIR");
  EXPECT_EQ(PicturesFolder(), dir.path() + "/pics/");
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", home.c_str(), 1);
}

TEST(Gamepad, SticksMoveAndLookPastTheDeadZoneButtonsActShouldersRepeat) {
  PadMapper mapper;
  const PadOptions options;  // dead zone 0.25, run at 0.9, 150 degrees a second
  PadState pad;
  EXPECT_EQ(mapper.Map(pad, options, 0.1f, true).wheel, 0);  // not connected
  pad.connected = pad.a = pad.y = pad.rightShoulder = true;
  pad.leftX = 0.2f, pad.leftY = -0.5f;   // inside the dead zone; forward, walking
  pad.rightX = 1, pad.rightY = -0.625f;  // full right: turn right
  PadInput in = mapper.Map(pad, options, 0.1f, true);
  EXPECT_TRUE(in.forward && !in.back && !in.left && !in.right && !in.run);
  EXPECT_TRUE(in.jump && in.freeView && !in.nextCharacter);
  // Up (0.625 - 0.25) / 0.75 * 150 * 0.1; a shoulder's press steps at once.
  EXPECT_TRUE(in.lookX == -15.0f && in.lookY == 7.5f && in.wheel == 1) << in.lookX << in.lookY;
  pad.leftX = -0.95f;
  in = mapper.Map(pad, options, 0.05f, true);
  EXPECT_TRUE(in.left && in.run && in.wheel == 0);             // half a step's time
  EXPECT_EQ(mapper.Map(pad, options, 0.05f, false).wheel, 1);  // then the next
  in = mapper.Map(pad, options, 0.05f, false);                 // in free view the sticks do nothing
  EXPECT_TRUE(!in.forward && !in.left && !in.run && in.lookX == 0 && in.jump);
}
