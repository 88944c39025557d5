// The strand sets as the program reads them, and "bin\sph.col": manes and
// tails in each character's palette, rooted on the body, and the collision
// ellipsoids on the torso, neck and head.
#include "strands.h"

#include <gtest/gtest.h>

#include <map>

#include "game/spline.h"
#include "rig.h"
#include "support/content_archive.h"

namespace {
TEST(Strands, ManesAndTailsInEachPaletteAndEllipsoidsOnTorsoNeckAndHead) {
  std::map<std::string, std::vector<uint8_t>> files;
  for (const ArchiveEntry& e : BuiltEntries()) files[e.name] = e.data;
  for (int c = 0; c < kCharacterCount; ++c) {
    const std::vector<uint8_t>& file = files[std::string(Character(c).code) + ".Line"];
    CSpline set;
    ASSERT_TRUE(set.Decode(file.data(), file.size()) && set.count >= 10 && set.count <= 40) << c;
    int onTail = 0, onNeckOrHead = 0;
    for (int s = 0; s < set.count; ++s) {
      const int bone = set.bone[s];
      ASSERT_TRUE(bone >= 0 && bone < kGroundBones && set.pointCount[s] >= 4 &&
                  set.pointCount[s] <= 8);
      onTail += bone == kTail;
      onNeckOrHead += bone == kNeck1 || bone == kNeck2 || bone == kHead;
      bool fromPalette = false;
      for (int k = 0; k < 10; ++k)
        fromPalette |= set.color[s] == Character(c).colour[k / 2] * (k % 2 ? 0.8f : 1);
      EXPECT_TRUE(fromPalette);
      EXPECT_LT(length(set.local[s][0] - GetRig().bind[bone].transformPoint(vec3())), 5.0f)
          << "root off the body";
    }
    EXPECT_TRUE(onTail > 3 && onNeckOrHead > 5);
  }
  std::vector<CollisionEllipsoid> shapes;
  std::string error;
  ASSERT_TRUE(DecodeSphereCol(files["bin\\sph.col"], &shapes, &error)) << error;
  EXPECT_EQ(files["bin\\sph.col"].size(), 4 + 38 * shapes.size());
  int carriedBy[kBoneTotal] = {};
  for (const CollisionEllipsoid& s : shapes) {
    ASSERT_TRUE(s.bone >= 0 && s.bone < kBoneTotal);
    ++carriedBy[s.bone];
  }
  EXPECT_TRUE(carriedBy[kHead] && carriedBy[kNeck1] + carriedBy[kNeck2] &&
              carriedBy[kRoot] + carriedBy[kSpine]);
}
}  // namespace
