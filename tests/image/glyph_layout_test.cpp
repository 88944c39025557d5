// Which glyphs the atlas keeps, its size and where each cell goes.
#include "image/glyph_layout.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

namespace {
struct Layout {
  uint32_t widths[kGlyphCodes] = {};
  GlyphRect rects[kGlyphCodes];
  int x[kGlyphCodes], y[kGlyphCodes];
};
}  // namespace

TEST(GlyphLayout, TextureSizeGrowsWidthFirstAndCodesOutsideTheAtlasLoseTheirWidth) {
  int w = 0, h = 0;
  for (const auto& s :
       {std::array{0, 32, 32}, {1024, 32, 32}, {1025, 64, 32}, {5000, 128, 64}, {8193, 128, 128}}) {
    ChooseTextureSize(s[0], &w, &h);
    EXPECT_TRUE(w == s[1] && h == s[2]) << s[0];
  }
  w = h = 32;
  for (const auto& step : {std::pair(64, 32), std::pair(64, 64), std::pair(128, 64)}) {
    GrowTextureSize(&w, &h);
    EXPECT_EQ(std::pair(w, h), step);
  }
  Layout l;
  for (uint32_t& width : l.widths) width = 9;
  l.widths['B'] = 0;  // a kept code the face gives no width takes no room
  // 144 + 18 kept codes, one without width, each 9 + 1 wide and 20 high.
  EXPECT_EQ(KeepAtlasGlyphs(l.widths, 20), (144 + 18 - 1) * 10 * 20);
  for (int code = 0; code < kGlyphCodes; ++code) {
    const bool kept = (code >= 32 && code <= 175) || (code >= 224 && code <= 241);
    EXPECT_EQ(l.widths[code], kept && code != 'B' ? 9u : 0u) << code;
  }
  LayoutGlyphs(l.widths, 20, 256, 256, l.rects, l.x, l.y);
  for (int code : {0, 31, 176, 223, 242, 255, int{'B'}})
    EXPECT_TRUE(l.rects[code].width == 0 && l.rects[code].u1 == 0 && l.rects[code].v0 == 0) << code;
}

TEST(GlyphLayout, RowsBreakBeforeAGlyphThatReachesTheEdgeAndTexturesFlipVertically) {
  Layout l;
  l.widths['A'] = 10;
  l.widths['B'] = 10;  // 22 + 10 would reach 32: the row ends right after B
  l.widths['C'] = 5;
  l.widths['D'] = 5;   // shares C's row at 6
  l.widths['E'] = 20;  // 12 + 20 reaches 32: E opens the next row itself
  l.widths['F'] = 1;   // 21 + 20 after E: E's row ended early, F starts one
  ASSERT_TRUE(LayoutGlyphs(l.widths, 8, 32, 32, l.rects, l.x, l.y));
  const int kCells[][3] = {{'A', 0, 0}, {'B', 11, 0}, {'C', 0, 8},
                           {'D', 6, 8}, {'E', 0, 16}, {'F', 0, 24}};
  for (const auto& e : kCells) EXPECT_TRUE(l.x[e[0]] == e[1] && l.y[e[0]] == e[2]) << char(e[0]);
  const GlyphRect& a = l.rects['A'];
  EXPECT_TRUE(a.width == 10 && a.u0 == 0 && a.u1 == 10.0f / 32 && a.v0 == 1 && a.v1 == 0.75f);
  EXPECT_TRUE(l.rects['E'].u1 == 20.0f / 32 && l.rects['E'].v0 == 0.5f && l.rects['E'].v1 == 0.25f);
}

TEST(GlyphLayout, TheAtlasGrowsWhenRowEndsPushCellsOffAndCellsStayInsideAndApart) {
  Layout l;
  for (uint32_t& width : l.widths) width = 21;
  const int64_t area = KeepAtlasGlyphs(l.widths, 1);
  int w = 0, h = 0;
  ChooseTextureSize(area, &w, &h);
  ASSERT_TRUE(w == 64 && h == 64);
  EXPECT_FALSE(LayoutGlyphs(l.widths, 1, 64, 64, l.rects, l.x, l.y));  // two a row: 81 rows
  FitAtlas(l.widths, 1, area, &w, &h, l.rects, l.x, l.y);
  EXPECT_TRUE(w == 128 && h == 64);
  std::mt19937 random(7);
  for (int round = 0; round < 50; ++round) {
    Layout r;
    const int lineHeight = 1 + static_cast<int>(random() % 30);
    const uint32_t widest = 1 + random() % 40;
    for (uint32_t& width : r.widths) width = random() % (widest + 1);
    FitAtlas(r.widths, lineHeight, KeepAtlasGlyphs(r.widths, lineHeight), &w, &h, r.rects, r.x,
             r.y);
    for (int a = 0; a < kGlyphCodes; ++a) {
      if (!r.widths[a]) continue;
      const int aw = static_cast<int>(r.widths[a]);
      ASSERT_TRUE(r.x[a] + aw <= w && r.y[a] + lineHeight <= h);
      EXPECT_FLOAT_EQ(r.rects[a].u0 * w, static_cast<float>(r.x[a]));
      EXPECT_FLOAT_EQ((1.0f - r.rects[a].v0) * h, static_cast<float>(r.y[a]));
      // Later glyphs of a row start after this one and its 1-pixel gap.
      for (int b = a + 1; b < kGlyphCodes; ++b)
        EXPECT_TRUE(!r.widths[b] || r.y[b] != r.y[a] || r.x[b] >= r.x[a] + aw + 1) << a << " " << b;
    }
  }
}
