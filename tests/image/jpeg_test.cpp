#include "image/jpeg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "support/libjpeg_codec.h"

namespace {
struct Decoded {
  bool ok = false, incomplete = false;
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;  // as decoded: bottom row first
};

Decoded Decode(const std::vector<uint8_t>& jpeg) {
  auto d = std::make_unique<JpegDecoder>();
  Decoded out;
  out.ok = DecodeJpeg(*d, jpeg.data(), jpeg.size());
  out.incomplete = d->incomplete;
  if (out.ok) {
    out.width = d->width, out.height = d->height;
    out.rgba.assign(&d->pixels[0], &d->pixels[static_cast<size_t>(d->width) * d->height * 4]);
  }
  return out;
}

std::vector<uint8_t> Encoded(int width, int height, const EncodeOptions& options) {
  return EncodeJpeg(TestPicture(width, height, options.components), width, height, options);
}
}  // namespace

// Our decode (bottom row first) against libjpeg's (top row first): alpha 255, grey as equal
// RGB; we truncate where libjpeg rounds, so samples differ by a few levels. Cases: samplings,
// sizes not a multiple of the MCU, grey, one component with sampling factors (a
// non-interleaved scan: 20 wide is where 8x8 and 16x16 MCUs differ), restarts in MCUs and rows.
TEST(Jpeg, SamplingsOddSizesGreyAndRestartIntervalsMatchLibjpeg) {
  const struct {
    int components, h0, v0, restartMcus, restartRows, width, height;
  } kCases[] = {{3, 1, 1, 0, 0, 64, 48}, {3, 2, 1, 0, 0, 64, 48}, {3, 2, 2, 0, 0, 64, 48},
                {3, 1, 2, 0, 0, 64, 48}, {3, 4, 1, 0, 0, 64, 48}, {3, 1, 1, 0, 0, 1, 36},
                {3, 2, 2, 0, 0, 7, 30},  {3, 2, 2, 0, 0, 9, 28},  {3, 1, 1, 0, 0, 17, 20},
                {3, 2, 2, 0, 0, 33, 4},  {1, 1, 1, 0, 0, 30, 21}, {1, 2, 2, 0, 0, 20, 12},
                {3, 2, 2, 1, 0, 70, 50}, {3, 2, 2, 3, 0, 70, 50}, {3, 2, 2, 5, 0, 70, 50},
                {3, 1, 1, 0, 1, 45, 40}, {1, 1, 1, 0, 1, 45, 40}};
  for (const auto& c : kCases) {
    EncodeOptions options;
    options.components = c.components, options.h0 = c.h0, options.v0 = c.v0;
    options.restartMcus = c.restartMcus, options.restartRows = c.restartRows;
    const std::vector<uint8_t> jpeg = Encoded(c.width, c.height, options);
    int width = 0, height = 0;
    const std::vector<uint8_t> oracle = OracleDecodeRgb(jpeg, &width, &height);
    const Decoded ours = Decode(jpeg);
    SCOPED_TRACE(testing::Message() << c.components << " " << c.h0 << "x" << c.v0 << " " << c.width
                                    << "x" << c.height << " restart " << c.restartMcus);
    ASSERT_TRUE(ours.ok && !ours.incomplete && ours.width == width && ours.height == height);
    int worst = 0;
    double total = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const uint8_t* o = &oracle[(static_cast<size_t>(y) * width + x) * 3];
        const uint8_t* p = &ours.rgba[(static_cast<size_t>(height - 1 - y) * width + x) * 4];
        for (int k = 0; k < 3; ++k)
          worst = std::max(worst, std::abs(o[k] - p[k])), total += std::abs(o[k] - p[k]);
        ASSERT_EQ(p[3], 255);
        ASSERT_TRUE(c.components != 1 || (p[0] == p[1] && p[0] == p[2]));
      }
    EXPECT_LE(worst, 4);
    EXPECT_LT(total / (3.0 * width * height), 1.5);
  }
}

TEST(Jpeg, TheFirstRowIsTheBottomProgressiveIsRefusedAndACutScanIsGreyed) {
  std::vector<uint8_t> picture(16 * 16, 0);  // top half black, bottom half white
  std::fill(picture.begin() + 16 * 8, picture.end(), 255);
  EncodeOptions options;
  options.components = 1;
  Decoded d = Decode(EncodeJpeg(picture, 16, 16, options));
  EXPECT_TRUE(d.ok && d.rgba[0] > 240 && d.rgba[15 * 16 * 4] < 15);

  // A truncated scan keeps the top MCU row (last in memory); the bottom row is grey.
  const std::vector<uint8_t> whole = Encoded(64, 64, options);
  const Decoded full = Decode(whole);
  d = Decode(std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() * 2 / 3));
  ASSERT_TRUE(d.ok && d.incomplete && d.rgba.size() == full.rgba.size());
  const size_t row = 64 * 4;
  EXPECT_TRUE(std::equal(&d.rgba[row * 56], &d.rgba[row * 64], &full.rgba[row * 56]));
  for (size_t i = 0; i < row; i += 4) ASSERT_EQ(d.rgba[i], 128) << i;
  options.components = 3;
  options.progressive = true;
  auto decoder = std::make_unique<JpegDecoder>();
  const std::vector<uint8_t> jpeg = Encoded(16, 16, options);
  EXPECT_FALSE(DecodeJpeg(*decoder, jpeg.data(), jpeg.size()));
  EXPECT_FALSE(decoder->pixels);
  EXPECT_STREQ(decoder->error, "not a baseline JPEG (progressive, extended or lossless)");
}
