// The clips: the entries are the built clips with increasing, finite keys,
// and their poses do what the names say.
#include "clips.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/content_archive.h"
#include "support/test_support.h"

namespace {
struct Posed {
  mat4 g[kBoneTotal];
  Posed(const std::string& file, float phase) {
    for (const ClipSpec& s : ClipSpecs())
      if (file == s.file) PoseGlobals(ClipPose(s, phase), g);
  }
  float Sole(int leg) const {  // height of a leg's sole, legs in the order LF, RF, LH, RH
    const int lower[4] = {kLFront2, kRFront2, kLHind2, kRHind2};
    return g[lower[leg]].transformPoint(vec3(GetRig().lowerLeg, 0, 0)).z;
  }
};

TEST(Clips, EntriesAreTheBuiltClipsWithIncreasingFiniteKeysAndAShortLanding) {
  TempDir dir(true);
  ASSERT_EQ(ClipSpecs().size(), 11u);
  for (const ClipSpec& def : ClipSpecs()) {
    CAnim clip;
    std::vector<uint8_t> saved;
    ASSERT_TRUE(BuildClip(def, &clip) && SaveClip(clip, "c") && ReadWholeFile("c", &saved));
    for (const ArchiveEntry& e : BuiltEntries()) EXPECT_TRUE(e.name != def.file || e.data == saved);
    for (int b = 0; b < clip.boneCount; ++b)
      for (int k = 0; k < clip.tracks[b].rotCount; ++k) {
        const float* time = clip.tracks[b].rotTimes;
        const vec3& key = clip.tracks[b].rotKeys[k];
        EXPECT_TRUE(time[k] < def.frames && (k == 0 || time[k] > time[k - 1]) &&
                    clip.tracks[b].rotCount > 1 && std::isfinite(key.x + key.y + key.z))
            << def.file << " bone " << b << " key " << k;
      }
    // The jump leaves once the landing has looped from frame 2: soon.
    EXPECT_TRUE(std::string(def.file) != "bin\\jump_land.Anim" || def.frames - 2 < 7.5f);
    clip.Clear();
  }
}

TEST(Clips, HoovesStayDownOrStepInTurnWingsBeatTogetherTurnsLeadWithTheHead) {
  for (int leg = 0; leg < 4;
       ++leg) {  // standing may rest the right fore hoof; the crouch plants all
    EXPECT_TRUE(leg == 1 || std::fabs(Posed("bin\\stand.Anim", 0).Sole(leg)) < 0.05f) << leg;
    EXPECT_TRUE(leg == 1 || std::fabs(Posed("bin\\Lturn.Anim", 0).Sole(leg)) < 0.05f) << leg;
    EXPECT_NEAR(Posed("bin\\jump_land.Anim", 0.5f).Sole(leg), 0.0f, 0.05f) << leg;
  }
  int lifted[4] = {};
  float wing[2][2] = {{1, -1}, {1, -1}};  // lowest and highest left wing tip in fly and ffly
  for (int k = 0; k < 8; ++k) {
    const Posed walk("bin\\hwalk.Anim", k / 8.0f);
    int down = 0;
    for (int leg = 0; leg < 4; ++leg) {
      EXPECT_GT(walk.Sole(leg), -0.05f);
      lifted[leg] += walk.Sole(leg) > 0.3f;
      down += walk.Sole(leg) < 0.05f;
    }
    EXPECT_GE(down, 2) << "a walk keeps two or more hooves down";
    for (int f = 0; f < 2; ++f) {
      const Posed p(f ? "bin\\ffly.Anim" : "bin\\fly.Anim", k / 8.0f);
      const vec3 left = p.g[kLWing].column(0), right = p.g[kRWing].column(0);
      EXPECT_TRUE(left.y > 0.5f && right.y < -0.5f && std::fabs(left.z - right.z) < 1e-3f);
      wing[f][0] = std::fmin(wing[f][0], left.z);
      wing[f][1] = std::fmax(wing[f][1], left.z);
    }
  }
  for (int n : lifted) EXPECT_GT(n, 0) << "every leg steps";
  for (auto& w : wing) EXPECT_GT(w[1] - w[0], 0.8f) << "the wings flap";
  EXPECT_LT(Posed("bin\\stand.Anim", 0).g[kLWing].column(0).x, -0.8f) << "folded back at rest";
  EXPECT_GT(Posed("bin\\Lturn.Anim", 0.25f).g[kHead].column(0).y, 0.2f);
  EXPECT_LT(Posed("bin\\Rturn.Anim", 0.25f).g[kHead].column(0).y, -0.2f);
}
}  // namespace
