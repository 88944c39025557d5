// Which glyphs the atlas keeps, its size and where each cell goes; the atlas built from a
// real system face and read back from GL.
#include "image/font_gl.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "core/window_state.h"
#include "image/glyph_layout.h"
#include "support/gl_context.h"
#include "support/test_support.h"

namespace {
struct Layout {
  uint32_t widths[kGlyphCodes] = {};
  GlyphRect rects[kGlyphCodes];
  int x[kGlyphCodes], y[kGlyphCodes];
};
}  // namespace

TEST(GlyphLayout, TextureSizeGrowsWidthFirstAndCodesOutsideTheAtlasLoseTheirWidth) {
  std::vector<int> sizes;  // for areas 0, 1024, 1025, 5000, 8193, then grown thrice from 32 x 32
  int w = 0, h = 0;
  for (int area : {0, 1024, 1025, 5000, 8193})
    ChooseTextureSize(area, &w, &h), sizes.insert(sizes.end(), {w, h});
  for (w = h = 32; sizes.size() < 16;) GrowTextureSize(&w, &h), sizes.insert(sizes.end(), {w, h});
  EXPECT_EQ(sizes,
            (std::vector<int>{32, 32, 32, 32, 64, 32, 128, 64, 128, 128, 64, 32, 64, 64, 128, 64}));
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

TEST(FontGL, TheAtlasHoldsEveryKeptGlyphInItsCellWithCleanGapsAndFollowsTheDpi) {
  ASSERT_TRUE(EnsureGlContext());
  CFontGL font, at0, at192;
  mallopt(M_PERTURB, 0x5A);  // fresh memory is not blank: the atlas must clear it
  font.Init("Comic Sans MS", 15, 96);
  mallopt(M_PERTURB, 0);
  ASSERT_EQ(font.ready, 1u);
  EXPECT_STREQ(font.faceName.c_str(), "Comic Sans MS");
  auto get = [](GLenum name, bool texture = false) {
    GLint v = -1;
    texture ? glGetTexParameteriv(GL_TEXTURE_2D, name, &v) : glGetIntegerv(name, &v);
    return v;
  };
  EXPECT_EQ(get(GL_TEXTURE_BINDING_2D), 0);
  // A 20-pixel cell (15 pt at 96 dpi); the face's line height can't be less.
  EXPECT_TRUE(font.lineHeight >= 20 && font.lineHeight <= 26) << font.lineHeight;
  EXPECT_GE(font.texWidth, font.texHeight);
  // Alpha is all or nothing and the luminance carries the same ink.
  std::vector<uint8_t> pairs(static_cast<size_t>(font.texWidth) * font.texHeight * 2), alpha;
  glBindTexture(GL_TEXTURE_2D, font.texture);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, pairs.data());
  for (size_t i = 0; i < pairs.size(); i += 2) {
    ASSERT_TRUE((pairs[i + 1] == 0 || pairs[i + 1] == 255) &&
                (pairs[i + 1] != 0) == (pairs[i] != 0));
    alpha.push_back(pairs[i + 1]);
  }
  const GlyphRect& w = font.glyph['W'];
  EXPECT_TRUE(font.glyph['I'].width < w.width && w.width <= uint32_t(font.maxWidth));
  for (int code : {0, 10, 31, 176, 200, 223, 242, 255}) EXPECT_EQ(font.glyph[code].width, 0u);
  // Every cell is a line high and holds its own ink only: the gap column after
  // it is empty; 'W' is solid ink. ink[code]: the mean inked row, 0 at v1, 1 at v0.
  int solid = 0;
  double ink[kGlyphCodes] = {};
  for (int code = 0; code < kGlyphCodes; ++code) {
    const GlyphRect& g = font.glyph[code];
    const int x0 = g.u0 * font.texWidth + 0.5f, x1 = g.u1 * font.texWidth + 0.5f;
    const int row0 = g.v1 * font.texHeight + 0.5f, row1 = g.v0 * font.texHeight + 0.5f;
    if (!g.width) continue;
    ASSERT_EQ(row1 - row0, font.lineHeight) << code;
    double sum = 0, count = 0;
    for (int row = row0; row < row1; ++row) {
      ASSERT_TRUE(x1 >= font.texWidth || alpha[row * font.texWidth + x1] == 0) << code;
      for (int x = x0; x < x1; ++x)
        if (const uint8_t a = alpha[row * font.texWidth + x])
          sum += row - row0 + 0.5, ++count, solid += code == 'W' && a == 255;
    }
    ink[code] = count ? sum / count / font.lineHeight : -1;
  }
  EXPECT_GT(solid, 2 * static_cast<int>(w.width));
  // An underscore sits at the bottom, a quote at the top; Windows-1252's euro sign is drawn.
  EXPECT_TRUE(ink['_'] < 0.3 && ink['\''] > 0.6 && ink[0x80] > 0) << ink['_'] << " " << ink['\''];
  EXPECT_TRUE(get(GL_TEXTURE_WRAP_T, true) == GL_REPEAT &&
              get(GL_TEXTURE_MIN_FILTER, true) == GL_NEAREST);
  at0.Init("Comic Sans MS", 15, 0);  // unknown dpi counts as 96
  at192.Init("Comic Sans MS", 15, 192);
  EXPECT_TRUE(at0.lineHeight == font.lineHeight && at0.glyph['W'].width == w.width);
  EXPECT_TRUE(at192.lineHeight >= 2 * font.lineHeight - 2 &&
              at192.glyph['W'].width >= 2 * w.width - 2);

  // Begin2D: pixel (0,0) is the top-left corner of the view, (64,48) the
  // bottom-right; white additive text on the atlas, no lighting, depth or culling.
  g_width = 64;
  g_height = 48;
  for (GLenum cap : {GL_DEPTH_TEST, GL_LIGHTING, GL_CULL_FACE}) glEnable(cap);
  glColor3f(1, 0, 0);
  font.Begin2D();
  GLfloat m[16], colour[4];
  glGetFloatv(GL_PROJECTION_MATRIX, m);
  EXPECT_TRUE(m[12] == -1 && m[13] == 1 && m[0] * 64 + m[12] == 1 && m[5] * 48 + m[13] == -1);
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_TRUE(colour[0] + colour[1] + colour[2] == 3 && get(GL_BLEND_SRC) == GL_ONE &&
              get(GL_BLEND_DST) == GL_ONE);
  EXPECT_TRUE(static_cast<GLuint>(get(GL_TEXTURE_BINDING_2D)) == font.texture &&
              glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING) || glIsEnabled(GL_DEPTH_TEST) || glIsEnabled(GL_CULL_FACE));
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  for (CFontGL* f : {&font, &at0, &at192}) glDeleteTextures(1, &f->texture);
}

TEST(FontGL, AFontThatCannotBeRasterisedBuildsNoTexture) {
  ASSERT_TRUE(EnsureGlContext());
  TempDir dir;  // no fonts at all: fontconfig finds nothing to substitute
  dir.Write("fonts.conf", "<?xml version=\"1.0\"?>\n<fontconfig><dir>" + dir.File("none") +
                              "</dir><cachedir>" + dir.File("cache") +
                              "</cachedir></fontconfig>\n");
  const char* previous = std::getenv("FONTCONFIG_FILE");
  const std::string saved = previous ? previous : "";
  setenv("FONTCONFIG_FILE", dir.File("fonts.conf").c_str(), 1);
  LogCapture log;
  CFontGL font, empty;
  font.Init("Comic Sans MS", 15, 96);
  previous ? setenv("FONTCONFIG_FILE", saved.c_str(), 1) : unsetenv("FONTCONFIG_FILE");
  EXPECT_TRUE(font.ready == 0 && font.texture == 0);
  EXPECT_STREQ(font.faceName.c_str(), "Comic Sans MS");  // still registered by the caller
  EXPECT_TRUE(log.Contains("can't create font [Comic Sans MS] (20 px)"));
  empty.Init("DejaVu Sans", 0, 96);  // a size that rounds to no pixels
  EXPECT_TRUE(empty.ready == 0 && empty.texture == 0);
  // Coverage becomes luminance with all-or-nothing alpha; no buffer, no pairs.
  const uint8_t coverage[4] = {0, 1, 128, 255};
  uint8_t* pairs = CoverageToLuminanceAlpha(coverage, 2, 2);
  ASSERT_NE(pairs, nullptr);
  EXPECT_EQ(std::vector<uint8_t>(pairs, pairs + 8),
            (std::vector<uint8_t>{0, 0, 1, 255, 128, 255, 255, 255}));
  std::free(pairs);
  EXPECT_EQ(CoverageToLuminanceAlpha(coverage, 1 << 30, 1 << 30), nullptr);
}
