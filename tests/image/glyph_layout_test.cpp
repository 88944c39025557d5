// Which glyphs the atlas keeps, its size and where each cell goes.
#include "image/glyph_layout.h"

#include <gtest/gtest.h>

#include <random>

namespace {
struct Layout {
  uint32_t widths[kGlyphCodes] = {};
  GlyphRect rects[kGlyphCodes];
  int x[kGlyphCodes], y[kGlyphCodes];
};
}  // namespace

TEST(GlyphLayout, TextureSizeGrowsWidthFirst) {
  int w = 0, h = 0;
  ChooseTextureSize(0, &w, &h);
  EXPECT_EQ(w * 100 + h, 32 * 100 + 32);
  ChooseTextureSize(1024, &w, &h);
  EXPECT_EQ(w * 100 + h, 32 * 100 + 32);
  ChooseTextureSize(1025, &w, &h);
  EXPECT_EQ(w * 100 + h, 64 * 100 + 32);

  // 5000 pixels: 64x32, 64x64, then 128x64 holds them.
  w = h = 32;
  const int expected[3][2] = {{64, 32}, {64, 64}, {128, 64}};
  for (const auto& step : expected) {
    GrowTextureSize(&w, &h);
    EXPECT_EQ(w, step[0]);
    EXPECT_EQ(h, step[1]);
  }
  ChooseTextureSize(5000, &w, &h);
  EXPECT_EQ(w, 128);
  EXPECT_EQ(h, 64);
  ChooseTextureSize(8193, &w, &h);
  EXPECT_EQ(w, 128);
  EXPECT_EQ(h, 128);
}

TEST(GlyphLayout, CodesOutsideTheAtlasLoseTheirWidth) {
  Layout l;
  for (uint32_t& w : l.widths) w = 9;
  l.widths['B'] = 0;  // a kept code the face gives no width takes no room
  const int64_t area = KeepAtlasGlyphs(l.widths, 20);
  for (int code = 0; code < kGlyphCodes; ++code) {
    const bool kept = (code >= 32 && code <= 175) || (code >= 224 && code <= 241);
    EXPECT_EQ(l.widths[code], kept && code != 'B' ? 9u : 0u) << code;
  }
  // 144 + 18 kept codes, one without width, each 9 + 1 wide and 20 high.
  EXPECT_EQ(area, (144 + 18 - 1) * 10 * 20);

  LayoutGlyphs(l.widths, 20, 256, 256, l.rects, l.x, l.y);
  for (int code : {0, 31, 176, 223, 242, 255, int{'B'}}) {
    EXPECT_EQ(l.rects[code].width, 0u) << code;
    EXPECT_EQ(l.rects[code].u1, 0.0f) << code;
    EXPECT_EQ(l.rects[code].v0, 0.0f) << code;
  }
}

TEST(GlyphLayout, RowsBreakBeforeAGlyphThatReachesTheEdgeAndEarlyAfterAWideOne) {
  Layout l;
  l.widths['A'] = 10;
  l.widths['B'] = 10;  // 22 + 10 would reach 32: the row ends right after B
  l.widths['C'] = 5;
  l.widths['D'] = 5;   // shares C's row at 6
  l.widths['E'] = 20;  // 12 + 20 reaches 32: E opens the next row itself
  l.widths['F'] = 1;   // 21 + 20 after E: E's row ended early, F starts one
  ASSERT_TRUE(LayoutGlyphs(l.widths, 8, 32, 32, l.rects, l.x, l.y));
  const int expected[][3] = {{'A', 0, 0}, {'B', 11, 0}, {'C', 0, 8},
                             {'D', 6, 8}, {'E', 0, 16}, {'F', 0, 24}};
  for (const auto& e : expected) {
    EXPECT_EQ(l.x[e[0]], e[1]) << static_cast<char>(e[0]);
    EXPECT_EQ(l.y[e[0]], e[2]) << static_cast<char>(e[0]);
  }
}

TEST(GlyphLayout, TextureCoordinatesFlipVertically) {
  Layout l;
  l.widths['A'] = 10;
  l.widths['B'] = 53;  // 11 + 53 reaches 64: second row
  ASSERT_TRUE(LayoutGlyphs(l.widths, 16, 64, 32, l.rects, l.x, l.y));
  const GlyphRect& a = l.rects['A'];
  EXPECT_EQ(a.width, 10u);
  EXPECT_FLOAT_EQ(a.u0, 0.0f);
  EXPECT_FLOAT_EQ(a.u1, 10.0f / 64);
  EXPECT_FLOAT_EQ(a.v0, 1.0f);  // the top row of the bitmap is the top of the texture
  EXPECT_FLOAT_EQ(a.v1, 0.5f);
  const GlyphRect& b = l.rects['B'];
  EXPECT_FLOAT_EQ(b.u0, 0.0f);
  EXPECT_FLOAT_EQ(b.u1, 53.0f / 64);
  EXPECT_FLOAT_EQ(b.v0, 0.5f);
  EXPECT_FLOAT_EQ(b.v1, 0.0f);
}

TEST(GlyphLayout, AtlasGrowsWhenWastedRowEndsPushCellsOffTheBottom) {
  Layout l;
  for (uint32_t& w : l.widths) w = 21;
  const int64_t area = KeepAtlasGlyphs(l.widths, 1);
  int w = 0, h = 0;
  ChooseTextureSize(area, &w, &h);
  ASSERT_EQ(w * 1000 + h, 64 * 1000 + 64);
  // Two 21-pixel glyphs per 64-pixel row need 81 rows.
  EXPECT_FALSE(LayoutGlyphs(l.widths, 1, 64, 64, l.rects, l.x, l.y));

  FitAtlas(l.widths, 1, area, &w, &h, l.rects, l.x, l.y);
  EXPECT_EQ(w, 128);
  EXPECT_EQ(h, 64);
  for (int code = 0; code < kGlyphCodes; ++code) {
    if (!l.widths[code]) continue;
    EXPECT_LE(l.y[code] + 1, h) << code;
  }
}

TEST(GlyphLayout, CellsStayInsideTheTextureAndApart) {
  std::mt19937 random(7);
  for (int round = 0; round < 50; ++round) {
    Layout l;
    const int lineHeight = 1 + static_cast<int>(random() % 30);
    const uint32_t widest = 1 + random() % 40;
    for (uint32_t& w : l.widths) w = random() % (widest + 1);
    const int64_t area = KeepAtlasGlyphs(l.widths, lineHeight);
    int w = 0, h = 0;
    FitAtlas(l.widths, lineHeight, area, &w, &h, l.rects, l.x, l.y);
    for (int a = 0; a < kGlyphCodes; ++a) {
      if (!l.widths[a]) continue;
      const int aw = static_cast<int>(l.widths[a]);
      ASSERT_LE(l.x[a] + aw, w);
      ASSERT_LE(l.y[a] + lineHeight, h);
      EXPECT_FLOAT_EQ(l.rects[a].u0 * w, static_cast<float>(l.x[a]));
      EXPECT_FLOAT_EQ((1.0f - l.rects[a].v0) * h, static_cast<float>(l.y[a]));
      for (int b = a + 1; b < kGlyphCodes; ++b) {
        if (!l.widths[b] || l.y[b] != l.y[a]) continue;
        // Later glyphs of a row start after this one and its 1-pixel gap.
        EXPECT_GE(l.x[b], l.x[a] + aw + 1) << a << " " << b;
      }
    }
  }
}
