// The strand editor: its operations on a strand set, and SPlayer::EditStrands
// driven in-process with a camera and the input tables.
#include "game/strand_editor.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "game/camera.h"
#include "game/player.h"
#include "game/update.h"
#include "shell/input.h"
#include "shell/window.h"
#include "support/gl_context.h"
#include "support/test_character.h"
#include "support/vec_expect.h"

namespace {
// Appends a strand on no bone through `points` (rest lengths from them).
int AddLine(CSpline& set, std::initializer_list<vec3> points) {
  const int s = set.count;
  EXPECT_TRUE(set.Resize(s + 1, -1));
  EXPECT_TRUE(set.Resize(s, static_cast<int>(points.size())));
  int k = 0;
  for (const vec3& p : points) set.local[s][k] = set.world[s][k] = p, ++k;
  for (k = 0; k + 1 < set.pointCount[s]; ++k)
    set.segLen[s][k] = length(set.local[s][k + 1] - set.local[s][k]);
  return s;
}

// A set on a body placed at the origin (no bones: strands live in the world).
struct Fixture {
  Model body;
  CSpline set;
  Fixture() {
    body.Reset();
    set.owner = &body;
  }
  ~Fixture() { set.Clear(); }
};

// The ray along +X from (-10, 0, 0), 20 long.
const MouseRay kRay{vec3(-10, 0, 0), vec3(20, 0, 0)};
}  // namespace

TEST(StrandEditor, NearestOnRayClampsToTheSegment) {
  ExpectNear(NearestOnRay(kRay, vec3(3, 4, 5)), vec3(3, 0, 0));
  ExpectNear(NearestOnRay(kRay, vec3(-30, 1, 0)), vec3(-10, 0, 0));
  ExpectNear(NearestOnRay(kRay, vec3(30, 1, 0)), vec3(10, 0, 0));
  ExpectNear(NearestOnRay(MouseRay{vec3(1, 2, 3), vec3()}, vec3(9, 9, 9)), vec3(1, 2, 3));
}

TEST(StrandEditor, PickingTakesTheNearestPointOrTheSelectedStrand) {
  Fixture f;
  MouseRay ray = kRay;
  EXPECT_EQ(PickStrand(f.set, ray).strand, -1);  // empty set
  AddLine(f.set, {vec3(0, 0, 5), vec3(0, 0, 3), vec3(0, 0, 1)});
  AddLine(f.set, {vec3(4, 0, 2), vec3(4, 0, 0.5f)});
  AddLine(f.set, {vec3(7, 0, 0.5f), vec3(7, 0, 3)});  // as near as strand 1: the first wins
  StrandPick pick = PickStrand(f.set, ray);
  EXPECT_EQ(pick.strand, 1);
  EXPECT_EQ(pick.point, 1);
  EXPECT_TRUE(StrandSelected(f.set, 1));
  EXPECT_FALSE(StrandSelected(f.set, 0));

  // Nothing within 999 units: nothing picked, nothing selected.
  ClearSelection(f.set);
  ray.origin = vec3(0, 5000, 0);
  EXPECT_EQ(PickStrand(f.set, ray).strand, -1);
  EXPECT_FALSE(StrandSelected(f.set, 1));

  // A selected strand stays picked wherever the ray is; its point is its own.
  SetStrandSelected(f.set, 0, true);
  pick = PickStrand(f.set, kRay);
  EXPECT_EQ(pick.strand, 0);
  EXPECT_EQ(pick.point, 2);
}

TEST(StrandEditor, CuttingNeverAddsPoints) {
  Fixture f;
  AddLine(f.set, {vec3(), vec3(0, 0, 1), vec3(0, 0, 2), vec3(0, 0, 3)});
  CutStrand(f.set, 0, -1);  // no picked point
  CutStrand(f.set, 0, 3);   // after the last point
  CutStrand(f.set, 0, 40);  // beyond the strand (a point of another one)
  EXPECT_EQ(f.set.pointCount[0], 4);
  CutStrand(f.set, 0, 1);
  EXPECT_EQ(f.set.pointCount[0], 2);
  CutStrand(f.set, 0, 3);  // its old points are gone for good
  EXPECT_EQ(f.set.pointCount[0], 2);
}

TEST(StrandEditor, ExtendingAddsUnitSegmentsAndTheRemainder) {
  struct Case {
    float d;
    int points;
    float last;
  };
  // The ray passes 3.4 (or 2) above the second-to-last point.
  for (const Case& c : {Case{3.4f, 7, 0.4f}, Case{2.0f, 5, 1.0f}}) {
    Fixture f;
    AddLine(f.set, {vec3(0, 0, -2), vec3(0, 0, -1), vec3(0, 0, 0), vec3(0, 0, 0.5f)});
    const MouseRay ray{vec3(-10, 0, c.d), vec3(20, 0, 0)};
    ASSERT_TRUE(ExtendStrand(f.set, 0, ray));
    ASSERT_EQ(f.set.pointCount[0], c.points) << c.d;
    const vec3* p = f.set.local[0];
    for (int k = 2; k + 1 < c.points; ++k) {
      const float expected = k + 2 < c.points ? 1.0f : c.last;
      EXPECT_NEAR(length(p[k + 1] - p[k]), expected, 1e-4f) << c.d << " " << k;
      EXPECT_NEAR(f.set.segLen[0][k], expected, 1e-4f);
      EXPECT_NEAR(p[k + 1].x, 0, 1e-5f);  // straight toward the ray
      EXPECT_GT(p[k + 1].z, p[k].z);
    }
    EXPECT_NEAR(p[c.points - 1].z, c.d, 1e-4f);
    EXPECT_TRUE(StrandSelected(f.set, 0));  // the mark moved to the new end
    for (int k = 0; k + 1 < c.points; ++k) EXPECT_EQ(f.set.flags[0][k], 0) << k;
    ExpectNear(f.set.world[0][c.points - 1], p[c.points - 1]);  // new points start in place
  }
}

TEST(StrandEditor, ExtendingTooFarOrTooShortOnlyMovesTheEnd) {
  for (float d : {10.5f, 0.1f}) {
    Fixture f;
    AddLine(f.set, {vec3(0, 0, -1), vec3(0, 0, 0), vec3(0, 0, 1)});
    EXPECT_FALSE(ExtendStrand(f.set, 0, MouseRay{vec3(-10, 0, d), vec3(20, 0, 0)}));
    EXPECT_EQ(f.set.pointCount[0], 3);
    EXPECT_NEAR(f.set.segLen[0][1], d - std::trunc(d), 1e-5f);
  }
  Fixture f;
  AddLine(f.set, {vec3()});
  EXPECT_FALSE(ExtendStrand(f.set, 0, kRay));  // no segment to extend
}

TEST(StrandEditor, CombingPullsNearPointsAlongTheDrag) {
  Fixture f;
  AddLine(f.set, {vec3(2, 0, 0), vec3(2, 0, 1), vec3(2, 0, 5)});
  CombStrand(f.set, 0, kRay, vec3(0, 0.1f, 0));
  ExpectNear(f.set.local[0][0], vec3(2, 0, 0));  // the root stays
  // Point 1: 1 unit off the ray, 12 along it: (1 - 1/3) * 12 * 0.1.
  ExpectNear(f.set.local[0][1], vec3(2, 0.8f, 1));
  ExpectNear(f.set.local[0][2], vec3(2, 0, 5));  // beyond 3 units: untouched
}

TEST(StrandEditor, MovingCarriesTheWholeStrand) {
  Fixture f;
  AddLine(f.set, {vec3(1, 1, 1), vec3(1, 1, 2), vec3(1, 2, 2)});
  MoveStrand(f.set, 0, vec3(5, 0, 0));
  ExpectNear(f.set.local[0][0], vec3(5, 0, 0));
  ExpectNear(f.set.local[0][1], vec3(5, 0, 1));
  ExpectNear(f.set.local[0][2], vec3(5, 1, 1));
}

TEST(StrandEditor, PaintPresets) {
  vec3 c;
  EXPECT_FALSE(PaintPreset('0', &c));
  EXPECT_FALSE(PaintPreset('8', &c));
  ASSERT_TRUE(PaintPreset('3', &c));
  ExpectNear(c, vec3(242, 112, 50) * (1.0f / 255));
  ASSERT_TRUE(PaintPreset('7', &c));
  ExpectNear(c, vec3(242, 182, 208) * (1.0f / 255));
}

// EditStrands on a test character in free view, seen from (-10, 0, 2)
// along +X; the cursor at the window centre points at the body's back.
class EditStrandsTest : public CharacterTest {
 protected:
  void SetUp() override {
    CharacterTest::SetUp();
    ASSERT_TRUE(EnsureGlContext());
    savedHeight_ = g_height;
    g_height = 240;
    g_camera = Camera();
    g_camera.position = vec3(-10, 0, 2);
    g_camera.fov = 60;
    g_camera.zNear = 0.1f;
    g_camera.zFar = 100;
    g_camera.viewportW = 320;
    g_camera.viewportH = 240;
    crew_ = new TestCrew(1);
    p_ = &crew_->players[0];
    p_->mode = kModeFreeView;
    p_->body.ComputeBounds();
    p_->line.owner = &p_->body;
    Cursor(160, 120);
  }
  void TearDown() override {
    delete crew_;
    g_height = savedHeight_;
    g_mouseDX = g_mouseDY = g_mouseDXPrev = g_mouseDYPrev = 0;
    CharacterTest::TearDown();
  }
  static void Cursor(float x, float y) {
    g_mouseDXPrev = g_mouseDX = x;
    g_mouseDYPrev = g_mouseDY = y;
  }
  TestCrew* crew_ = nullptr;
  SPlayer* p_ = nullptr;
  int savedHeight_ = 0;
};

TEST_F(EditStrandsTest, OnlyFreeViewEdits) {
  g_camera.position = vec3(0, 0, 12);  // looking straight down on the head's top
  g_camera.angles = vec3(0, 90, 0);
  p_->mode = kModePlayer;
  g_keys['d'] = 1;
  g_mouseLeft = true;
  p_->EditStrands();
  EXPECT_EQ(p_->line.count, 0);
  p_->mode = kModeFreeView;
  p_->EditStrands();
  ASSERT_EQ(p_->line.count, 1);
  EXPECT_EQ(p_->line.pointCount[0], 2);
  EXPECT_EQ(p_->line.bone[0], p_->headBone);  // the top face follows "head"
  ExpectNear(p_->line.color[0], p_->colors[1]);
  const mat4 bone = p_->line.BoneWorld(0);  // one unit up from the top
  ExpectNear(bone.transformPoint(p_->line.local[0][0]), vec3(0, 0, 4), 1e-4f);
  ExpectNear(bone.transformPoint(p_->line.local[0][1]), vec3(0, 0, 5), 1e-4f);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(EditStrandsTest, MovingWithTheCursorOffTheBodyMovesNothing) {
  CSpline& set = p_->line;
  AddLine(set, {vec3(-3, 0, 2), vec3(-3, 0, 3)});
  g_keys['m'] = 1;
  g_mouseLeft = g_mouseLeftPrev = true;
  Cursor(10, 10);  // the ray misses the body but passes the strand
  p_->EditStrands();
  ExpectNear(set.local[0][0], vec3(-3, 0, 2));
  ExpectNear(set.local[0][1], vec3(-3, 0, 3));
  Cursor(160, 120);  // on the body: the root goes to the hit point
  p_->EditStrands();
  ExpectNear(set.local[0][0], vec3(-1, 0, 2), 1e-4f);
  ExpectNear(set.local[0][1], vec3(-1, 0, 3), 1e-4f);
}

TEST_F(EditStrandsTest, AStrandDraggedOutOfRangeLeavesTheOthersExtending) {
  CSpline& set = p_->line;
  AddLine(set, {vec3(0, 30, 0), vec3(0, 30, 1)});  // ~30 from the ray: too far
  AddLine(set, {vec3(-5, 0, 0), vec3(-5, 0, 1)});  // the ray passes 2 above its root
  SetStrandSelected(set, 0, true);
  SetStrandSelected(set, 1, true);
  g_keys[' '] = 1;
  g_mouseLeft = g_mouseLeftPrev = true;
  p_->EditStrands();
  EXPECT_EQ(set.pointCount[0], 2);
  ASSERT_EQ(set.pointCount[1], 3);
  ExpectNear(set.local[1][2], vec3(-5, 0, 2), 1e-4f);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));  // the editor ran to its end
}

TEST_F(EditStrandsTest, CuttingASelectedStrandCutsAtItsOwnPoint) {
  CSpline& set = p_->line;
  // The ray runs through strand 0's point 3; strand 1 is the selected one.
  AddLine(set, {vec3(-4, 0, -1), vec3(-4, 0, 0), vec3(-4, 0, 1), vec3(-4, 0, 2), vec3(-4, 0, 3)});
  AddLine(set, {vec3(-6, 0, 3.5f), vec3(-6, 0, 2.5f), vec3(-6, 0, 1.5f)});
  SetStrandSelected(set, 1, true);
  g_keys['q'] = 1;
  g_mouseLeft = g_mouseLeftPrev = true;  // held: the selection stays
  p_->EditStrands();
  EXPECT_EQ(set.pointCount[0], 5);
  EXPECT_EQ(set.pointCount[1], 2);  // its point 1 is nearest the ray
}

TEST_F(EditStrandsTest, DeleteRemovesThePickedStrandAndPaintingRecolours) {
  CSpline& set = p_->line;
  AddLine(set, {vec3(-4, 0, 5), vec3(-4, 0, 2.5f)});
  AddLine(set, {vec3(-6, 5, 5), vec3(-6, 5, 6)});
  AddLine(set, {vec3(-6, 0, 5), vec3(-6, 0, 4)});
  g_keys['o'] = g_keys['3'] = 1;
  g_mouseLeft = true;
  p_->EditStrands();
  vec3 orange;
  PaintPreset('3', &orange);
  ExpectNear(set.color[0], orange);  // its end lies 0.5 from the ray
  ExpectNear(set.color[1], vec3());
  ExpectNear(p_->colors[1], orange);  // the paint colour stays for new strands

  ResetInput();
  g_keys[2] = 1;  // Delete; strand 0 is the nearest
  p_->EditStrands();
  ASSERT_EQ(set.count, 2);
  ExpectNear(set.local[0][0], vec3(-6, 0, 5));  // the last strand took its place
  ExpectNear(set.local[1][0], vec3(-6, 5, 5));
}
