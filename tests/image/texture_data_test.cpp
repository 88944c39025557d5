#include "image/texture_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

TEST(TextureData, TheFilterTableMipmapsAboveIndexThreeAndFallsBackToEntryZero) {
  const uint32_t kMipmapped[] = {kGlNearestMipmapNearest, kGlLinearMipmapNearest,
                                 kGlNearestMipmapLinear, kGlLinearMipmapLinear};
  for (uint32_t i = 0; i < kTexFilterCount + 2; ++i) {
    const uint32_t min = kTexFilters[i < kTexFilterCount ? i : 0].min;
    EXPECT_EQ(std::count(kMipmapped, kMipmapped + 4, min) == 1, TexFilterUsesMipmaps(i)) << i;
    EXPECT_EQ(TexFilterUsesMipmaps(i), i > 3 && i < kTexFilterCount) << i;
    EXPECT_EQ(&TexFilterAt(i), &kTexFilters[i < kTexFilterCount ? i : 0]);
  }
  EXPECT_TRUE(kTexFilterCount == 11 && kTexFilters[10].min == kGlLinearMipmapLinear);
  EXPECT_TRUE(kTexFilters[1].mag == kGlLinear && kTexFilters[1].min == kGlNearest);
  EXPECT_EQ(&TexFilterAt(0xFFFFFFFF), &kTexFilters[0]);  // never a read beyond the table
  uint8_t pixels[kCheckerSize * kCheckerSize * 3];       // the checkerboard alternates from white
  BuildCheckerBoard(pixels);
  for (int i = 0; i < kCheckerSize * kCheckerSize * 3; ++i)
    ASSERT_EQ(pixels[i], (i / 3 % kCheckerSize + i / 3 / kCheckerSize) % 2 ? 0 : 255) << i;
}

TEST(TextureData, HalvingAveragesTwoByTwoRoundingDownThenAlongTheRemainingSide) {
  // 4 x 2, two components: each output pixel from its own 2 x 2 square.
  std::vector<uint8_t> rg = {0, 255, 4, 255, 8, 0, 12, 0, 2, 255, 6, 251, 10, 0, 15, 1};
  uint16_t w = 4, h = 2;
  EXPECT_TRUE(HalveImage(rg.data(), w, h, 2) && w == 2 && h == 1);
  EXPECT_EQ(std::vector<uint8_t>(rg.begin(), rg.begin() + 4),
            (std::vector<uint8_t>{3, 254, 11, 0}));
  // 8 x 2 grey: after one step 4 x 1, then pairs of the single row, down to one pixel.
  uint8_t grey[16] = {0, 4, 8, 12, 16, 20, 24, 28, 2, 6, 10, 14, 18, 22, 26, 30};
  w = 8, h = 2;
  const std::vector<std::vector<uint8_t>> kSteps = {{3, 11, 19, 27}, {7, 23}, {15}};
  for (const auto& step : kSteps) {
    ASSERT_TRUE(HalveImage(grey, w, h, 1));
    EXPECT_TRUE(w == step.size() && h == 1);
    EXPECT_EQ(std::vector<uint8_t>(grey, grey + step.size()), step);
  }
  EXPECT_FALSE(HalveImage(grey, w, h, 1));
  EXPECT_EQ(grey[0], 15);
  // A column: 1 x 4 RGB, rows averaged in pairs, nothing read past the block.
  std::vector<uint8_t> column = {10, 0, 255, 20, 0, 255, 30, 100, 0, 41, 100, 0};
  w = 1, h = 4;
  ASSERT_TRUE(HalveImage(column.data(), w, h, 3) && w == 1 && h == 2);
  EXPECT_EQ(std::vector<uint8_t>(column.begin(), column.begin() + 6),
            (std::vector<uint8_t>{15, 0, 255, 35, 100, 0}));
  // A square chain ends at one pixel: 64, 32, 16, 8, 4, 2, 1.
  std::vector<uint8_t> square(64 * 64 * 4, 200);
  int levels = 1;
  for (w = h = 64; HalveImage(square.data(), w, h, 4); ++levels) EXPECT_EQ(w, h);
  EXPECT_TRUE(levels == 7 && square[0] == 200);
}
