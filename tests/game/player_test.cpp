// Characters: set up over the small world; a character's frame on the test crew over
// a ground box (SPlayer::Control, Orient, Collide) and the update around it (UpdateFrame).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "core/window_state.h"
#include "game/camera.h"
#include "platform/window.h"
#include "resources/manager.h"
#include "support/gl_context.h"
#include "support/small_world.h"
#include "support/test_character.h"
#include "support/test_support.h"

namespace {
class MotionTest : public CharacterTest {
 protected:
  // Character i, controlled, in `clip` (0 stand, 2 air, 4 land), centred at `centre`.
  SPlayer& Put(int i, int clip, bool grounded, const vec3& centre = vec3(0, 0, 2)) {
    SPlayer& p = crew_.players[i];
    p.SetClip(clip);
    p.grounded = grounded, p.mode = kModePlayer, p.body.position = centre - vec3(0, 0, 2);
    p.body.UpdateMatrix();
    return p;
  }
  // One collision step of character i from `centre` with `velocity`.
  SPlayer& Collide(int i, const vec3& centre, const vec3& velocity, bool grounded = false) {
    SPlayer& p = Put(i, 2, grounded, centre);
    p.velocity = velocity;
    p.Collide(ground_.model, nullptr);
    return p;
  }
  TestCrew crew_;
  // Deep enough that its underside is never within a camera segment.
  TestBox ground_{vec3(-1000, -1000, -100), vec3(1000, 1000, 0)};
};

class UpdateTest : public MotionTest {
 protected:
  void SetUp() override {
    MotionTest::SetUp();
    g_map.Reset(), g_map.Assign(&ground_.mesh);
    g_width = 800, g_height = 600;
    PlatformUseVirtualCursor(true), PlatformSetCursorPos(400, 300);
    g_camera = Camera();
    g_camDist = 60, g_freeLook = false, g_cloudModel = nullptr;
    for (int i = 0; i < 4; ++i) Put(i, 0, true, vec3(20.0f * i, 0, 2)).mode = i == 3;  // a row
  }
  void TearDown() override {
    g_map.Release(), PlatformUseVirtualCursor(false);
    MotionTest::TearDown();
  }
};
}  // namespace

TEST_F(MotionTest, KeysGiveSpeedsInBodyRadiiTheLastCommandChoosesTheClipAndSpaceJumps) {
  SPlayer& p = Put(3, 0, true);
  const float r = p.body.radius;
  const struct {
    const char* keys;
    bool left;
    float forward, strafe, roll;
    const char* clip;  // chosen by the next frame
  } rows[] = {{"w", false, 4, 0, 0, "Walk"},    {"w", true, 16, 0, 0, "Run"},
              {"ws", false, 4, 0, 0, "Walk"},   {"s", false, -8, 0, 0, "Walk"},
              {"ad", false, 0, -8, 0, "Stand"}, {"a", false, 0, 8, 0, "Stand"},
              {"a", true, 0, 0, -200, "Stand"}, {"d", true, 0, 0, 200, "Stand"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.keys);
    for (const char* k = row.keys; *k; ++k) g_keys[static_cast<int>(*k)] = 1;
    g_mouseLeft = row.left, p.body.angles.x = 0;
    p.Control();
    EXPECT_TRUE(p.forwardSpeed == row.forward * r && p.strafeSpeed == row.strafe * r);
    EXPECT_NEAR(p.body.angles.x, row.roll * kDt, 1e-4f);
    ResetInput(), g_mouseLeft = row.left;  // nothing held: the command is cleared after choosing
    p.Control();
    EXPECT_TRUE(!std::strcmp(p.ClipName(), row.clip) && p.forwardSpeed == 0) << p.ClipName();
    g_mouseLeft = false;
  }
  // Space: crouching (the landing clip from frame 2) until it has looped, then up at 70;
  // with w 2 radii per second forward, times 1.5; with the left button too, four times that.
  g_keys[' '] = 1, p.Control();
  CAnim& land = *p.Clip(p.clipLand);
  EXPECT_TRUE(p.InClip(p.clipLand) && land.time == 2.0f && land.loops == 0u);
  p.Control(), land.loops = 1, p.touched = true, p.Control();
  EXPECT_STREQ(p.ClipName(), "JumpAir");
  EXPECT_TRUE(!p.grounded && !p.touched && p.velocity == vec3(0, 0, 70));
  for (bool left : {false, true}) {
    SPlayer& q = Put(left ? 1 : 2, 4, true);
    q.body.angles = vec3(0, 0, 90), q.Clip(q.clipLand)->loops = 1;
    g_keys['w'] = 1, g_mouseLeft = left, q.Control();
    EXPECT_STREQ(q.ClipName(), left ? "JumpAirFast" : "JumpAir");
    ExpectNear(q.velocity, vec3(0, 2 * r * 1.5f * (left ? 4 : 1), 70), 1e-3f);
  }
}

TEST_F(MotionTest, InTheAirOnlyTheWingedFlyAndAFastFallPitchesTheRoot) {
  for (int i = 0; i < 4; ++i) {
    g_keys[' '] = 1, Put(i, 2, false, vec3(0, 0, 100)).Control();
    EXPECT_STREQ(crew_.players[i].ClipName(), i < 2 ? "Fly" : "JumpAir") << i;
  }
  // 80 across, 10 down (70 >= 50): fast, pitched 10 * 0.25 - 20 in [-60, 25]; below 50 level.
  SPlayer& q = crew_.players[2];
  const float falls[][4] = {{80, -10, -17.5f, 1}, {600, -500, 25, 1}, {40, -10, 0, 0}};
  for (const auto& f : falls) {
    q.velocity = vec3(f[0], 0, f[1]);
    q.Control(), q.Control();
    EXPECT_STREQ(q.ClipName(), f[3] ? "JumpAirFast" : "JumpAir");
    EXPECT_NEAR(q.body.restRot[q.rootBone].y, DegToRad(f[2]), 1e-5f);
  }
  g_view = vec3(0, 0, 90), g_mouseRight = true, q.Control();  // 100 along the view, behind
  ExpectNear(q.lookTarget - q.body.worldCenter, vec3(0, -100, 0), 1e-3f);
  SPlayer& f = Put(0, 8, false, vec3(0, 0, 100));  // flying: toward the command, no gravity
  f.forwardSpeed = 10, f.strafeSpeed = 4, f.Physics(ground_.model, nullptr);
  ExpectNear(f.velocity, vec3(10, 4, 0) * (2 * kDt), 1e-4f);
  SPlayer& w = Put(2, crew_.players[2].clipWalk, true);  // walking: a step along the facing
  const vec3 from = w.body.position, ahead = w.body.angles.anglesForward();
  w.velocity = vec3(), w.forwardSpeed = 10, w.Physics(ground_.model, nullptr);
  EXPECT_GT(dot(w.body.position - from, ahead), 0.5f * 10 * kDt);
}

// The neck aims from its own origin: level, 26.6 degrees left, less its 72-degree rest pitch.
TEST_F(MotionTest, TheNeckTurnsTowardWhatTheCharacterLooksAtFromItsOwnOrigin) {
  SPlayer& p = Put(3, 0, true);  // feet at the origin: the neck's origin at (0.6, 0, 3)
  p.body.angles = vec3(), p.LookAt(vec3(10.6f, 5, 3));
  ExpectNear(p.body.restRot[p.neck1Bone], vec3(0, -1.2566371f, std::atan2(5.0f, 10.0f)), 1e-4f);
}

TEST_F(MotionTest, StandingCharactersTurnTowardTheViewAcrossTheirUpAxisOnly) {
  SPlayer& p = Put(3, 0, true);
  const struct {
    vec3 target;  // from the feet; the body faces +x
    const char* clip;
  } cases[] = {
      {vec3(0, 100, 2), "TurnLeft"},     {vec3(0, -100, 2), "TurnRight"},
      {vec3(100, 10, 2), "Stand"},    // almost straight ahead
      {vec3(100, 0, -100), "Stand"},  // ahead, the view pitched 45 degrees down
      {vec3(100, 0, 140), "Stand"},   // or 54 up
      {vec3(0, 0, -100), "Stand"},    // straight down
      {vec3(30, 100, -100), "TurnLeft"},
  };
  for (const auto& c : cases) {
    p.SetClip(p.clipStand), p.body.angles = vec3(), p.lookTarget = c.target, p.Orient();
    EXPECT_STREQ(p.ClipName(), c.clip) << c.target.x << " " << c.target.z;
    EXPECT_NEAR(p.body.angles.z, 0, 1e-4f);  // standing, no alignment
  }
  p.Orient();  // turning aligns: 6 per second of the way to the view, across the up axis
  EXPECT_NEAR(p.body.angles.z, 5.241f, 2e-3f);
  p.Clip(p.clipTurnLeft)->loops = 1, p.Orient();
  EXPECT_STREQ(p.ClipName(), "Stand");
  // Running toward ahead-left banks left, unless the right button is held.
  p.SetClip(p.clipRun), p.lookTarget = vec3(100, 50, 0);
  for (bool right : {false, true}) {
    g_mouseRight = right, p.body.angles = vec3(), p.Orient();
    EXPECT_NEAR(p.body.angles.x, right ? 0.0f : -1.8f, 0.15f);
  }
}

TEST_F(MotionTest, TheGroundProbeSnapsWithinOneRadiusFromTheFramesOwnStep) {
  TestBox roof(vec3(0, 0, 2), vec3(6, 8, 2.5f));  // a tree 1.5 radii up is not asked
  g_trees = &roof.model, g_treeCount = 1;
  SPlayer& p = Collide(2, vec3(3, 4, 1), vec3(), true);  // sunk in by less than a radius
  EXPECT_TRUE(p.grounded && p.touched && p.up == vec3(0, 0, 1));
  ExpectNear(p.body.position, vec3(3, 4, 0), 1e-4f);
  Collide(2, vec3(3, 4, 2), vec3(1, 0, 0), true);  // grounded, the velocity is the whole step
  ExpectNear(p.body.position, vec3(4, 4, 0), 1e-4f);
  EXPECT_EQ(p.velocity, vec3());
  // After an airborne touch the velocity is per second: probe one frame's step ahead.
  TestBox ledge(vec3(50, -5, -10), vec3(150, 5, 1));
  g_trees = &ledge.model, g_treeCount = 1, p.touched = true;
  Collide(2, vec3(0, 0, 2.2f), vec3(100, 0, 0));
  EXPECT_TRUE(p.grounded);
  ExpectNear(p.body.position, vec3(100 * kDt, 0, 0), 1e-4f);
  Collide(2, vec3(0, 0, 7), vec3(), true);  // more than a radius up: falling at once
  EXPECT_FALSE(p.grounded || p.touched);
  ExpectNear(p.velocity, vec3(0, 0, -100 * kDt), 1e-4f);
  EXPECT_NEAR(p.body.position.z, 5 - 100 * kDt * kDt, 1e-5f);
  p.touched = true, p.body.restRot[p.rootBone].y = 0.3f;  // landing: from frame 3, root level
  Collide(2, vec3(0, 0, 2.2f), vec3());
  EXPECT_TRUE(p.InClip(p.clipLand) && p.Clip(p.clipLand)->time == 3.0f && p.grounded &&
              p.body.restRot[p.rootBone].y == 0);
}

TEST_F(MotionTest, TheAirborneSweepStopsSlidesOrKeepsTheStepAndUpRisesOrSeeksASurface) {
  TestBox wall(vec3(10, -5, -10), vec3(14, 45, 30));  // its face toward -x at x = 10
  g_trees = &wall.model, g_treeCount = 1;
  const float r = crew_.players[0].body.radius, fall = 100 * kDt * kDt;
  const struct {
    vec3 centre, velocity, feet;  // the feet after the step
  } cases[] = {
      {vec3(5, 0, 10), vec3(200, 0, 0), vec3(5, 0, 8)},  // arriving: stopped, on the wall
      // Overlapping it, moving into it and along it: out to one radius.
      {vec3(8, 0, 10), vec3(50, 100, 0), vec3(10 - r, 100 * kDt, 8 - fall)},
      // Overlapping, moving along and away: the longer push-out gives way to the step.
      {vec3(8, 0, 10), vec3(-1, 100, 0), vec3(8 - kDt, 100 * kDt, 8 - fall)},
  };
  for (const auto& c : cases) {
    SPlayer& p = Collide(3, c.centre, c.velocity);
    ExpectNear(p.body.position, c.feet, 1e-3f);
    EXPECT_TRUE(p.touched && !p.grounded);
    EXPECT_EQ(c.velocity.x == 200, p.velocity == vec3() && p.up == vec3(-1, 0, 0));
  }
  EXPECT_NEAR(crew_.players[3].velocity.y, 100, 0.1f);
  g_timer.frameTime = 0;  // a frame time of 0 keeps the velocity
  EXPECT_EQ(Collide(2, vec3(0, 0, 40), vec3(3, 0, -1)).velocity, vec3(3, 0, -1));
  g_timer.frameTime = kDt;  // in the air up rises, except for character 3...
  crew_.players[2].up = crew_.players[3].up = vec3(1, 0, 0);
  EXPECT_NEAR(Collide(2, vec3(0, 0, 40), vec3()).up.z, normalize(vec3(1, 0, 0.8f * kDt)).z, 1e-6f);
  EXPECT_EQ(Collide(3, vec3(0, 0, 40), vec3()).up, vec3(1, 0, 0));
  g_mouseLeft = true;  // ...who turns it toward a surface within 1000 units
  EXPECT_NEAR(Collide(3, vec3(0, 0, 40), vec3()).up.z, normalize(vec3(1 - 8 * kDt, 0, 8 * kDt)).z,
              1e-5f);
  crew_.players[3].up = vec3(1, 0, 0);  // none within reach: kept
  EXPECT_EQ(Collide(3, vec3(0, 0, 3000), vec3()).up, vec3(1, 0, 0));
}

TEST_F(UpdateTest, MouseLookAndPassingControlOn) {
  PlatformSetCursorPos(450, 325), UpdateFrame(false);  // 50 right, 25 down: turn right, look down
  ExpectNear(g_camera.angles, vec3(0, 5, -10), 1e-3f);
  EXPECT_EQ(g_view, g_camera.angles);
  for (int next : {0, 1, 2, 3}) {  // c passes control on, the view to its body's angles
    crew_.players[next].body.angles = vec3(0, 0, 10.0f * next);
    ResetInput(), g_keys['c'] = 1, UpdateFrame(false);
    EXPECT_TRUE(g_current == next && std::abs(g_view.z - 10.0f * next) < 1e-4f);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(crew_.players[i].mode, i == next ? 1 : 0);
  }
}

TEST_F(UpdateTest, SeparationTheWorldsBoundsAndTheCameraBehindTheHeadOutOfTheGroundAndCloud) {
  crew_.players[1].body.position = vec3(1, 0, 0), UpdateFrame(false);  // too close: 0 moves
  const vec3 apart = crew_.players[0].body.position - crew_.players[1].body.position;
  EXPECT_TRUE(std::abs(length(apart) - 2 * crew_.players[0].body.radius) < 1e-3f && apart.x < -1);
  SPlayer& p = crew_.players[2];
  p.grounded = false, p.body.position = vec3(40, 40, -301), UpdateFrame(false);  // start over
  ExpectNear(p.body.position, vec3(-100, 300, 700), 0.1f);
  const float s = g_map.radius;
  p.body.position = vec3(s + 1, -s - 1, 100), p.up = vec3(1, 0, 0);  // past two edges: far sides
  UpdateFrame(false);
  EXPECT_TRUE(p.body.position.x == -s && p.body.position.y == s && p.up.z > 0.99f);
  for (float z : {2000.0f, 2001.0f}) {  // above 2000: bounced down
    p.body.position = vec3(0, 0, z), p.velocity = vec3(0, 0, 30), UpdateFrame(false);
    EXPECT_EQ((p.velocity.z < 0), (z > 2000)) << z;
  }
  const SPlayer& c = crew_.players[3];
  const float r = c.body.radius;
  const vec3 head = BodyPlacement(c.body).transformPoint(
      c.body.invBind[c.headBone].inverseAffine().transformPoint(vec3(0, 0, 2.5f)));
  EXPECT_FLOAT_EQ(g_camDist, 8 * r);  // 60 is beyond the limit
  EXPECT_FLOAT_EQ(g_camera.fov, 1.2f * 8 * r);
  ExpectNear(g_camera.position, head - vec3(8 * r, 0, 0), 1e-3f);
  g_wheel = -1, UpdateFrame(false);
  EXPECT_FLOAT_EQ(g_camDist, 8 * r - 2);
  for (int i = 0; i < 20; ++i) UpdateFrame(false);
  EXPECT_FLOAT_EQ(g_camDist, 3 * r);
  EXPECT_FLOAT_EQ(g_camera.fov, std::max(5.0f, 3.6f * r));
  g_camera.angles = vec3(0, -60, 0), UpdateFrame(false);  // steeply up: the eye above the ground
  EXPECT_NEAR(g_camera.position.z, 0.5f, 1e-3f);
  // A cloud just above the head holds it off as well, then no nearer than 2 radii.
  TestBox cloud(vec3(-100, -100, 8), vec3(100, 100, 10));
  g_cloudModel = &cloud.model, g_camera.angles = vec3(0, 60, 0), UpdateFrame(false);
  EXPECT_NEAR(length(g_camera.position - head), 2 * r, 1e-3f);
  g_cloudModel = nullptr;
}

// Running into the ground's end goes over it: on to the wrap-around or the start over, never
// pinned.
TEST_F(UpdateTest, RunningOffEachSideOfTheGroundReachesTheWrapOrTheStartOver) {
  TestBox edge(vec3(-30, -30, -10), vec3(30, 30, 0));
  g_map.Release(), g_map.Reset(), g_map.Assign(&edge.mesh);
  for (int i = 0; i < 3; ++i) crew_.players[i].body.position = vec3(500, 500, 0);  // away
  SPlayer& p = crew_.players[3];
  for (float yaw : {0.0f, 90.0f, 180.0f, 270.0f}) {
    p.body.position = p.velocity = vec3(), p.up = vec3(0, 0, 1), p.forwardSpeed = 0;
    p.body.angles = g_camera.angles = vec3(0, 0, yaw), p.grounded = true;
    g_keys['w'] = 1, g_mouseLeft = true;  // running
    int frame = 0;
    for (vec3 last; frame < 400 && length(p.body.position - last) < 20; ++frame) {
      last = p.body.position;
      UpdateFrame(false);
    }
    EXPECT_LT(frame, 400) << yaw << ": pinned at " << p.body.position.x << " " << p.body.position.y;
  }
  g_map.Release(), g_map.Reset();
}

TEST(PlayerSetup, FourCharactersFromTheTableCharacterThreeControlledWithItsLineFile) {
  TempDir dir(true);
  ASSERT_TRUE(WriteSmallWorld("brookfield.core") && EnsureGlslContext());
  CSpline line;  // a loose KT.Line, read before the archive (which has none)
  ASSERT_TRUE(line.Resize(1, -1) && line.Resize(0, 2));
  line.local[0][1] = vec3(0, 0, 1), line.bone[0] = 3;
  ASSERT_TRUE(line.Save("KT.Line"));
  g_manager.init(), g_map.Reset(), g_map.radius = 100;
  LogCapture log;
  CreateCharacters();
  ASSERT_TRUE(g_players && g_characterCount == 4 && g_current == 3);
  const CSpline& loaded = g_players[3].line;  // the loose file's
  ASSERT_TRUE(loaded.count == 1 && loaded.bone[0] == 3 && loaded.local[0][1] == vec3(0, 0, 1));
  const float speeds[kClipKinds] = {10, 15, 10, 10, 15, 15, 10, 10, 10, 20};
  const char* const skins[4] = {"ZL.jpg", "WN.jpg", "MV.jpg", "KT.jpg"};
  const uint8_t colours[4][5][3] = {
      {{160, 220, 248}, {32, 152, 212}, {188, 29, 119}, {110, 169, 211}, {32, 152, 212}},
      {{252, 245, 175}, {242, 182, 208}, {35, 175, 166}, {233, 207, 110}, {219, 131, 169}},
      {{254, 193, 102}, {254, 247, 167}, {106, 204, 85}, {255, 124, 68}, {243, 223, 102}},
      {{242, 184, 206}, {248, 113, 171}, {153, 220, 247}, {226, 129, 170}, {218, 80, 155}}};
  for (int i = 0; i < 4; ++i) {
    const SPlayer& p = g_players[i];
    SCOPED_TRACE(i);
    ASSERT_TRUE(p.body.animCount == kClipKinds && p.clipLand == 4 && p.clipFlyFast == 9);
    for (int c = 0; c < kClipKinds; ++c) EXPECT_EQ(p.body.anims[c]->speed, speeds[c]) << c;
    EXPECT_STREQ(g_manager.animName[p.body.animIds[0]].c_str(),
                 i == 3 ? "bin\\stand_s.Anim" : "bin\\stand.Anim");
    EXPECT_TRUE(p.index == i && !p.grounded && p.mode == (i == 3) && p.line.style == (i == 3) &&
                !std::strcmp(p.ClipName(), "JumpAir"));
    EXPECT_TRUE(p.neck2Bone == 2 && p.rightEyeBone == 4 && p.leftEyeBone == 5 &&
                p.spheres[1].bone == 3u && p.sphereCount == 2);
    EXPECT_EQ(p.ballData[3], i == 1 ? 0.4f : 0.6f);
    EXPECT_STREQ(p.body.texName[0].c_str(), skins[i]);
    for (const uint8_t* c = colours[i][0]; c < colours[i][5]; c += 3)
      EXPECT_EQ(p.colors[(c - colours[i][0]) / 3], vec3(c[0], c[1], c[2]) * 0.003921569f);
    // The eyelid: the eye's sphere cut to the triangles with all corners at y <= 0.01.
    const Mesh &eye = *p.eye.mesh, &lid = *p.eyelid.mesh;
    EXPECT_TRUE(lid.triCount > eye.triCount / 3 && lid.triCount < eye.triCount * 2 / 3);
    for (uint32_t t = 0; t < 3 * lid.triCount; ++t) EXPECT_LE(lid.pos[lid.tris[t]].y, 0.01f);
    // In the air over the middle of the map, each at its own place.
    EXPECT_LE(std::max(std::abs(p.body.position.x), std::abs(p.body.position.y)), 40.0f);
    EXPECT_TRUE(p.body.position.z >= -80.0f && p.body.position.z < 320.0f);
    for (int j = 0; j < i; ++j) EXPECT_NE(p.body.position, g_players[j].body.position);
  }
  EXPECT_FALSE(log.Contains("can't found bone") || log.Contains("WARNING::SPlayer::"));
  g_manager.Unload(), ReleaseCharacters(), g_map.Reset();
}
