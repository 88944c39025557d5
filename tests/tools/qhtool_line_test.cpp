// qhtool info on Line files, valid and damaged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/spline.h"
#include "storage/archive_writer.h"
#include "support/test_support.h"

TEST(QhtoolInfoLine, SummarisesStrandsAndRefusesDamage) {
  ScratchDir dir;
  CSpline set;
  ASSERT_TRUE(set.Resize(2, -1));
  ASSERT_TRUE(set.Resize(0, 3));
  ASSERT_TRUE(set.Resize(1, 5));
  set.bone[0] = 7;
  set.color[0] = vec3(1, 0.5f, 0);
  ASSERT_TRUE(set.Save("MV.Line"));
  set.Clear();
  std::string out;
  ASSERT_EQ(RunCommand(BinaryPath("qhtool") + " info MV.Line", &out), 0);
  EXPECT_EQ(out,
            "LINE strands=2\n"
            "strand 0 points=3 bone=7 color=1,0.5,0\n"
            "strand 1 points=5 bone=-1 color=0,0,0\n");
  std::vector<uint8_t> file;
  ASSERT_TRUE(ReadWholeFile("MV.Line", &file));
  file.resize(file.size() - 5);
  ASSERT_TRUE(WriteWholeFile("cut.Line", file));
  EXPECT_EQ(RunCommand(BinaryPath("qhtool") + " info cut.Line 2>&1", &out), 1);
  EXPECT_NE(out.find("Spline::(cut.Line) bad file"), std::string::npos) << out;
}
