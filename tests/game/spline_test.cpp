// Strand sets (CSpline) and the strand editor: its operations on a set, and
// SPlayer::EditStrands driven in-process with a camera and the input tables.
#include "game/strand_editor.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <random>

#include "core/notice.h"
#include "core/window_state.h"
#include "game/camera.h"
#include "game/strand_history.h"
#include "storage/archive_writer.h"
#include "support/fault_folder.h"
#include "support/gl_context.h"
#include "support/test_character.h"
#include "support/test_support.h"

namespace {
// Appends a strand on no bone through `points` (rest lengths from them).
void AddLine(CSpline& set, std::initializer_list<vec3> points) {
  const int s = set.count, n = static_cast<int>(points.size());
  EXPECT_TRUE(set.Resize(s + 1, -1) && set.Resize(s, n));
  std::copy(points.begin(), points.end(), set.local[s]);
  std::copy(points.begin(), points.end(), set.world[s]);
  for (int k = 0; k + 1 < n; ++k) set.segLen[s][k] = length(set.local[s][k + 1] - set.local[s][k]);
}

// Two strands: three points on bone 4, two points on no bone.
void Fill(CSpline& s) {
  AddLine(s, {vec3(), vec3(0, 0, 2), vec3(0, 1.5f, 2)});
  AddLine(s, {vec3(1, 1, 1), vec3(1, 1, 0)});
  s.color[0] = vec3(1, 0.5f, 0.25f), s.bone[0] = 4;
}

const MouseRay kRay{vec3(-10, 0, 0), vec3(20, 0, 0)};  // along +X, 20 long
}  // namespace

TEST(CSpline, ResizeNeverWrapsTheCountsConstrainEvaluateAndSwap) {
  CSpline s;
  Fill(s);
  ASSERT_TRUE(s.Resize(5, 99));  // b ignored when growing the set
  EXPECT_TRUE(s.count == 5 && s.pointCount[4] == 0 && s.bone[4] == -1);
  ASSERT_TRUE(s.Resize(2, 4) && s.segLen[2][3] == 0);
  s.local[2][1] = vec3(7, 7, 7);
  ASSERT_TRUE(s.Resize(2, 2) && s.pointCount[2] == 2 && s.Resize(2, 3));  // arrays kept
  EXPECT_EQ(s.local[2][1], vec3(7, 7, 7));
  LogCapture log;  // counts are 16 bits: growth past 65535 is refused and nothing changes
  ASSERT_TRUE(!s.Resize(2, 65536) && s.Resize(65535, -1) && !s.Resize(65536, -1));
  s.AddStrand(vec3(), vec3(0, 0, 1), 2);
  EXPECT_TRUE(s.count == 65535 && s.pointCount[2] == 3 && s.local[2][1] == vec3(7, 7, 7) &&
              log.lines.size() == 3u);  // a warning each
  // Constraining: each point along its direction from the one before; the root stays.
  s.segLen[0][0] = s.segLen[0][1] = 1, s.Constrain(0);
  ExpectNear(s.local[0][1], vec3(0, 0, 1));
  ExpectNear(s.local[0][2], vec3(0, 0, 1) + normalize(vec3(0, 1.5f, 1)));
  EXPECT_EQ(s.local[1][1], vec3(1, 1, 0));  // other strands untouched
  vec3 mid;  // the B-spline halfway: (P0 + 23 P1 + 23 P2 + P3) / 48, the end's P3 = P2
  s.Evaluate(0, 2, 0.5f, mid, 1, false);
  ExpectNear(mid, (s.world[0][0] + 23.0f * s.world[0][1] + 24.0f * s.world[0][2]) / 48.0f);
  s.Swap(0, 1);
  EXPECT_TRUE(s.pointCount[0] == 2 && s.bone[1] == 4 && s.color[1] == vec3(1, 0.5f, 0.25f));
}

TEST(CSpline, SaveLoadRefusalsAndAKillWhileSaving) {
  ScratchDir dir;
  CSpline a;
  Fill(a);
  LogCapture log;
  ASSERT_TRUE(a.Save("KT.Line") && log.Contains("Saved [KT.Line]"));
  std::vector<uint8_t> file;
  ASSERT_TRUE(ReadWholeFile("KT.Line", &file) &&
              file.size() == 5u + (2 + 12 + 1 + 36) + (2 + 12 + 1 + 24));
  EXPECT_EQ(std::memcmp(file.data(), "SH3\x02\x00\x03\x00", 7), 0);
  EXPECT_TRUE(file[5 + 14] == 5 && file[5 + 51 + 14] == 0);  // bone + 1
  CSpline b;                                                 // loading replaces what the set held
  Fill(b);
  ASSERT_TRUE(b.Resize(1, 1) && b.Load("KT.Line"));
  EXPECT_TRUE(b.count == 2 && b.pointCount[1] == 2 && b.bone[0] == 4 && b.bone[1] == -1);
  EXPECT_TRUE(b.color[0] == a.color[0] && b.local[0][2] == a.local[0][2] &&
              b.world[0][2] == a.local[0][2] && b.segLen[0][0] == 2.0f && b.segLen[0][1] == 1.5f);
  std::vector<uint8_t> foreign = file, huge = file;
  foreign[2] = '2', huge[3] = huge[4] = 0xFF;
  dir.Write("foreign.Line", foreign), dir.Write("huge.Line", huge);
  EXPECT_FALSE(b.Load("foreign.Line") || b.Load("huge.Line") || b.Load("absent.Line") ||
               !log.Contains("WARNING::Spline::(foreign.Line) bad file"));
  for (size_t n = 0; n < file.size(); ++n) {  // every truncation
    dir.Write("cut.Line", std::vector<uint8_t>(file.begin(), file.begin() + n));
    EXPECT_FALSE(b.Load("cut.Line")) << n;
  }
  EXPECT_EQ(b.count, 0);
  dir.Write("empty.Line", std::vector<uint8_t>{'S', 'H', '3', 0, 0});
  EXPECT_TRUE(b.Load("empty.Line") && b.count == 0);
  // Killed at any moment of repeated saves, the Line file is one whole save,
  // and the temporary file a kill leaves is never read for it.
  b.Clear();
  for (int s = 0; s < 300; ++s) AddLine(b, {vec3(s, 0, 0), vec3(s, 0, 1), vec3(s, 0, 2)});
  const std::vector<uint8_t> imageA = a.Encode(), imageB = b.Encode();
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    int ready[2];
    pid_t child = -1;
    ASSERT_TRUE(pipe(ready) == 0 && (child = fork()) >= 0);
    if (child == 0) {
      b.Save("KT.Line");
      if (write(ready[1], "!", 1) != 1) _exit(1);
      for (;;) a.Save("KT.Line"), b.Save("KT.Line");
    }
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);  // one save done: kill during the next ones
    close(ready[0]), close(ready[1]), usleep(100 + random() % 4000);
    kill(child, SIGKILL), waitpid(child, nullptr, 0);
    ASSERT_TRUE(ReadWholeFile("KT.Line", &file) && (file == imageA || file == imageB)) << round;
  }
  // What a kill leaves: a cut-short temporary file.
  ASSERT_TRUE(b.Save("KT.Line") && WriteWholeFile("KT.Line.saving", {'S', 'H', '3'}));
  CSpline loaded;
  ASSERT_TRUE(loaded.Load("KT.Line") && loaded.Encode() == imageB);
  ASSERT_TRUE(a.Save("KT.Line"));  // and the next save replaces it
  EXPECT_TRUE(ReadWholeFile("KT.Line", &file) && file == imageA &&
              access("KT.Line.saving", F_OK) != 0);
  // On a full disk the save fails and says why; the file saved before stays as it was.
  ASSERT_EQ(mkdir("full", 0700), 0);
  ScratchMount disk("full", 8192);
  if (!disk.mounted()) GTEST_SKIP() << "no tmpfs to fill here";
  ASSERT_TRUE(a.Save("full/KT.Line"));
  EXPECT_FALSE(b.Save("full/KT.Line") ||
               !log.Contains("Spline::(full/KT.Line) can't save: No space left on device"));
  EXPECT_TRUE(ReadWholeFile("full/KT.Line", &file) && file == imageA &&
              access("full/KT.Line.saving", F_OK) != 0);
}

TEST(StrandHistory, KeepsTheNewestStepsAndKnowsTheSavedState) {
  CSpline set;
  StrandHistory h;
  for (int i = 0; i < StrandHistory::kSteps + 5; ++i) {
    h.Begin(set), AddLine(set, {vec3(i, 0, 0), vec3(i, 0, 1)});
    set.segLen[i][0] = 0.5f;  // not the points' distance: restored as it was, not recomputed
    h.Commit(set);
    h.Begin(set), h.Commit(set);  // a change that changes nothing is no step
  }
  h.MarkSaved();
  int undone = 0;
  while (h.Undo(set)) ++undone;
  EXPECT_TRUE(undone == StrandHistory::kSteps && set.count == 5 && h.Unsaved());
  while (h.Redo(set)) --undone;
  EXPECT_TRUE(undone == 0 && set.count == StrandHistory::kSteps + 5 && !h.Unsaved() &&
              set.segLen[set.count - 1][0] == 0.5f);
}

// A test character in free view seen from (-10, 0, 2) along +X, its back mid-window.
class EditStrandsTest : public CharacterTest {
 protected:
  void SetUp() override {
    CharacterTest::SetUp();
    ASSERT_TRUE(EnsureGlContext());
    std::swap(g_height, height_);
    g_camera = Camera(), g_camera.position = vec3(-10, 0, 2);
    g_camera.fov = 60, g_camera.zNear = 0.1f, g_camera.zFar = 100;
    g_camera.viewportW = 320, g_camera.viewportH = 240;
    p_.mode = kModeFreeView, set_.owner = &p_.body;
    p_.body.ComputeBounds(), Cursor(160, 120);
  }
  void TearDown() override { std::swap(g_height, height_), CharacterTest::TearDown(); }
  static void Cursor(float x, float y) {
    g_mouseDXPrev = g_mouseDX = x, g_mouseDYPrev = g_mouseDY = y;
  }
  // One frame of the editor with these keys held (and the left button as given).
  void Frame(std::initializer_list<int> keys, bool held, bool heldBefore) {
    ResetInput();
    for (int k : keys) g_keys[k] = 1;
    g_mouseLeft = held, g_mouseLeftPrev = heldBefore;
    p_.EditStrands();
  }
  int height_ = 240;
  TestCrew crew_{1};
  SPlayer& p_ = crew_.players[0];
  CSpline& set_ = p_.line;
};

TEST_F(EditStrandsTest, PickingCuttingCombingThePaintPresetsAndExtending) {
  EXPECT_EQ(PickStrand(set_, kRay).strand, -1);  // empty set
  AddLine(set_, {vec3(0, 0, 5), vec3(0, 0, 3), vec3(0, 0, 1)});
  AddLine(set_, {vec3(4, 0, 2), vec3(4, 0, 0.5f)});
  AddLine(set_, {vec3(7, 0, 0.5f), vec3(7, 0, 3)});  // as near as strand 1: the first wins
  StrandPick pick = PickStrand(set_, kRay);
  EXPECT_TRUE(pick.strand == 1 && pick.point == 1 && StrandSelected(set_, 1) &&
              !StrandSelected(set_, 0));
  ClearSelection(set_);  // nothing within 999 units: nothing picked
  EXPECT_EQ(PickStrand(set_, MouseRay{vec3(0, 5000, 0), kRay.dir}).strand, -1);
  SetStrandSelected(set_, 0, true);  // a selected strand is picked, at its own point
  pick = PickStrand(set_, kRay);
  EXPECT_TRUE(pick.strand == 0 && pick.point == 2);
  for (int point : {-1, 2, 40, 0, 2}) CutStrand(set_, 0, point);  // never adds points
  EXPECT_EQ(set_.pointCount[0], 1);
  // Combing: point 1, 0.5 off the ray and 17 along it, moves (1 - 0.5/3) * 17 * drag.
  CombStrand(set_, 2, kRay, vec3(0, 0.1f, 0));
  EXPECT_TRUE(set_.local[2][0] == vec3(7, 0, 0.5f) && set_.local[2][1] == vec3(7, 0, 3));
  set_.local[2][1] = vec3(7, 0, 0.5f), CombStrand(set_, 2, kRay, vec3(0, 0.1f, 0));
  ExpectNear(set_.local[2][1], vec3(7, 17 * 0.1f * (1 - 0.5f / 3), 0.5f), 1e-4f);
  const uint8_t presets[7][3] = {{32, 152, 212}, {252, 245, 173}, {242, 112, 50}, {238, 65, 67},
                                 {94, 188, 74},  {102, 48, 136},  {242, 182, 208}};
  vec3 c;  // beyond 3 units of the ray above: untouched
  EXPECT_FALSE(PaintPreset('0', &c) || PaintPreset('8', &c));
  for (int k = 0; k < 7; ++k)
    EXPECT_TRUE(PaintPreset('1' + k, &c) &&
                c == vec3(presets[k][0], presets[k][1], presets[k][2]) * 0.003921569f);
  // Extending adds unit segments toward the ray, and the remainder, within range.
  // {height of the ray above the second-to-last point, points after, last segment}
  const float cases[][3] = {{3.4f, 7, 0.4f}, {2.0f, 5, 1.0f}, {10.5f, 4, 0.5f}, {0.1f, 4, 0.1f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    set_.Clear(), AddLine(set_, {vec3(0, 0, -2), vec3(0, 0, -1), vec3(), vec3(0, 0, 0.5f)});
    EXPECT_EQ(ExtendStrand(set_, 0, MouseRay{vec3(-10, 0, c[0]), vec3(20, 0, 0)}), c[1] > 4);
    ASSERT_EQ(set_.pointCount[0], c[1]);
    for (int k = 2; k + 1 < c[1]; ++k) {  // straight up toward the ray
      const float expected = k + 2 < c[1] ? 1.0f : c[2];
      ExpectNear(set_.local[0][k + 1] - set_.local[0][k], vec3(0, 0, expected), 1e-4f);
      // The mark moved to the new end.
      EXPECT_TRUE(std::abs(set_.segLen[0][k] - expected) < 1e-4f && set_.flags[0][k] == 0);
    }
    EXPECT_TRUE(StrandSelected(set_, 0));
  }
  AddLine(set_, {vec3()});  // no segment to extend
  EXPECT_FALSE(ExtendStrand(set_, 1, kRay));
}

// Every editing command does its work as one step that Control+Z takes back
// and Control+Y brings again; a drag is one step from press to release.
TEST_F(EditStrandsTest, EveryCommandIsOneStepUndoneAndRedone) {
  ScratchDir dir;
  g_camera.position = vec3(-60, 0, 2);  // beyond the ray's reach: a click adds nothing
  ClearNotices(), Frame({'d'}, true, false);
  EXPECT_TRUE(NoticeCount() == 1 && !std::strcmp(NoticeAt(0).text, "zoom in to edit (wheel)"));
  g_camera.position = vec3(-10, 0, 2);
  Cursor(5, 5), Frame({'d'}, true, false);           // within reach, beside the body: no hint
  Cursor(160, 120), Frame({'d', 's'}, true, false);  // busy combing one strand: no new one
  p_.mode = kModePlayer, Frame({'d'}, true, false);  // and nothing outside free view
  EXPECT_TRUE(set_.count == 0 && NoticeCount() == 1);
  p_.mode = kModeFreeView;
  AddLine(set_, {vec3(0, 30, 0), vec3(0, 30, 1)});  // ~30 from the ray: too far
  AddLine(set_, {vec3(-5, 0, 0), vec3(-5, 0, 1)});  // the ray passes 2 above its root
  AddLine(set_, {vec3(-6, 0, 3.5f), vec3(-6, 0, 2.5f), vec3(-6, 0, 1.5f)});
  auto picked = [&](std::initializer_list<int> strands, std::initializer_list<int> keys) {
    ClearSelection(set_);
    for (int s : strands) SetStrandSelected(set_, s, true);
    Frame(keys, true, true);
  };
  // A command, the button let go, then taken back and brought again.
  auto step = [&](const char* name, const std::function<void()>& command) {
    SCOPED_TRACE(name);
    const StrandSnapshot before = StrandSnapshot::Of(set_);
    command(), Cursor(160, 120), Frame({}, false, true);
    const StrandSnapshot after = StrandSnapshot::Of(set_);
    Frame({11, 'z'}, false, false);
    const bool undone = StrandSnapshot::Of(set_) == before;
    Frame({11, 'y'}, false, false);
    EXPECT_TRUE(!(after == before) && undone && StrandSnapshot::Of(set_) == after);
  };
  Cursor(10, 10), picked({2}, {'m'});  // "m" moves the root only to the body under the cursor
  EXPECT_EQ(set_.local[2][0], vec3(-6, 0, 3.5f));
  Cursor(160, 120), Frame({}, false, true);
  step("Space + drag", [&] { picked({0, 1}, {' '}); });
  ASSERT_TRUE(set_.pointCount[0] == 2 && set_.pointCount[1] == 3);  // one out of range: other on
  ExpectNear(set_.local[1][2], vec3(-5, 0, 2), 1e-4f);
  step("q", [&] { picked({2}, {'q'}); });  // cut at the strand's own point nearest the ray
  EXPECT_TRUE(set_.pointCount[1] == 3 && set_.pointCount[2] == 2);
  step("m + drag", [&] { picked({2}, {'m'}); });
  ExpectNear(set_.local[2][0], vec3(-1, 0, 2), 1e-4f);
  step("Delete", [&] { picked({1}, {2}); });  // the last strand takes the deleted one's place
  EXPECT_TRUE(set_.count == 2 && set_.pointCount[1] == 2);
  SetStrandSelected(set_, 0, true);  // selected before: the new strand is instead
  step("d + click", [&] {
    Frame({'d'}, true, false);
    EXPECT_TRUE(StrandSelected(set_, 2) && !StrandSelected(set_, 0));
  });
  EXPECT_TRUE(set_.pointCount[2] == 2 && set_.bone[2] == 0 && set_.color[2] == p_.colors[1]);
  ExpectNear(set_.BoneWorld(2).transformPoint(set_.local[2][1]), vec3(-2, 0, 2), 1e-4f);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  step("f + click", [&] { Frame({'f'}, true, false); });
  EXPECT_TRUE(set_.count == 4 && set_.pointCount[3] == 6);
  step("comb", [&] {
    const std::vector<vec3> still(set_.local[3], set_.local[3] + 6);
    Frame({}, true, false);  // pressed without moving: no drag
    for (int k = 0; k < 6; ++k) ExpectNear(set_.local[3][k], still[k], 1e-3f);
    g_mouseDX = 175, Frame({}, true, true);
  });
  step("o + click", [&] { Frame({'o', '3'}, true, false); });  // paints the ends near the ray
  PaintPreset('3', &p_.colors[0]);
  EXPECT_TRUE(set_.color[2] == p_.colors[0] && p_.colors[1] == p_.colors[0]);
  Frame({11, 's'}, false, false);
  EXPECT_TRUE(!strcmp(NoticeAt(NoticeCount() - 1).text, "Saved ZL.Line") && !p_.history.Unsaved());
  step("Control+N", [&] { Frame({11, 'n'}, false, false); });
  EXPECT_TRUE(!strcmp(NoticeAt(NoticeCount() - 1).text, "strand set empty") &&
              p_.history.Unsaved());
  step("Control+L", [&] { Frame({11, 'l'}, false, false); });
  EXPECT_TRUE(!strcmp(NoticeAt(NoticeCount() - 1).text, "Loaded ZL.Line") && !p_.history.Unsaved());
  EXPECT_TRUE(set_.count == 4 && set_.pointCount[3] == 6 && set_.owner == &p_.body);
  step("a", [&] { Frame({'a'}, false, false); });
  EXPECT_TRUE(set_.style);
}
