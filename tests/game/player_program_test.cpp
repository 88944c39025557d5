// The characters in headless program runs on the small world: scripted
// input, fixed frame times, and the trace's "current" and "players" fields.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "math/vec3.h"
#include "support/small_world.h"
#include "support/test_support.h"

namespace {
constexpr float kStep = 0.02f;
constexpr float kRadius = 2.3585f;  // the stand-in body's bounding radius

struct TracedPlayer {
  vec3 position, velocity, angles, up;
  std::string clip;
  bool grounded = false;
  int mode = -1;
};

struct TracedFrame {
  int current = -1;
  std::vector<TracedPlayer> players;
  int jumpSounds[4] = {};  // playbacks under way, KT, MV, WN, ZL
};

vec3 ArrayAfter(const std::string& s, const std::string& key) {
  vec3 v;
  const size_t at = s.find("\"" + key + "\":[");
  if (at != std::string::npos)
    std::sscanf(s.c_str() + at + key.size() + 4, "%f,%f,%f", &v.x, &v.y, &v.z);
  return v;
}

TracedFrame ParseFrame(const std::string& line) {
  TracedFrame f;
  std::sscanf(line.c_str() + line.find("\"current\":") + 10, "%d", &f.current);
  const size_t sounds = line.find("\"jumpSounds\":[");
  if (sounds != std::string::npos)
    std::sscanf(line.c_str() + sounds + 14, "%d,%d,%d,%d", &f.jumpSounds[0], &f.jumpSounds[1],
                &f.jumpSounds[2], &f.jumpSounds[3]);
  // Player objects only: the camera's object has a position too.
  const size_t last = line.find("}]", line.find("\"players\":["));
  for (size_t at = line.find("{\"position\""); at != std::string::npos && at < last;
       at = line.find("{\"position\"", at + 1)) {
    const std::string o = line.substr(at, line.find('}', at) - at);
    TracedPlayer p;
    p.position = ArrayAfter(o, "position");
    p.velocity = ArrayAfter(o, "velocity");
    p.angles = ArrayAfter(o, "angles");
    p.up = ArrayAfter(o, "up");
    const size_t clip = o.find("\"clip\":\"") + 8;
    p.clip = o.substr(clip, o.find('"', clip) - clip);
    p.grounded = o.find("\"grounded\":true") != std::string::npos;
    std::sscanf(o.c_str() + o.find("\"mode\":") + 7, "%d", &p.mode);
    f.players.push_back(p);
  }
  return f;
}

// Runs the program on the small world for `frames` frames of kStep seconds
// with the script (a cursor at the window centre comes first) and returns
// the traced frames; the program's output goes to `out` when given.
std::vector<TracedFrame> RunProgram(int frames, const std::string& script,
                                    const std::string& extra = "", std::string* out = nullptr) {
  TempDir dir(true);
  EXPECT_TRUE(WriteSmallWorld("brookfield.core"));
  dir.Write("input.script", "0 cursor 160 120\n" + script);
  std::string output;
  EXPECT_EQ(RunProgramHere(frames, extra, &output), 0) << output;
  if (out) *out = output;
  std::vector<TracedFrame> trace;
  for (const std::string& line : ReadLines("t.jsonl")) trace.push_back(ParseFrame(line));
  EXPECT_EQ(trace.size(), static_cast<size_t>(frames));
  return trace;
}

bool OnTheGround(const TracedPlayer& p) {
  return p.grounded && std::abs(p.position.z) < 1e-3f && p.velocity == vec3();
}
}  // namespace

TEST(PlayerProgram, CharactersFallAtTheStartLandAndStayApart) {
  std::string out;
  const std::vector<TracedFrame> trace = RunProgram(160, "", "--bench", &out);
  EXPECT_NE(out.find("physics "), std::string::npos) << out;
  ASSERT_EQ(trace.size(), 160u);
  ASSERT_EQ(trace[0].players.size(), 4u);
  EXPECT_EQ(trace[0].current, 3);
  for (int i = 0; i < 4; ++i) {
    const TracedPlayer& start = trace[0].players[i];
    EXPECT_EQ(start.mode, i == 3 ? 1 : 0);
    EXPECT_FALSE(start.grounded);
    EXPECT_EQ(start.clip, "JumpAir");
    EXPECT_GT(start.position.z, 0);
    EXPECT_LT(trace[1].players[i].velocity.z, start.velocity.z);  // falling faster
    EXPECT_TRUE(OnTheGround(trace.back().players[i])) << i << " " << trace.back().players[i].clip;
  }
  for (size_t f = 1; f < trace.size(); ++f)
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < i; ++j)
        EXPECT_GE(length(trace[f].players[i].position - trace[f].players[j].position),
                  2 * kRadius * 0.99f);
}

TEST(PlayerProgram, HoldingWWalksForwardAndTheLeftButtonRuns) {
  const std::vector<TracedFrame> trace = RunProgram(211, "150 key w down\n200 button left down\n");
  auto at = [&trace](int f) { return trace[f].players[3]; };
  ASSERT_TRUE(OnTheGround(at(149)));
  EXPECT_EQ(at(170).clip, "Walk");
  const vec3 walked = at(190).position - at(170).position;
  const float yaw = DegToRad(at(170).angles.z);
  EXPECT_NEAR(length(walked), 20 * kStep * 4 * kRadius, 0.01f);
  EXPECT_NEAR(walked.x, length(walked) * std::cos(yaw), 0.05f);
  EXPECT_NEAR(walked.y, length(walked) * std::sin(yaw), 0.05f);
  EXPECT_TRUE(at(190).grounded);

  // (The small map ends about 50 units out: the run is measured early.)
  EXPECT_EQ(at(202).clip, "Run");
  EXPECT_NEAR(length(at(210).position - at(202).position), 8 * kStep * 16 * kRadius, 0.05f);
  EXPECT_TRUE(at(210).grounded);
}

TEST(PlayerProgram, CPassesControlInOrderAndHSwitchesToFreeView) {
  const std::vector<TracedFrame> trace = RunProgram(
      60,
      "10 key c down\n11 key c up\n20 key c down\n21 key c up\n30 key c down\n31 key c up\n"
      "40 key c down\n41 key c up\n50 key h down\n51 key h up\n");
  const int expected[] = {3, 0, 1, 2, 3};
  for (int k = 0; k < 5; ++k) {
    const TracedFrame& f = trace[10 * k + 5];
    EXPECT_EQ(f.current, expected[k]);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(f.players[i].mode, i == expected[k] ? 1 : 0) << k;
  }
  EXPECT_EQ(trace[55].players[3].mode, 2);
}

TEST(PlayerProgram, TheMouseTurnsTheViewAndTheBodyFollows) {
  // 200 pixels right: the view turns 40 degrees right; standing, the
  // character turns on the spot to face it.
  const std::vector<TracedFrame> trace = RunProgram(260, "150 mouse 200 0\n");
  const TracedPlayer& before = trace[149].players[3];
  ASSERT_TRUE(OnTheGround(before));
  EXPECT_EQ(trace[151].players[3].clip, "TurnRight");
  EXPECT_NEAR(trace.back().players[3].angles.z - before.angles.z, -40, 1.0f);
}

TEST(PlayerProgram, SpaceCrouchesThenJumpsWithItsSoundAndLandsInTheLandingClip) {
  const std::vector<TracedFrame> trace = RunProgram(260, "150 key space down\n");
  auto at = [&trace](int f) { return trace[f].players[3]; };
  ASSERT_TRUE(OnTheGround(at(149)));
  EXPECT_EQ(at(152).clip, "Land");  // crouching until the landing clip has looped
  int takeOff = -1;
  for (int f = 152; f < 260 && takeOff < 0; ++f)
    if (!at(f).grounded) takeOff = f;
  ASSERT_GT(takeOff, 160);
  // Standing still, the jump is straight up at 70 (less one frame of gravity).
  EXPECT_EQ(at(takeOff).clip, "JumpAir");
  EXPECT_NEAR(at(takeOff).velocity.z, 70, 5);
  EXPECT_NEAR(at(takeOff).velocity.x, 0, 1e-3f);
  EXPECT_EQ(trace[takeOff].jumpSounds[0], 1);  // KT's sample
  EXPECT_EQ(trace[takeOff - 1].jumpSounds[0], 0);
  int landed = -1;
  for (int f = takeOff + 1; f < 260 && landed < 0; ++f)
    if (at(f).grounded) landed = f;
  ASSERT_GT(landed, takeOff);
  EXPECT_EQ(at(landed).clip, "Land");
}

TEST(PlayerProgram, OnlyTheWingedCharactersFlyWithSpaceInTheAir) {
  // Control passes to character 0 (winged), which jumps and then flies;
  // the same keys on character 2 (ground) never fly.
  const std::string keys =
      "160 key space down\n240 key space up\n250 key space down\n251 key space up\n"
      "253 key space down\n254 key space up\n";
  auto clips = [](const std::vector<TracedFrame>& trace, int who) {  // after the keys start
    std::string seen;
    for (size_t f = 160; f < trace.size(); ++f) seen += trace[f].players[who].clip + " ";
    return seen;
  };
  const std::vector<TracedFrame> winged = RunProgram(280, "150 key c down\n151 key c up\n" + keys);
  EXPECT_EQ(winged[155].current, 0);
  EXPECT_NE(clips(winged, 0).find("Fly"), std::string::npos);
  const std::vector<TracedFrame> ground =
      RunProgram(280,
                 "140 key c down\n141 key c up\n144 key c down\n145 key c up\n148 key c down\n"
                 "149 key c up\n" +
                     keys);
  EXPECT_EQ(ground[155].current, 2);
  EXPECT_NE(clips(ground, 2).find("JumpAir"), std::string::npos);
  EXPECT_EQ(clips(ground, 2).find("Fly"), std::string::npos);
}
