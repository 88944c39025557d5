// The eyes in headless program runs on the small world: a close fixed
// camera on a character's face, with and without "u" held, and a clean log
// while every eye and drawing key is used.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "math/vec3.h"
#include "support/small_world.h"
#include "support/test_support.h"

namespace {
constexpr int kWidth = 320, kHeight = 240;

// Runs the program on the small world (written in the current directory)
// for `frames` frames of 0.02 s with the script and extra options; the
// program's output goes to `out`.
bool RunWorld(int frames, const std::string& script, const std::string& extra, std::string* out) {
  {
    std::ofstream s("input.script");
    s << "0 cursor 160 120\n" << script;
  }
  const std::string command =
      "SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 " + BinaryPath("quietharbour") +
      " --windowed --size 320x240 --fixed-dt 0.02 --script input.script --frames " +
      std::to_string(frames) + " " + extra + " 2>&1";
  return RunCommand(command, out) == 0;
}

// Position and yaw (degrees) of character 0 in the last line of a trace.
bool FirstCharacter(const char* trace, vec3* position, float* yaw) {
  const std::vector<std::string> lines = ReadLines(trace);
  if (lines.empty()) return false;
  const std::string& last = lines.back();
  const size_t at = last.find("\"players\":[{\"position\":[");
  if (at == std::string::npos) return false;
  float roll, pitch;
  return std::sscanf(last.c_str() + at + 25,
                     "%f,%f,%f],\"velocity\":[%*f,%*f,%*f],\"angles\":[%f,%f,%f", &position->x,
                     &position->y, &position->z, &roll, &pitch, yaw) == 6;
}
}  // namespace

TEST(EyeDraw, HeldUWidensTheEyesOfTheFaceInViewAndNothingElse) {
  TempDir dir(true);
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
  std::string out;
  // Everyone has landed and stands still after three seconds.
  ASSERT_TRUE(RunWorld(150, "", "--trace t.jsonl", &out)) << out;
  vec3 at;
  float yaw = 0;
  ASSERT_TRUE(FirstCharacter("t.jsonl", &at, &yaw));
  // Eight units in front of the face, at the height of the eyes, looking
  // back at it.
  const float a = DegToRad(yaw);
  char camera[128];
  std::snprintf(camera, sizeof camera, "--camera %g,%g,%g,0,0,%g", at.x + 8 * std::cos(a),
                at.y + 8 * std::sin(a), at.z + 3.3f, yaw + 180);
  ASSERT_TRUE(RunWorld(150, "", std::string(camera) + " --screenshot plain.png", &out)) << out;
  ASSERT_TRUE(RunWorld(150, "0 key u down\n", std::string(camera) + " --screenshot wide.png", &out))
      << out;
  const std::vector<uint8_t> plain = ReadPngRgb("plain.png", kWidth, kHeight),
                             wide = ReadPngRgb("wide.png", kWidth, kHeight);
  ASSERT_EQ(plain.size(), static_cast<size_t>(kWidth * kHeight * 3));
  ASSERT_EQ(wide.size(), plain.size());
  int changed = 0, outside = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const size_t i = 3 * static_cast<size_t>(y * kWidth + x);
      if (plain[i] == wide[i] && plain[i + 1] == wide[i + 1] && plain[i + 2] == wide[i + 2])
        continue;
      ++changed;
      // The face fills the middle of the picture.
      outside += std::abs(x - kWidth / 2) > 100 || std::abs(y - kHeight / 2) > 100;
    }
  EXPECT_GT(changed, 200);
  EXPECT_EQ(outside, 0);
}

TEST(EyeDraw, EveryDrawingKeyRunsCleanAndTheEyesAreTimed) {
  TempDir dir(true);
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
  std::string out;
  ASSERT_TRUE(RunWorld(120,
                       "10 key u down\n20 key shift down\n30 key n down\n40 key o down\n"
                       "50 key u up\n60 key shift up\n70 key n up\n80 key o up\n"
                       "90 key w down\n90 button left down\n",
                       "--bench", &out))
      << out;
  EXPECT_NE(out.find("render.eyes"), std::string::npos) << out;
  std::string log;
  ASSERT_EQ(RunCommand(BinaryPath("qhtool") + " log dump.mem 2>&1", &log), 0) << log;
  EXPECT_NE(log.find("GLSL::Loaded [eye].ps/vs"), std::string::npos) << log;
  // The small world has no pictures; nothing else may go wrong.
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    if (line.find("ERROR::Jpg::file not found [") != std::string::npos) continue;
    EXPECT_EQ(line.find("ERROR::"), std::string::npos) << line;
    EXPECT_EQ(line.find("FATAL::"), std::string::npos) << line;
  }
}
