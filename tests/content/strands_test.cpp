// Line files and "bin\sph.col": their layouts round-trip, damaged data is
// refused, and the generated sets fit the characters.
#include "strands.h"

#include <gtest/gtest.h>

#include "rig.h"
#include "support/content_archive.h"

namespace {
TEST(Strands, LineDecoderRefusesForeignAndCutData) {
  std::vector<LineStrand> strands;
  std::string error;
  EXPECT_FALSE(DecodeLine({'S', 'H', '2', 0, 0}, &strands, &error));
  EXPECT_FALSE(DecodeLine({'S', 'H'}, &strands, &error));
  std::vector<uint8_t> data = EncodeLine(BuildStrands(0));
  data.resize(data.size() - 5);
  EXPECT_FALSE(DecodeLine(data, &strands, &error));
  EXPECT_EQ(error, "data ends inside a strand");
  EXPECT_TRUE(DecodeLine({'S', 'H', '3', 0, 0}, &strands, &error));
  EXPECT_TRUE(strands.empty());
}

TEST(Strands, LineRoundTripKeepsBoneMinusOne) {
  LineStrand loose;
  loose.colour = vec3(0.25f, 0.5f, 1);
  loose.points = {vec3(1, 2, 3), vec3(4, 5, 6)};
  LineStrand carried = loose;
  carried.bone = 254;
  const std::vector<uint8_t> data = EncodeLine({loose, carried});
  EXPECT_EQ(data.size(), 5u + 2 * (2 + 12 + 1 + 24));
  EXPECT_EQ(data[5 + 14], 0);  // bone -1 is stored as 0
  std::vector<LineStrand> back;
  std::string error;
  ASSERT_TRUE(DecodeLine(data, &back, &error));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].bone, -1);
  EXPECT_EQ(back[1].bone, 254);
  EXPECT_EQ(back[1].colour, loose.colour);
  EXPECT_EQ(back[1].points, loose.points);
}

TEST(Strands, EveryCharacterHasManeAndTailInItsPalette) {
  const char* files[kCharacterCount] = {"ZL.Line", "WN.Line", "MV.Line", "KT.Line"};
  for (int c = 0; c < kCharacterCount; ++c) {
    const ArchiveEntry* entry = nullptr;
    for (const ArchiveEntry& e : BuiltEntries())
      if (e.name == files[c]) entry = &e;
    ASSERT_NE(entry, nullptr) << files[c];
    std::vector<LineStrand> strands;
    std::string error;
    ASSERT_TRUE(DecodeLine(entry->data, &strands, &error)) << error;
    EXPECT_GE(strands.size(), 10u);
    EXPECT_LE(strands.size(), 40u);
    int onTail = 0, onNeckOrHead = 0;
    for (const LineStrand& s : strands) {
      EXPECT_GE(s.points.size(), 4u);
      EXPECT_LE(s.points.size(), 8u);
      EXPECT_GE(s.bone, 0);
      EXPECT_LT(s.bone, kGroundBones) << "both bodies carry it";
      onTail += s.bone == kTail;
      onNeckOrHead += s.bone == kNeck1 || s.bone == kNeck2 || s.bone == kHead;
      const vec3* palette = Character(c).colour;
      bool fromPalette = false;
      for (int k = 0; k < 5; ++k)
        for (float shade : {1.0f, 0.8f})
          fromPalette = fromPalette || s.colour == palette[k] * shade;
      EXPECT_TRUE(fromPalette);
      // Roots sit on the body, near their bone.
      const vec3 root = s.points[0];
      const vec3 bone = GetRig().bind[s.bone].transformPoint(vec3());
      EXPECT_LT(std::sqrt(dot(root - bone, root - bone)), 5.0f);
    }
    EXPECT_GT(onTail, 3);
    EXPECT_GT(onNeckOrHead, 5);
  }
}

TEST(Strands, CollisionShapesRoundTripOnTorsoNeckAndHead) {
  std::vector<CollisionEllipsoid> shapes;
  std::string error;
  EXPECT_FALSE(DecodeSphereCol({5, 0, 0, 0, 1, 2}, &shapes, &error));
  const ArchiveEntry* entry = nullptr;
  for (const ArchiveEntry& e : BuiltEntries())
    if (e.name == "bin\\sph.col") entry = &e;
  ASSERT_NE(entry, nullptr);
  ASSERT_TRUE(DecodeSphereCol(entry->data, &shapes, &error)) << error;
  EXPECT_EQ(entry->data.size(), 4 + 38 * shapes.size());
  const std::vector<CollisionEllipsoid> built = BuildCollisionShapes();
  ASSERT_EQ(shapes.size(), built.size());
  bool head = false, neck = false, torso = false;
  for (size_t i = 0; i < shapes.size(); ++i) {
    EXPECT_EQ(shapes[i].position, built[i].position);
    EXPECT_EQ(shapes[i].rotation, built[i].rotation);
    EXPECT_EQ(shapes[i].scale, built[i].scale);
    EXPECT_EQ(shapes[i].bone, built[i].bone);
    head = head || shapes[i].bone == kHead;
    neck = neck || shapes[i].bone == kNeck1 || shapes[i].bone == kNeck2;
    torso = torso || shapes[i].bone == kRoot || shapes[i].bone == kSpine;
  }
  EXPECT_TRUE(head && neck && torso);
}
}  // namespace
