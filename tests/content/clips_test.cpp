// The clips: valid key timing, the files read back to the built keys, and
// poses that do what the names say.
#include "clips.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/content_archive.h"

namespace {
// Where the sole of a leg ends up in a pose (model space).
vec3 Sole(const Pose& pose, int lower) {
  mat4 g[kBoneTotal];
  PoseGlobals(pose, g);
  return g[lower].transformPoint(vec3(GetRig().lowerLeg, 0, 0));
}

const ClipSpec& ClipOf(const std::string& file) {
  for (const ClipSpec& s : ClipSpecs())
    if (file == s.file) return s;
  ADD_FAILURE() << file;
  return ClipSpecs()[0];
}

TEST(Clips, FilesReadBackToTheBuiltKeysWithValidTiming) {
  BuiltArchiveScope scope;
  ASSERT_EQ(ClipSpecs().size(), 11u);
  for (const ClipSpec& def : ClipSpecs()) {
    CAnim built, loaded;
    ASSERT_TRUE(BuildClip(def, &built));
    ASSERT_TRUE(LoadClip(loaded, def.file)) << def.file;
    ASSERT_EQ(loaded.frames, def.frames);
    ASSERT_EQ(loaded.boneCount, kBoneTotal);
    for (int b = 0; b < kBoneTotal; ++b) {
      const AnimTrack &x = built.tracks[b], &y = loaded.tracks[b];
      EXPECT_STREQ(loaded.trackName[b].c_str(), GetRig().bones[b].name);
      ASSERT_EQ(y.rotCount, x.rotCount);
      ASSERT_EQ(y.posCount, x.posCount);
      ASSERT_GE(y.rotCount, 2) << "a single key would not animate";
      for (int k = 0; k < y.rotCount; ++k) {
        EXPECT_EQ(y.rotKeys[k], x.rotKeys[k]) << def.file << " bone " << b << " key " << k;
        EXPECT_EQ(y.posKeys[k], x.posKeys[k]);
        EXPECT_EQ(y.rotTimes[k], x.rotTimes[k]);
        EXPECT_LT(y.rotTimes[k], static_cast<float>(loaded.frames));
        if (k) {
          EXPECT_GT(y.rotTimes[k], y.rotTimes[k - 1]);
        }
        EXPECT_TRUE(std::isfinite(y.rotKeys[k].x + y.rotKeys[k].y + y.rotKeys[k].z));
      }
    }
    built.Clear();
    loaded.Clear();
  }
}

TEST(Clips, LandingIsShortAtFifteenFramesASecond) {
  // The jump leaves once the clip has looped from frame 2: well under half a second.
  EXPECT_LT((ClipOf("bin\\jump_land.Anim").frames - 2) / 15.0f, 0.5f);
  const Pose deepest = ClipPose(ClipOf("bin\\jump_land.Anim"), 0.5f);
  EXPECT_LT(deepest.rootShift.z, -0.8f);
  for (int lower : {kLFront2, kRFront2, kLHind2, kRHind2})
    EXPECT_NEAR(Sole(deepest, lower).z, 0.0f, 0.05f) << "hooves stay planted";
}

TEST(Clips, StandingKeepsTheHoovesOnTheGroundAndWalkingLiftsThemInTurn) {
  for (const char* file : {"bin\\stand.Anim", "bin\\Lturn.Anim"}) {
    const Pose pose = ClipPose(ClipOf(file), 0.0f);
    for (int lower : {kLFront2, kLHind2, kRHind2})
      EXPECT_NEAR(Sole(pose, lower).z, 0.0f, 0.05f) << file;
  }
  int lifted[4] = {};
  for (int k = 0; k < 8; ++k) {
    const Pose pose = ClipPose(ClipOf("bin\\hwalk.Anim"), k / 8.0f);
    int down = 0;
    const int lowers[4] = {kLFront2, kRFront2, kLHind2, kRHind2};
    for (int i = 0; i < 4; ++i) {
      const float z = Sole(pose, lowers[i]).z;
      EXPECT_GT(z, -0.05f);
      if (z > 0.3f) ++lifted[i];
      down += z < 0.05f;
    }
    EXPECT_GE(down, 2) << "a walk keeps two or more hooves down";
  }
  for (int n : lifted) EXPECT_GT(n, 0) << "every leg steps";
}

TEST(Clips, WingsFoldAtRestAndSpreadInFlight) {
  mat4 g[kBoneTotal];
  PoseGlobals(ClipPose(ClipOf("bin\\stand.Anim"), 0.0f), g);
  EXPECT_LT(g[kLWing].column(0).x, -0.8f) << "folded back";
  for (const char* file : {"bin\\fly.Anim", "bin\\ffly.Anim"}) {
    float lowest = 1, highest = -1;
    for (int k = 0; k < 8; ++k) {
      PoseGlobals(ClipPose(ClipOf(file), k / 8.0f), g);
      const vec3 left = g[kLWing].column(0), right = g[kRWing].column(0);
      EXPECT_GT(left.y, 0.5f) << file;
      EXPECT_LT(right.y, -0.5f) << file;
      EXPECT_NEAR(left.z, right.z, 1e-3f) << "the wings beat together";
      lowest = std::fmin(lowest, left.z);
      highest = std::fmax(highest, left.z);
    }
    EXPECT_GT(highest - lowest, 0.8f) << file << " flaps";
  }
}

TEST(Clips, TurnsLeadWithTheHeadToTheirSide) {
  mat4 g[kBoneTotal];
  PoseGlobals(ClipPose(ClipOf("bin\\Lturn.Anim"), 0.25f), g);
  EXPECT_GT(g[kHead].column(0).y, 0.2f);
  PoseGlobals(ClipPose(ClipOf("bin\\Rturn.Anim"), 0.25f), g);
  EXPECT_LT(g[kHead].column(0).y, -0.2f);
}
}  // namespace
