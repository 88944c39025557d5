// Texture creation under a real GL context: the uploaded levels read back.
#include "image/texture.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

#include "support/gl_context.h"
#include "support/libjpeg_codec.h"
#include "support/test_support.h"

namespace {
// A 2 x 2 single-channel TGA holding 1, 2, 3, 4.
std::vector<uint8_t> TinyGreyTga() {
  std::vector<uint8_t> file(18, 0);
  file[2] = 3;
  file[12] = 2;
  file[14] = 2;
  file[16] = 8;
  for (uint8_t v : {1, 2, 3, 4}) file.push_back(v);
  return file;
}

GLint LevelWidth(GLint level) {
  GLint w = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
  return w;
}

class TextureTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(EnsureGlContext()); }
  ScratchDir dir_;
};
}  // namespace

TEST_F(TextureTest, MipmappedFiltersUploadTheWholeChain) {
  dir_.Write("tiny.tga", TinyGreyTga());
  Texture mip, flat;
  const uint32_t a = CreateTexTGA(mip, "tiny.tga", GL_REPEAT, 10, 1);
  ASSERT_NE(a, kTextureFailed);
  EXPECT_EQ(mip.created, 1);
  EXPECT_EQ(mip.width, 2);
  EXPECT_STREQ(mip.texFile.c_str(), "tiny.tga");
  glBindTexture(GL_TEXTURE_2D, a);
  EXPECT_EQ(LevelWidth(0), 2);
  EXPECT_EQ(LevelWidth(1), 1);
  // Level 1 is the box average: (1 + 2 + 3 + 4) >> 2 = 2, in the alpha channel.
  uint8_t rgba[4] = {};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 1, GL_ALPHA, GL_UNSIGNED_BYTE, rgba);
  EXPECT_EQ(rgba[0], 2);
  GLint minFilter = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);

  const uint32_t b = CreateTexTGA(flat, "tiny.tga", GL_REPEAT, 3, 1);
  glBindTexture(GL_TEXTURE_2D, b);
  EXPECT_EQ(LevelWidth(0), 2);
  EXPECT_EQ(LevelWidth(1), 0);  // level 0 only
  GLuint ids[2] = {a, b};
  glDeleteTextures(2, ids);
}

TEST_F(TextureTest, JpegTexturesAreRgbaWithTheirMipmaps) {
  const std::vector<uint8_t> picture = TestPicture(16, 8, 3);
  dir_.Write("wall.jpg", EncodeJpeg(picture, 16, 8, EncodeOptions()));
  Texture t;
  const uint32_t id = CreateTexJPG(t, "wall.jpg", GL_REPEAT, 10, 1);
  ASSERT_NE(id, kTextureFailed);
  EXPECT_EQ(t.width, 16);
  EXPECT_EQ(t.height, 8);
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);  // a JPEG texture leaves texture 0 bound
  glBindTexture(GL_TEXTURE_2D, id);
  EXPECT_EQ(LevelWidth(4), 1);  // 16x8, 8x4, 4x2, 2x1, 1x1
  EXPECT_EQ(LevelWidth(5), 0);
  GLuint name = id;
  glDeleteTextures(1, &name);
}

TEST_F(TextureTest, MissingFilesMakeNoTexture) {
  LogCapture capture;
  GLuint before = 0;
  glGenTextures(1, &before);
  Texture t;
  EXPECT_EQ(CreateTexJPG(t, "nothing.jpg", GL_REPEAT, 10, 1), kTextureFailed);
  EXPECT_EQ(CreateTexTGA(t, "nothing.tga", GL_REPEAT, 10, 1), kTextureFailed);
  EXPECT_EQ(t.created, 0);
  EXPECT_TRUE(capture.Contains("ERROR::Jpg::file not found [nothing.jpg]"));
  EXPECT_TRUE(capture.Contains("ERROR::Tga::file not found [nothing.tga]"));
  GLuint after = 0;
  glGenTextures(1, &after);
  EXPECT_EQ(after, before + 1);  // no name was taken in between
  GLuint both[2] = {before, after};
  glDeleteTextures(2, both);
}

TEST_F(TextureTest, CheckerboardRowsAlternate) {
  Texture t;
  const uint32_t id = CreateCheckerBoard(t, "CheckerBoard.gen");
  EXPECT_EQ(t.width, 8);
  EXPECT_EQ(t.created, 0);  // left as the manager set it
  glBindTexture(GL_TEXTURE_2D, id);
  uint8_t rgb[8 * 8 * 3];
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  EXPECT_EQ(rgb[0], 255);
  EXPECT_EQ(rgb[3], 0);
  EXPECT_EQ(rgb[8 * 3], 0);  // second row starts black
  EXPECT_EQ(rgb[8 * 3 + 3], 255);
  GLuint name = id;
  glDeleteTextures(1, &name);
}

TEST_F(TextureTest, DamagedOrRefusedJpegsLogTheDecodersReason) {
  const std::vector<uint8_t> whole = EncodeJpeg(TestPicture(64, 64, 3), 64, 64, EncodeOptions());
  dir_.Write("cut.jpg", std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() * 3 / 4));
  std::vector<uint8_t> huge = whole;  // the frame header's width set to 20000
  for (size_t i = 0; i + 8 < huge.size(); ++i)
    if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
      huge[i + 7] = 20000 >> 8;
      huge[i + 8] = 20000 & 0xFF;
      break;
    }
  dir_.Write("huge.jpg", huge);
  LogCapture capture;
  Texture cut, refused;
  GLuint id = CreateTexJPG(cut, "cut.jpg", GL_REPEAT, 3, 1);
  EXPECT_NE(id, kTextureFailed);  // what was decoded is still shown
  EXPECT_EQ(CreateTexJPG(refused, "huge.jpg", GL_REPEAT, 3, 1), kTextureFailed);
  EXPECT_EQ(capture.lines,
            (std::vector<std::string>{"WARNING::Jpg::file [cut.jpg] scan data ends early or is "
                                      "damaged: the rest of the picture is grey",
                                      "ERROR::Jpg::file [huge.jpg] rejected: picture too large"}));
  glDeleteTextures(1, &id);
}
