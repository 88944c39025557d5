#include "image/tga.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <vector>

#include "support/byte_builder.h"
#include "support/test_support.h"

namespace {
using Bytes = std::vector<uint8_t>;

// A header, bottom-left origin, then exactly the pixel bytes it asks for: 0, 7, 14, ...
Bytes TgaFile(int type, int width, int height, int bits, int colourMap = 0) {
  const uint8_t zero[9] = {};
  ByteBuilder b;
  b.U8(0).U8(colourMap).U8(type).Raw(zero, 9).U16(width).U16(height).U8(bits).U8(0x08);
  for (size_t i = 0; i < static_cast<size_t>(width) * height * (bits / 8); ++i) b.U8(i * 7 & 0xFF);
  return b.bytes;
}

// Loads `file` from disk and from memory, which must agree; the error line or "".
std::string Load(const Bytes& file, TgaImage& image) {
  ScratchDir dir;
  dir.Write("t.tga", file);
  LogCapture log;
  const bool fromFile = LoadTGA(image, "t.tga");
  TgaImage memory;
  EXPECT_EQ(DecodeTGA(memory, file.data(), file.size(), "t.tga"), fromFile);
  EXPECT_EQ(fromFile, image.pixels != nullptr);
  EXPECT_EQ(log.lines.size(), fromFile ? 0u : 2u);  // one line from each entry point
  if (!fromFile) return log.lines.empty() ? "no line" : log.lines[0];
  const int depth = image.format == kTgaFormatRgba ? 4 : image.format == kTgaFormatRgb ? 3 : 1;
  EXPECT_EQ(
      std::memcmp(image.pixels.get(), memory.pixels.get(), image.width * image.height * depth), 0);
  return "";
}
}  // namespace

TEST(Tga, RejectionsNameTheirReason) {
  Bytes shortPixels = TgaFile(2, 8, 4, 32), headerOnly = TgaFile(3, 2, 2, 8);
  shortPixels.pop_back();
  headerOnly.resize(17);  // no descriptor byte, no pixels
  const std::pair<const char*, std::vector<Bytes>> kCases[] = {
      {"BAD_IMAGE_TYPE",
       {TgaFile(10, 4, 4, 24), TgaFile(1, 4, 4, 8, 1), TgaFile(2, 4, 4, 24, 1), Bytes(5, 0)}},
      {"BAD_DIMENSION",
       {TgaFile(2, 1, 1, 24), TgaFile(2, 4096, 2, 8), TgaFile(2, 2, 4096, 8), TgaFile(2, 6, 4, 24),
        TgaFile(2, 4, 0, 24)}},
      {"BAD_BITS", {TgaFile(2, 4, 4, 16), TgaFile(3, 4, 4, 0)}},
      {"BAD_DATA", {shortPixels, headerOnly}}};
  for (const auto& [reason, files] : kCases)
    for (const Bytes& file : files) {
      TgaImage image;
      EXPECT_EQ(Load(file, image), std::string("ERROR::TGA_") + reason + " 't.tga'");
    }
}

TEST(Tga, TrueColourComesOutRedFirstAndGreyAsAlphaInFileOrder) {
  const Bytes rgb = TgaFile(2, 2, 2, 24), rgba = TgaFile(2, 2048, 2, 32),
              grey = TgaFile(3, 2, 512, 8);
  TgaImage image;
  ASSERT_EQ(Load(rgb, image), "");
  EXPECT_EQ(image.format, kTgaFormatRgb);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(image.pixels[i], rgb[18 + i / 3 * 3 + 2 - i % 3]) << i;
  ASSERT_EQ(Load(rgba, image), "");
  EXPECT_TRUE(image.format == kTgaFormatRgba && image.width == 2048 && image.height == 2);
  const size_t last = (2048 * 2 - 1) * 4;
  EXPECT_EQ(
      Bytes(&image.pixels[last], &image.pixels[last] + 4),
      (Bytes{rgba[18 + last + 2], rgba[18 + last + 1], rgba[18 + last], rgba[18 + last + 3]}));
  ASSERT_EQ(Load(grey, image), "");  // a height past 255 takes the header's high byte
  EXPECT_TRUE(image.format == kTgaFormatAlpha && image.width == 2 && image.height == 512);
  EXPECT_EQ(Bytes(image.pixels.get(), image.pixels.get() + 1024),
            Bytes(grey.begin() + 18, grey.end()));
  // Loose names use the backslash as the separator.
  ScratchDir dir;
  LogCapture log;
  mkdir("tex", 0755);
  dir.Write("tex/a.tga", grey);
  EXPECT_TRUE(LoadTGA(image, "tex\\a.tga"));
  EXPECT_FALSE(LoadTGA(image, "tex\\none.tga"));
  EXPECT_EQ(log.lines, std::vector<std::string>{"ERROR::TGA_FILE_NOT_FOUND 'tex\\none.tga'"});
}

TEST(Tga, ImageIdIsSkippedAndTheOriginBitsHonoured) {
  // 2 x 2 grey, stored a b / c d; the result is bottom row first, left to right.
  const struct {
    uint8_t idLength, descriptor;
    const char* expected;
  } cases[] = {{0, 0x00, "abcd"},
               {5, 0x00, "abcd"},
               {3, 0x20, "cdab"},   // top row stored first
               {0, 0x10, "badc"},   // right to left
               {1, 0x30, "dcba"}};  // both
  for (const auto& c : cases) {
    Bytes file = TgaFile(3, 2, 2, 8);
    file.resize(18);
    file[0] = c.idLength;
    file[17] = c.descriptor;
    file.insert(file.end(), c.idLength, 'i');
    file.insert(file.end(), {'a', 'b', 'c', 'd'});
    TgaImage image;
    SCOPED_TRACE(testing::Message() << int(c.idLength) << " " << int(c.descriptor));
    ASSERT_EQ(Load(file, image), "");
    EXPECT_EQ(std::string(image.pixels.get(), image.pixels.get() + 4), c.expected);
    file.pop_back();  // one byte short once the ID is counted
    EXPECT_EQ(Load(file, image), "ERROR::TGA_BAD_DATA 't.tga'");
  }
}
