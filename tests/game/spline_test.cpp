#include "game/spline.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <vector>

#include "geometry/model.h"
#include "storage/archive_writer.h"
#include "support/test_support.h"
#include "support/vec_expect.h"

namespace {
// Two strands: one of three points on bone 4, one of two points on no bone.
void Fill(CSpline& s) {
  ASSERT_TRUE(s.Resize(2, -1));
  ASSERT_TRUE(s.Resize(0, 3));
  ASSERT_TRUE(s.Resize(1, 2));
  s.local[0][0] = vec3(0, 0, 0);
  s.local[0][1] = vec3(0, 0, 2);
  s.local[0][2] = vec3(0, 1.5f, 2);
  s.local[1][0] = vec3(1, 1, 1);
  s.local[1][1] = vec3(1, 1, 0);
  s.color[0] = vec3(1, 0.5f, 0.25f);
  s.color[1] = vec3(0, 0, 1);
  s.bone[0] = 4;
  s.bone[1] = -1;
}
}  // namespace

TEST(CSpline, ResizeGrowsTheSetOrSetsOneStrandsPoints) {
  CSpline s;
  ASSERT_TRUE(s.Resize(5, 99));  // b ignored when growing the set
  EXPECT_EQ(s.count, 5);
  EXPECT_EQ(s.pointCount[4], 0);
  EXPECT_EQ(s.local[4], nullptr);
  ASSERT_TRUE(s.Resize(2, 4));
  EXPECT_EQ(s.pointCount[2], 4);
  EXPECT_EQ(s.segLen[2][3], 0.0f);
  ExpectNear(s.local[2][3], vec3());
  s.local[2][1] = vec3(7, 7, 7);
  ASSERT_TRUE(s.Resize(2, 2));  // shrinking keeps the arrays
  EXPECT_EQ(s.pointCount[2], 2);
  ExpectNear(s.local[2][1], vec3(7, 7, 7));
  ASSERT_TRUE(s.Resize(7, 0));
  EXPECT_EQ(s.count, 7);
  EXPECT_EQ(s.pointCount[2], 2);
  s.Clear();
  EXPECT_EQ(s.count, 0);
  EXPECT_EQ(s.local, nullptr);
}

TEST(CSpline, SaveAndLoadRoundTrip) {
  ScratchDir dir;
  CSpline a;
  Fill(a);
  LogCapture capture;
  ASSERT_TRUE(a.Save("KT.Line"));
  EXPECT_TRUE(capture.Contains("Saved [KT.Line]"));
  std::vector<uint8_t> file;
  ASSERT_TRUE(ReadWholeFile("KT.Line", &file));
  ASSERT_EQ(file.size(), 5u + (2 + 12 + 1 + 36) + (2 + 12 + 1 + 24));
  EXPECT_EQ(std::memcmp(file.data(), "SH3", 3), 0);
  EXPECT_EQ(file[5 + 14], 5);       // bone 4 stored as 5
  EXPECT_EQ(file[5 + 51 + 14], 0);  // no bone stored as 0

  CSpline b;
  Fill(b);  // loading into a set that holds strands replaces them
  ASSERT_TRUE(b.Load("KT.Line"));
  EXPECT_TRUE(capture.Contains("Loaded Spline [KT.Line] :: (v:2)"));
  ASSERT_EQ(b.count, 2);
  EXPECT_EQ(b.pointCount[0], 3);
  EXPECT_EQ(b.bone[0], 4);
  EXPECT_EQ(b.bone[1], -1);
  ExpectNear(b.color[0], vec3(1, 0.5f, 0.25f));
  for (int k = 0; k < 3; ++k) ExpectNear(b.local[0][k], a.local[0][k]);
  ExpectNear(b.world[0][2], a.local[0][2]);
  EXPECT_FLOAT_EQ(b.segLen[0][0], 2.0f);
  EXPECT_FLOAT_EQ(b.segLen[0][1], 1.5f);
  a.Clear();
  b.Clear();
}

TEST(CSpline, RefusesForeignDamagedAndMissingFiles) {
  ScratchDir dir;
  CSpline good;
  Fill(good);
  ASSERT_TRUE(good.Save("ok.Line"));
  good.Clear();
  std::vector<uint8_t> file;
  ASSERT_TRUE(ReadWholeFile("ok.Line", &file));

  LogCapture capture;
  CSpline s;
  const std::vector<uint8_t> empty = {'S', 'H', '3', 0, 0};
  dir.Write("empty.Line", empty);
  EXPECT_TRUE(s.Load("empty.Line"));
  EXPECT_TRUE(capture.Contains("Loaded Spline [empty.Line] :: (v:0)"));

  std::vector<uint8_t> foreign = file;
  foreign[2] = '2';
  dir.Write("foreign.Line", foreign);
  EXPECT_FALSE(s.Load("foreign.Line"));
  EXPECT_TRUE(capture.Contains("WARNING::Spline::(foreign.Line) bad file"));
  // Every truncation is refused and leaves the set empty.
  for (size_t n = 0; n < file.size(); ++n) {
    dir.Write("cut.Line", std::vector<uint8_t>(file.begin(), file.begin() + n));
    EXPECT_FALSE(s.Load("cut.Line")) << n;
    EXPECT_EQ(s.count, 0) << n;
  }
  std::vector<uint8_t> huge = file;
  huge[3] = huge[4] = 0xFF;  // 65535 strands claimed
  dir.Write("huge.Line", huge);
  EXPECT_FALSE(s.Load("huge.Line"));
  EXPECT_FALSE(s.Load("absent.Line"));
  EXPECT_TRUE(capture.Contains("WARNING::Spline::(absent.Line) file not found"));
  EXPECT_EQ(s.count, 0);
}

TEST(CSpline, AFailedSaveKeepsThePreviousFile) {
  ScratchDir dir;
  CSpline s;
  Fill(s);
  ASSERT_TRUE(s.Save("KT.Line"));
  std::vector<uint8_t> before;
  ASSERT_TRUE(ReadWholeFile("KT.Line", &before));
  ASSERT_EQ(mkdir("KT.Line.saving", 0755), 0);  // the scratch file can't be made
  s.Resize(3, -1);
  LogCapture capture;
  EXPECT_FALSE(s.Save("KT.Line"));
  EXPECT_TRUE(capture.Contains("WARNING::Spline::(KT.Line) can't save"));
  std::vector<uint8_t> after;
  ASSERT_TRUE(ReadWholeFile("KT.Line", &after));
  EXPECT_EQ(after, before);
  s.Clear();
}

TEST(CSpline, ConstrainKeepsTheRootAndTheLengths) {
  CSpline s;
  Fill(s);
  s.segLen[0][0] = 1;
  s.segLen[0][1] = 1;
  s.Constrain(0);
  ExpectNear(s.local[0][0], vec3(0, 0, 0));
  ExpectNear(s.local[0][1], vec3(0, 0, 1));
  // Each point moves along its direction from the already-placed one before it.
  ExpectNear(s.local[0][2], vec3(0, 0, 1) + normalize(vec3(0, 1.5f, 1)));
  ExpectNear(s.local[1][1], vec3(1, 1, 0));  // other strands untouched
  s.Swap(0, 1);
  EXPECT_EQ(s.pointCount[0], 2);
  EXPECT_EQ(s.bone[1], 4);
  s.Clear();
}

TEST(CSpline, EvaluateCurves) {
  CSpline s;
  ASSERT_TRUE(s.Resize(1, -1));
  ASSERT_TRUE(s.Resize(0, 4));
  const vec3 p[4] = {vec3(0, 0, 0), vec3(6, 0, 0), vec3(6, 6, 0), vec3(0, 6, 6)};
  for (int k = 0; k < 4; ++k) s.world[0][k] = p[k];
  vec3 out;
  // Open, k = 2: P0..P3 = points 0..3; at t = 0 the B-spline gives (P0 + 4 P1 + P2) / 6.
  s.Evaluate(0, 2, 0.0f, out, 1, false);
  ExpectNear(out, (p[0] + 4.0f * p[1] + p[2]) / 6.0f);
  // Catmull-Rom passes through P1 at t = 0 and P2 at t = 1.
  s.Evaluate(0, 2, 0.0f, out, 0, false);
  ExpectNear(out, p[1]);
  s.Evaluate(0, 2, 1.0f, out, 0, false);
  ExpectNear(out, p[2]);
  // Closed curves wrap: k = 3 runs from point 3 to point 0.
  s.Evaluate(0, 3, 1.0f, out, 0, true);
  ExpectNear(out, p[0]);
  // Past the end the last point stands in for k + 1.
  s.Evaluate(0, 3, 1.0f, out, 0, false);
  ExpectNear(out, p[3]);
  out = vec3(9, 9, 9);
  s.Evaluate(0, 1, 0.5f, out, 2, false);
  ExpectNear(out, vec3(9, 9, 9));
  s.Clear();
}

TEST(CSpline, AddStrandStandsOnTheSurfaceInBoneSpace) {
  Model body;
  body.Reset();
  body.position = vec3(10, 0, 0);
  body.angles = vec3(0, 0, 90);  // turned to face +Y
  CSpline s;
  s.owner = &body;
  s.AddStrand(vec3(10, 0, 5), vec3(0, 0, 1), 3);
  ASSERT_EQ(s.count, 1);
  EXPECT_EQ(s.bone[0], -1);  // no ray hit: no bone
  ExpectNear(s.local[0][0], vec3(0, 0, 5), 1e-4f);
  ExpectNear(s.local[0][2], vec3(0, 0, 7), 1e-4f);
  ExpectNear(s.world[0][1], vec3(10, 0, 6), 1e-4f);
  EXPECT_FLOAT_EQ(s.segLen[0][0], 1.0f);
  s.Clear();
}
