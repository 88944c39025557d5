// qhtool view: a generated model posed by a clip, rendered to a PNG.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "storage/archive_writer.h"
#include "support/content_archive.h"
#include "support/test_support.h"

namespace {
TEST(QhtoolView, RefusesBadArgumentsAndMissingArchives) {
  TempDir dir(true);
  std::string out;
  EXPECT_NE(RunCommand(BinaryPath("qhtool") + " view --out x.png 2>&1", &out), 0);
  EXPECT_NE(out.find("usage"), std::string::npos) << out;
  EXPECT_NE(RunCommand(BinaryPath("qhtool") + " view m --archive none.core --out x.png 2>&1", &out),
            0);
  EXPECT_NE(out.find("can't open none.core"), std::string::npos) << out;
}

TEST(QhtoolView, RendersAPosedCharacterWithEyesAndStrands) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display (run under xvfb-run)";
  TempDir dir(true);
  const std::string command = BinaryPath("qhtool") + " view 'bin\\pegasus.Model' --clip " +
                              "'bin\\fly.Anim' --time 4 --eyes eye_zl.jpg --line ZL.Line " +
                              "--size 128 --archive " + BuiltArchivePath() + " --out v.png 2>&1";
  std::string out;
  ASSERT_EQ(RunCommand(command, &out), 0) << out;
  std::vector<uint8_t> png;
  ASSERT_TRUE(ReadWholeFile(dir.File("v.png"), &png));
  ASSERT_GT(png.size(), 1000u);  // more than a blank background
  EXPECT_EQ(png[1], 'P');
  const std::string missing = BinaryPath("qhtool") + " view 'bin\\nothing.Model' --archive " +
                              BuiltArchivePath() + " --out w.png 2>&1";
  EXPECT_NE(RunCommand(missing, &out), 0);
}
}  // namespace
