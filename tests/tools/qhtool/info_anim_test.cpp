// Runs the built qhtool on clip files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "geometry/anim.h"
#include "support/test_support.h"

namespace {
struct ToolRun {
  int status;
  std::string output;  // stdout and stderr
};

ToolRun Info(const std::string& path) {
  const std::string command = std::string(QH_BINARY_DIR "/qhtool info '") + path + "' 2>&1";
  ToolRun run{-1, ""};
  FILE* p = popen(command.c_str(), "r");
  if (!p) return run;
  char buffer[256];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) run.output.append(buffer, n);
  const int status = pclose(p);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::vector<char> ReadAll(const char* path) {
  std::vector<char> bytes;
  FILE* f = std::fopen(path, "rb");
  if (!f) return bytes;
  char buffer[256];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(f);
  return bytes;
}

// A two-track version 2 clip saved through the writer.
void SaveSample(const char* path) {
  float times[2] = {1, 6};
  vec3 keys[2] = {vec3(0, 0, 0), vec3(1, 0, 0)};
  AnimTrack tracks[2];
  tracks[0].posCount = 2;
  tracks[0].posTimes = times;
  tracks[0].posKeys = keys;
  tracks[1].rotCount = 1;
  tracks[1].rotTimes = times;
  tracks[1].rotKeys = keys;
  cstring names[2];
  names[0].assign("root");
  names[1].assign("tail");
  CAnim clip;
  clip.frames = 12;
  clip.boneCount = 2;
  clip.tracks = tracks;
  clip.trackName = names;
  ASSERT_TRUE(SaveClip(clip, path));
}
}  // namespace

TEST(QhtoolInfoAnim, DamagedClipsGiveAReasonAndExitOne) {
  ScratchDir dir;
  SaveSample("good.Anim");
  const std::vector<char> good = ReadAll("good.Anim");
  ASSERT_GT(good.size(), 20u);
  for (size_t n = 0; n < good.size(); ++n) {
    ASSERT_TRUE(dir.Write("cut.Anim", good.data(), n));
    const ToolRun run = Info(dir.path() + "/cut.Anim");
    EXPECT_EQ(run.status, 1) << n;
    EXPECT_NE(run.output.find("cut.Anim: "), std::string::npos) << run.output;
  }
  // A flipped magic byte and a first key time moved onto the second.
  std::vector<char> flipped = good;
  flipped[1] ^= 0x40;
  ASSERT_TRUE(dir.Write("flip.Anim", flipped.data(), flipped.size()));
  ToolRun run = Info(dir.path() + "/flip.Anim");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("flip.Anim: bad header"), std::string::npos) << run.output;
  std::vector<char> late = good;
  const size_t firstTime = 2 + 4 + 1 + 1 + 5 + 2;  // magic, frames, count, name, pos count
  late[firstTime] = 6;
  ASSERT_TRUE(dir.Write("late.Anim", late.data(), late.size()));
  run = Info(dir.path() + "/late.Anim");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("position keys: key times don't increase"), std::string::npos)
      << run.output;
}

TEST(QhtoolInfoAnim, PrintsVersionFramesAndKeyCounts) {
  ScratchDir dir;
  SaveSample("good.Anim");
  const ToolRun run = Info(dir.path() + "/good.Anim");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output,
            "ANIM version=2 frames=12 tracks=2\n"
            "track 0 root pos=2 rot=0 scale=0\n"
            "track 1 tail pos=0 rot=1 scale=0\n");
}
