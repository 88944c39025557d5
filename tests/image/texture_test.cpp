// The filter table, halving and the checkerboard; texture creation under a real GL context,
// the uploaded levels read back.
#include "image/texture.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "image/texture_data.h"
#include "support/gl_context.h"
#include "support/libjpeg_codec.h"
#include "support/test_support.h"

namespace {
GLint LevelWidth(uint32_t texture, GLint level) {
  GLint w = 0;
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
  return w;
}
}  // namespace

TEST(Texture, MipmappedFiltersUploadTheWholeChainAndJpegsAreRgba) {
  ASSERT_TRUE(EnsureGlContext());
  ScratchDir dir;
  // A 2 x 2 single-channel TGA holding 1, 2, 3, 4.
  dir.Write("tiny.tga",
            std::vector<uint8_t>{0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 8, 0, 1, 2, 3, 4});
  dir.Write("wall.jpg", EncodeJpeg(TestPicture(16, 8, 3), 16, 8, EncodeOptions()));
  Texture mip, flat, jpeg;
  const uint32_t a = CreateTexTGA(mip, "tiny.tga", GL_REPEAT, 10, 1);
  const uint32_t b = CreateTexTGA(flat, "tiny.tga", GL_REPEAT, 3, 1);
  const uint32_t c = CreateTexJPG(jpeg, "wall.jpg", GL_REPEAT, 10, 1);
  GLint value = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
  EXPECT_EQ(value, 0);  // a JPEG texture leaves texture 0 bound
  EXPECT_TRUE(mip.created == 1 && mip.width == 2 && std::string(mip.texFile.c_str()) == "tiny.tga");
  EXPECT_TRUE(jpeg.width == 16 && jpeg.height == 8);
  // Level widths: 2, 1 mipmapped; level 0 only for filter 3; 16x8 ... 1x1.
  EXPECT_TRUE(LevelWidth(a, 0) == 2 && LevelWidth(a, 1) == 1);
  EXPECT_TRUE(LevelWidth(b, 0) == 2 && LevelWidth(b, 1) == 0);
  EXPECT_TRUE(LevelWidth(c, 4) == 1 && LevelWidth(c, 5) == 0);
  // Level 1 is the box average: (1 + 2 + 3 + 4) >> 2 = 2, in the alpha channel.
  uint8_t alpha = 0;
  glBindTexture(GL_TEXTURE_2D, a);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 1, GL_ALPHA, GL_UNSIGNED_BYTE, &alpha);
  EXPECT_EQ(alpha, 2);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
  EXPECT_EQ(value, GL_LINEAR_MIPMAP_LINEAR);
  const uint32_t id = CreateCheckerBoard(flat, "CheckerBoard.gen");  // white first, alternating
  uint8_t rgb[8 * 8 * 3];
  glBindTexture(GL_TEXTURE_2D, id);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  EXPECT_TRUE(rgb[0] == 255 && rgb[3] == 0 && rgb[8 * 3] == 0 && rgb[8 * 3 + 3] == 255);
}

TEST(Texture, MissingFilesMakeNoTextureAndDamagedJpegsLogTheDecodersReason) {
  ASSERT_TRUE(EnsureGlContext());
  ScratchDir dir;
  const std::vector<uint8_t> whole = EncodeJpeg(TestPicture(64, 64, 3), 64, 64, EncodeOptions());
  dir.Write("cut.jpg", std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() * 3 / 4));
  dir.Write("png.jpg", std::vector<uint8_t>{0x89, 'P', 'N', 'G'});
  LogCapture log;
  GLuint before = 0, after = 0;
  glGenTextures(1, &before);
  Texture t;
  EXPECT_EQ(CreateTexJPG(t, "nothing.jpg", GL_REPEAT, 10, 1), kTextureFailed);
  EXPECT_EQ(CreateTexTGA(t, "nothing.tga", GL_REPEAT, 10, 1), kTextureFailed);
  EXPECT_EQ(CreateTexJPG(t, "png.jpg", GL_REPEAT, 3, 1), kTextureFailed);
  EXPECT_EQ(t.created, 0);
  glGenTextures(1, &after);
  EXPECT_EQ(after, before + 1);  // no name was taken in between
  GLuint id = CreateTexJPG(t, "cut.jpg", GL_REPEAT, 3, 1);
  EXPECT_NE(id, kTextureFailed);  // what was decoded is still shown
  for (const char* line :
       {"ERROR::Jpg::file not found [nothing.jpg]", "ERROR::Tga::file not found [nothing.tga]",
        "[png.jpg] rejected: not a JPEG file", "[cut.jpg] scan data ends early or is damaged"})
    EXPECT_TRUE(log.Contains(line)) << line;
  glDeleteTextures(1, &id);
}

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
}
