#include "image/texture_data.h"

#include <gtest/gtest.h>

#include <vector>

TEST(TextureData, FilterTableMipmapsAboveIndexThree) {
  const uint32_t mipmapped[] = {kGlNearestMipmapNearest, kGlLinearMipmapNearest,
                                kGlNearestMipmapLinear, kGlLinearMipmapLinear};
  for (uint32_t i = 0; i < kTexFilterCount; ++i) {
    bool isMipmapped = false;
    for (uint32_t m : mipmapped) isMipmapped |= kTexFilters[i].min == m;
    EXPECT_EQ(isMipmapped, TexFilterUsesMipmaps(i)) << i;
    EXPECT_EQ(isMipmapped, i > 3) << i;
  }
  EXPECT_EQ(kTexFilters[1].mag, kGlLinear);
  EXPECT_EQ(kTexFilters[1].min, kGlNearest);
  EXPECT_EQ(kTexFilters[10].min, kGlLinearMipmapLinear);
  // Past the table: entry 0, never a read beyond it.
  EXPECT_EQ(&TexFilterAt(11), &kTexFilters[0]);
  EXPECT_EQ(&TexFilterAt(0xFFFFFFFF), &kTexFilters[0]);
  EXPECT_FALSE(TexFilterUsesMipmaps(11));
  EXPECT_EQ(&TexFilterAt(7), &kTexFilters[7]);
}

TEST(TextureData, HalvingAveragesTwoByTwoRoundingDown) {
  uint8_t pixels[4] = {1, 2, 3, 4};
  uint16_t w = 2, h = 2;
  EXPECT_TRUE(HalveImage(pixels, w, h, 1));
  EXPECT_EQ(w, 1);
  EXPECT_EQ(h, 1);
  EXPECT_EQ(pixels[0], 2);  // 10 >> 2
  EXPECT_FALSE(HalveImage(pixels, w, h, 1));
  EXPECT_EQ(pixels[0], 2);

  // 4 x 2, two components: each output pixel from its own 2 x 2 square.
  uint8_t rg[4 * 2 * 2] = {0, 255, 4, 255, 8,  0, 12, 0,  //
                           2, 255, 6, 251, 10, 0, 15, 1};
  w = 4;
  h = 2;
  EXPECT_TRUE(HalveImage(rg, w, h, 2));
  EXPECT_EQ(w, 2);
  EXPECT_EQ(h, 1);
  EXPECT_EQ(rg[0], (0 + 4 + 2 + 6) >> 2);
  EXPECT_EQ(rg[1], (255 + 255 + 255 + 251) >> 2);
  EXPECT_EQ(rg[2], (8 + 12 + 10 + 15) >> 2);
  EXPECT_EQ(rg[3], (0 + 0 + 0 + 1) >> 2);
}

TEST(TextureData, SquareChainEndsAtOnePixel) {
  std::vector<uint8_t> pixels(64 * 64 * 4, 200);
  uint16_t w = 64, h = 64;
  int levels = 1;
  while (HalveImage(pixels.data(), w, h, 4)) {
    ++levels;
    EXPECT_EQ(w, h);
  }
  EXPECT_EQ(levels, 7);  // 64, 32, 16, 8, 4, 2, 1
  EXPECT_EQ(pixels[0], 200);
}

TEST(TextureData, NonSquareChainAveragesAlongTheRemainingSide) {
  // 8 x 2 grey: after one step 4 x 1, then pairs of the single row.
  uint8_t pixels[16] = {0, 4, 8,  12, 16, 20, 24, 28,  //
                        2, 6, 10, 14, 18, 22, 26, 30};
  uint16_t w = 8, h = 2;
  ASSERT_TRUE(HalveImage(pixels, w, h, 1));
  EXPECT_EQ(std::vector<uint8_t>(pixels, pixels + 4), (std::vector<uint8_t>{3, 11, 19, 27}));
  ASSERT_TRUE(HalveImage(pixels, w, h, 1));
  EXPECT_EQ(w, 2);
  EXPECT_EQ(h, 1);
  EXPECT_EQ(pixels[0], (3 + 11) >> 1);
  EXPECT_EQ(pixels[1], (19 + 27) >> 1);
  ASSERT_TRUE(HalveImage(pixels, w, h, 1));
  EXPECT_EQ(pixels[0], (7 + 23) >> 1);
  EXPECT_FALSE(HalveImage(pixels, w, h, 1));

  // A column: 1 x 4 RGB, rows averaged in pairs, nothing read past the block.
  std::vector<uint8_t> column = {10, 0, 255, 20, 0, 255, 30, 100, 0, 41, 100, 0};
  w = 1;
  h = 4;
  ASSERT_TRUE(HalveImage(column.data(), w, h, 3));
  EXPECT_EQ(w, 1);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(std::vector<uint8_t>(column.begin(), column.begin() + 6),
            (std::vector<uint8_t>{15, 0, 255, 35, 100, 0}));
}

TEST(TextureData, CheckerBoardAlternatesStartingWhite) {
  uint8_t pixels[kCheckerSize * kCheckerSize * 3];
  BuildCheckerBoard(pixels);
  for (int y = 0; y < kCheckerSize; ++y) {
    for (int x = 0; x < kCheckerSize; ++x) {
      const uint8_t expected = (x + y) % 2 == 0 ? 255 : 0;
      for (int k = 0; k < 3; ++k) ASSERT_EQ(pixels[(y * 8 + x) * 3 + k], expected) << x << "," << y;
    }
  }
  EXPECT_EQ(pixels[0], 255);
  EXPECT_EQ(pixels[3], 0);
  EXPECT_EQ(pixels[8 * 3], 0);
}
