// The strands in headless program runs on the small world: the controlled
// character's Line file at set-up, and the editor driven by a script in free
// view, observed through the trace's "strands" field.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "game/spline.h"
#include "storage/archive_writer.h"
#include "support/small_world.h"
#include "support/test_support.h"
#include "support/vec_expect.h"

namespace {
struct TracedStrand {
  int bone = -2;
  vec3 color;
  bool selected = false;
  std::vector<vec3> points;
};

vec3 ReadVec(const std::string& s, size_t at) {
  vec3 v;
  std::sscanf(s.c_str() + at, "[%f,%f,%f]", &v.x, &v.y, &v.z);
  return v;
}

std::vector<TracedStrand> ParseStrands(const std::string& line) {
  std::vector<TracedStrand> out;
  const size_t begin = line.find("\"strands\":[");
  for (size_t at = line.find("{\"bone\":", begin); at != std::string::npos;
       at = line.find("{\"bone\":", at + 1)) {
    TracedStrand s;
    std::sscanf(line.c_str() + at, "{\"bone\":%d", &s.bone);
    s.color = ReadVec(line, line.find("\"color\":", at) + 8);
    s.selected = line.compare(line.find("\"selected\":", at) + 11, 4, "true") == 0;
    const size_t end = line.find("]]", at);
    for (size_t p = line.find("\"points\":[", at) + 10; p < end; p = line.find("],", p) + 2)
      s.points.push_back(ReadVec(line, p));
    out.push_back(s);
  }
  return out;
}

// Character 3's position in a trace line (the fourth of "players").
vec3 Character3(const std::string& line) {
  size_t at = line.find("\"players\":[");
  for (int i = 0; i < 4; ++i) at = line.find("{\"position\":", at + 1);
  return ReadVec(line, at + 12);
}

// Runs the program in the current directory (holding the small world) for
// `frames` frames of 0.02 s and returns the trace lines.
std::vector<std::string> RunStrands(int frames, const std::string& script,
                                    const std::string& extra) {
  std::ofstream("input.script") << "0 cursor 160 120\n" << script;
  std::string output;
  EXPECT_EQ(RunProgramHere(frames, extra, &output), 0) << output;
  const std::vector<std::string> lines = ReadLines("t.jsonl");
  EXPECT_EQ(lines.size(), static_cast<size_t>(frames));
  return lines;
}

void ExpectSameSet(const std::vector<TracedStrand>& a, const std::vector<TracedStrand>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (size_t s = 0; s < a.size(); ++s) {
    EXPECT_EQ(a[s].bone, b[s].bone) << s;
    ExpectNear(a[s].color, b[s].color);
    ASSERT_EQ(a[s].points.size(), b[s].points.size()) << s;
    for (size_t k = 0; k < a[s].points.size(); ++k)
      ExpectNear(a[s].points[k], b[s].points[k], 1e-4f);
  }
}

// Whether `cut` is `whole` with points taken off its end.
bool IsCutFrom(const TracedStrand& cut, const TracedStrand& whole) {
  if (cut.points.empty() || cut.points.size() >= whole.points.size()) return false;
  for (size_t k = 0; k < cut.points.size(); ++k)
    if (length(cut.points[k] - whole.points[k]) > 1e-4f) return false;
  return true;
}
}  // namespace

TEST(StrandsProgram, TheControlledCharacterStartsWithItsLineFile) {
  TempDir dir(true);
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
  CSpline set;
  ASSERT_TRUE(set.Resize(2, -1));
  ASSERT_TRUE(set.Resize(0, 3));
  ASSERT_TRUE(set.Resize(1, 2));
  for (int k = 0; k < 3; ++k) set.local[0][k] = vec3(0, 0, 4.5f + k);
  set.local[1][1] = vec3(1, 0, 0);
  set.bone[0] = 3;
  set.color[0] = vec3(1, 0.5f, 0.25f);
  ASSERT_TRUE(set.Save("KT.Line"));
  const std::vector<TracedStrand> strands = ParseStrands(RunStrands(2, "", "").front());
  ASSERT_EQ(strands.size(), 2u);
  EXPECT_EQ(strands[0].bone, 3);
  ExpectNear(strands[0].color, vec3(1, 0.5f, 0.25f));
  ASSERT_EQ(strands[0].points.size(), 3u);
  ExpectNear(strands[0].points[2], vec3(0, 0, 6.5f));
  EXPECT_EQ(strands[1].bone, -1);
  EXPECT_EQ(strands[1].points.size(), 2u);
}

TEST(StrandsProgram, TheEditorAddsExtendsPaintsCutsDeletesSavesAndReloads) {
  TempDir dir(true);
  ASSERT_TRUE(WriteSmallWorld("brookfield.core"));
  // Where character 3 comes to stand; then the same run again, with the
  // camera above and behind it looking down 45 degrees at its top face.
  const vec3 at = Character3(RunStrands(150, "", "").back());
  char camera[96];
  std::snprintf(camera, sizeof camera, "--camera %g,%g,%g,0,45,0", at.x - 6, at.y, at.z + 10);
  const std::vector<std::string> trace = RunStrands(224,
                                                    "150 key h down\n151 key h up\n"
                                                    // "d" + click: a two-point strand
                                                    "152 cursor 160 120\n155 key d down\n"
                                                    "157 button left down\n159 button left up\n"
                                                    "160 key d up\n"
                                                    // "f" + click beside it: six points
                                                    "162 cursor 170 120\n165 key f down\n"
                                                    "167 button left down\n169 button left up\n"
                                                    "170 key f up\n"
                                                    // Space-drag from its end to the right
                                                    "172 cursor 170 35\n175 key space down\n"
                                                    "177 button left down\n179 cursor 200 35\n"
                                                    "181 cursor 230 35\n183 cursor 260 35\n"
                                                    "185 button left up\n187 key space up\n"
                                                    // "o" + "3" + click on the first
                                                    "189 cursor 160 120\n191 key o down\n"
                                                    "192 key 3 down\n194 button left down\n"
                                                    "196 button left up\n197 key 3 up\n"
                                                    "198 key o up\n"
                                                    // Control+S
                                                    "200 key ctrl down\n201 key s down\n"
                                                    "202 key s up\n203 key ctrl up\n"
                                                    // "q" on the long one
                                                    "205 cursor 170 86\n207 key q down\n"
                                                    "208 key q up\n"
                                                    // Delete on the first
                                                    "210 cursor 160 120\n212 key delete down\n"
                                                    "213 key delete up\n"
                                                    // Control+N, Control+L
                                                    "215 key ctrl down\n216 key n down\n"
                                                    "217 key n up\n219 key l down\n"
                                                    "220 key l up\n221 key ctrl up\n",
                                                    camera);
  auto strands = [&trace](int frame) { return ParseStrands(trace[frame]); };
  ASSERT_TRUE(strands(156).empty());

  const std::vector<TracedStrand> added = strands(161);
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(added[0].points.size(), 2u);
  EXPECT_EQ(added[0].bone, 3);  // the top face is the head's
  const vec3 paint = vec3(248, 113, 171) * (1.0f / 255);
  ExpectNear(added[0].color, paint);
  EXPECT_NEAR(length(added[0].points[1] - added[0].points[0]), 1.0f, 1e-4f);

  const std::vector<TracedStrand> two = strands(171);
  ASSERT_EQ(two.size(), 2u);
  ASSERT_EQ(two[1].points.size(), 6u);
  EXPECT_EQ(two[1].bone, 3);

  const std::vector<TracedStrand> extended = strands(186);
  ASSERT_EQ(extended.size(), 2u);
  const std::vector<vec3>& grown = extended[1].points;
  EXPECT_GE(grown.size(), 8u);
  for (size_t k = 0; k + 2 < grown.size(); ++k)
    EXPECT_NEAR(length(grown[k + 1] - grown[k]), 1.0f, 1e-3f) << k;
  EXPECT_LE(length(grown.back() - grown[grown.size() - 2]), 1.0f + 1e-4f);

  const std::vector<TracedStrand> painted = strands(197);
  ExpectNear(painted[0].color, vec3(242, 112, 50) * (1.0f / 255));
  ExpectNear(painted[1].color, paint);  // its end lies far from the cursor

  const std::vector<TracedStrand> saved = strands(202);
  std::vector<uint8_t> file;
  EXPECT_TRUE(ReadWholeFile("KT.Line", &file));

  const std::vector<TracedStrand> cut = strands(209);
  ASSERT_EQ(cut.size(), 2u);
  EXPECT_EQ(cut[0].points.size(), saved[0].points.size());
  EXPECT_TRUE(IsCutFrom(cut[1], saved[1]));
  const std::vector<TracedStrand> deleted = strands(214);
  ASSERT_EQ(deleted.size(), 1u);
  EXPECT_EQ(deleted[0].points.size(), cut[1].points.size());
  EXPECT_TRUE(strands(218).empty());
  ExpectSameSet(strands(222), saved);
}
