// qhtool's image commands, run as the built tool.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/libjpeg_codec.h"
#include "support/test_support.h"

namespace {
// Runs qhtool with `args`; returns its exit status and its standard output.
int Qhtool(const std::string& args, std::string* output) {
  const std::string command = std::string(QH_BINARY_DIR) + "/qhtool " + args + " > out.txt 2>&1";
  const int status = std::system(command.c_str());
  output->clear();
  if (FILE* f = std::fopen("out.txt", "rb")) {
    char buffer[512];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) output->append(buffer, got);
    std::fclose(f);
  }
  return status;
}

// A TGA header of the given kind followed by `pixels`.
std::vector<uint8_t> Tga(int type, int width, int height, int bits,
                         const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> file(18 + pixels.size(), 0);
  file[2] = static_cast<uint8_t>(type);
  file[12] = static_cast<uint8_t>(width);
  file[14] = static_cast<uint8_t>(height);
  file[16] = static_cast<uint8_t>(bits);
  for (size_t i = 0; i < pixels.size(); ++i) file[18 + i] = pixels[i];
  return file;
}

std::vector<uint8_t> ReadAll(const char* path) {
  std::vector<uint8_t> bytes;
  if (FILE* f = std::fopen(path, "rb")) {
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
  }
  return bytes;
}
}  // namespace

TEST(QhtoolImage, InfoSummarisesJpegAndTgaAndRefusesBrokenOnes) {
  ScratchDir dir;
  EncodeOptions options;
  options.h0 = 2;
  const std::vector<uint8_t> jpeg = EncodeJpeg(TestPicture(40, 30, 3), 40, 30, options);
  dir.Write("a.jpg", jpeg);
  dir.Write("cut.jpg", std::vector<uint8_t>(jpeg.begin(), jpeg.end() - 40));
  dir.Write("g.TGA", Tga(3, 4, 2, 8, std::vector<uint8_t>(8, 9)));
  dir.Write("bad.tga", Tga(3, 4, 2, 16, std::vector<uint8_t>(16, 9)));

  std::string out;
  EXPECT_EQ(Qhtool("info a.jpg", &out), 0);
  EXPECT_EQ(out, "JPEG width=40 height=30 components=3 sampling=2x1\n");
  EXPECT_EQ(Qhtool("info g.TGA", &out), 0);
  EXPECT_EQ(out, "TGA width=4 height=2 bits=8\n");
  EXPECT_NE(Qhtool("info cut.jpg", &out), 0);
  EXPECT_EQ(out, "qhtool: cut.jpg: scan data ends early or is damaged\n");
  EXPECT_NE(Qhtool("info bad.tga", &out), 0);
  EXPECT_EQ(out, "qhtool: bad.tga: TGA_BAD_BITS 'bad.tga'\n");
}

TEST(QhtoolImage, DecodeWritesTheTopRowFirst) {
  ScratchDir dir;
  EncodeOptions options;
  options.components = 1;
  const std::vector<uint8_t> jpeg = EncodeJpeg(TestPicture(16, 8, 1), 16, 8, options);
  dir.Write("g.jpg", jpeg);
  int width = 0, height = 0;
  const std::vector<uint8_t> oracle = OracleDecodeRgb(jpeg, &width, &height);

  std::string out;
  ASSERT_EQ(Qhtool("decode g.jpg g.ppm", &out), 0) << out;
  const std::vector<uint8_t> ppm = ReadAll("g.ppm");
  const std::string header = "P6\n16 8\n255\n";
  ASSERT_EQ(ppm.size(), header.size() + oracle.size());
  EXPECT_EQ(std::string(ppm.begin(), ppm.begin() + static_cast<long>(header.size())), header);
  for (size_t i = 0; i < oracle.size(); ++i)
    ASSERT_LE(std::abs(ppm[header.size() + i] - oracle[i]), 4) << i;

  // A TGA's stored rows are bottom first: its last row comes out on top.
  dir.Write("t.tga", Tga(2, 2, 2, 24, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  ASSERT_EQ(Qhtool("decode t.tga t.ppm", &out), 0) << out;
  const std::vector<uint8_t> rgb = ReadAll("t.ppm");
  const std::vector<uint8_t> expected = {9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4};
  ASSERT_EQ(rgb.size(), 11u + 12u);
  EXPECT_EQ(std::vector<uint8_t>(rgb.begin() + 11, rgb.end()), expected);

  ASSERT_EQ(Qhtool("decode t.tga t.png", &out), 0) << out;
  const std::vector<uint8_t> png = ReadAll("t.png");
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
  EXPECT_NE(Qhtool("decode t.tga t.bmp", &out), 0);
  EXPECT_NE(Qhtool("decode missing.jpg t.ppm", &out), 0);
}
