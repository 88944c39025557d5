// qhtool info on the collision ellipsoids, whole and cut short.
#include <gtest/gtest.h>

#include <string>

#include "support/byte_builder.h"
#include "support/test_support.h"

TEST(QhtoolInfoSph, ListsThePlacementsAndRefusesACutFile) {
  ScratchDir dir;
  ByteBuilder b;
  b.U32(2);
  b.F32(1).F32(2).F32(3).F32(0).F32(0.5f).F32(0).F32(1).F32(0.75f).F32(2).U16(4);
  b.F32(0).F32(0).F32(-1).F32(0).F32(0).F32(0.25f).F32(3).F32(3).F32(3).U16(0);
  ASSERT_TRUE(dir.Write("sph.col", b.bytes));
  std::string out;
  ASSERT_EQ(RunCommand(BinaryPath("qhtool") + " info sph.col", &out), 0) << out;
  EXPECT_EQ(out,
            "SPH count=2\n"
            "sphere 0 bone=3 position=1,2,3 rotation=0,0.5,0 scale=1,0.75,2\n"
            "sphere 1 bone=-1 position=0,0,-1 rotation=0,0,0.25 scale=3,3,3\n");

  b.bytes.resize(b.bytes.size() - 1);
  ASSERT_TRUE(dir.Write("cut.col", b.bytes));
  EXPECT_EQ(RunCommand(BinaryPath("qhtool") + " info cut.col 2>&1", &out), 1);
  EXPECT_NE(out.find("lists [2] placements but holds [1]"), std::string::npos) << out;

  ASSERT_TRUE(dir.Write("none.col", ByteBuilder().U32(0).bytes));
  ASSERT_EQ(RunCommand(BinaryPath("qhtool") + " info none.col", &out), 0);
  EXPECT_EQ(out, "SPH count=0\n");
}
