#include "image/tga.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/test_support.h"

namespace {
using Bytes = std::vector<uint8_t>;

// A header followed by exactly the pixel bytes the header asks for, the
// pixel bytes counting 0, 1, 2, ...
Bytes TgaFile(int type, int width, int height, int bits, int colourMap = 0) {
  Bytes file(18, 0);
  file[1] = static_cast<uint8_t>(colourMap);
  file[2] = static_cast<uint8_t>(type);
  file[12] = static_cast<uint8_t>(width);
  file[13] = static_cast<uint8_t>(width >> 8);
  file[14] = static_cast<uint8_t>(height);
  file[15] = static_cast<uint8_t>(height >> 8);
  file[16] = static_cast<uint8_t>(bits);
  file[17] = 0x08;  // alpha bits (not consulted); bottom-left origin: rows as stored
  const size_t bytes = static_cast<size_t>(width) * height * (bits / 8);
  for (size_t i = 0; i < bytes; ++i) file.push_back(static_cast<uint8_t>(i * 7));
  return file;
}

// Loads `file` both from disk and from memory; both must agree. Returns the
// captured error line ("" on success).
std::string Load(const Bytes& file, TgaImage& image) {
  ScratchDir dir;
  dir.Write("t.tga", file);
  LogCapture log;
  const bool fromFile = LoadTGA(image, "t.tga");
  TgaImage memory;
  const bool fromMemory = DecodeTGA(memory, file.data(), file.size(), "t.tga");
  EXPECT_EQ(fromFile, fromMemory);
  EXPECT_EQ(fromFile, image.pixels != nullptr);
  EXPECT_EQ(fromMemory, memory.pixels != nullptr);
  if (fromFile) {
    EXPECT_TRUE(log.lines.empty());
    const size_t bytes = image.width * image.height *
                         (image.format == kTgaFormatRgba  ? 4
                          : image.format == kTgaFormatRgb ? 3
                                                          : 1);
    EXPECT_EQ(std::memcmp(image.pixels.get(), memory.pixels.get(), bytes), 0);
    return "";
  }
  EXPECT_EQ(log.lines.size(), 2u);  // one line from each entry point
  return log.lines.empty() ? "no line" : log.lines[0];
}
}  // namespace

TEST(Tga, RejectionsNameTheirReason) {
  const struct {
    Bytes file;
    const char* line;
  } cases[] = {
      {TgaFile(10, 4, 4, 24), "ERROR::TGA_BAD_IMAGE_TYPE 't.tga'"},
      {TgaFile(1, 4, 4, 8, 1), "ERROR::TGA_BAD_IMAGE_TYPE 't.tga'"},
      {TgaFile(2, 4, 4, 24, 1), "ERROR::TGA_BAD_IMAGE_TYPE 't.tga'"},
      {TgaFile(2, 1, 1, 24), "ERROR::TGA_BAD_DIMENSION 't.tga'"},
      {TgaFile(2, 4096, 2, 8), "ERROR::TGA_BAD_DIMENSION 't.tga'"},
      {TgaFile(2, 2, 4096, 8), "ERROR::TGA_BAD_DIMENSION 't.tga'"},
      {TgaFile(2, 6, 4, 24), "ERROR::TGA_BAD_DIMENSION 't.tga'"},
      {TgaFile(2, 4, 0, 24), "ERROR::TGA_BAD_DIMENSION 't.tga'"},
      {TgaFile(2, 4, 4, 16), "ERROR::TGA_BAD_BITS 't.tga'"},
      {TgaFile(3, 4, 4, 0), "ERROR::TGA_BAD_BITS 't.tga'"},
      {Bytes(5, 0), "ERROR::TGA_BAD_IMAGE_TYPE 't.tga'"},
  };
  for (const auto& c : cases) {
    TgaImage image;
    SCOPED_TRACE(c.line);
    EXPECT_EQ(Load(c.file, image), c.line);
  }
}

TEST(Tga, ShortPixelDataIsRejected) {
  Bytes file = TgaFile(2, 8, 4, 32);
  file.pop_back();
  TgaImage image;
  EXPECT_EQ(Load(file, image), "ERROR::TGA_BAD_DATA 't.tga'");
  Bytes headerOnly = TgaFile(3, 2, 2, 8);
  headerOnly.resize(17);  // no descriptor byte, no pixels
  EXPECT_EQ(Load(headerOnly, image), "ERROR::TGA_BAD_DATA 't.tga'");
}

TEST(Tga, MissingFileIsLogged) {
  ScratchDir dir;
  LogCapture log;
  TgaImage image;
  EXPECT_FALSE(LoadTGA(image, "tex\\none.tga"));
  EXPECT_TRUE(log.Contains("ERROR::TGA_FILE_NOT_FOUND 'tex\\none.tga'"));
}

TEST(Tga, TrueColourComesOutRedFirst) {
  Bytes file = TgaFile(2, 2, 2, 24);
  file[18] = 10;
  file[19] = 20;
  file[20] = 30;
  TgaImage image;
  ASSERT_EQ(Load(file, image), "");
  EXPECT_EQ(image.format, kTgaFormatRgb);
  EXPECT_EQ(image.pixels[0], 30);
  EXPECT_EQ(image.pixels[1], 20);
  EXPECT_EQ(image.pixels[2], 10);
  EXPECT_EQ(image.pixels[3], file[18 + 5]);  // second pixel, swapped too
  EXPECT_EQ(image.pixels[5], file[18 + 3]);

  Bytes rgba = TgaFile(2, 2048, 2, 32);
  ASSERT_EQ(Load(rgba, image), "");
  EXPECT_EQ(image.format, kTgaFormatRgba);
  EXPECT_EQ(image.width, 2048u);
  EXPECT_EQ(image.height, 2u);
  const size_t last = (2048 * 2 - 1) * 4;
  EXPECT_EQ(image.pixels[last], rgba[18 + last + 2]);
  EXPECT_EQ(image.pixels[last + 2], rgba[18 + last]);
  EXPECT_EQ(image.pixels[last + 3], rgba[18 + last + 3]);  // alpha stays
}

TEST(Tga, GreyIsKeptAsAlphaInFileOrder) {
  const Bytes file = TgaFile(3, 4, 2, 8);
  TgaImage image;
  ASSERT_EQ(Load(file, image), "");
  EXPECT_EQ(image.format, kTgaFormatAlpha);
  EXPECT_EQ(Bytes(image.pixels.get(), image.pixels.get() + 8),
            Bytes(file.begin() + 18, file.end()));
}

TEST(Tga, LooseNamesUseBackslashAsSeparator) {
  ScratchDir dir;
  ASSERT_EQ(std::system("mkdir tex"), 0);
  dir.Write("tex/a.tga", TgaFile(3, 2, 2, 8));
  TgaImage image;
  EXPECT_TRUE(LoadTGA(image, "tex\\a.tga"));
}

TEST(Tga, ImageIdIsSkippedAndTheOriginBitsHonoured) {
  // 2 x 2 grey, stored a b / c d; the result is bottom row first, left to right.
  const struct {
    uint8_t idLength, descriptor;
    Bytes expected;
  } cases[] = {
      {0, 0x00, {'a', 'b', 'c', 'd'}}, {5, 0x00, {'a', 'b', 'c', 'd'}},
      {3, 0x20, {'c', 'd', 'a', 'b'}},  // top row stored first
      {0, 0x10, {'b', 'a', 'd', 'c'}},  // right to left
      {1, 0x30, {'d', 'c', 'b', 'a'}},  // both
  };
  for (const auto& c : cases) {
    Bytes file = TgaFile(3, 2, 2, 8);
    file.resize(18);
    file[0] = c.idLength;
    file[17] = c.descriptor;
    file.insert(file.end(), c.idLength, 'i');
    file.insert(file.end(), {'a', 'b', 'c', 'd'});
    TgaImage image;
    ASSERT_EQ(Load(file, image), "") << int(c.idLength) << " " << int(c.descriptor);
    EXPECT_EQ(Bytes(image.pixels.get(), image.pixels.get() + 4), c.expected)
        << int(c.idLength) << " " << int(c.descriptor);
    file.pop_back();  // one byte short once the ID is counted
    EXPECT_EQ(Load(file, image), "ERROR::TGA_BAD_DATA 't.tga'");
  }
}
