// Size texts, the string class and the growth rule.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/cstring.h"
#include "core/growth.h"
#include "core/sizetext.h"
#include "support/test_support.h"

TEST(SizeToText, PartsAreJoinedAndEmptyPartsLeftOut) {
  auto text = [](uint32_t n) { return std::string(SizeToText(&n)); };
  EXPECT_EQ(text(0), "0b");
  EXPECT_EQ(text(3), "3b");
  EXPECT_EQ(text(1536), "1Kb 512b");
  EXPECT_EQ(text(1048576), "1Mb");
  EXPECT_EQ(text((1u << 30) + 1), "1Gb 1b");
  EXPECT_EQ(text(0xFFFFFFFFu), "3Gb 1023Mb 1023Kb 1023b");
  const uint64_t big = 24ull << 30;
  EXPECT_EQ(std::string(SizeToText64(&big)), "24Gb");
}

TEST(CString, CapacityGrowsInStepsOf32) {
  cstring s;
  EXPECT_EQ(s.capacity, 0);
  EXPECT_STREQ(s.c_str(), "");
  s.resize(31);
  EXPECT_EQ(s.capacity, 32);
  EXPECT_EQ(s.length, 31);
  s.resize(32);
  EXPECT_EQ(s.capacity, 64);
  s.resize(3);  // shrinking keeps the capacity
  EXPECT_EQ(s.capacity, 64);
  EXPECT_EQ(s.length, 3);
}

TEST(CString, FormatMeasuresAndCountsTheTerminatingZero) {
  cstring s;
  s.format("%s-%d", "bone", 12);
  EXPECT_STREQ(s.c_str(), "bone-12");
  EXPECT_EQ(s.length, 8);
  const std::string longText(1000, 'q');
  s.format("%s", longText.c_str());
  EXPECT_EQ(s.c_str(), longText);
  EXPECT_GT(s.capacity, 1000);
  cstring copy = s;
  EXPECT_EQ(copy.c_str(), longText);
  EXPECT_NE(copy.data, s.data);
}

TEST(Growth, ReallocatesKeepingContentsAndLogsFailures) {
  int* a = nullptr;
  ASSERT_TRUE(ResizeArray(a, 4, "inc\\Mesh", 105, "Mesh::resizeV"));
  for (int i = 0; i < 4; ++i) a[i] = i * 10;
  ASSERT_TRUE(ResizeArray(a, 1000, "inc\\Mesh", 105, "Mesh::resizeV"));
  EXPECT_EQ(a[3], 30);

  LogCapture capture;
  // Far beyond any address space: the reallocation fails.
  EXPECT_FALSE(ResizeArray(a, int64_t(1) << 61, "inc\\Mesh", 105, "Mesh::resizeV"));
  EXPECT_EQ(a, nullptr);
  ASSERT_EQ(capture.lines.size(), 1u);
  EXPECT_EQ(capture.lines[0].rfind("ERROR::can't resize [", 0), 0u);
  EXPECT_NE(capture.lines[0].find("]x[4] at [inc\\Mesh:105][Mesh::resizeV]"), std::string::npos);

  ASSERT_TRUE(ResizeArray(a, 0, "inc\\Mesh", 105, "Mesh::resizeV"));
  EXPECT_EQ(a, nullptr);
}

TEST(Growth, RecordsThatOwnMemoryAreMovedOver) {
  cstring* names = nullptr;
  ASSERT_TRUE(ResizeObjects(names, 0, 2, "inc\\Mesh", 120, "Mesh::resizeB"));
  names[0].assign("root");
  names[1].assign("head");
  ASSERT_TRUE(ResizeObjects(names, 2, 5, "inc\\Mesh", 120, "Mesh::resizeB"));
  EXPECT_STREQ(names[0].c_str(), "root");
  EXPECT_STREQ(names[1].c_str(), "head");
  EXPECT_STREQ(names[4].c_str(), "");
  ASSERT_TRUE(ResizeObjects(names, 5, 1, "inc\\Mesh", 120, "Mesh::resizeB"));
  EXPECT_STREQ(names[0].c_str(), "root");
  ResizeObjects(names, 1, 0, "inc\\Mesh", 120, "Mesh::resizeB");
  EXPECT_EQ(names, nullptr);
}

TEST(CString, CopiesOfEmptyStringsStayTerminated) {
  cstring empty, copy;
  copy = empty;
  EXPECT_STREQ(copy.c_str(), "");
  cstring grown;
  grown.resize(40);
  EXPECT_EQ(grown.data[39], '\0');
}
