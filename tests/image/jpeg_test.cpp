#include "image/jpeg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/scramble.h"
#include "storage/core.h"
#include "support/libjpeg_codec.h"
#include "support/test_support.h"

namespace {
struct Decoded {
  bool ok = false;
  bool incomplete = false;
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;  // as decoded: bottom row first
};

Decoded Decode(const std::vector<uint8_t>& jpeg) {
  auto d = std::make_unique<JpegDecoder>();
  Decoded out;
  out.ok = DecodeJpeg(*d, jpeg.data(), jpeg.size());
  out.incomplete = d->incomplete;
  if (!out.ok) return out;
  out.width = d->width;
  out.height = d->height;
  out.rgba.assign(d->pixels.get(), d->pixels.get() + static_cast<size_t>(d->width) * d->height * 4);
  return out;
}

// Largest difference of any channel between our decode (bottom row first)
// and libjpeg's (top row first); alpha must be 255 everywhere. Our decoder
// truncates where libjpeg rounds (inverse DCT, colour conversion), so single
// samples differ by a few levels, and on average by a level or so.
int MaxDifferenceToOracle(const std::vector<uint8_t>& jpeg) {
  int width = 0, height = 0;
  const std::vector<uint8_t> oracle = OracleDecodeRgb(jpeg, &width, &height);
  const Decoded ours = Decode(jpeg);
  EXPECT_TRUE(ours.ok);
  EXPECT_FALSE(ours.incomplete);
  EXPECT_EQ(ours.width, width);
  EXPECT_EQ(ours.height, height);
  if (!ours.ok || oracle.empty() || ours.width != width || ours.height != height) return 999;
  int worst = 0;
  double total = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint8_t* o = &oracle[(static_cast<size_t>(y) * width + x) * 3];
      const uint8_t* p = &ours.rgba[(static_cast<size_t>(height - 1 - y) * width + x) * 4];
      for (int c = 0; c < 3; ++c) {
        worst = std::max(worst, std::abs(o[c] - p[c]));
        total += std::abs(o[c] - p[c]);
      }
      if (p[3] != 255) return 998;
    }
  }
  EXPECT_LT(total / (3.0 * width * height), 1.5);
  return worst;
}

std::vector<uint8_t> Encoded(int width, int height, const EncodeOptions& options) {
  return EncodeJpeg(TestPicture(width, height, options.components), width, height, options);
}

constexpr int kFewLevels = 4;
}  // namespace

TEST(Jpeg, ColourSamplingsMatchLibjpeg) {
  const struct { int h0, v0; } samplings[] = {{1, 1}, {2, 1}, {2, 2}, {1, 2}, {4, 1}};
  for (const auto& s : samplings) {
    EncodeOptions options;
    options.h0 = s.h0;
    options.v0 = s.v0;
    SCOPED_TRACE(testing::Message() << s.h0 << "x" << s.v0);
    EXPECT_LE(MaxDifferenceToOracle(Encoded(64, 48, options)), kFewLevels);
  }
}

TEST(Jpeg, SizesNotMultipleOfTheMcuDropTheOverhang) {
  for (int h0 = 1; h0 <= 2; ++h0) {
    EncodeOptions options;
    options.h0 = options.v0 = h0;
    for (const int side : {1, 7, 9, 17, 33}) {
      SCOPED_TRACE(testing::Message() << h0 << " " << side);
      EXPECT_LE(MaxDifferenceToOracle(Encoded(side, 37 - side, options)), kFewLevels);
    }
  }
}

TEST(Jpeg, GreyComesOutAsEqualRgbWithOpaqueAlpha) {
  EncodeOptions options;
  options.components = 1;
  const std::vector<uint8_t> jpeg = Encoded(30, 21, options);
  EXPECT_LE(MaxDifferenceToOracle(jpeg), kFewLevels);
  const Decoded d = Decode(jpeg);
  for (size_t i = 0; i < d.rgba.size(); i += 4) {
    ASSERT_EQ(d.rgba[i], d.rgba[i + 1]);
    ASSERT_EQ(d.rgba[i], d.rgba[i + 2]);
    ASSERT_EQ(d.rgba[i + 3], 255);
  }
}

TEST(Jpeg, SingleComponentWithSamplingFactorsIsCodedBlockByBlock) {
  // One component forms a non-interleaved scan: its sampling factors don't
  // make the MCU bigger. 20 wide is a width where 8x8 and 16x16 MCUs differ.
  EncodeOptions options;
  options.components = 1;
  options.h0 = options.v0 = 2;
  EXPECT_LE(MaxDifferenceToOracle(Encoded(20, 12, options)), kFewLevels);
}

TEST(Jpeg, RestartIntervalsInRowsAndInMcus) {
  for (const int mcus : {1, 3, 5}) {
    EncodeOptions options;
    options.h0 = options.v0 = 2;
    options.restartMcus = mcus;
    SCOPED_TRACE(mcus);
    EXPECT_LE(MaxDifferenceToOracle(Encoded(70, 50, options)), kFewLevels);
  }
  EncodeOptions rows;
  rows.restartRows = 1;
  EXPECT_LE(MaxDifferenceToOracle(Encoded(45, 40, rows)), kFewLevels);
  rows.components = 1;
  EXPECT_LE(MaxDifferenceToOracle(Encoded(45, 40, rows)), kFewLevels);
}

TEST(Jpeg, FirstRowInMemoryIsTheBottomOfThePicture) {
  // Top half black, bottom half white.
  std::vector<uint8_t> picture(16 * 16, 0);
  for (size_t i = 16 * 8; i < picture.size(); ++i) picture[i] = 255;
  EncodeOptions options;
  options.components = 1;
  const Decoded d = Decode(EncodeJpeg(picture, 16, 16, options));
  ASSERT_TRUE(d.ok);
  EXPECT_GT(d.rgba[0], 240);
  EXPECT_LT(d.rgba[15 * 16 * 4], 15);
}

TEST(Jpeg, ProgressiveIsRefused) {
  EncodeOptions options;
  options.progressive = true;
  auto d = std::make_unique<JpegDecoder>();
  const std::vector<uint8_t> jpeg = Encoded(16, 16, options);
  EXPECT_FALSE(DecodeJpeg(*d, jpeg.data(), jpeg.size()));
  EXPECT_FALSE(d->pixels);
  EXPECT_STREQ(d->error, "not a baseline JPEG (progressive, extended or lossless)");
}

TEST(Jpeg, TruncatedScanKeepsWhatWasDecodedAndGreysTheRest) {
  EncodeOptions options;
  options.components = 1;
  const std::vector<uint8_t> whole = Encoded(64, 64, options);
  const Decoded full = Decode(whole);
  std::vector<uint8_t> cut(whole.begin(), whole.begin() + whole.size() * 2 / 3);
  const Decoded part = Decode(cut);
  ASSERT_TRUE(part.ok);
  EXPECT_TRUE(part.incomplete);
  ASSERT_EQ(part.rgba.size(), full.rgba.size());
  // The top MCU row (last rows in memory) came through; the bottom row is grey.
  const size_t row = 64 * 4;
  for (size_t i = row * 56; i < row * 64; ++i) ASSERT_EQ(part.rgba[i], full.rgba[i]) << i;
  for (size_t i = 0; i < row; i += 4) ASSERT_EQ(part.rgba[i], 128) << i;
}

namespace {
void PutInt32(std::vector<uint8_t>& out, int32_t value) {
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
}

// One archive entry: tag, name length, scrambled name, data size, data.
void PutEntry(std::vector<uint8_t>& archive, const char* name, const std::vector<uint8_t>& data) {
  std::vector<char> field(name, name + std::strlen(name) + 1);
  Scramble(field.data(), static_cast<int>(field.size()));
  archive.push_back(1);
  PutInt32(archive, static_cast<int32_t>(field.size()));
  archive.insert(archive.end(), field.begin(), field.end());
  PutInt32(archive, static_cast<int32_t>(data.size()));
  archive.insert(archive.end(), data.begin(), data.end());
}
}  // namespace

TEST(Jpeg, LoadsLooseFilesAndArchiveEntries) {
  ScratchDir dir;
  EncodeOptions options;
  const std::vector<uint8_t> jpeg = Encoded(24, 16, options);
  const Decoded expected = Decode(jpeg);
  dir.Write("loose.jpg", jpeg);
  std::vector<uint8_t> archive;
  PutEntry(archive, "tex\\packed.jpg", jpeg);
  PutEntry(archive, "tex\\after.jpg", std::vector<uint8_t>(5000, 0x55));  // must not be read
  dir.Write("test.core", archive);
  CoreSetArchivePath("test.core");

  auto d = std::make_unique<JpegDecoder>();
  for (const char* name : {"loose.jpg", "tex\\packed.jpg"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(LoadJPG(*d, name));
    EXPECT_FALSE(d->incomplete);
    EXPECT_EQ(d->data, nullptr);  // the file's bytes are gone after the decode
    EXPECT_EQ(std::vector<uint8_t>(d->pixels.get(), d->pixels.get() + expected.rgba.size()),
              expected.rgba);
  }
  LogCapture log;
  EXPECT_FALSE(LoadJPG(*d, "tex\\missing.jpg"));
  EXPECT_FALSE(d->pixels);
  EXPECT_STREQ(d->error, "file not found");
  CoreSetArchivePath("brookfield.core");
}
