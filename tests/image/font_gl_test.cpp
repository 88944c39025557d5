// The glyph atlas built from a real system face and read back from GL.
#include "image/font_gl.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/sizetext.h"
#include "platform/window.h"
#include "shell/window.h"
#include "support/gl_context.h"
#include "support/test_support.h"

namespace {
// One pair of bytes per texel, rows in GL order (row 0 is v = 0).
struct Readback {
  int width = 0, height = 0;
  std::vector<uint8_t> pairs;
  uint8_t Alpha(int x, int row) const { return pairs[2 * (row * width + x) + 1]; }
  uint8_t Luminance(int x, int row) const { return pairs[2 * (row * width + x)]; }
};

Readback ReadTexture(GLuint texture) {
  Readback r;
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &r.width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &r.height);
  r.pairs.resize(static_cast<size_t>(r.width) * r.height * 2);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  if (!r.pairs.empty())
    glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, r.pairs.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return r;
}

// A glyph's cell in texel columns [x0, x1) and GL rows [row0, row1).
struct Cell {
  int x0, x1, row0, row1;
};
Cell CellOf(const GlyphRect& g, const Readback& r) {
  return {static_cast<int>(g.u0 * r.width + 0.5f), static_cast<int>(g.u1 * r.width + 0.5f),
          static_cast<int>(g.v1 * r.height + 0.5f), static_cast<int>(g.v0 * r.height + 0.5f)};
}

// Mean inked row of a cell, 0 at its bottom edge (v1) and 1 at its top (v0).
double InkHeight(const GlyphRect& g, const Readback& r) {
  const Cell c = CellOf(g, r);
  double sum = 0, count = 0;
  for (int row = c.row0; row < c.row1; ++row)
    for (int x = c.x0; x < c.x1; ++x)
      if (r.Alpha(x, row)) {
        sum += row - c.row0 + 0.5;
        ++count;
      }
  return count ? sum / count / (c.row1 - c.row0) : -1;
}

class FontGL : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { hasContext_ = EnsureGlContext(); }
  void SetUp() override {
    if (!hasContext_) GTEST_SKIP() << "no display (run under xvfb-run -a)";
  }
  void TearDown() override {
    if (font_.texture) glDeleteTextures(1, &font_.texture);
  }
  static bool hasContext_;
  CFontGL font_;
};
bool FontGL::hasContext_ = false;
}  // namespace

TEST_F(FontGL, AtlasHoldsEveryKeptGlyphInItsCellWithCleanGaps) {
  LogCapture log;
  font_.Init("Comic Sans MS", 15, 96);
  ASSERT_EQ(font_.ready, 1u);
  ASSERT_NE(font_.texture, 0u);
  EXPECT_STREQ(font_.faceName.c_str(), "Comic Sans MS");
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);

  // A 20-pixel cell (15 pt at 96 dpi); the face's line height can't be less.
  EXPECT_GE(font_.lineHeight, 20);
  EXPECT_LE(font_.lineHeight, 26);
  const uint32_t bytes = static_cast<uint32_t>(font_.texWidth * font_.texHeight * 2);
  EXPECT_TRUE(log.Contains("Font::create texture (" + std::to_string(font_.texWidth) + "x" +
                           std::to_string(font_.texHeight) + ")" + SizeToText(&bytes)));

  const Readback r = ReadTexture(font_.texture);
  ASSERT_EQ(r.width, font_.texWidth);
  ASSERT_EQ(r.height, font_.texHeight);
  EXPECT_GE(font_.texWidth, font_.texHeight);

  const GlyphRect& w = font_.glyph['W'];
  EXPECT_GT(w.width, 0u);
  EXPECT_LT(font_.glyph['I'].width, w.width);
  EXPECT_GE(static_cast<uint32_t>(font_.maxWidth), w.width);
  for (int code : {0, 10, 31, 176, 200, 223, 242, 255}) EXPECT_EQ(font_.glyph[code].width, 0u);

  // 'W' is solid ink somewhere inside its cell.
  const Cell wc = CellOf(w, r);
  int inked = 0;
  for (int row = wc.row0; row < wc.row1; ++row)
    for (int x = wc.x0; x < wc.x1; ++x) inked += r.Alpha(x, row) == 255;
  EXPECT_GT(inked, 2 * static_cast<int>(w.width));

  // Every glyph's cell holds its own ink only: the column after each glyph
  // (the gap) is empty over the cell's whole height.
  for (int code = 0; code < kGlyphCodes; ++code) {
    const GlyphRect& g = font_.glyph[code];
    if (!g.width) continue;
    const Cell c = CellOf(g, r);
    ASSERT_EQ(c.row1 - c.row0, font_.lineHeight) << code;
    if (c.x1 >= r.width) continue;
    for (int row = c.row0; row < c.row1; ++row) ASSERT_EQ(r.Alpha(c.x1, row), 0) << code;
  }

  // Alpha is all or nothing and follows the luminance.
  for (int row = 0; row < r.height; ++row)
    for (int x = 0; x < r.width; ++x) {
      ASSERT_TRUE(r.Alpha(x, row) == 0 || r.Alpha(x, row) == 255);
      ASSERT_EQ(r.Alpha(x, row) != 0, r.Luminance(x, row) != 0);
    }

  // The cell's top is v0: an underscore sits at the bottom, a quote at the top.
  EXPECT_LT(InkHeight(font_.glyph['_'], r), 0.3);
  EXPECT_GT(InkHeight(font_.glyph['\''], r), 0.6);
  EXPECT_GT(InkHeight(font_.glyph[0x80], r), 0.0);  // Windows-1252's euro sign is drawn

  GLint value = 0;
  glBindTexture(GL_TEXTURE_2D, font_.texture);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
  EXPECT_EQ(value, GL_REPEAT);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
  EXPECT_EQ(value, GL_NEAREST);
  glBindTexture(GL_TEXTURE_2D, 0);
}

TEST_F(FontGL, CellHeightFollowsTheDisplayDpi) {
  font_.Init("DejaVu Sans", 15, 0);  // unknown dpi counts as 96
  CFontGL at96, at192;
  at96.Init("DejaVu Sans", 15, 96);
  at192.Init("DejaVu Sans", 15, 192);
  ASSERT_TRUE(font_.ready && at96.ready && at192.ready);
  EXPECT_EQ(font_.lineHeight, at96.lineHeight);
  EXPECT_EQ(font_.glyph['W'].width, at96.glyph['W'].width);
  EXPECT_GE(at192.lineHeight, 2 * at96.lineHeight - 2);
  EXPECT_GE(at192.glyph['W'].width, 2 * at96.glyph['W'].width - 2);
  EXPECT_GT(at192.texWidth * at192.texHeight, at96.texWidth * at96.texHeight);
  glDeleteTextures(1, &at96.texture);
  glDeleteTextures(1, &at192.texture);
}

TEST_F(FontGL, FontThatCannotBeRasterisedBuildsNoTexture) {
  // No fonts at all: fontconfig finds nothing to substitute.
  TempDir dir;
  dir.Write("fonts.conf", "<?xml version=\"1.0\"?>\n<fontconfig><dir>" + dir.File("none") +
                              "</dir><cachedir>" + dir.File("cache") +
                              "</cachedir></fontconfig>\n");
  const char* previous = std::getenv("FONTCONFIG_FILE");
  const std::string saved = previous ? previous : "";
  setenv("FONTCONFIG_FILE", dir.File("fonts.conf").c_str(), 1);
  LogCapture log;
  font_.Init("Comic Sans MS", 15, 96);
  if (previous)
    setenv("FONTCONFIG_FILE", saved.c_str(), 1);
  else
    unsetenv("FONTCONFIG_FILE");

  EXPECT_EQ(font_.ready, 0u);
  EXPECT_EQ(font_.texture, 0u);
  EXPECT_STREQ(font_.faceName.c_str(), "Comic Sans MS");  // still registered by the caller
  EXPECT_TRUE(log.Contains("ERROR::Font::can't create font [Comic Sans MS] (20 px)"));
  for (const std::string& line : log.lines)
    EXPECT_EQ(line.find("create texture"), std::string::npos);

  // A size that rounds to no pixels can't be rasterised either.
  CFontGL empty;
  empty.Init("DejaVu Sans", 0, 96);
  EXPECT_EQ(empty.ready, 0u);
  EXPECT_EQ(empty.texture, 0u);
}

TEST(FontConversion, CoverageBecomesLuminanceWithAllOrNothingAlpha) {
  const uint8_t coverage[4] = {0, 1, 128, 255};
  uint8_t* pairs = CoverageToLuminanceAlpha(coverage, 2, 2);
  ASSERT_NE(pairs, nullptr);
  const uint8_t expected[8] = {0, 0, 1, 255, 128, 255, 255, 255};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(pairs[i], expected[i]) << i;
  std::free(pairs);

  // A buffer that can't be had is reported with the atlas's growth message.
  LogCapture log;
  EXPECT_EQ(CoverageToLuminanceAlpha(coverage, 1 << 30, 1 << 30), nullptr);
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_NE(log.lines[0].find("x[1] at [inc\\FontGL:103][CFontGL::Init]"), std::string::npos)
      << log.lines[0];
}

TEST_F(FontGL, Begin2DSetsThePixelOverlayState) {
  font_.Init("DejaVu Sans", 15, 96);
  ASSERT_EQ(font_.ready, 1u);
  g_width = 64;
  g_height = 48;
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  glEnable(GL_CULL_FACE);
  glDisable(GL_BLEND);
  glColor3f(1, 0, 0);
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(3, 4, 5);

  font_.Begin2D();

  GLfloat m[16];
  glGetFloatv(GL_PROJECTION_MATRIX, m);
  // Pixel (0,0) is the top-left corner of the view, (64,48) the bottom-right.
  EXPECT_FLOAT_EQ(m[12], -1.0f);
  EXPECT_FLOAT_EQ(m[13], 1.0f);
  EXPECT_FLOAT_EQ(m[0] * 64 + m[12], 1.0f);
  EXPECT_FLOAT_EQ(m[5] * 48 + m[13], -1.0f);
  EXPECT_FLOAT_EQ(m[10], -1.0f);
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);

  GLfloat color[4];
  glGetFloatv(GL_CURRENT_COLOR, color);
  EXPECT_EQ(color[0] + color[1] + color[2], 3.0f);
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  GLint src = 0, dst = 0;
  glGetIntegerv(GL_BLEND_SRC, &src);
  glGetIntegerv(GL_BLEND_DST, &dst);
  EXPECT_EQ(src, GL_ONE);
  EXPECT_EQ(dst, GL_ONE);
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  GLint bound = 0, env = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), font_.texture);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
  EXPECT_EQ(env, GL_MODULATE);

  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
}
